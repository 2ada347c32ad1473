#include "discovery/worker.h"

#include <gtest/gtest.h>

#include <deque>
#include <tuple>

#include "discovery/country_language.h"
#include "discovery/geo_answer.h"
#include "records/records.h"
#include "ui/progress_report.h"

namespace vantrel {
namespace {

using E = ErrorCode;
// A failed probe: no address, an exit code, time spent.
ProbeResult failure(E code, std::int32_t exit_code, std::uint64_t ms) { return {"", exit_code, ms, code, "why"}; }

// The worker with doubles for every hook, its reports shown on real rows.
struct Worker {
  std::deque<ProbeResult> answers;
  int cancel_after_reports = -1;
  platform::FilePath record_path = platform::file_path(L"E:\\p\\.orlisk-launcher-error.json");

  int reports = 0;
  std::vector<std::string> probed;
  std::string written;
  bool deleted = false;
  ProgressSteps steps;
  std::shared_ptr<DiscoveryOutcome> outcome = std::make_shared<DiscoveryOutcome>();

  void go(const char* overlay) {
    DiscoveryContext c{parse_persona_overlay(overlay), record_path, {"geo.test", "ip.test"}, {}, outcome};
    c.hooks.probe = [this](const std::string&, const std::string& url) {
      probed.push_back(url);
      const ProbeResult r = answers.front();
      answers.pop_front();
      return r;
    };
    c.hooks.report = [this](const DiscoveryReport& r) {
      const ProgressRows before = steps.snapshot();
      const std::size_t shown = show_report(steps, r).row;  // the row the window repaints
      const ProgressRows after = steps.snapshot();
      for (std::size_t i = 0; i < PROGRESS_STEP_COUNT; ++i) {
        const bool changed = before[i].detail != after[i].detail || before[i].done != after[i].done;
        EXPECT_TRUE(!changed || i == shown) << "row " << i << " changed, row " << shown << " repainted";
      }
      ++reports;
    };
    c.hooks.cancelled = [this] { return reports == cancel_after_reports; };
    c.hooks.delete_file = [this](const platform::FilePath&) { deleted = true; };
    c.hooks.write_file = [this](const platform::FilePath&, const std::string& content) { written = content; };
    c.hooks.timestamp = [] { return std::string("TS"); };
    run_discovery(c);
  }
  std::vector<std::wstring> details() const {
    std::vector<std::wstring> out;
    for (const ProgressStep& row : steps.snapshot()) out.push_back(row.failed ? L"x " + row.detail : row.detail);
    return out;
  }
};

TEST(DiscoveryWorker, Outcomes) {
  struct Case {  // rows: the details, "x " marking a failed row
    const char* name;
    const char* overlay;
    std::deque<ProbeResult> answers;
    std::vector<std::wstring> rows;
    const char* provider;
    std::uint64_t elapsed_ms;
  };
  const Case cases[] = {
      {"everything derived",
       R"({"proxy-server":"socks5://u:p@h:1","webrtc-no-leak":true,"auto-geo":true,"auto-lang":true,"auto-timezone":true})",
       {{"203.0.113.7", 0, 90, E::none, "", "FR", "Europe/Paris", "48.85", "2.35"}},
       {L"socks5://u:***@h:1", L"203.0.113.7", L"ip=203.0.113.7 tz=Europe/Paris lang=fr-FR lat=48.85 lng=2.35", L""},
       "kestrin", 90},
      {"overlay values are never replaced",
       R"({"proxy-server":"socks5://h:1","auto-lang":true,"lang":"de","auto-timezone":true,"timezone-override":"UTC"})",
       {{"203.0.113.7", 0, 1, E::none, "", "LU", "Europe/Luxembourg", "49.6", ""}},
       {L"socks5://h:1", L"203.0.113.7", L"none (passthrough)", L""}, "kestrin", 1},
      {"the fallback serves the WebRTC address alone",
       R"({"proxy-server":"socks5://h:1","webrtc-no-leak":true})",
       {failure(E::proxy_timeout, 28, 10000), {"203.0.113.9", 0, 300}},
       {L"socks5://h:1", L"203.0.113.9", L"ip=203.0.113.9", L""}, "ip.test", 10300},
      {"both fail and block",
       R"({"proxy-server":"socks5://h:1","webrtc-no-leak":true})",
       {failure(E::proxy_timeout, 28, 10000), failure(E::proxy_timeout, 28, 2)},
       {L"socks5://h:1", L"x BLOCKED: PROXY_TIMEOUT", L"x skipped \x2014 engine launch blocked",
        L"x aborted (exit 42)"},
       "ip.test", 10002},
      {"an auto flag makes the primary's failure final",
       R"({"proxy-server":"socks5://h:1","auto-lang":true,"webrtc-no-leak":true,"on-proxy-fail":"fallback"})",
       {failure(E::proxy_unreachable, 7, 3)},
       {L"socks5://h:1", L"x WARN: PROXY_UNREACHABLE \x2014 chrome will fall back", L"none (passthrough)", L""},
       "kestrin", 3},
  };
  for (const Case& c : cases) {
    Worker run;
    run.answers = c.answers;
    run.go(c.overlay);
    EXPECT_EQ(run.details(), c.rows) << c.name;
    EXPECT_EQ(std::make_pair(run.outcome->provider, run.outcome->elapsed_ms), std::make_pair(std::string(c.provider), c.elapsed_ms))
        << c.name;
    EXPECT_EQ(run.outcome->blocked.load(), c.rows[3] == L"x aborted (exit 42)") << c.name;
    EXPECT_EQ(run.probed.size(), c.answers.size()) << c.name;
    EXPECT_EQ(run.written.empty(), run.outcome->ip != "") << c.name;
  }
}

// An answer without a value the overlay asks for (none, or one the launcher
// refuses to pass on) is a failed discovery; the overlay's policy decides,
// and falling back the Engine still gets what the answer did give.
TEST(DiscoveryWorker, AnswersThatLackAWantedValue) {
  const auto answer = [](const std::string& json) {
    ProbeResult r{"", 0, 5};
    r.ip = extract_egress_ip(json, r);
    return r;
  };
  const std::string full = R"({"ip":"203.0.113.7","country_code":"FR","timezone":"Europe/Paris",)";
  const std::string paris = R"("latitude":48.85,"longitude":2.35})";
  // (the answer, "fallback" or not, what the error record says is missing or "" for a success, the derived
  // WebRTC address, time zone and language)
  const std::tuple<std::string, bool, const char*, const char*, const char*, const char*> cases[] = {
      {full + paris, false, "", "203.0.113.7", "Europe/Paris", "fr-FR"},
      {R"({"ip":"203.0.113.7","country_code":"FR",)" + paris, false, "no usable time zone", "", "", ""},
      {R"({"ip":"203.0.113.7","country_code":"FR",)" + paris, true, "no usable time zone", "203.0.113.7", "", "fr-FR"},
      {R"({"ip":"203.0.113.7","timezone":"Europe/Paris; x",)" + paris, false, "no usable time zone", "", "", ""},
      {R"({"ip":"203.0.113.7","timezone":"Europe/Paris; x",)" + paris, true, "no usable time zone", "203.0.113.7", "",
       "en-US"},
      {full + R"("latitude":95,"longitude":2.35})", false, "no usable coordinates", "", "", ""},
      {full + R"("latitude":95,"longitude":2.35})", true, "no usable coordinates", "203.0.113.7", "Europe/Paris",
       "fr-FR"},
      {R"({"ip":"203.0.113.7"})", true, "no usable time zone and no usable coordinates", "203.0.113.7", "", "en-US"},
      // No country: the table's default language, and no failure.
      {R"({"ip":"203.0.113.7","timezone":"Europe/Paris",)" + paris, false, "", "203.0.113.7", "Europe/Paris", "en-US"},
  };
  for (const auto& [json, fallback, missing, ip, timezone, lang] : cases) {
    Worker run;
    run.answers = {answer(json)};
    run.go((std::string(R"({"proxy-server":"socks5://h:1","webrtc-no-leak":true,"auto-timezone":true,"auto-lang":true,)"
                        R"("auto-geo":true,"on-proxy-fail":")") + (fallback ? "fallback" : "block") + "\"}").c_str());
    const bool failed = *missing != '\0';
    EXPECT_EQ(run.outcome->blocked.load(), failed && !fallback) << json;
    EXPECT_EQ(run.outcome->error, failed ? E::discovery_http_error : E::none) << json;
    EXPECT_EQ(run.written.find(std::string("\"message\":\"the answer gave ") + missing + "\"") != std::string::npos, failed)
        << run.written;
    EXPECT_EQ(std::make_tuple(run.outcome->webrtc_public_ip, run.outcome->timezone_override, run.outcome->lang),
              std::make_tuple(std::string(ip), std::string(timezone), std::string(lang)))
        << json;
  }
}

TEST(DiscoveryWorker, NoRecordPathNoRecordWork) {
  Worker run;
  run.record_path = platform::FilePath();
  run.answers = {failure(E::curl_not_found, -1, 0)};
  run.go(R"({"proxy-server":"socks5://h:1","auto-timezone":true})");
  EXPECT_FALSE(run.deleted || !run.written.empty());
}

// Asked alone (the check's probe): the last endpoint's answer and what it gave.
TEST(DiscoveryWorker, ProbeEgressKeepsTheLastAnswer) {
  std::vector<std::string> asked;
  const EgressProbe e = probe_egress(parse_persona_overlay(R"({"proxy-server":"socks5://h:1","webrtc-no-leak":true})"),
                                     {"geo.test", "ip.test"}, [&asked](const std::string&, const std::string& url) {
                                       asked.push_back(url);
                                       return asked.size() == 1 ? failure(E::proxy_timeout, 28, 10) : ProbeResult{"203.0.113.9"};
                                     });
  EXPECT_EQ(asked, (std::vector<std::string>{"https://geo.test/geoip?format=json", "https://ip.test/myip"}));
  EXPECT_EQ(std::make_tuple(e.last.ip, e.last_url, e.outcome->webrtc_public_ip),
            std::make_tuple(std::string("203.0.113.9"), std::string("https://ip.test/myip"), std::string("203.0.113.9")));
}

TEST(DiscoveryWorker, CancelStopsAtEachCheckPoint) {
  // (the overlay, the reports after which the user cancels, the probes made,
  // whether the error record is written): a cancel during a probe starts no
  // fallback and records nothing; after the failure's row it was recorded
  // already; after the overrides row 3 stays untouched.
  const char* timezone = R"({"proxy-server":"socks5://h:1","auto-timezone":true})";
  const char* fallback = R"({"proxy-server":"socks5://h:1","webrtc-no-leak":true,"on-proxy-fail":"fallback"})";
  const std::tuple<const char*, int, std::size_t, bool> cases[] = {
      {timezone, 1, 0, false}, {timezone, 2, 1, false}, {fallback, 2, 1, false},
      {fallback, 3, 2, false}, {timezone, 3, 1, true},  {timezone, 4, 1, true},
  };
  for (const auto& [overlay, after, probes, written] : cases) {
    Worker run;
    run.cancel_after_reports = after;
    run.answers = {failure(E::internal, 97, 4), failure(E::proxy_unreachable, 7, 1)};
    run.go(overlay);
    EXPECT_EQ(run.reports, after) << overlay << after;
    EXPECT_EQ(run.probed.size(), probes) << overlay << after;
    EXPECT_EQ(!run.written.empty(), written) << overlay << after;
    EXPECT_FALSE(run.steps.snapshot()[3].done);
  }
  // A row past the end is ignored: the memory right behind the rows stays as it was.
  struct Guarded {
    ProgressSteps steps;
    ProgressStep behind{L"label", L"detail", false, false};
  } guarded;
  guarded.steps.update(PROGRESS_STEP_COUNT, L"no such row", true, true);
  EXPECT_EQ(std::make_tuple(guarded.behind.label, guarded.behind.detail, guarded.behind.done),
            std::make_tuple(std::wstring(L"label"), std::wstring(L"detail"), false));
}

}  // namespace
}  // namespace vantrel
