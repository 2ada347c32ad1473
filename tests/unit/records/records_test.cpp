#include "records/records.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(ResultRecord, EveryMemberInOrder) {
  const DiscoveredValues d{"203.0.113.5", "Europe/Paris", "FR", "48.85", "2.35", "fr-FR", "fr-FR,fr;q=0.9", "kestrin"};
  EXPECT_EQ(build_result_record_json("T", RunStatus::blocked, 1234, ErrorCode::proxy_blocked, "see \"x\"", d),
            "{\"schema\":1,\"ts\":\"T\",\"status\":\"blocked\",\"ip\":\"203.0.113.5\",\"timezone\":\"Europe/Paris\","
            "\"country_code\":\"FR\",\"lat\":\"48.85\",\"lng\":\"2.35\",\"lang\":\"fr-FR\","
            "\"accept_lang\":\"fr-FR,fr;q=0.9\",\"elapsed_ms\":1234,\"provider\":\"kestrin\","
            "\"error_code\":\"PROXY_BLOCKED\",\"message\":\"see \\\"x\\\"\",\"launcher_version\":\"0.28.0\"}\n");
}

TEST(ErrorRecord, OptionalMembersLeftOut) {
  ErrorRecord bare{"", ErrorCode::curl_not_found, "", "", "", -1, 0};
  EXPECT_EQ(build_error_record_json("T", bare),
            "{\"schema\":1,\"ts\":\"T\",\"step\":\"\",\"error_code\":\"CURL_NOT_FOUND\",\"message\":\"\","
            "\"elapsed_ms\":0,\"launcher_version\":\"0.28.0\"}\n");
  bare.curl_exit_code = -1073741819;  // a crash status reads as negative: no exit code member
  EXPECT_EQ(build_error_record_json("T", bare).find("curl_exit_code"), std::string::npos);
}

TEST(RecordPath, ProfileFolderElseLocalAppData) {
  EXPECT_EQ(record_path(L"D:\\p\\", RESULT_RECORD_NAME), L"D:\\p\\\\.orlisk-launcher-result.json");
  const std::wstring fallback = record_path(L"", ERROR_RECORD_NAME);
  const std::wstring tail = L"\\Orlisk\\.orlisk-launcher-error.json";
  ASSERT_GT(fallback.size(), tail.size());
  EXPECT_EQ(fallback.substr(fallback.size() - tail.size()), tail);
}

}  // namespace
}  // namespace vantrel
