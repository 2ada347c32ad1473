#include <gtest/gtest.h>

#include <filesystem>

#include "records/atomic_write.h"
#include "records/json_text.h"
#include "records/record_paths.h"
#include "records/result_record.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantrel {
namespace {

using vantrel::testing::TempDir;

TEST(JsonEscape, EveryByteClass) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"C:\\Users", "C:\\\\Users"},
      {"a\"b/c", "a\\\"b/c"},
      {"\t\n\r", "\\t\\n\\r"},
      {"\b\f", "\\u0008\\u000c"},
      {std::string("\x01\x1F\x7F", 3), "\\u0001\\u001f\x7F"},
      {std::string("\0", 1), "\\u0000"},
      {"dash \xE2\x80\x94 end", "dash \xE2\x80\x94 end"},
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
      // Not UTF-8: each maximal bad subsequence becomes U+FFFD.
      {"cut \xE2\x80", "cut \xEF\xBF\xBD"},
      {"\xFF\xFE", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"a\x80\"", "a\xEF\xBF\xBD\\\""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(json_escape(in), out) << ::testing::PrintToString(in);
}

TEST(JsonEscape, EveryByteGivesValidUtf8) {
  for (int b = 0; b < 256; ++b) {
    const std::string escaped = json_escape(std::string(1, static_cast<char>(b)));
    std::size_t i = 0;
    while (i < escaped.size()) {
      const std::size_t len = utf8_sequence_length(escaped, i);
      ASSERT_NE(len, 0u) << b;
      ASSERT_GE(static_cast<unsigned char>(escaped[i]), 0x20) << b;
      i += len;
    }
  }
}

TEST(Timestamp, Format) {
  EXPECT_EQ(format_utc_timestamp(2026, 3, 5, 7, 4, 9), "2026-03-05T07:04:09Z");
  EXPECT_EQ(format_utc_timestamp(1999, 12, 31, 23, 59, 59), "1999-12-31T23:59:59Z");
  const std::string now = platform::utc_timestamp();
  ASSERT_EQ(now.size(), 20u);
  EXPECT_EQ(now[10], 'T');
  EXPECT_EQ(now.back(), 'Z');
}

TEST(ResultRecord, PassthroughText) {
  DiscoveryOutcome empty;
  EXPECT_EQ(build_result_record_json("2026-03-05T07:04:09Z", "passthrough", 0, "", "", empty),
            "{\"schema\":1,\"ts\":\"2026-03-05T07:04:09Z\",\"status\":\"passthrough\",\"ip\":\"\",\"timezone\":\"\","
            "\"country_code\":\"\",\"lat\":\"\",\"lng\":\"\",\"lang\":\"\",\"accept_lang\":\"\",\"elapsed_ms\":0,"
            "\"provider\":\"\",\"error_code\":\"\",\"message\":\"\",\"launcher_version\":\"0.28.0\"}\n");
}

TEST(ResultRecord, DiscoveryValues) {
  DiscoveryOutcome d;
  d.ip = "203.0.113.5";
  d.timezone = "Europe/Paris";
  d.country_code = "FR";
  d.provider = "kestrin";
  d.geo_lat = L"48.85";
  d.geo_lng = L"2.35";
  d.lang = L"fr-FR";
  d.accept_language = L"fr-FR,fr;q=0.9,en;q=0.8";
  EXPECT_EQ(build_result_record_json("T", "blocked", 1234, "PROXY_BLOCKED", "see \"x\"", d),
            "{\"schema\":1,\"ts\":\"T\",\"status\":\"blocked\",\"ip\":\"203.0.113.5\",\"timezone\":\"Europe/Paris\","
            "\"country_code\":\"FR\",\"lat\":\"48.85\",\"lng\":\"2.35\",\"lang\":\"fr-FR\","
            "\"accept_lang\":\"fr-FR,fr;q=0.9,en;q=0.8\",\"elapsed_ms\":1234,\"provider\":\"kestrin\","
            "\"error_code\":\"PROXY_BLOCKED\",\"message\":\"see \\\"x\\\"\",\"launcher_version\":\"0.28.0\"}\n");
}

TEST(ErrorRecord, OptionalMembers) {
  ErrorRecord full{"discover_proxy_ip", "PROXY_TIMEOUT", "curl exit 28 \xE2\x80\x94 x", "socks5://u:p@h:1",
                   "https://f/myip", 28, 20012};
  EXPECT_EQ(build_error_record_json("T", full),
            "{\"schema\":1,\"ts\":\"T\",\"step\":\"discover_proxy_ip\",\"error_code\":\"PROXY_TIMEOUT\","
            "\"message\":\"curl exit 28 \xE2\x80\x94 x\",\"proxy\":\"socks5://u:p@h:1\","
            "\"discovery_url\":\"https://f/myip\",\"curl_exit_code\":28,\"elapsed_ms\":20012,"
            "\"launcher_version\":\"0.28.0\"}\n");
  ErrorRecord bare{"", "CURL_NOT_FOUND", "", "", "", -1, 0};
  EXPECT_EQ(build_error_record_json("T", bare),
            "{\"schema\":1,\"ts\":\"T\",\"step\":\"\",\"error_code\":\"CURL_NOT_FOUND\",\"message\":\"\","
            "\"elapsed_ms\":0,\"launcher_version\":\"0.28.0\"}\n");
  ErrorRecord negative = bare;
  negative.curl_exit_code = -1073741819;
  EXPECT_EQ(build_error_record_json("T", negative).find("curl_exit_code"), std::string::npos);
}

TEST(RecordPaths, ProfileThenLocalAppData) {
  EXPECT_EQ(record_path_for(L"D:\\p", L"C:\\L", RESULT_RECORD_NAME), L"D:\\p\\.orlisk-launcher-result.json");
  EXPECT_EQ(record_path_for(L"", L"C:\\L", ERROR_RECORD_NAME), L"C:\\L\\Orlisk\\.orlisk-launcher-error.json");
  EXPECT_EQ(record_path_for(L"", L"", ERROR_RECORD_NAME), L"");
}

TEST(AtomicWrite, ReplacesAndCleansUp) {
  TempDir dir;
  const std::wstring target = dir.wide() + L"\\record.json";
  vantrel::testing::write_file(dir.fs() / "record.json.tmp", "stale leftover");
  ASSERT_TRUE(write_file_atomic(target, "first\n"));
  ASSERT_TRUE(write_file_atomic(target, "second"));
  EXPECT_EQ(vantrel::testing::read_file(dir.fs() / "record.json"), "second");
  EXPECT_FALSE(std::filesystem::exists(dir.fs() / "record.json.tmp"));
  ASSERT_TRUE(write_file_atomic(target, ""));
  EXPECT_EQ(vantrel::testing::read_file(dir.fs() / "record.json"), "");
}

TEST(AtomicWrite, MissingFolderCreatesNothing) {
  TempDir dir;
  EXPECT_FALSE(write_file_atomic(dir.wide() + L"\\missing\\record.json", "x"));
  EXPECT_FALSE(std::filesystem::exists(dir.fs() / "missing"));
}

#ifdef _WIN32
TEST(AtomicWrite, ReadOnlyTargetStaysUnchanged) {
  TempDir dir;
  const std::wstring target = dir.wide() + L"\\record.json";
  ASSERT_TRUE(write_file_atomic(target, "old"));
  ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(write_file_atomic(target, "new"));
  EXPECT_EQ(vantrel::testing::read_file(dir.fs() / "record.json"), "old");
  EXPECT_FALSE(std::filesystem::exists(dir.fs() / "record.json.tmp"));
  ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}
#endif

}  // namespace
}  // namespace vantrel
