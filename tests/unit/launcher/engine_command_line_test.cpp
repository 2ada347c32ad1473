#include "launcher/engine_command_line.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/argument_quote.h"
#include "base/text_encoding.h"
#include "launcher/host_hardware.h"
#include "launcher/launch_plan.h"
#include "launcher/launcher_arguments.h"

namespace vantrel {
namespace {

const HostFigures kHost{L"8", L"12"};

std::wstring switches(const char* overlay, SwitchForm form, const DiscoveryOutcome& outcome,
                      const std::wstring& webgl = L"", const HostFigures& host = kHost) {
  LaunchPlan plan;
  plan.overlay = parse_persona_overlay(overlay);
  plan.webgl_switches = webgl;
  plan.host = host;
  std::vector<std::wstring> parts = engine_switches(plan, form, outcome);
  for (const std::wstring& page : start_page_arguments(plan.overlay.start_page)) parts.push_back(page);
  return join_arguments(parts);
}

// A plan of the Engine "e" whose caller gave `arguments`, with `overlay`.
LaunchPlan plan_with(const wchar_t* arguments, const char* overlay, const HostFigures& host = kHost) {
  LaunchPlan plan;
  plan.engine_path = L"e";
  plan.args = read_launcher_arguments(arguments);
  plan.overlay = parse_persona_overlay(overlay);
  plan.host = host;
  return plan;
}

TEST(EngineSwitches, PassthroughAndDegradedForms) {
  const DiscoveryOutcome none;
  EXPECT_EQ(switches("{}", SwitchForm::passthrough, none),
            L"--device-memory=8 --hardware-concurrency=12 --speech-voices-preset=stock-chrome-windows chrome://version");
  // Presence keys suppress the host values, whatever their value.
  EXPECT_EQ(switches(R"({"device-memory":"","speech-voices":null})", SwitchForm::passthrough, none, L"--a=1 --b=2"),
            L"--hardware-concurrency=12 --a=1 --b=2 chrome://version");
  EXPECT_EQ(switches(R"({"device-memory":"","speech-voices":null})", SwitchForm::degraded, none, L"--a=1"),
            L"--hardware-concurrency=12 chrome://version");
  EXPECT_EQ(switches("{}", SwitchForm::passthrough, none, L"", HostFigures{}),
            L"--speech-voices-preset=stock-chrome-windows chrome://version");
}

// The whole line: quoted path, fixed switches, the caller's arguments exactly
// as given, the added switches and the start page; the Engine's own part
// (after "--" or "--single-argument") last, where nothing is a switch.
TEST(EngineCommandLine, TheCallersArgumentsAndTheEnginesOwnPart) {
  const std::wstring fixed =
      L"\"e\" --hide-crash-restore-bubble --disable-features=PasswordManagerOnboarding,AutofillEnableAccountWalletStorage"
      L" --disable-save-password-bubble ";
  const char* voices = R"({"speech-voices":1,"start-page":"https://a b/"})";
  // (the caller's arguments, the start page's JSON, the form, the line after the fixed switches)
  const std::tuple<const wchar_t*, const char*, SwitchForm, std::wstring> cases[] = {
      {L"--a=\"b c\"  --d ", voices, SwitchForm::degraded,
       L"--a=\"b c\"  --d  --device-memory=8 --hardware-concurrency=12 \"https://a b/\""},
      {L"", voices, SwitchForm::discovery, L"--device-memory=8 --hardware-concurrency=12 \"https://a b/\""},
      {L"--user-data-dir=P  -- https://caller.test/ x", voices, SwitchForm::passthrough,
       L"--user-data-dir=P --device-memory=8 --hardware-concurrency=12 -- https://caller.test/ x \"https://a b/\""},
      {L"-- --user-data-dir=Q", R"({"start-page":"/x"})", SwitchForm::passthrough,
       L"--device-memory=8 --hardware-concurrency=12 --speech-voices-preset=stock-chrome-windows -- --user-data-dir=Q \"/x\""},
      {L"--p \"--\"", R"({"speech-voices":1})", SwitchForm::passthrough,
       L"--p --device-memory=8 --hardware-concurrency=12 \"--\" chrome://version"},
      {L"--p --single-argument https://c/ d", voices, SwitchForm::passthrough,
       L"--p --device-memory=8 --hardware-concurrency=12 \"https://a b/\" --single-argument https://c/ d"},
      // A page that would need the marker has no place before the one argument.
      {L"--single-argument https://c/", R"({"speech-voices":1,"device-memory":1,"hardware-concurrency":1,"start-page":"--x"})",
       SwitchForm::passthrough, L"--single-argument https://c/"},
  };
  for (const auto& [arguments, overlay, form, line] : cases) {
    EXPECT_EQ(engine_command_line(plan_with(arguments, overlay), form, DiscoveryOutcome()), fixed + line)
        << wide_to_utf8(arguments);
  }
}

// Windows starts a command line of at most 32,766 characters; a discovery
// start counts what discovery may add at its longest, before it begins.
TEST(EngineCommandLine, LongestAndTheLimit) {
  LaunchPlan plan = plan_with(L"", R"({"speech-voices":1,"start-page":"https://a/"})", HostFigures{});
  const std::size_t base = engine_command_line(plan, SwitchForm::passthrough, {}).size();
  for (const std::size_t beyond : {0, 1}) {
    plan.overlay.start_page = "https://a/" + std::string(ENGINE_COMMAND_LINE_LIMIT - base + beyond, 'x');
    EXPECT_EQ(longest_engine_command_line(plan), ENGINE_COMMAND_LINE_LIMIT + beyond);
    EXPECT_EQ(exceeds_command_line_limit(ENGINE_COMMAND_LINE_LIMIT + beyond), beyond == 1);
  }
  // An address of 45, a time zone of 64, coordinates of 25 characters, the
  // table's longest language tag (5) and Accept-Language value (32).
  plan.overlay = parse_persona_overlay(R"({"proxy-server":"socks5://h:1","auto-geo":true,"auto-lang":true,)"
                                       R"("auto-timezone":true,"webrtc-no-leak":true,"speech-voices":1})");
  plan.path = StartPath::discovery;
  plan.form = SwitchForm::discovery;
  EXPECT_EQ(longest_engine_command_line(plan), 511u);
  plan.overlay.auto_geo = false;  // no coordinates asked for: " --geo-lat=" and so on, 2 x (11 + 25) + 19 fewer
  EXPECT_EQ(longest_engine_command_line(plan), 511u - 91u);
}

TEST(EngineSwitches, DiscoveryForm) {
  DiscoveryOutcome d;
  d.webrtc_public_ip = "203.0.113.5";
  d.timezone_override = "Europe/Berlin";
  d.lang = "de-DE";
  d.accept_language = "de-DE,de;q=0.9";
  d.geo_lat = "52.52";
  d.geo_lng = "13.40";
  EXPECT_EQ(switches(R"({"webrtc-no-leak":true})", SwitchForm::discovery, d, L"--gl=x"),
            L"--gl=x --webrtc-fake-public-ip=203.0.113.5 --force-webrtc-ip-handling-policy=default"
            L" --timezone-override=Europe/Berlin --lang=de-DE --accept-language=de-DE,de;q=0.9"
            L" --geo-lat=52.52 --geo-lng=13.40 --geo-accuracy=100 --device-memory=8 --hardware-concurrency=12"
            L" --speech-voices-preset=stock-chrome-windows chrome://version");
  const char* bare = R"({"device-memory":1,"hardware-concurrency":1,"speech-voices":1})";
  DiscoveryOutcome lat_only;
  lat_only.geo_lat = "1.5";
  EXPECT_EQ(switches(bare, SwitchForm::discovery, lat_only), L"--geo-lat=1.5 chrome://version");
  EXPECT_EQ(switches(bare, SwitchForm::discovery, DiscoveryOutcome()), L"chrome://version");
  // The policy switch follows the overlay flag alone, even with its own IP.
  EXPECT_EQ(switches(R"({"webrtc-no-leak":true,"webrtc-fake-public-ip":"1.1.1.1","speech-voices":1})",
                     SwitchForm::discovery, DiscoveryOutcome(), L"", HostFigures{}),
            L"--force-webrtc-ip-handling-policy=default chrome://version");
}

// Only a page that begins with an ASCII letter stands without the marker
// "--"; each is one quoted argument.
TEST(StartPage, NeverASwitch) {
  const std::pair<std::string, std::vector<std::wstring>> cases[] = {
      {"", {L"chrome://version"}}, {"https://a/", {L"\"https://a/\""}}, {"a", {L"\"a\""}}, {"z", {L"\"z\""}},
      {"A", {L"\"A\""}}, {"Z", {L"\"Z\""}}, {"@", {L"--", L"\"@\""}}, {"[", {L"--", L"\"[\""}},
      {"`", {L"--", L"\"`\""}}, {"{", {L"--", L"\"{\""}}, {"/x", {L"--", L"\"/x\""}},
      {"--proxy-server=direct://", {L"--", L"\"--proxy-server=direct://\""}}, {" --x", {L"--", L"\" --x\""}},
      {"1.2.3.4", {L"--", L"\"1.2.3.4\""}}, {"\xC3\xA9", {L"--", L"\"\u00E9\""}},
      {"a\"b c\\", {L"\"a\\\"b c\\\\\""}},
  };
  for (const auto& [page, arguments] : cases) EXPECT_EQ(start_page_arguments(page), arguments) << page;
}

}  // namespace
}  // namespace vantrel
