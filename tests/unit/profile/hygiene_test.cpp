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
  clear_previous_tabs(dir.wide());
  reset_granular_storage(dir.wide(), {{"cookies", true}, {"cache_storage", true}, {"shader_cache", true}});

  for (const char* gone : {"Default/Last Session", "Default/Sessions", "Default/Cookies", "Default/Network/Cookies",
                           "Default/Service Worker/CacheStorage", "ShaderCache"}) {
    EXPECT_FALSE(fs::exists(root / gone)) << gone;
  }
  for (const char* kept : {"Default/Network/Other", "Default/Bookmarks", "Default/Service Worker/ScriptCache/y",
                           "Profile 1/Last Session", "Default/Local Storage/leveldb/1"}) {
    EXPECT_TRUE(fs::exists(root / kept)) << kept;
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
