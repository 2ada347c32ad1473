#include "platform/profile_lock.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/text_encoding.h"
#include "support/temp_dir.h"

namespace vantrel::platform {
namespace {

using vantrel::testing::TempDir;

// One start lock per profile folder, however its path is written; another
// folder, or a name not yet made, gets another.
TEST(ProfileStartLock, OneNamePerFolder) {
  TempDir dir;
  std::filesystem::create_directories(dir.fs() / "P");
  const auto name = [](const std::wstring& path) { return profile_lock_name(folder_identity(file_path(path))); };
  const std::wstring p = name(dir.wide() + L"\\P");
  EXPECT_EQ(p.compare(0, 22, L"Local\\vantrel-profile-"), 0);
  EXPECT_EQ(p.size(), 22u + 16u);
  EXPECT_NE(name(dir.wide()), p);
  EXPECT_NE(name(dir.wide() + L"\\Q"), p);
#ifdef _WIN32
  for (const std::wstring& same : {dir.wide() + L"\\p\\", dir.wide() + L"/P", dir.wide() + L"\\P.", dir.wide() + L"\\.\\P"}) {
    EXPECT_EQ(name(same), p) << wide_to_utf8(same);
  }
  EXPECT_EQ(name(dir.wide() + L"\\q"), name(dir.wide() + L"\\Q\\"));  // not made yet: its name, as Windows compares names
#endif
}

}  // namespace
}  // namespace vantrel::platform
