#include "profile/hygiene.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/text_encoding.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

using Kind = Removal::Kind;
namespace fs = std::filesystem;
using vantrel::testing::make_link;
using vantrel::testing::native;
using vantrel::testing::read_file;
using vantrel::testing::write_file;

TEST(Hygiene, Plans) {
  EXPECT_EQ(previous_tabs_removals().back(), (Removal{L"Default\\Sessions", Kind::tree}));
  // Cache storage lies inside the service-worker folder: removed whole, once.
  const auto both = granular_storage_removals({{"cache_storage", true}, {"service_workers", true}});
  EXPECT_EQ(both, (std::vector<Removal>{{L"Default\\Service Worker", Kind::tree}}));
  std::wstring all;  // "all" selects every category, also one set to false
  for (const Removal& r : granular_storage_removals({{"all", true}, {"cookies", false}})) all += r.names + L" ";
  EXPECT_EQ(all, L"Default\\Cookies Default\\Cookies-journal Default\\Network\\Cookies "
                 L"Default\\Network\\Cookies-journal Default\\File System Default\\IndexedDB "
                 L"Default\\Local Storage ShaderCache GraphiteDawnCache Default\\GPUCache "
                 L"Default\\databases Default\\Service Worker Default\\InterestGroups "
                 L"Default\\Shared Storage Default\\Shared Storage-journal Default\\StorageBuckets ");
  EXPECT_TRUE(granular_storage_removals({{"all", false}, {"Cookies", true}}).empty());
}

platform::FilePath folder_of(const vantrel::testing::TempDir& dir, const char* name) {
  return platform::file_path(dir.wide()).child(utf8_to_wide(name));
}

std::vector<Removal> everything() {
  std::vector<Removal> planned = previous_tabs_removals();
  for (const Removal& r : granular_storage_removals({{"all", true}})) planned.push_back(r);
  return planned;
}

// A profile written by someone else may hold links. Nothing outside the
// profile is removed through them, links stay, and what is really inside
// goes (read-only or named with a final dot or blank too); the profile
// folder itself may be a link.
TEST(Hygiene, NeverThroughLinks) {
  vantrel::testing::TempDir dir;
  const fs::path outside = dir.fs() / "outside";
  const char* const outside_files[] = {"Default/Cookies", "Default/Last Session", "Default/Sessions/s",
                                       "Net/Cookies", "SW/CacheStorage/c", "SC/z", "keep/k", "file"};
  for (const char* f : outside_files) write_file(outside / f, "theirs");
  for (const char* f : {"b/Default/Cookies", "b/Default/Sessions/mine", "b/Default/Sessions/deep/x",
                        "b/Default/IndexedDB/db", "b/Default/IndexedDB/x./y", "b/Default/IndexedDB/z /w",
                        "real-c/Default/Cookies", "real-c/Default/Sessions/deep/x"}) {
    write_file(dir.fs() / f, "mine");
  }
  fs::permissions(native(dir.fs() / "b/Default/IndexedDB/db"), fs::perms::owner_read);
  fs::create_directories(dir.fs() / "a");
  make_link(outside / "Default", dir.fs() / "a" / "Default");
  for (const auto& [target, link] : {std::pair{"Net", "b/Default/Network"}, {"SW", "b/Default/Service Worker"},
                                     {"keep", "b/Default/Sessions/link"}, {"keep", "b/Default/IndexedDB/link"},
                                     {"keep", "b/Default/IndexedDB/x"}, {"SC", "b/ShaderCache"}}) {
    make_link(outside / target, dir.fs() / link);
  }
  // Wine lists a link to a file as a plain file (which the walk then finds
  // leading elsewhere); Windows and Linux list it as a link.
  make_link(outside / "file", dir.fs() / "b/Default/Last Session");
  make_link(dir.fs() / "real-c", dir.fs() / "c");

#ifndef _WIN32
  // Every entry the walks open is closed again.
  const auto open_files = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()); };
  const auto files_before = open_files();
#endif
  const RemovalPreview preview = preview_removals(folder_of(dir, "b"), everything());
  // Last Session, Sessions\link, IndexedDB\link and \x, ShaderCache, Service Worker
  EXPECT_EQ(preview.kept_links.size(), 6u) << ::testing::PrintToString(preview.kept_links);
  EXPECT_EQ(preview.removed.size(), 3u);  // Sessions, Cookies, IndexedDB
  for (const char* profile : {"a", "b", "c"}) remove_planned(folder_of(dir, profile), everything());
#ifndef _WIN32
  EXPECT_EQ(open_files(), files_before);
#endif
  for (const char* f : outside_files) EXPECT_EQ(read_file(outside / f), "theirs") << f;
  for (const char* gone : {"b/Default/Cookies", "b/Default/Sessions/mine", "b/Default/Sessions/deep",
                           "b/Default/IndexedDB/db", "b/Default/IndexedDB/x.", "b/Default/IndexedDB/z ",
                           "real-c/Default/Cookies", "real-c/Default/Sessions"}) {
    EXPECT_FALSE(fs::exists(fs::symlink_status(native(dir.fs() / gone)))) << gone;
  }
  for (const char* link : {"b/ShaderCache", "b/Default/Sessions/link", "b/Default/IndexedDB/x", "b/Default/Last Session"}) {
    EXPECT_TRUE(fs::exists(fs::symlink_status(native(dir.fs() / link)))) << link;  // links stay
  }
}

// Another program renames a listed folder or file and puts a link to
// something outside in its place after the listing: the walk never follows
// it, whether it cleans or previews.
TEST(Hygiene, AnEntrySwappedForALinkAfterTheListing) {
  for (const bool cleaning : {true, false}) {
    vantrel::testing::TempDir dir;
    const fs::path outside = dir.fs() / "outside";
    write_file(outside / "keep/k", "theirs");
    write_file(outside / "file", "theirs");
    const fs::path sessions = native(dir.fs() / "p/Default/Sessions");
    write_file(sessions / "sub/x", "mine");
    write_file(sessions / "f", "mine");
    const platform::FilePath profile = folder_of(dir, "p");
    bool swapped = false;
    const AfterListing swap = [&](const platform::FilePath& folder) {
      if (swapped || !(folder == profile.child(L"Default").child(L"Sessions"))) return;
      swapped = true;
      fs::rename(sessions / "sub", sessions / "sub-moved");
      fs::rename(sessions / "f", sessions / "f-moved");
      make_link(outside / "keep", sessions / "sub");
      make_link(outside / "file", sessions / "f");
    };
    if (cleaning) {
      remove_planned(profile, previous_tabs_removals(), swap);
    } else {
      const RemovalPreview preview = preview_removals(profile, previous_tabs_removals(), swap);
      EXPECT_EQ(preview.kept_links, (std::vector<std::wstring>{profile.child(L"Default\\Sessions\\f").shown(),
                                                               profile.child(L"Default\\Sessions\\sub").shown()}));
    }
    EXPECT_TRUE(swapped);
    EXPECT_EQ(read_file(outside / "keep/k"), "theirs") << cleaning;
    EXPECT_EQ(read_file(outside / "file"), "theirs") << cleaning;
    EXPECT_TRUE(fs::exists(fs::symlink_status(sessions / "sub")) && fs::exists(fs::symlink_status(sessions / "f")));
  }
}

}  // namespace
}  // namespace vantrel
