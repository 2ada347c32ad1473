#include "discovery/geo_answer.h"

#include <gtest/gtest.h>

#include <tuple>

#include "discovery/curl_probe.h"
#include "support/temp_dir.h"

#ifndef VANTREL_FIXTURES_DIR
#error "VANTREL_FIXTURES_DIR must name tests/fixtures"
#endif

namespace vantrel {
namespace {

std::string fixture(const char* name) {
  return vantrel::testing::read_file(std::filesystem::path(VANTREL_FIXTURES_DIR) / "geo-answers" / name);
}

// "candidate usable|unusable country time-zone latitude longitude", empty
// fields shown as "-".
std::string read_answer(const std::string& output) {
  ProbeResult r;
  const std::string candidate = extract_egress_ip(output, r);
  std::string s = candidate + (is_usable_ip(candidate) ? " usable" : " unusable");
  for (const std::string* f : {&r.country_code, &r.timezone, &r.geo_lat, &r.geo_lng}) s += " " + (f->empty() ? "-" : *f);
  return s;
}

TEST(GeoAnswer, ServiceShapes) {
  const std::pair<std::string, const char*> cases[] = {
      {fixture("flat-full.json"), "203.0.113.7 usable FR Europe/Paris 48.8566 2.3522"},
      {fixture("flat-ipv6.json"), "2001:db8:85a3::8a2e:370:7334 usable DE Europe/Berlin 52.52 13.405"},
      {fixture("coords-as-strings.json"), "203.0.113.20 usable US America/Chicago - -"},  // words dropped
      {fixture("timezone-object.json"), "203.0.113.30 usable JP - 35.6762 139.6503"},
      {fixture("no-ip-key.json"), " unusable - America/Sao_Paulo - -"},
      {fixture("loc-string.json"), "203.0.113.50 usable - America/Toronto - -"},
      {fixture("error-rate-limit.json"), " unusable - - - -"},
      {fixture("plain-ipv6.txt"), "2001:db8::1 usable - - - -"},
      {fixture("plain-crlf-padded.txt"), "203.0.113.77 usable - - - -"},
      {fixture("html-error.html"), "<!DOCTYPEhtml> unusable - - - -"},
      {"\r\n  \t{\"ip\":\"1.2.3.4\"}", "1.2.3.4 usable - - - -"},
      {"\xEF\xBB\xBF{\"ip\":\"1.2.3.4\"}", "\xEF\xBB\xBF{\"ip\":\"1.2.3.4\"} unusable - - - -"},
      {"{\"ip\":1234567890}", " unusable - - - -"},
      {"203.0 .113.5\n", "203.0.113.5 usable - - - -"},
      {"1.2.3\n", "1.2.3 unusable - - - -"},
      {"curl: (60) note\n{\"ip\":\"1.2.3.4\"}", "curl:(60)note unusable - - - -"},
      {"{\"ip\":\"1.2.3.4\",\"timezone\":\"UTC --evil=1\",\"latitude\":\"1 --x\"}", "1.2.3.4 usable - - - -"},
      {"{\"ip\":\"1.2.3.4\",\"latitude\":91,\"longitude\":-181}", "1.2.3.4 usable - - - -"},
      {"{\"ip\":\"1.2.3.4\",\"timezone\":\"Etc/GMT+5\",\"latitude\":-0.5,\"longitude\":180}",
       "1.2.3.4 usable - Etc/GMT+5 -0.5 180"},
  };
  for (const auto& [output, reading] : cases) EXPECT_EQ(read_answer(output), reading) << output;
}

TEST(GeoAnswer, AddressSyntax) {
  const std::pair<const char*, bool> cases[] = {
      {"0.0.0.0", true}, {"255.255.255.255", true}, {"256.1.1.1", false}, {"1.2.3.4.5", false}, {"01.2.3.4", false},
      {"1..2.3", false}, {"1.2.3.4 ", false}, {"::1", true}, {"::", true}, {"fe80::1:2:3:4:5:6", true},
      {"1:2:3:4:5:6:7:8", true}, {"1:2:3:4:5:6:7::", true}, {"::ffff:192.0.2.1", true},
      {"1:2:3:4:5:6:192.0.2.1", true}, {"1:2:3:4:5:6:7:8:9", false}, {"1::2::3", false}, {"12345::1", false},
      {":1:2:3:4:5:6:7", false}, {"1:2:3:4:5:6:7:", false}, {"fe80::1%eth0", false}, {"1.2.3.4\" --x=\"", false},
  };
  for (const auto& [text, valid] : cases) {
    EXPECT_EQ(is_ipv4_address(text) || is_ipv6_address(text), valid) << text;
  }
  EXPECT_FALSE(is_usable_ip("::1"));  // shorter than 7 bytes
  EXPECT_TRUE(is_usable_ip("0:0:0:0:0:ffff:203.0.113.255"));
}

}  // namespace
}  // namespace vantrel
