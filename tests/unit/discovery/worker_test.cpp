#include "discovery/worker.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "discovery/country_language.h"

namespace vantrel {
namespace {

const Endpoints kEndpoints{"geo.test", "ip.test"};
const std::string kPrimary = "https://geo.test/geoip?format=json";
const std::string kFallback = "https://ip.test/myip";

ProbeResult success(const std::string& ip, std::uint64_t ms, const std::string& country = "",
                    const std::string& tz = "", const std::string& lat = "", const std::string& lng = "") {
  ProbeResult r;
  r.ip = ip;
  r.curl_exit_code = 0;
  r.elapsed_ms = ms;
  r.country_code = country;
  r.timezone = tz;
  r.latitude = lat;
  r.longitude = lng;
  return r;
}

ProbeResult failure(const char* code, std::int32_t exit_code, std::uint64_t ms) {
  ProbeResult r;
  r.error_code = code;
  r.curl_exit_code = exit_code;
  r.elapsed_ms = ms;
  r.message = std::string("msg ") + code;
  return r;
}

// Records everything the worker does through its hooks.
struct Harness {
  std::deque<ProbeResult> answers;
  std::vector<std::string> probed_urls;
  std::vector<std::string> events;  // "sleep N", "post M R", "delete", "write"
  std::string written;
  int cancel_after_posts = -1;  // set cancelled once this many posts were made
  DiscoveryOutcome outcome;
  ProgressSteps steps;
  int posts = 0;

  WorkerHooks hooks() {
    WorkerHooks h;
    h.probe = [this](const std::string&, const std::string& url) {
      probed_urls.push_back(url);
      ProbeResult r = answers.front();
      answers.pop_front();
      return r;
    };
    h.sleep = [this](unsigned ms) { events.push_back("sleep " + std::to_string(ms)); };
    h.post = [this](unsigned msg, std::size_t row) {
      events.push_back("post " + std::to_string(msg) + " " + std::to_string(row));
      if (++posts == cancel_after_posts) outcome.cancelled.exchange(true);
    };
    h.delete_file = [this](const std::wstring&) { events.push_back("delete"); };
    h.write_file = [this](const std::wstring&, const std::string& content) {
      events.push_back("write");
      written = content;
    };
    h.timestamp = [] { return std::string("TS"); };
    return h;
  }

