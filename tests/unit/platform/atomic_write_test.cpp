#include "platform/atomic_write.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/platform.h"
#include "support/temp_dir.h"

namespace vantrel::platform {
namespace {

using vantrel::testing::TempDir;

// A hold is waited for, a failure is not, and one that lasts is given up.
TEST(RetryWhileHeld, WaitsOnlyForHolds) {
  using A = Attempt;
  const struct {
    std::vector<A> attempts;  // what each try comes to; the last repeats
    bool done;
    std::size_t tries;  // 0: at least two, bounded by the budget
  } cases[] = {
      {{A::done}, true, 1}, {{A::failed}, false, 1}, {{A::held, A::held, A::done}, true, 3},
      {{A::held, A::failed}, false, 2}, {{A::held}, false, 0},
  };
  for (const auto& c : cases) {
    std::size_t tries = 0;
    const bool done = retry_while_held(
        [&] { return c.attempts[std::min(tries++, c.attempts.size() - 1)]; }, std::chrono::milliseconds(120));
    EXPECT_EQ(done, c.done) << ::testing::PrintToString(c.tries);
    if (c.tries != 0) {
      EXPECT_EQ(tries, c.tries);
    } else {
      EXPECT_TRUE(tries >= 2 && tries <= 4) << tries;  // about 120 ms of 50 ms pauses
    }
  }
}

// Whatever stands beside the record (a leftover or planted entry under the
// old temporary name, a link in place of the record) is neither written
// through nor in the way; no temporary file is left. A missing folder and a
// read-only record are the end-to-end tests'.
TEST(AtomicWrite, NothingBesideTheRecordIsWrittenThroughOrInTheWay) {
  namespace fs = std::filesystem;
  EXPECT_EQ(temporary_name_for(L"C:\\p\\r.json", 0xABCDEF0123456789u), L"C:\\p\\r.json.abcdef0123456789.tmp");
  for (const char* plant : {"leftover", "folder", "link", "record link"}) {
    TempDir dir;
    const fs::path outside = dir.fs() / "outside";
    const fs::path record = dir.fs() / "record.json";
    const fs::path old_temporary = dir.fs() / "record.json.tmp";
    vantrel::testing::write_file(outside, "theirs");
    std::error_code ec;
    const std::string kind = plant;
    if (kind == "leftover") vantrel::testing::write_file(old_temporary, "stale");
    if (kind == "folder") fs::create_directory(old_temporary);
    if (kind == "link") fs::create_symlink(outside, old_temporary, ec);
    if (kind == "record link") fs::create_symlink(outside, record, ec);
    if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
    ASSERT_TRUE(write_file_atomic(dir.wide() + L"\\record.json", "new")) << plant;
    EXPECT_EQ(vantrel::testing::read_file(record), "new") << plant;
    EXPECT_FALSE(fs::is_symlink(record)) << plant;
    EXPECT_EQ(vantrel::testing::read_file(outside), "theirs") << plant;
    const auto entries = std::distance(fs::directory_iterator(dir.fs()), fs::directory_iterator());
    EXPECT_EQ(entries, kind == "record link" ? 2 : 3) << plant;  // no temporary file left
  }
}

}  // namespace
}  // namespace vantrel::platform
