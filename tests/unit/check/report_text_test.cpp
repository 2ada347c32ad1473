#include "check/report_text.h"

#include <gtest/gtest.h>

#include <tuple>

#include "check/check_report.h"
#include "support/plans.h"

namespace vantrel {
namespace {

using vantrel::testing::inputs_for;
using vantrel::testing::plan_for;

// A store's block per profile: the start, the probe's verdict, what disagrees.
TEST(CheckReport, StoreBlock) {
  EgressProbe paris;
  paris.ran = true;
  paris.last.ip = "203.0.113.7";
  paris.last.country_code = "FR";
  paris.last.timezone = "Europe/Paris";
  paris.outcome = std::make_shared<DiscoveryOutcome>();
  EgressProbe timeout = paris;
  timeout.last.error_code = ErrorCode::proxy_timeout;
  EgressProbe not_run;
  not_run.not_run_reason = "why";
  EgressProbe blocked = timeout;  // the launcher's discovery blocked on that failure
  blocked.outcome = std::make_shared<DiscoveryOutcome>();
  const_cast<DiscoveryOutcome&>(*blocked.outcome).blocked = true;
  const std::string dead = R"({"proxy-server":"socks5://h:1","auto-timezone":true})";
  const std::string nyc = R"({"proxy-server":"socks5://h:1","auto-geo":true,"timezone-override":"America/New_York",)"
                          R"("lang":"fr","accept-language":"de","geo-lat":1})";
  const std::tuple<std::string, const EgressProbe*, std::string> cases[] = {
      {nyc, &paris,
       "p: would end started, discovery start, egress 203.0.113.7 (FR): 1 mismatch\n"
       "  note geo-lat: only geo-lat is named: no position to compare\n"
       "  note accept-language: not the language the launcher would derive for FR (\"fr-FR,fr;q=0.9,en;q=0.8\"); people do "
       "browse in another language than their country's\n"
       "  mismatch timezone-override: \"America/New_York\" is not the egress's time zone \"Europe/Paris\"\n"},
      {"{\"geo-lat\":null}", &timeout,
       "p: would end started, passthrough start, probe failed: PROXY_TIMEOUT\n  warning presence_without_value (geo-lat): "
       "\"geo-lat\" is named "
       "with null: that still stops the value the launcher would add, and gives the Engine none\n"},
      {"{}", &not_run, "p: would end started, passthrough start, the global overlay applies (C:\\g.json), not probed: why\n"},
      {"", nullptr, "p: would end started, passthrough start, no overlay (every setting keeps its default)\n"},
      // What a discovery start would end as depends on the probe; what is decided before anything begins, not.
      {dead, nullptr, "p: would end needs_probe, discovery start\n"},
      {dead, &blocked, "p: would end blocked, discovery start, probe failed: PROXY_TIMEOUT\n"},
      {dead, &timeout, "p: would end started, discovery start, probe failed: PROXY_TIMEOUT\n"},
      {"missing engine", nullptr, "p: would end engine_missing, passthrough start\n"},
  };
  for (const auto& [overlay, probe, expected] : cases) {
    const bool no_engine = overlay == "missing engine";
    CheckInputs in = inputs_for(no_engine ? "{}" : overlay);
    in.plan.engine_found = !no_engine;
    in.plan.overlay_state = overlay.empty() ? platform::FileRead::missing : platform::FileRead::read;
    in.plan.profile.folder = platform::file_path(L"C:\\p");
    in.plan.overlay_path = platform::file_path(overlay == "{}" ? L"C:\\g.json" : L"C:\\p\\command-line.json");
    in.plan.path = choose_start_path(in.plan.overlay);
    if (probe != nullptr) in.probe = *probe;
    const std::string text = check_store_block_text("p", make_check_report(in, false));
    EXPECT_EQ(no_engine ? text.substr(0, text.find('\n') + 1) : text, expected) << overlay;
  }
}

// Nothing from outside reaches a terminal as a control character.
TEST(CheckReportText, ShowsControlsVisibly) {
  vantrel::testing::TempDir dir;
  vantrel::testing::write_file(dir.fs() / "command-line.json",
                               "{\"start-page\":\"https://x/\x1b]0;owned\x07\",\"\x1b[2Jevil\":1}");
  CheckInputs in;
  in.plan = plan_for(dir);
  const std::string text = check_report_text(make_check_report(in, false));
  for (char c : text) EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << text;
  EXPECT_NE(text.find("\\x1b]0;owned\\x07"), std::string::npos) << text;
}

}  // namespace
}  // namespace vantrel