  void run(const char* overlay, const std::wstring& record_path = L"E:\\p\\.orlisk-launcher-error.json") {
    steps.reset({L"a", L"b", L"c", L"d"});
    DiscoveryContext context{parse_persona_overlay(overlay), record_path};
    run_discovery(context, kEndpoints, hooks(), outcome, steps);
  }
};

const std::vector<std::string> kFullSuccessEvents = {
    "delete", "post 1025 0", "sleep 120", "post 1025 1", "post 1025 1", "sleep 180",
    "post 1025 2", "sleep 120", "post 1025 3", "sleep 80", "post 1026 0"};

TEST(Worker, SuccessDerivesOverrides) {
  Harness h;
  h.answers = {success("203.0.113.7", 90, "FR", "Europe/Paris", "48.85", "2.35")};
  h.run(R"({"proxy-server":"socks5://u:p@h:1","webrtc-no-leak":true,"auto-geo":true,"auto-lang":true,"auto-timezone":true})");
  EXPECT_EQ(h.events, kFullSuccessEvents);
  EXPECT_EQ(h.probed_urls, std::vector<std::string>{kPrimary});
  EXPECT_EQ(h.outcome.ip, "203.0.113.7");
  EXPECT_EQ(h.outcome.provider, "kestrin");
  EXPECT_EQ(h.outcome.elapsed_ms, 90u);
  EXPECT_EQ(h.outcome.webrtc_public_ip, L"203.0.113.7");
  EXPECT_EQ(h.outcome.timezone_override, L"Europe/Paris");
  EXPECT_EQ(h.outcome.lang, L"fr-FR");
  EXPECT_EQ(h.outcome.accept_language, L"fr-FR,fr;q=0.9,en;q=0.8");
  EXPECT_EQ(h.outcome.geo_lat, L"48.85");
  EXPECT_EQ(h.outcome.geo_lng, L"2.35");
  EXPECT_FALSE(h.outcome.blocked.load());
  const ProgressRows rows = h.steps.snapshot();
  EXPECT_EQ(rows[0].detail, L"socks5://u:***@h:1");
  EXPECT_EQ(rows[1].detail, L"203.0.113.7");
  EXPECT_EQ(rows[2].detail, L"ip=203.0.113.7 tz=Europe/Paris lang=fr-FR lat=48.85 lng=2.35");
  EXPECT_EQ(rows[3].detail, L"");
  for (const auto& row : rows) EXPECT_TRUE(row.done && !row.failed);
}

TEST(Worker, OverlayValuesAreNeverReplaced) {
  Harness h;
  h.answers = {success("203.0.113.7", 1, "LU", "Europe/Luxembourg", "49.6", "")};
  h.run(R"({"proxy-server":"socks5://h:1","auto-geo":true,"auto-lang":true,"lang":"de","auto-timezone":true,)"
        R"("timezone-override":"UTC"})");
  EXPECT_EQ(h.outcome.lang, L"");
  EXPECT_EQ(h.outcome.accept_language, L"en-US,en;q=0.9");
  EXPECT_EQ(h.outcome.timezone_override, L"");
  EXPECT_EQ(h.outcome.timezone, "Europe/Luxembourg");
  EXPECT_EQ(h.outcome.geo_lat, L"");  // one coordinate only: neither
  EXPECT_EQ(h.steps.snapshot()[2].detail, L"none (passthrough)");
}

TEST(Worker, FallbackOnlyForWebrtc) {
  Harness h;
  h.answers = {failure("PROXY_TIMEOUT", 28, 10000), success("203.0.113.9", 300)};
  h.run(R"({"proxy-server":"socks5://h:1","webrtc-no-leak":true})");
  EXPECT_EQ(h.probed_urls, (std::vector<std::string>{kPrimary, kFallback}));
  EXPECT_EQ(h.outcome.provider, "ip.test");
  EXPECT_EQ(h.outcome.webrtc_public_ip, L"203.0.113.9");
  EXPECT_EQ(h.outcome.elapsed_ms, 10300u);
  EXPECT_EQ(std::count(h.events.begin(), h.events.end(), "write"), 0);
  EXPECT_EQ(h.events[3], "post 1025 1");
  EXPECT_EQ(h.events[4], "post 1025 1");  // the "primary failed" text
}

TEST(Worker, FallbackFailsTooAndBlocks) {
  Harness h;
  h.answers = {failure("PROXY_TIMEOUT", 28, 10000), failure("PROXY_TIMEOUT", 28, 10002)};
  h.run(R"({"proxy-server":"socks5://u:p@h:1","webrtc-no-leak":true})");
  EXPECT_TRUE(h.outcome.blocked.load());
  EXPECT_EQ(h.outcome.provider, "ip.test");
  EXPECT_EQ(h.written,
            "{\"schema\":1,\"ts\":\"TS\",\"step\":\"discover_proxy_ip\",\"error_code\":\"PROXY_TIMEOUT\","
            "\"message\":\"msg PROXY_TIMEOUT\",\"proxy\":\"socks5://u:p@h:1\",\"discovery_url\":\"" + kFallback +
            "\",\"curl_exit_code\":28,\"elapsed_ms\":20002,\"launcher_version\":\"0.28.0\"}\n");
  const ProgressRows rows = h.steps.snapshot();
  EXPECT_EQ(rows[1].detail, L"BLOCKED: PROXY_TIMEOUT");
  EXPECT_TRUE(rows[1].failed && rows[1].done);
  EXPECT_EQ(rows[2].detail, L"skipped \x2014 engine launch blocked");
  EXPECT_TRUE(rows[2].failed);
  EXPECT_EQ(rows[3].detail, L"aborted (exit 42)");
  EXPECT_TRUE(rows[3].failed);
  EXPECT_NE(std::find(h.events.begin(), h.events.end(), "sleep 2500"), h.events.end());
}

TEST(Worker, AutoFlagsMakePrimaryFailureFinal) {
  Harness h;
  h.answers = {failure("PROXY_UNREACHABLE", 7, 3)};
  h.run(R"({"proxy-server":"socks5://h:1","auto-lang":true,"webrtc-no-leak":true,"on-proxy-fail":"fallback"})");
  EXPECT_EQ(h.probed_urls, std::vector<std::string>{kPrimary});
  EXPECT_FALSE(h.outcome.blocked.load());
  EXPECT_EQ(h.outcome.provider, "kestrin");
  EXPECT_EQ(h.outcome.webrtc_public_ip, L"");
  const ProgressRows rows = h.steps.snapshot();
  EXPECT_EQ(rows[1].detail, L"WARN: PROXY_UNREACHABLE \x2014 chrome will fall back");
  EXPECT_EQ(rows[2].detail, L"none (passthrough)");
  EXPECT_FALSE(rows[2].failed);
  EXPECT_EQ(rows[3].detail, L"");
  EXPECT_NE(h.written.find("\"discovery_url\":\"" + kPrimary + "\",\"curl_exit_code\":7"), std::string::npos);
}

TEST(Worker, CancellationCheckPoints) {
  // Cancelled after the first post (row 0), after row 1's final post, and
  // after row 2's post: nothing more is posted or written after each.
  const std::pair<int, std::size_t> cases[] = {{1, 3}, {3, 5}, {4, 8}};
  for (const auto& [posts, event_count] : cases) {
    Harness h;
    h.cancel_after_posts = posts;
    h.answers = {success("203.0.113.7", 5, "DE")};
    h.run(R"({"proxy-server":"socks5://h:1","auto-lang":true})");
    EXPECT_EQ(h.events.size(), event_count) << posts;
    EXPECT_NE(h.events.back(), "post 1026 0");
  }
  Harness early;
  early.cancel_after_posts = 1;
  early.run(R"({"proxy-server":"socks5://h:1","auto-lang":true})");
  EXPECT_TRUE(early.probed_urls.empty());
}

TEST(Worker, FailureIsRecordedEvenWhenCancelled) {
  Harness h;
  h.cancel_after_posts = 2;
  h.answers = {failure("INTERNAL", 97, 4)};
  h.run(R"({"proxy-server":"socks5://h:1","auto-timezone":true})");
  EXPECT_EQ(std::count(h.events.begin(), h.events.end(), "write"), 1);
  EXPECT_EQ(h.events.back(), "post 1025 1");
}

TEST(Worker, NoRecordPathNoFileWork) {
  Harness h;
  h.answers = {failure("CURL_NOT_FOUND", -1, 0)};
  h.run(R"({"proxy-server":"socks5://h:1","auto-timezone":true})", L"");
  EXPECT_EQ(std::count(h.events.begin(), h.events.end(), "delete"), 0);
  EXPECT_EQ(std::count(h.events.begin(), h.events.end(), "write"), 0);
  EXPECT_TRUE(h.outcome.blocked.load());
}

TEST(CountryLanguage, Table) {
  EXPECT_EQ(lookup_country_language("DE").accept_language, "de-DE,de;q=0.9,en;q=0.8");
  EXPECT_EQ(lookup_country_language("BE").accept_language, "fr-BE,fr;q=0.9,nl;q=0.8,en;q=0.7");
  EXPECT_EQ(lookup_country_language("NO").language_tag, "nb-NO");
  EXPECT_EQ(lookup_country_language("EG").language_tag, "ar-EG");
  for (const char* other : {"de", "DE ", "LU", "", "D"}) {
    EXPECT_EQ(lookup_country_language(other).language_tag, "en-US") << other;
    EXPECT_EQ(lookup_country_language(other).accept_language, "en-US,en;q=0.9") << other;
  }
  EXPECT_EQ(lookup_country_language(std::string("DE\0", 3)).language_tag, "en-US");
}

}  // namespace
}  // namespace vantrel
