#include "discovery/geo_answer.h"

#include <cmath>
#include <cstdlib>

#include "base/json_extract.h"

namespace vantrel {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_hex(char c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string plain_answer(const std::string& output) {
  std::string candidate;
  for (const char c : output) {
    if (c == ' ' || c == '\t') continue;
    if (c == '\r' || c == '\n') {
      if (!candidate.empty()) break;
      continue;
    }
    candidate += c;
  }
  return candidate;
}

}  // namespace

bool is_ipv4_address(const std::string& text) {
  int parts = 0;
  std::size_t i = 0;
  while (true) {
    std::size_t start = i;
    int value = 0;
    while (i < text.size() && is_digit(text[i]) && i - start < 3) value = value * 10 + (text[i++] - '0');
    const std::size_t digits = i - start;
    if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0')) return false;
    ++parts;
    if (i == text.size()) return parts == 4;
    if (text[i] != '.' || parts == 4) return false;
    ++i;
  }
}

bool is_ipv6_address(const std::string& text) {
  // Groups of 1-4 hex digits separated by ':', at most one "::" standing for
  // one or more zero groups, optionally ending in a dotted IPv4 address that
  // counts as two groups. No zone index.
  if (text.size() < 2) return false;
  int groups = 0;
  bool compressed = false;
  std::size_t i = 0;
  if (text.compare(0, 2, "::") == 0) {
    compressed = true;
    i = 2;
    if (i == text.size()) return true;
  } else if (text[0] == ':') {
    return false;
  }
  while (i < text.size()) {
    std::size_t start = i;
    while (i < text.size() && is_hex(text[i]) && i - start < 5) ++i;
    if (i < text.size() && text[i] == '.') {
      // The IPv4 tail: it must end the address.
      if (!is_ipv4_address(text.substr(start))) return false;
      groups += 2;
      i = text.size();
      break;
    }
    const std::size_t digits = i - start;
    if (digits == 0 || digits > 4) return false;
    ++groups;
    if (i == text.size()) break;
    if (text[i] != ':') return false;
    ++i;
    if (i < text.size() && text[i] == ':') {
      if (compressed) return false;
      compressed = true;
      ++i;
      if (i == text.size()) break;
    } else if (i == text.size()) {
      return false;  // a single trailing ':'
    }
  }
  return compressed ? groups <= 7 : groups == 8;
}

bool is_usable_ip(const std::string& candidate) {
  if (candidate.size() < 7 || candidate.size() > MAX_IP_LENGTH) return false;
  return is_ipv4_address(candidate) || is_ipv6_address(candidate);
}

bool is_time_zone_name(const std::string& text) {
  if (text.empty() || text.size() > MAX_TIME_ZONE_LENGTH) return false;
  for (const char c : text) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || is_digit(c) || c == '/' || c == '_' ||
                    c == '+' || c == '-';
    if (!ok) return false;
  }
  return true;
}

bool is_coordinate(const std::string& text, double limit) {
  // -?digits(.digits)?, nothing else.
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  const std::size_t int_start = i;
  while (i < text.size() && is_digit(text[i])) ++i;
  if (i == int_start || i - int_start > 3) return false;
  if (i < text.size() && text[i] == '.') {
    const std::size_t frac_start = ++i;
    while (i < text.size() && is_digit(text[i])) ++i;
    if (i == frac_start || i - frac_start > 20) return false;
  }
  if (i != text.size()) return false;
  const double value = std::strtod(text.c_str(), nullptr);
  return value >= -limit && value <= limit;
}

std::string extract_egress_ip(const std::string& output, ProbeResult& result) {
  std::size_t first = 0;
  while (first < output.size() && is_blank(output[first])) ++first;
  if (first >= output.size() || output[first] != '{') return plain_answer(output);

  const std::string ip = extract_string_field(output, "ip");
  result.country_code = extract_string_field(output, "country_code");
  result.timezone = extract_string_field(output, "timezone");
  result.geo_lat = extract_scalar_field(output, "latitude");
  result.geo_lng = extract_scalar_field(output, "longitude");
  if (!is_time_zone_name(result.timezone)) result.timezone.clear();
  if (!is_coordinate(result.geo_lat, 90)) result.geo_lat.clear();
  if (!is_coordinate(result.geo_lng, 180)) result.geo_lng.clear();
  return ip;
}

double great_circle_km(double lat1, double lng1, double lat2, double lng2) {
  const double radians = 3.14159265358979323846 / 180.0;
  const double dlat = (lat2 - lat1) * radians;
  const double dlng = (lng2 - lng1) * radians;
  const double h = std::sin(dlat / 2) * std::sin(dlat / 2) +
                   std::cos(lat1 * radians) * std::cos(lat2 * radians) * std::sin(dlng / 2) * std::sin(dlng / 2);
  return 2 * 6371.0088 * std::asin(std::sqrt(std::fmin(1.0, h)));
}

bool read_coordinate(const std::string& text, double limit, double& out) {
  if (!is_coordinate(text, limit)) return false;
  out = std::strtod(text.c_str(), nullptr);
  return true;
}

}  // namespace vantrel
