#include "profile/hygiene.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace vantrel {
namespace {

using Kind = Removal::Kind;
using Selection = std::map<std::string, bool>;
using vantrel::testing::TempDir;

std::vector<std::wstring> paths_of(const std::vector<Removal>& removals) {
  std::vector<std::wstring> out;
  for (const auto& r : removals) out.push_back(r.path);
  return out;
}

TEST(PreviousTabs, Plan) {
  EXPECT_TRUE(previous_tabs_removals(L"").empty());
  EXPECT_EQ(previous_tabs_removals(L"R\\"),
            (std::vector<Removal>{{L"R\\\\Default\\Current Tabs", Kind::file},
                                  {L"R\\\\Default\\Current Session", Kind::file},
                                  {L"R\\\\Default\\Last Tabs", Kind::file},
                                  {L"R\\\\Default\\Last Session", Kind::file},
                                  {L"R\\\\Default\\Sessions", Kind::tree}}));
}

TEST(GranularStorage, Plans) {
  struct Case {
    const char* name;
    Selection selection;
    std::vector<std::wstring> expected;
  };
  const Case cases[] = {
      {"empty", {}, {}},
      {"all false", {{"cookies", false}, {"all", false}}, {}},
      {"unknown and wrong case", {{"Cookies", true}, {"flash", true}}, {}},
      {"cookies",
       {{"cookies", true}},
       {L"R\\Default\\Cookies", L"R\\Default\\Cookies-journal", L"R\\Default\\Network\\Cookies",
        L"R\\Default\\Network\\Cookies-journal"}},
      {"shader cache", {{"shader_cache", true}}, {L"R\\ShaderCache", L"R\\GraphiteDawnCache", L"R\\Default\\GPUCache"}},
      {"cache storage alone", {{"cache_storage", true}}, {L"R\\Default\\Service Worker\\CacheStorage"}},
      {"service workers and cache storage",
       {{"cache_storage", true}, {"service_workers", true}},
       {L"R\\Default\\Service Worker"}},
      {"order follows the table",
       {{"storage_buckets", true}, {"websql", true}, {"cache_storage", true}, {"shared_storage", true}},
       {L"R\\Default\\databases", L"R\\Default\\Service Worker\\CacheStorage", L"R\\Default\\Shared Storage",
        L"R\\Default\\Shared Storage-journal", L"R\\Default\\StorageBuckets"}},
      {"all overrides false",
       {{"all", true}, {"cookies", false}},
       {L"R\\Default\\Cookies", L"R\\Default\\Cookies-journal", L"R\\Default\\Network\\Cookies",
        L"R\\Default\\Network\\Cookies-journal", L"R\\Default\\File System", L"R\\Default\\IndexedDB",
        L"R\\Default\\Local Storage", L"R\\ShaderCache", L"R\\GraphiteDawnCache", L"R\\Default\\GPUCache",
        L"R\\Default\\databases", L"R\\Default\\Service Worker", L"R\\Default\\InterestGroups",
        L"R\\Default\\Shared Storage", L"R\\Default\\Shared Storage-journal", L"R\\Default\\StorageBuckets"}},
  };
  for (const auto& c : cases) EXPECT_EQ(paths_of(granular_storage_removals(L"R", c.selection)), c.expected) << c.name;
  EXPECT_TRUE(granular_storage_removals(L"", {{"all", true}}).empty());
}

// The removals on a real profile tree: exactly the named entries go.
TEST(Hygiene, RealTree) {
  TempDir dir;
  namespace fs = std::filesystem;
  const fs::path root = dir.fs();
  for (const char* f : {"Default/Last Session", "Default/Sessions/a/b.bin", "Default/Sessions/c", "Default/Cookies",
                        "Default/Network/Cookies", "Default/Network/Other", "Default/Bookmarks",
                        "Default/Service Worker/CacheStorage/x", "Default/Service Worker/ScriptCache/y",
                        "ShaderCache/z", "Profile 1/Last Session", "Default/Local Storage/leveldb/1"}) {
    vantrel::testing::write_file(root / f, "data");
  }
  std::vector<Removal> planned = previous_tabs_removals(dir.wide());
  for (const Removal& r :
       granular_storage_removals(dir.wide(), {{"cookies", true}, {"cache_storage", true}, {"shader_cache", true}})) {
    planned.push_back(r);
  }
  remove_planned(dir.wide(), planned);

  for (const char* gone : {"Default/Last Session", "Default/Sessions", "Default/Cookies", "Default/Network/Cookies",
                           "Default/Service Worker/CacheStorage", "ShaderCache"}) {
    EXPECT_FALSE(fs::exists(root / gone)) << gone;
  }
  for (const char* kept : {"Default/Network/Other", "Default/Bookmarks", "Default/Service Worker/ScriptCache/y",
                           "Profile 1/Last Session", "Default/Local Storage/leveldb/1"}) {
    EXPECT_TRUE(fs::exists(root / kept)) << kept;
  }
}

// A profile written by someone else may hold links. Nothing outside the
// profile is removed through them; the profile folder itself may be a link.
TEST(Hygiene, NeverThroughLinks) {
  namespace fs = std::filesystem;
  TempDir dir;
  const fs::path outside = dir.fs() / "outside";
  const char* const outside_files[] = {"Default/Cookies", "Default/Last Session", "Default/Sessions/s",
                                       "Net/Cookies", "SW/CacheStorage/c", "SC/z", "keep/k", "file"};
  for (const char* f : outside_files) vantrel::testing::write_file(outside / f, "theirs");
  for (const char* f : {"b/Default/Cookies", "b/Default/Sessions/mine", "b/Default/IndexedDB/db",
                        "real-c/Default/Cookies"}) {
    vantrel::testing::write_file(dir.fs() / f, "mine");
  }
  std::error_code ec;
  fs::create_directories(dir.fs() / "a", ec);
  fs::create_directory_symlink(outside / "Default", dir.fs() / "a" / "Default", ec);
  if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
  fs::create_directory_symlink(outside / "Net", dir.fs() / "b/Default/Network");
  fs::create_directory_symlink(outside / "SW", dir.fs() / "b/Default/Service Worker");
  fs::create_directory_symlink(outside / "keep", dir.fs() / "b/Default/Sessions/link");
  fs::create_directory_symlink(outside / "keep", dir.fs() / "b/Default/IndexedDB/link");
  fs::create_directory_symlink(outside / "SC", dir.fs() / "b/ShaderCache");
  fs::create_symlink(outside / "file", dir.fs() / "b/Default/Last Session");
  fs::create_directory_symlink(dir.fs() / "real-c", dir.fs() / "c");

  const Selection selection{{"cookies", true}, {"cache_storage", true}, {"shader_cache", true}, {"indexeddb", true}};
  for (const char* profile : {"a", "b", "c"}) {
    const std::wstring root = dir.wide() + L"\\" + utf8_to_wide(profile);
    std::vector<Removal> planned = previous_tabs_removals(root);
    for (const Removal& r : granular_storage_removals(root, selection)) planned.push_back(r);
    remove_planned(root, planned);
  }
  for (const char* f : outside_files) EXPECT_TRUE(fs::exists(outside / f)) << f;
  for (const char* gone : {"b/Default/Cookies", "b/Default/Sessions/mine", "b/Default/IndexedDB/db",
                           "real-c/Default/Cookies"}) {
    EXPECT_FALSE(fs::exists(dir.fs() / gone)) << gone;
  }
  for (const char* link : {"b/ShaderCache", "b/Default/Last Session", "b/Default/Sessions/link"}) {
    EXPECT_TRUE(fs::is_symlink(dir.fs() / link)) << link;  // links stay
  }
}

TEST(RemoveTree, FileFolderAndNothing) {
  TempDir dir;
  vantrel::testing::write_file(dir.fs() / "f", "x");
  vantrel::testing::write_file(dir.fs() / "d" / "e" / "g", "x");
  remove_tree(dir.wide() + L"\\f");
  remove_tree(dir.wide() + L"\\d");
  remove_tree(dir.wide() + L"\\absent");
  remove_tree(L"");
  EXPECT_FALSE(std::filesystem::exists(dir.fs() / "f"));
  EXPECT_FALSE(std::filesystem::exists(dir.fs() / "d"));
  EXPECT_TRUE(std::filesystem::exists(dir.fs()));
}

}  // namespace
}  // namespace vantrel
