#include "platform/atomic_write.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <vector>

#include "base/text_encoding.h"
#include "platform/platform.h"
#include "platform/profile_lock.h"
#include "records/endings.h"
#include "support/temp_dir.h"

namespace vantrel::platform {
namespace {

using vantrel::testing::TempDir;

// Whatever stands at a temporary name the write draws (a file, a folder, a
// read-only file, a link to a file outside), or in place of the record (a
// link), is neither written through nor in the way: another name is drawn.
// No temporary file is left and nothing outside changes. Links are made from
// the Linux side, so the Windows build meets them under Wine too.
TEST(AtomicWrite, PlantsAtTheDrawnNamesAreNeitherWrittenThroughNorInTheWay) {
  namespace fs = std::filesystem;
  using vantrel::testing::read_file;
  using vantrel::testing::write_file;
  EXPECT_EQ(temporary_name_for(file_path(L"C:\\p\\r.json"), 0xABCDEF0123456789u).shown(),
            L"C:\\p\\r.json.abcdef0123456789.tmp");
  // (what is planted, the names drawn in turn, whether the record is written, the draws)
  const std::tuple<std::string, std::vector<std::uint64_t>, bool, std::size_t> cases[] = {
      {"file", {1, 2}, true, 2},  {"folder", {1, 2}, true, 2}, {"read-only", {1, 2}, true, 2},
      {"link", {1, 2}, true, 2},  {"record link", {1}, true, 1},
      {"folder", {1}, false, TEMPORARY_NAMES_TRIED},  // the name is taken each time: the write gives up
  };
  for (const auto& [plant, names, written, draws] : cases) {
    TempDir dir;
    const FilePath target = file_path(dir.wide() + L"\\record.json");
    const fs::path outside = dir.fs() / "outside";
    const fs::path record = dir.fs() / "record.json";
    const fs::path first = vantrel::testing::fs_path(temporary_name_for(target, names[0]).shown());
    write_file(outside, "theirs");
    if (plant == "file" || plant == "read-only") write_file(first, "stale");
    if (plant == "read-only") fs::permissions(first, fs::perms::owner_read);
    if (plant == "folder") fs::create_directory(first);
    if (plant == "link") vantrel::testing::make_link(outside, first);
    if (plant == "record link") vantrel::testing::make_link(outside, record);
    std::size_t drawn = 0;
    const RandomSource draw = [&, &names = names](std::uint64_t& r) {
      r = names[std::min(drawn++, names.size() - 1)];
      return true;
    };
    EXPECT_EQ(write_file_atomic(target, "new", draw), written) << plant;
    EXPECT_EQ(drawn, draws) << plant;
    EXPECT_EQ(read_file(outside), "theirs") << plant;
    // Written: the record holds the new text; given up: no record was made.
    const bool made = fs::exists(fs::symlink_status(record));
    EXPECT_EQ(made ? read_file(record) : "", written ? "new" : "") << plant;
    const auto entries = std::distance(fs::directory_iterator(dir.fs()), fs::directory_iterator());
    EXPECT_EQ(entries, (plant == "record link" ? 2 : 3) - (written ? 0 : 1)) << plant;  // no temporary file left
    if (plant == "read-only") fs::permissions(first, fs::perms::owner_all);
  }
}

// The names the system draws: a folder planted at the name of a zero random
// part does not stop the record, and two draws differ.
TEST(AtomicWrite, TheSystemsNamesAreUnpredictable) {
  TempDir dir;
  const FilePath target = file_path(dir.wide() + L"\\record.json");
  std::filesystem::create_directory(vantrel::testing::fs_path(temporary_name_for(target, 0).shown()));
  ASSERT_TRUE(write_file_atomic(target, "new"));
  EXPECT_EQ(vantrel::testing::read_file(dir.fs() / "record.json"), "new");
  std::uint64_t a = 0;
  std::uint64_t b = 0;
  ASSERT_TRUE(system_random(a) && system_random(b));
  EXPECT_NE(a, b);
}

}  // namespace
}  // namespace vantrel::platform
