#include "check/profile_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "base/in_order.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

// A store: its profiles in name order, checked in parallel, reported in order.
TEST(ProfileStore, WalkAndOrder) {
  vantrel::testing::TempDir dir;
  // A profile holds an overlay, a "Local State" file or a "Default" folder; a
  // folder of the overlay's name, a "Local State" folder, a "Default" file or
  // nothing make none.
  for (const char* name : {"b", "a", "c-local-state", "d", "f-default", "g-none"}) {
    std::filesystem::create_directories(dir.fs() / name);
  }
  for (const char* name : {"b", "a"}) vantrel::testing::write_file(dir.fs() / name / "command-line.json", "{}");
  vantrel::testing::write_file(dir.fs() / "c-local-state" / "Local State", "{}");
  std::filesystem::create_directories(dir.fs() / "d" / "command-line.json");
  std::filesystem::create_directories(dir.fs() / "d" / "Local State");
  vantrel::testing::write_file(dir.fs() / "d" / "Default", "");
  std::filesystem::create_directories(dir.fs() / "f-default" / "Default");
  vantrel::testing::make_link(dir.fs() / "a", dir.fs() / "e-link");  // a link is not entered
  // A folder "x." is itself, never the link "x" beside it.
  vantrel::testing::write_file(dir.fs() / "x." / "Local State", "{}");
  vantrel::testing::make_link(dir.fs() / "a", dir.fs() / "x");
  const platform::FilePath store = platform::file_path(dir.wide() + L"\\");
  std::wstring listed;
  for (const StoreProfile& p : store_profiles(store)) {
    listed += p.name + L" ";
    EXPECT_EQ(p.folder, store.child(p.name));
  }
  EXPECT_EQ(listed, L"a b c-local-state f-default x. ");
  EXPECT_TRUE(store_profiles(store.child(L"none")).empty());
  // The first finishes last: it waits until the other threads have done three.
  std::string emitted;
  std::atomic<int> finished{0};
  run_in_order(
      9, 4,
      [&](std::size_t i) {
        while (i == 0 && finished < 3) std::this_thread::yield();
        if (i != 0) ++finished;
        return std::to_string(i);
      },
      [&](const std::string& s) { emitted += s + (finished >= 3 ? "" : "!"); });
  EXPECT_EQ(emitted, "012345678");
  const std::vector<StoreResult> results = {{"a"}, {"b", false, true, 1}, {"c", true, false, 0}};
  EXPECT_EQ(store_summary_text({{"a"}}),
            "1 profile checked: 0 with a failed probe; 0 contradicting their proxy's egress; 0 with problems");
  EXPECT_EQ(store_summary_text(results), "3 profiles checked: 1 with a failed probe (c); 1 contradicting their proxy's "
                                         "egress (b); 1 with problems (b)");
  // One profile's precedence, not the highest number: a failed probe first.
  EXPECT_EQ(store_exit_code(results, true), 3);
  EXPECT_EQ(store_exit_code({{"a", false, false, 2}, {"b", false, true, 0}, {"c"}}, true), 4);
  EXPECT_EQ(store_exit_code({{"a"}, {"b", false, false, 1}}, true), 5);
  EXPECT_EQ(store_exit_code({{"a"}, {"b", false, false, 1}}, false), 0);
  EXPECT_EQ(store_exit_code({}, true), 0);
}

}  // namespace
}  // namespace vantrel
