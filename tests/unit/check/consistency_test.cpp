#include "check/consistency.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "discovery/geo_answer.h"

namespace vantrel {
namespace {

// Each value the overlay fixes, against the egress of Paris (203.0.113.7).
TEST(Consistency, AgainstTheEgress) {
  ProbeResult paris;
  paris.ip = "203.0.113.7";
  paris.country_code = "FR";
  paris.timezone = "Europe/Paris";
  paris.geo_lat = "48.8566";
  paris.geo_lng = "2.3522";
  ProbeResult offside = paris;  // a longitude past 180 degrees is no position
  offside.geo_lng = "180.5";
  ProbeResult bare;  // the fallback's answer: an address alone
  bare.ip = "203.0.113.7";
  const std::tuple<const char*, const ProbeResult*, std::string> cases[] = {  // (overlay, egress, verdicts)
      {R"({"timezone-override":"Europe/Paris","webrtc-fake-public-ip":"203.0.113.7"})", &paris,
       "webrtc-fake-public-ip agrees|timezone-override agrees|"},
      {R"({"timezone-override":"America/New_York","webrtc-fake-public-ip":"198.51.100.1"})", &paris,
       "webrtc-fake-public-ip mismatch|timezone-override mismatch|"},
      // 5 km, 344 km (London), 5837 km (New York); the first occurrence counts, nested or not.
      {R"({"x":{"geo-lat":48.9},"geo-lat":0,"geo-lng":"2.35"})", &paris, "geo-lat/geo-lng agrees 5 km|"},
      {R"({"geo-lat":51.5074,"geo-lng":-0.1278})", &paris, "geo-lat/geo-lng agrees 344 km|"},
      {R"({"geo-lat":40.7128,"geo-lng":-74.006})", &paris, "geo-lat/geo-lng mismatch 5837 km|"},
      {R"({"geo-lat":"north","geo-lng":2,"lang":"fr-CA","accept-language":"en-US,en;q=0.9"})", &paris,
       "geo-lat/geo-lng note|lang agrees|accept-language note|"},
      {R"({"geo-lat":1,"timezone-override":"UTC","lang":5})", &bare,
       "geo-lat note|lang note|timezone-override note|"},
      {R"({"geo-lat":48.8,"geo-lng":2.3,"device-memory":8})", &bare, "geo-lat/geo-lng note|"},
      {R"({"geo-lat":48.8,"geo-lng":2.3})", &offside, "geo-lat/geo-lng note|"},
  };
  for (const auto& [overlay, egress, expected] : cases) {
    std::string got;
    const OverlayReading reading = read_overlay(overlay);
    for (const Comparison& c : compare_with_egress(reading.settings, *egress)) {
      got += c.setting + " " + verdict_text(c.verdict) +
             (c.distance_km >= 0 ? " " + std::to_string(std::lround(c.distance_km)) + " km" : "") + "|";
    }
    EXPECT_EQ(got, expected) << overlay;
  }
  // Across the antimeridian: Fiji to Samoa is near, not half the world away.
  EXPECT_NEAR(great_circle_km(-17.7, 178.0, -13.8, -172.0), 1140, 15);
  EXPECT_NEAR(great_circle_km(0, 179.9, 0, -179.9), 22, 1);
}

}  // namespace
}  // namespace vantrel
