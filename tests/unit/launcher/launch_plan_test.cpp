#include "launcher/launch_plan.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include "base/argument_quote.h"
#include "base/text_encoding.h"
#include "launcher/engine_command_line.h"
#include "launcher/host_hardware.h"
#include "launcher/launcher_arguments.h"
#include "platform/platform.h"
#include "support/temp_dir.h"

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

// The launcher's own command line is read once: the arguments (and so the
// profile folder) are the split of the very remainder passed on to the Engine.
TEST(OwnCommandLine, OneReading) {
  // (whole command line, the remainder the runtime hands wWinMain, its arguments)
  const std::tuple<std::wstring, std::wstring, std::vector<std::wstring>> cases[] = {
      {L"\"C:\\V\\vantrel.exe\"--user-data-dir=C:\\a --user-data-dir=C:\\b", L"--user-data-dir=C:\\b",
       {L"--user-data-dir=C:\\b"}},
      {L"\"a b\"c d", L"d", {L"d"}},
      {L"v.exe\t--x\t\"y z\"", L"--x\t\"y z\"", {L"--x", L"y z"}},
      {L"v.exe", L"", {}},
      {L"\"v.exe\"  ", L"", {}},
      {L"v.exe \"a\\\"b\" c\\\\\"d e\" f\\g", L"\"a\\\"b\" c\\\\\"d e\" f\\g", {L"a\"b", L"c\\d e", L"f\\g"}},
      // Runs of quotes: within quotes every third one is a quote and leaves them.
      {L"v \"a\"\"b\" c", L"\"a\"\"b\" c", {L"a\"b c"}},
      {L"v \"\"\"\"\"\" x", L"\"\"\"\"\"\" x", {L"\"\"", L"x"}},
  };
  for (const auto& [line, remainder, args] : cases) {
    EXPECT_EQ(command_line_remainder(line), remainder) << wide_to_utf8(line);
    EXPECT_EQ(split_arguments(remainder), args) << wide_to_utf8(line);
  }
}

// The one splitter against the system's on random text (under Wine and on
// Windows), and its offsets: each argument read again from its offset on.
TEST(OwnCommandLine, TheSplitterIsTheSystems) {
  std::mt19937 random(7);
  const wchar_t alphabet[] = {L'a', L' ', L'\t', L'"', L'\\', L'\u00e9', L'-'};
  for (int round = 0; round < 3000; ++round) {
    std::wstring text;
    for (std::size_t n = random() % 12; n > 0; --n) text += alphabet[random() % 7];
    const std::vector<SplitArgument> split = split_command_line(text);
    for (const SplitArgument& a : split) {
      EXPECT_EQ(split_arguments(text.substr(a.begin)).front(), a.text) << wide_to_utf8(text);
    }
#ifdef _WIN32
    int count = 0;
    const std::wstring line = L"x " + text;
    LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(argv, nullptr);
    const std::vector<std::wstring> system(argv + 1, argv + count);
    ::LocalFree(argv);
    EXPECT_EQ(split_arguments(text), system) << wide_to_utf8(text);
#endif
  }
}

