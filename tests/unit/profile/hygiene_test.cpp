#include "profile/hygiene.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/text_encoding.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

using Kind = Removal::Kind;

TEST(Hygiene, Plans) {
  EXPECT_EQ(previous_tabs_removals(L"R\\").back(), (Removal{L"R\\\\Default\\Sessions", Kind::tree}));
  EXPECT_TRUE(previous_tabs_removals(L"").empty());
  // Cache storage lies inside the service-worker folder: removed whole, once.
  const auto both = granular_storage_removals(L"R", {{"cache_storage", true}, {"service_workers", true}});
  EXPECT_EQ(both, (std::vector<Removal>{{L"R\\Default\\Service Worker", Kind::tree}}));
  std::wstring all;  // "all" selects every category, also one set to false
  for (const Removal& r : granular_storage_removals(L"R", {{"all", true}, {"cookies", false}})) all += r.path + L" ";
  EXPECT_EQ(all, L"R\\Default\\Cookies R\\Default\\Cookies-journal R\\Default\\Network\\Cookies "
                 L"R\\Default\\Network\\Cookies-journal R\\Default\\File System R\\Default\\IndexedDB "
                 L"R\\Default\\Local Storage R\\ShaderCache R\\GraphiteDawnCache R\\Default\\GPUCache "
                 L"R\\Default\\databases R\\Default\\Service Worker R\\Default\\InterestGroups "
                 L"R\\Default\\Shared Storage R\\Default\\Shared Storage-journal R\\Default\\StorageBuckets ");
  EXPECT_TRUE(granular_storage_removals(L"R", {{"all", false}, {"Cookies", true}}).empty());
}

// A profile written by someone else may hold links. Nothing outside the
// profile is removed through them, links stay, and what is really inside
// goes; the profile folder itself may be a link.
TEST(Hygiene, NeverThroughLinks) {
  namespace fs = std::filesystem;
  vantrel::testing::TempDir dir;
  const fs::path outside = dir.fs() / "outside";
  const char* const outside_files[] = {"Default/Cookies", "Default/Last Session", "Default/Sessions/s",
                                       "Net/Cookies", "SW/CacheStorage/c", "SC/z", "keep/k", "file"};
  for (const char* f : outside_files) vantrel::testing::write_file(outside / f, "theirs");
  for (const char* f : {"b/Default/Cookies", "b/Default/Sessions/mine", "b/Default/Sessions/deep/x",
                        "b/Default/IndexedDB/db", "real-c/Default/Cookies", "real-c/Default/Sessions/deep/x"}) {
    vantrel::testing::write_file(dir.fs() / f, "mine");
  }
  using vantrel::testing::make_link;
  fs::create_directories(dir.fs() / "a");
  make_link(outside / "Default", dir.fs() / "a" / "Default");
  for (const auto& [target, link] : {std::pair{"Net", "b/Default/Network"}, {"SW", "b/Default/Service Worker"},
                                     {"keep", "b/Default/Sessions/link"}, {"keep", "b/Default/IndexedDB/link"},
                                     {"SC", "b/ShaderCache"}}) {
    make_link(outside / target, dir.fs() / link);
  }
  // Wine shows a link to a file as a plain file (Windows as a reparse point,
  // which the folder links above exercise): that row is the native build's.
#ifndef _WIN32
  constexpr bool file_link = true;
  make_link(outside / "file", dir.fs() / "b/Default/Last Session");
#else
  constexpr bool file_link = false;
#endif
  make_link(dir.fs() / "real-c", dir.fs() / "c");

  const std::map<std::string, bool> selection{{"all", true}};
  for (const char* profile : {"a", "b", "c"}) {
    const std::wstring root = dir.wide() + L"\\" + utf8_to_wide(profile);
    std::vector<Removal> planned = previous_tabs_removals(root);
    for (const Removal& r : granular_storage_removals(root, selection)) planned.push_back(r);
    if (std::string(profile) == "b") {
      const RemovalPreview preview = preview_removals(root, planned);
      // Last Session (natively), Sessions\link, IndexedDB\link, ShaderCache, Service Worker
      EXPECT_EQ(preview.kept_links.size(), file_link ? 5u : 4u);
      EXPECT_EQ(preview.removed.size(), 3u);  // Sessions, Cookies, IndexedDB
    }
    remove_planned(root, planned);
  }
  for (const char* f : outside_files) EXPECT_TRUE(fs::exists(outside / f)) << f;
  for (const char* gone : {"b/Default/Cookies", "b/Default/Sessions/mine", "b/Default/Sessions/deep",
                           "b/Default/IndexedDB/db", "real-c/Default/Cookies", "real-c/Default/Sessions"}) {
    EXPECT_FALSE(fs::exists(dir.fs() / gone)) << gone;
  }
  for (const char* link : {"b/ShaderCache", "b/Default/Sessions/link"}) {
    EXPECT_TRUE(fs::exists(dir.fs() / link)) << link;  // links stay
  }
}

}  // namespace
}  // namespace vantrel
