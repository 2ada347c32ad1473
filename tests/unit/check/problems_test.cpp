#include "check/problems.h"

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "check/check_report.h"
#include "support/plans.h"

namespace vantrel {
namespace {

using vantrel::testing::inputs_for;
using vantrel::testing::plan_for;

// The readings that lose what the writer meant, one code each; --strict makes them exit 5.
TEST(Problems, OneCodeEach) {
  const std::pair<std::string, std::string> cases[] = {  // (overlay, the codes with their settings)
      {"{\"auto-lang\":true}", ""},
      {std::string("\xFF\xFE{\0\"\0", 6), "overlay_not_utf8"},
      {R"({"auto-lang":true,"start-page":"https://x/)", "overlay_incomplete"},
      {R"({"geo-lat":null,"lang":"","timezone-override":0})", "presence_without_value geo-lat|presence_without_value lang"},
      {R"({"start-page":"https://b\u00fccher.example/","proxy-server":"SOCKS5://h:1","webrtc-fake-public-ip":"\u00e9","webgl-profile":"\\u0ZzZ"})",
       "proxy_scheme_not_socks5 proxy-server|unicode_escape_kept webrtc-fake-public-ip|unicode_escape_kept start-page|"
       "webgl_profile_not_found webgl-profile"},
      {R"({"proxy-server":"socks5h://h:1","granular-storage-reset":{"cookies":"true","cache_storage":true}})",
       "proxy_scheme_not_socks5 proxy-server|storage_category_ignored granular-storage-reset"},
      {R"({"webgl-profile":"nv"})", "webgl_profile_not_found webgl-profile"},
      {"{\"start-page\":\"https://x/" + std::string(32700, 'a') + "\"}", "command_line_too_long"},
      // Saved in a Windows code page: 1252's "ü"; 932's "表" (0x95 0x5C) whose
      // second byte escapes the closing quote.
      {"{\"lang\":\"de\",\"start-page\":\"https://b\xFC" "cher.example/\"}", "overlay_not_utf8 36"},
      {"{\"start-page\":\"https://x.example.jp/?q=\x95\x5C\", \"auto-lang\":true}", "overlay_not_utf8 39|overlay_incomplete"},
  };
  for (const auto& [overlay, expected] : cases) {
    const CheckInputs in = inputs_for(overlay);
    std::string got;
    for (const Problem& p : check_problems(in)) {
      got += std::string(got.empty() ? "" : "|") + problem_row(p.code).name + (p.setting.empty() ? "" : " " + p.setting);
      // A byte that is not UTF-8 is named by its offset.
      if (p.message.find("offset ") != std::string::npos) {
        got += " " + p.message.substr(p.message.find("offset ") + 7, 2);
      }
    }
    EXPECT_EQ(got, expected) << overlay;
    EXPECT_EQ(make_check_report(in, true).exit, expected.empty() ? CheckExit::reported : CheckExit::problem) << overlay;
    EXPECT_EQ(make_check_report(in, false).exit, CheckExit::reported) << overlay;
  }
  // The launcher's arguments: (remainder, the codes)
  const std::pair<std::wstring, std::string> arguments[] = {
      {L"--jsn --prob=1 --proxy-server=x --json -- --jsn", "check_option_misspelt|check_option_misspelt"},
      {L"--user-data-dir=a -user-data-dir=b", "profile_ambiguous"},
      {L"--user-data-dir=\\\\.\\NUL", "profile_not_a_folder"},
  };
  for (const auto& [remainder, expected] : arguments) {
    CheckInputs in;
    in.plan.engine_found = true;
    in.plan.args = read_launcher_arguments(remainder);
    in.plan.profile = choose_profile(in.plan.args);
    std::string got;
    for (const Problem& p : check_problems(in)) got += std::string(got.empty() ? "" : "|") + problem_row(p.code).name;
    EXPECT_EQ(got, expected) << wide_to_utf8(remainder);
  }
}

}  // namespace
}  // namespace vantrel
