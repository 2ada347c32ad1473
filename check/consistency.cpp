#include "check/consistency.h"

#include <cmath>
#include <cstdlib>

#include "base/json_extract.h"
#include "base/shown_text.h"
#include "discovery/country_language.h"
#include "discovery/geo_answer.h"

namespace vantrel {

namespace {

// The value as written where the launcher read the key (a string decoded);
// false when the key is not named.
bool fixed_value(const SettingRead& r, std::string& value, bool* is_string = nullptr) {
  if (r.at == std::string::npos) return false;
  value = raw_value_text(r.raw, is_string);
  return true;
}

// The reading of the presence key that gives `value`.
const SettingRead& read_giving(const std::vector<SettingRead>& readings, Added value) {
  for (const SettingRead& r : readings) {
    if (r.setting->gives == value) return r;
  }
  return readings.front();
}

Comparison compare_position(const std::vector<SettingRead>& readings, const ProbeResult& egress) {
  Comparison c;
  c.setting = "geo-lat/geo-lng";
  std::string lat_text;
  std::string lng_text;
  fixed_value(read_giving(readings, Added::geo_lat), lat_text);
  fixed_value(read_giving(readings, Added::geo_lng), lng_text);
  c.overlay_value = lat_text + "," + lng_text;
  c.egress_value = egress.geo_lat.empty() || egress.geo_lng.empty() ? "" : egress.geo_lat + "," + egress.geo_lng;
  c.verdict = Verdict::note;
  double lat = 0;
  double lng = 0;
  double egress_lat = 0;
  double egress_lng = 0;
  if (!read_coordinate(lat_text, 90, lat) || !read_coordinate(lng_text, 180, lng)) {
    c.message = "not a position the check can read (a latitude and a longitude in degrees): not compared";
  } else if (!read_coordinate(egress.geo_lat, 90, egress_lat) || !read_coordinate(egress.geo_lng, 180, egress_lng)) {
    c.message = "the endpoint gave no coordinates: not compared";
  } else {
    c.distance_km = great_circle_km(lat, lng, egress_lat, egress_lng);
    const std::string km = std::to_string(static_cast<long long>(std::lround(c.distance_km))) + " km";
    c.verdict = c.distance_km > MISMATCH_DISTANCE_KM ? Verdict::mismatch : Verdict::agrees;
    c.message = c.verdict == Verdict::mismatch ? km + " from the egress's position (more than 1000 km)"
                                               : km + " from the egress's position";
  }
  return c;
}

}  // namespace

const char* verdict_text(Verdict verdict) {
  switch (verdict) {
    case Verdict::agrees: return "agrees";
    case Verdict::note: return "note";
    case Verdict::mismatch: return "mismatch";
  }
  return "";
}

std::vector<Comparison> compare_with_egress(const std::vector<SettingRead>& readings, const ProbeResult& egress) {
  std::vector<Comparison> out;
  const LanguagePair derived = lookup_country_language(egress.country_code);
  bool position_done = false;
  for (const SettingRead& r : readings) {
    const OverlaySetting& s = *r.setting;
    std::string value;
    bool is_string = false;
    // A value the overlay gives that the egress could have given: the host's figures have nothing to compare with.
    if (!derived_from_egress(s.gives) || !r.value.on || !fixed_value(r, value, &is_string)) continue;
    Comparison c;
    c.setting = s.key;
    c.overlay_value = value;
    const bool coordinate = s.gives == Added::geo_lat || s.gives == Added::geo_lng;
    if (!is_string && !coordinate) {
      c.verdict = Verdict::note;
      c.message = "not a string: not compared";
      out.push_back(c);
      continue;
    }
    switch (s.gives) {
      case Added::timezone_override:
        c.egress_value = egress.timezone;
        if (egress.timezone.empty()) {
          c.verdict = Verdict::note;
          c.message = "the endpoint gave no time zone: not compared";
        } else if (value != egress.timezone) {
          c.verdict = Verdict::mismatch;
          c.message = quoted(value) + " is not the egress's time zone " + quoted(egress.timezone);
        } else {
          c.message = "the egress's time zone";
        }
        break;
      case Added::webrtc_public_ip:
        c.egress_value = egress.ip;
        c.verdict = ascii_lower(value) == ascii_lower(egress.ip) ? Verdict::agrees : Verdict::mismatch;
        c.message = c.verdict == Verdict::agrees ? "the egress's address"
                                                 : quoted(value) + " is not the egress's address " + quoted(egress.ip);
        break;
      case Added::lang:
      case Added::accept_language: {
        const std::string& expected = s.gives == Added::lang ? derived.language_tag : derived.accept_language;
        c.egress_value = expected;
        if (egress.country_code.empty()) {
          c.verdict = Verdict::note;
          c.message = "the endpoint gave no country: not compared";
        } else if (primary_language(value).empty() || primary_language(value) != primary_language(expected)) {
          c.verdict = Verdict::note;
          c.message = "not the language the launcher would derive for " + egress.country_code + " (" +
                      quoted(expected) + "); people do browse in another language than their country's";
        } else {
          c.message = "the language the launcher would derive for " + egress.country_code;
        }
        break;
      }
      case Added::geo_lat:
      case Added::geo_lng:
        if (position_done) continue;
        position_done = true;
        if (!read_giving(readings, Added::geo_lat).value.on || !read_giving(readings, Added::geo_lng).value.on) {
          c.verdict = Verdict::note;
          c.message = std::string("only ") + s.key + " is named: no position to compare";
        } else {
          c = compare_position(readings, egress);
        }
        break;
      default:
        continue;
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace vantrel