// Our own arguments end where the Engine's own part begins: at an argument
// that is "--" once trimmed, or "--single-argument". What follows is the
// Engine's, whatever it looks like.
TEST(OwnCommandLine, EndsAtTheEnginesOwnPart) {
  // (remainder, our own arguments, where the Engine's part begins, whether it is --single-argument)
  const std::size_t none = std::wstring::npos;
  const std::tuple<std::wstring, std::vector<std::wstring>, std::size_t, bool> cases[] = {
      {L"--user-data-dir=P -- --vantrel-outcome-file=D", {L"--user-data-dir=P"}, 18, false},
      {L"--vantrel-outcome-file=O -- --user-data-dir=P", {L"--vantrel-outcome-file=O"}, 25, false},
      {L"-- --user-data-dir=Q", {}, 0, false},
      {L"--user-data-dir=P --", {L"--user-data-dir=P"}, 18, false},
      {L"a  -- b -- c", {L"a"}, 3, false},
      {L"--x --- -x", {L"--x", L"---", L"-x"}, none, false},
      {L"\"--\" x", {}, 0, false},
      {L"y \" -- \" --user-data-dir=Q", {L"y"}, 2, false},
      {L"x --single-argument https://a/ -- b", {L"x"}, 2, true},
      {L"x --Single-Argument y", {L"x", L"--Single-Argument", L"y"}, none, false},
  };
  for (const auto& [remainder, own, part, single] : cases) {
    const LauncherArguments a = read_launcher_arguments(remainder);
    EXPECT_EQ(a.own, own) << wide_to_utf8(remainder);
    EXPECT_EQ(a.engine_part, part) << wide_to_utf8(remainder);
    EXPECT_EQ(a.single_argument, single) << wide_to_utf8(remainder);
    EXPECT_EQ(a.pass_through, remainder);
  }
  EXPECT_EQ(switch_value(read_launcher_arguments(L"-- --vantrel-outcome-file=D").own, L"--vantrel-outcome-file="), L"");
  EXPECT_EQ(switch_value(read_launcher_arguments(L"--vantrel-outcome-file=O --").own, L"--vantrel-outcome-file="), L"O");
}

// The profile folder: ours is the first "--user-data-dir=" with a value
// (letter case counts); the Engine's is the last switch of that name read
// its way. When they differ nothing may be begun.
TEST(OwnCommandLine, TheProfileAsTheEngineReadsIt) {
  // (remainder, ours, the Engine's, ambiguous)
  const std::tuple<std::wstring, std::wstring, std::wstring, bool> cases[] = {
      {L"--user-data-dir=A", L"A", L"A", false},
      {L"--user-data-dir= --USER-DATA-DIR=a --user-data-dir=b --user-data-dir=b", L"b", L"b", false},
      {L"--user-data-dir=A --user-data-dir=B", L"A", L"B", true},
      {L"--USER-DATA-DIR=B", L"", L"B", true},
      {L"-user-data-dir=B", L"", L"B", true},
      {L"/user-data-dir=B --user-data-dir=B", L"B", L"B", false},
      {L"\" --user-data-dir=B\"", L"", L"B", true},
      {L"--user-data-dir=A --user-data-dir=", L"A", L"", true},
      {L"--user-data-dir=A --user-data-dir", L"A", L"", true},
      {L"--user-data-dir=A -- --user-data-dir=B", L"A", L"A", false},
      {L"\" -- \" --user-data-dir=B", L"", L"", false},
      {L"--user-data-dir", L"", L"", false},
      {L"x", L"", L"", false},
  };
  for (const auto& [remainder, ours, engines, ambiguous] : cases) {
    const ProfileChoice p = choose_profile(read_launcher_arguments(remainder));
    EXPECT_EQ(p.written, ours) << wide_to_utf8(remainder);
    EXPECT_EQ(p.engine_reads, engines) << wide_to_utf8(remainder);
    EXPECT_EQ(p.ambiguous, ambiguous) << wide_to_utf8(remainder);
    EXPECT_EQ(p.folder.empty(), ambiguous || ours.empty()) << wide_to_utf8(remainder);
  }
#ifdef _WIN32
  // One folder however written; a device is no folder.
  for (const wchar_t* same : {L"--user-data-dir=C:\\P -user-data-dir=c:\\p\\", L"--user-data-dir=C:\\P --user-data-dir=C:/P/",
                              L"--user-data-dir=C:\\P\\x. --user-data-dir=C:\\p\\X"}) {
    EXPECT_FALSE(choose_profile(read_launcher_arguments(same)).ambiguous) << wide_to_utf8(same);
  }
  for (const wchar_t* device : {L"--user-data-dir=NUL", L"--user-data-dir=C:\\p\\COM1", L"--user-data-dir=\\\\.\\pipe\\x",
                                L"--user-data-dir=\\??\\C:\\p"}) {
    const ProfileChoice p = choose_profile(read_launcher_arguments(device));
    EXPECT_TRUE(!p.ambiguous && p.folder.empty()) << wide_to_utf8(device);
  }
#endif
}

