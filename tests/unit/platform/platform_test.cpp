#include "platform/platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <vector>

#include "base/text_encoding.h"

namespace vantrel::platform {
namespace {

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

// A path from outside is made absolute once and prefixed, so no later call
// renames it; names below it are appended exactly as listed.
// The system's word on a failed call: its text on one line, "%1" filled with
// the file, other inserts left out.
TEST(WindowsErrorText, FromTheSystemsText) {
  const std::tuple<unsigned long, std::wstring, std::wstring, std::string> cases[] = {
      {193, L"%1 is not a valid Win32 application.\r\n", L"C:\\e.exe",
       "Windows error 193 (C:\\e.exe is not a valid Win32 application.)"},
      {11, L"Bad EXE format for %1.\r\n", L"", "Windows error 11 (Bad EXE format for .)"},
      {1, L"A %2 and %10\r\nB \r\n", L"x", "Windows error 1 (A  and  B)"},
      {5, L"", L"x", "Windows error 5"},
      {2, L"a%19b", L"I", "Windows error 2 (ab)"},
      {1260, L"\r\n", L"", "Windows error 1260"},
  };
  for (const auto& [code, text, insert, expected] : cases) {
    EXPECT_EQ(platform::describe_windows_error(code, text, insert), expected) << code;
  }
}

TEST(FilePath, OneWayToAFile) {
  // (a full path, the form passed on as written, whether it can name a folder)
  const std::tuple<std::wstring, std::wstring, bool> prefixed[] = {
      {L"C:\\p\\x", L"\\\\?\\C:\\p\\x", true}, {L"\\\\srv\\share\\x", L"\\\\?\\UNC\\srv\\share\\x", true},
      {L"\\\\?\\C:\\x.", L"\\\\?\\C:\\x.", true}, {L"\\\\.\\pipe\\p", L"\\\\.\\pipe\\p", false},
      // A drive or share written as a device path names a folder as "\\?\" does.
      {L"\\\\.\\C:\\x", L"\\\\?\\C:\\x", true}, {L"\\\\.\\unc\\s\\h\\x", L"\\\\?\\UNC\\s\\h\\x", true},
      {L"\\\\.\\C:\\", L"\\\\?\\C:\\", true}, {L"\\\\.\\UNC\\", L"\\\\?\\UNC\\", false},
      {L"\\\\.\\NUL", L"\\\\.\\NUL", false}, {L"\\\\.\\C:", L"\\\\.\\C:", false}, {L"\\\\?\\C:", L"\\\\?\\C:", false},
      {L"\\\\?\\Volume{1}\\p", L"\\\\?\\Volume{1}\\p", true}, {L"\\\\?\\GLOBALROOT\\Device\\x", L"\\\\?\\GLOBALROOT\\Device\\x", false},
  };
  for (const auto& [full, form, folder] : prefixed) {
    EXPECT_EQ(long_path_form(full), form) << wide_to_utf8(full);
    EXPECT_EQ(names_folder(file_path(form)), folder) << wide_to_utf8(full);
  }
  EXPECT_FALSE(names_folder(file_path(L"\\??\\C:\\p")));
  EXPECT_EQ(file_path(L"C:\\p").child(L"x.").child(L"y ").shown(), L"C:\\p\\x.\\y ");
  EXPECT_EQ(file_path(L"\\\\?\\C:\\p\\").child(L"x").native(), L"\\\\?\\C:\\p\\x");
  EXPECT_TRUE(file_path(L"").child(L"x").empty());
#ifdef _WIN32
  // Made canonical once, by the system's rules, whatever the length.
  const std::wstring here = std::filesystem::current_path().wstring();
  const std::wstring deep(300, L'd');
  const std::pair<std::wstring, std::wstring> outside[] = {
      {L"C:/p/q", L"\\\\?\\C:\\p\\q"}, {L"C:\\p\\..\\q", L"\\\\?\\C:\\q"},
      {L"rel\\x", L"\\\\?\\" + here + L"\\rel\\x"}, {L"C:\\p\\x.", L"\\\\?\\C:\\p\\x"},
      {L"C:\\p\\y ", L"\\\\?\\C:\\p\\y"}, {L"\\\\?\\C:\\p\\..\\x.", L"\\\\?\\C:\\p\\..\\x."},
      {L"\\\\srv\\sh\\a\\..\\b", L"\\\\?\\UNC\\srv\\sh\\b"}, {L"C:\\" + deep, L"\\\\?\\C:\\" + deep},
      // The folder Windows and the Engine open for a final blank or dot.
      {L"C:\\p\\Work.. . ", L"\\\\?\\C:\\p\\Work"}, {L"C:\\p\\x..", L"\\\\?\\C:\\p\\x"},
      {L"\\\\.\\C:\\p\\x.", L"\\\\?\\C:\\p\\x"}, {L"//./C:/p/x", L"\\\\?\\C:\\p\\x"},
      {L"\\\\.\\UNC\\s\\h\\x ", L"\\\\?\\UNC\\s\\h\\x"}, {L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x"},
      {L"NUL", L"\\\\.\\NUL"}, {L"C:\\p\\COM1", L"\\\\.\\COM1"}, {L"\\??\\C:\\p", L"\\??\\C:\\p"},
  };
  for (const auto& [path, native] : outside) EXPECT_EQ(file_path(path).native(), native) << wide_to_utf8(path);
  EXPECT_TRUE(same_path(file_path(L"C:\\P"), file_path(L"c:\\p\\")));
  EXPECT_FALSE(same_path(file_path(L"C:\\P"), file_path(L"C:\\P2")));
#endif
}

// What the system's answers mean for a profile's lockfile and for a record
// being replaced or deleted, including the rules Wine does not enforce.
TEST(HeldFiles, TheSystemsAnswers) {
  const unsigned long ok = 0, denied = 5, sharing = 32, lock = 33, missing = 2, pending = 303;
  // (delete open's error, read open's error, held)
  const std::tuple<unsigned long, unsigned long, bool> lockfile[] = {
      {ok, ok, false}, {missing, ok, false}, {sharing, ok, true},
      // A lockfile the user may not delete: denied before any sharing is looked at.
      {denied, sharing, true}, {denied, denied, true}, {denied, ok, false}, {denied, missing, false},
  };
  for (const auto& [first, second, held] : lockfile) EXPECT_EQ(held_by_answers(first, second), held) << first << " " << second;
  using A = Attempt;
  const std::uint32_t none = 0xFFFFFFFF, file = 0x20, folder = 0x10, read_only = 0x21;
  // (the call's error, the attributes, the attribute call's error, what the try came to)
  const std::tuple<unsigned long, std::uint32_t, unsigned long, A> tries[] = {
      {sharing, 0, 0, A::held}, {lock, 0, 0, A::held}, {pending, 0, 0, A::held}, {missing, 0, 0, A::failed},
      {denied, file, 0, A::held}, {denied, folder, 0, A::failed}, {denied, read_only, 0, A::failed},
      // A name pending deletion (FAT, exFAT, SMB, Windows 10 before 1903).
      {denied, none, denied, A::held}, {denied, none, pending, A::held}, {denied, none, missing, A::failed},
  };
  for (const auto& [error, attributes, attribute_error, attempt] : tries) {
    EXPECT_EQ(attempt_after_error(error, attributes, attribute_error), attempt) << error << " " << attributes;
  }
}

// Only reparse points known to keep their data in place (cloud files above
// all) are cleaned and walked as what they are; every other one is a link.
TEST(EntryKindFor, AttributesAndReparseTags) {
  using K = EntryKind;
  const std::uint32_t file = 0x20, folder = 0x10, reparse = 0x400, missing = 0xFFFFFFFF;
  // (attributes, reparse tag, what it is)
  const std::tuple<std::uint32_t, std::uint32_t, K> cases[] = {
      {missing, 0, K::missing}, {file, 0, K::file}, {folder, 0, K::folder}, {folder | 0x1, 0xA000000C, K::folder},
      {folder | reparse, 0, K::link},  // Wine's links
      {folder | reparse, 0xA0000003, K::link}, {file | reparse, 0xA000000C, K::link},  // junction, symbolic link
      {file | reparse, 0x8000001B, K::link}, {folder | reparse, 0x9000001C, K::link},   // app alias, ProjFS
      {file | reparse, 0x12345678, K::link},
      {file | reparse, 0x9000001A, K::file}, {folder | reparse, 0x9000001A, K::folder},  // cloud files
      {file | reparse, 0x9000F01A, K::file}, {folder | reparse, 0x9000701A, K::folder},
      {file | reparse, 0x9000001B, K::link}, {file | reparse, 0x9001001A, K::link},
      {file | reparse, 0x80000013, K::file}, {file | reparse, 0x80000017, K::file},       // dedup, WOF
      {file | reparse, 0x80000015, K::file}, {file | reparse, 0x8000001E, K::file},
      {file | reparse, 0x80000007, K::file}, {file | reparse, 0xC0000004, K::file}, {file | reparse, 0x80000006, K::file},
  };
  for (const auto& [attributes, tag, kind] : cases) {
    EXPECT_EQ(entry_kind_for(attributes, tag), kind) << std::hex << attributes << " " << tag;
  }
}

}  // namespace
}  // namespace vantrel::platform
