#include "overlay/overlay_file.h"

#include <gtest/gtest.h>

#include "overlay/overlay_model.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

using vantrel::testing::TempDir;

TEST(OverlayFile, ProfileFileWins) {
  TempDir dir;
  vantrel::testing::write_file(dir.fs() / "command-line.json", "{\"proxy-server\":\"socks5://a:1\"}");
  const std::wstring path = locate_overlay_file(dir.wide());
  EXPECT_EQ(path, dir.wide() + L"\\command-line.json");
  EXPECT_EQ(load_persona_overlay(path).proxy_server, "socks5://a:1");
}

TEST(OverlayFile, FallsBackToLocalPath) {
  TempDir dir;
  EXPECT_EQ(locate_overlay_file(dir.wide()), local_overlay_path());
  EXPECT_EQ(locate_overlay_file(L""), local_overlay_path());
  const std::wstring local = local_overlay_path();
  ASSERT_GE(local.size(), 25u);
  EXPECT_EQ(local.substr(local.size() - 25), L"\\Orlisk\\command-line.json");
}

TEST(OverlayFile, TrailingBackslashAndDirectory) {
  TempDir dir;
  std::filesystem::create_directories(dir.fs() / "command-line.json");
  // A directory of that name is chosen, and reading it gives nothing.
  const std::wstring path = locate_overlay_file(dir.wide());
  EXPECT_EQ(path, dir.wide() + L"\\command-line.json");
  EXPECT_EQ(read_overlay_text(path), "");
  EXPECT_EQ(load_persona_overlay(path).on_proxy_fail, "block");
}

TEST(OverlayFile, ByteOrderMarkStaysAndDoesNotHurt) {
  TempDir dir;
  vantrel::testing::write_file(dir.fs() / "command-line.json", "\xEF\xBB\xBF{\"auto-geo\":true}");
  const std::string text = read_overlay_text(dir.wide() + L"\\command-line.json");
  EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_TRUE(parse_persona_overlay(text).auto_geo);
}

}  // namespace
}  // namespace vantrel
