#include "records/records.h"

#include <gtest/gtest.h>

#include <tuple>

#include "records/endings.h"

namespace vantrel {
namespace {

using E = ErrorCode;

// A box only where someone waits for it: not for a caller that reads the
// outcome file (unless it could not be written), and never on a window
// station nobody sees.
TEST(Endings, WhenABoxIsShown) {
  // (outcome file asked, written, visible station, box)
  const std::tuple<bool, bool, bool, bool> cases[] = {
      {false, false, true, true}, {true, true, true, false}, {true, false, true, true},
      {false, false, false, false}, {true, false, false, false}, {true, true, false, false},
  };
  for (const auto& [asked, written, visible, box] : cases) {
    EXPECT_EQ(show_box(asked, written, visible), box) << asked << written << visible;
  }
}

// The records' bytes: members in their order, the optional ones left out when empty.
TEST(Records, ErrorRecordAndOutcomeBytes) {
  ErrorRecord record;
  record.message = "a\"b";
  EXPECT_EQ(build_error_record_json("TS", record),
            "{\"schema\":1,\"ts\":\"TS\",\"step\":\"\",\"error_code\":\"\",\"message\":\"a\\\"b\",\"elapsed_ms\":0,"
            "\"launcher_version\":\"0.28.0\"}\n");
  RunEnding ending;  // curl's exit code 0 is a code, not "curl did not run"
  ending.curl_exit_code = 0;
  const std::string common =
      "\"engine_pid\":null,\"result_record_written\":false,\"status\":null,\"error_code\":null,\"curl_exit_code\":0,";
  EXPECT_EQ(build_outcome_json(ending, "V"),
            "{\"schema\":1,\"outcome\":\"started\",\"exit_code\":0," + common +
                "\"cleaning\":\"not_done\",\"program_version\":\"V\",\"run_ms\":0,\"launcher_pid\":null,\"launcher_started\":null}\n");
  // Whose run and why: the box's text on one line, its password hidden.
  ending.outcome = Ending::engine_refused;
  ending.exit_code = 1;
  ending.launcher_pid = 77;
  ending.launcher_started = "2026-12-07T10:00:00.123Z";
  ending.system_error = 193;
  ending.system_text = "Windows error 193";
  ending.command_line_length = 40000;
  ending.command_line_limit = 32766;
  ending.discovery_error = E::proxy_timeout;
  ending.box_text = "a\nsocks5://u:pw@h";
  EXPECT_EQ(build_outcome_json(ending, "V"),
            "{\"schema\":1,\"outcome\":\"engine_refused\",\"exit_code\":1," + common +
                "\"cleaning\":\"not_done\",\"program_version\":\"V\",\"run_ms\":0,\"launcher_pid\":77,"
                "\"launcher_started\":\"2026-12-07T10:00:00.123Z\",\"reason\":{\"system_error\":193,"
                "\"system_text\":\"Windows error 193\",\"command_line_length\":40000,\"command_line_limit\":32766,"
                "\"discovery_error\":\"PROXY_TIMEOUT\",\"box_text\":\"a socks5://u:***@h\"}}\n");
}

}  // namespace
}  // namespace vantrel