TEST(LaunchPlan, FromTheProfileFolder) {
  vantrel::testing::TempDir dir;
  vantrel::testing::write_file(
      dir.fs() / "command-line.json",
      R"({"proxy-server":"socks5://h:1","auto-lang":true,"start-page":"https://x/","granular-storage-reset":{"websql":true}})");
  const LauncherArguments args = read_launcher_arguments(L"--no-first-run " + quote_windows_argument(L"--user-data-dir=" + dir.wide()));
  // No Engine beside "": a start would stop there, reading nothing; the check plans on.
  EXPECT_EQ(plan_launch(args, choose_profile(args), L"").overlay_state, platform::FileRead::missing);
  const LaunchPlan plan = plan_launch(args, choose_profile(args), L"", PlanUse::check);
  EXPECT_EQ(not_begun(plan), Ending::engine_missing);
  EXPECT_EQ(plan.overlay_path.shown(), dir.wide() + L"\\command-line.json");
  EXPECT_TRUE(plan.overlay_read());
  EXPECT_EQ(std::make_tuple(plan.path, plan.reason, plan.form, plan.cleaning_asked),
            std::make_tuple(StartPath::discovery, StartReason::socks5_proxy, SwitchForm::discovery, true));
  ASSERT_EQ(plan.removals.size(), 6u);  // the start page closes the previous tabs
  EXPECT_EQ(plan.removals[0].names, L"Default\\Current Tabs");
  EXPECT_EQ(plan.removals[5].names, L"Default\\databases");
  // An ambiguous profile: nothing is read.
  const LauncherArguments two = read_launcher_arguments(args.pass_through + L" -user-data-dir=x");
  const LaunchPlan none = plan_launch(two, choose_profile(two), L"", PlanUse::check);
  EXPECT_TRUE(none.profile.ambiguous && none.overlay_path.empty() && !none.overlay_read() && none.removals.empty());

  const std::pair<const char*, StartReason> passthrough[] = {
      {R"({"proxy-server":"socks5://h:1","auto-timezone":true,"timezone-override":"UTC"})", StartReason::nothing_needed},
      {R"({"proxy-server":"SOCKS5://h:1","auto-timezone":true})", StartReason::not_socks5},
      {R"({"proxy-server":"http://h:1","webrtc-no-leak":true})", StartReason::not_socks5},
      {R"({"auto-geo":true})", StartReason::no_proxy}};
  for (const auto& [overlay, reason] : passthrough) {
    EXPECT_EQ(choose_start_path(parse_persona_overlay(overlay)), StartPath::passthrough) << overlay;
    EXPECT_EQ(start_reason(parse_persona_overlay(overlay)), reason) << overlay;
  }
  EXPECT_EQ(choose_start_path(parse_persona_overlay(R"({"proxy-server":"socks5://","webrtc-no-leak":1})")),
            StartPath::discovery);
}

TEST(HostFigures, OnlyForSettingsTheOverlayLeavesOpen) {
  const HostFigures none = query_host_figures(parse_persona_overlay(R"({"device-memory":1,"hardware-concurrency":1})"));
  EXPECT_TRUE(none.device_memory.empty() && none.hardware_concurrency.empty());
  const HostFigures host = query_host_figures(parse_persona_overlay("{}"));
  EXPECT_TRUE(!host.device_memory.empty() && !host.hardware_concurrency.empty());
}

TEST(DeviceMemory, Thresholds) {
  constexpr double GiB = 1024.0 * 1024.0 * 1024.0;
  const std::pair<double, int> cases[] = {{0, 1}, {1.49, 1}, {1.5, 2}, {2.99, 2}, {3, 4}, {5.99, 4}, {6, 8},
                                          {7.9, 8}, {12, 16}, {15.8, 16}, {23.99, 16}, {24, 32}, {1e9, 32}};
  for (const auto& [gib, expected] : cases) {
    EXPECT_EQ(device_memory_for_total_bytes(static_cast<std::uint64_t>(gib * GiB)), expected) << gib;
  }
  EXPECT_EQ(device_memory_for_total_bytes(UINT64_MAX), 32);
}

}  // namespace
}  // namespace vantrel
