// Whether the values an overlay fixes itself agree with the proxy's egress:
// a persona pinned to New York behind a proxy that exits in Paris gives
// itself away to the first site that compares them.
#pragma once

#include <string>
#include <vector>

#include "discovery/probe_result.h"
#include "overlay/overlay_model.h"

namespace vantrel {

enum class Verdict { agrees, note, mismatch };

// One comparison of a fixed value with the egress. Strings are UTF-8, as
// written in the overlay and as the endpoint answered.
struct Comparison {
  std::string setting;        // the key, or "geo-lat/geo-lng" for the position
  std::string overlay_value;  // "lat,lng" for the position
  std::string egress_value;
  Verdict verdict = Verdict::agrees;
  std::string message;
  double distance_km = -1;    // the position only: great-circle distance, else -1
};

// Positions farther apart than this are a mismatch.
inline constexpr double MISMATCH_DISTANCE_KM = 1000.0;

// The comparisons for every value the overlay fixes itself (a presence key
// that the launcher finds named, its value as written where the launcher read
// it: `readings`, one per row of the settings table) against the egress a
// successful probe found (`egress`: ip, country_code, timezone, geo_lat,
// geo_lng). Values that cannot be compared give a note, never a guess.
std::vector<Comparison> compare_with_egress(const std::vector<SettingRead>& readings, const ProbeResult& egress);

// "agrees", "note" or "mismatch".
const char* verdict_text(Verdict verdict);

}  // namespace vantrel
