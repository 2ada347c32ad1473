#include "overlay/overlay_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/platform.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

TEST(OverlayFile, Location) {
  vantrel::testing::TempDir dir;
  const std::wstring local = local_overlay_path().shown();
  const std::wstring tail = L"\\Orlisk\\command-line.json";
  ASSERT_GT(local.size(), tail.size());
  EXPECT_EQ(local.substr(local.size() - tail.size()), tail);
  const platform::FilePath profile = platform::file_path(dir.wide());
  EXPECT_EQ(locate_overlay_file(platform::FilePath()).shown(), local);
  EXPECT_EQ(locate_overlay_file(profile).shown(), local);
  // A directory of that name counts as the overlay (and reads as nothing).
  std::filesystem::create_directories(dir.fs() / "command-line.json");
  EXPECT_EQ(locate_overlay_file(platform::file_path(dir.wide() + L"\\")).shown(), dir.wide() + L"\\command-line.json");
  // Read as bytes: CR LF becomes LF, a lone CR and 0x1A stay; a folder says why it was not read.
  std::string text;
  std::string why;
  std::size_t not_utf8 = 0;
  using platform::FileRead;
  EXPECT_EQ(read_overlay_text(profile.child(L"command-line.json"), text, why, not_utf8), FileRead::folder);
  EXPECT_EQ(why, "it is a folder");
  vantrel::testing::write_file(dir.fs() / "o.json", "{\"a\":\"x\r\ny\rz\x1a\"}\r\n");
  ASSERT_EQ(read_overlay_text(profile.child(L"o.json"), text, why, not_utf8), FileRead::read);
  EXPECT_EQ(text, "{\"a\":\"x\ny\rz\x1a\"}\n");
  EXPECT_EQ(not_utf8, std::string::npos);
  // The first byte that is not UTF-8 is named by its place in the file, CRs counted.
  vantrel::testing::write_file(dir.fs() / "o.json", "{\r\n\"a\":\"\xC3\xBC\xFC\"}");
  ASSERT_EQ(read_overlay_text(profile.child(L"o.json"), text, why, not_utf8), FileRead::read);
  EXPECT_EQ(not_utf8, 10u);
}

#ifndef _WIN32
// On Linux the local folder is $XDG_DATA_HOME, else ~/.local/share; with neither it cannot be named.
TEST(OverlayFile, LocalFolderFromTheEnvironment) {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  const std::string saved_xdg = xdg ? xdg : "", saved_home = home ? home : "";
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", "", 1);
  EXPECT_EQ(local_overlay_path().shown(), L"");
  ::setenv("HOME", "/h", 1);
  EXPECT_EQ(local_overlay_path().shown(), L"/h/.local/share\\Orlisk\\command-line.json");
  ::setenv("HOME", saved_home.c_str(), 1);
  if (xdg != nullptr) ::setenv("XDG_DATA_HOME", saved_xdg.c_str(), 1);
}
#endif

}  // namespace
}  // namespace vantrel
