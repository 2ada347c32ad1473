// Reading a geo-IP endpoint's answer: a JSON object ("/geoip?format=json") or
// the bare address on a line ("/myip").
#pragma once

#include <string>

#include "discovery/probe_result.h"

namespace vantrel {

// Fills the candidate IP (returned) and, from a JSON answer, the result's
// country_code, timezone, latitude and longitude. The answer is JSON when its
// first byte outside space, tab, CR and LF is '{'; otherwise the candidate is
// the first line holding anything but blanks, with spaces and tabs removed.
//
// These values come from the network and end up on the Engine's command
// line, so each is kept only when it has the form it claims: a time zone of
// the characters of IANA zone names, coordinates as plain decimal numbers in
// range. A value that fails its check is treated as absent (empty).
std::string extract_egress_ip(const std::string& output, ProbeResult& result);

// The longest value of each kind that the checks below let through: what
// discovery may add to the Engine's command line is bounded by them.
inline constexpr std::size_t MAX_IP_LENGTH = 45;
inline constexpr std::size_t MAX_TIME_ZONE_LENGTH = 64;
inline constexpr std::size_t MAX_COORDINATE_LENGTH = 25;  // "-" 3 digits "." 20 digits

// The candidate is 7 to MAX_IP_LENGTH bytes long and a valid IPv4 or IPv6 address.
bool is_usable_ip(const std::string& candidate);

// Syntax checks used above, exposed for tests.
bool is_ipv4_address(const std::string& text);
bool is_ipv6_address(const std::string& text);
bool is_time_zone_name(const std::string& text);
bool is_coordinate(const std::string& text, double limit);

// A coordinate as discovery accepts one from the endpoint (is_coordinate),
// as a number; false for anything else.
bool read_coordinate(const std::string& text, double limit, double& out);

// Great-circle distance in km between two positions in degrees (mean Earth
// radius 6371.0088 km).
double great_circle_km(double lat1, double lng1, double lat2, double lng2);

}  // namespace vantrel
