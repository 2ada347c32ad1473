// Hostile and huge overlays: the readers finish without deep recursion (a
// quadratic scan would run into the test's time limit). On Windows the same
// checks also run on a thread created with the default stack size.
#include <gtest/gtest.h>

#include <functional>

#include "base/json_extract.h"
#include "overlay/overlay_model.h"
#include "ui/listing.h"
#include "webgl/catalogue.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantrel {
namespace {

struct Hostile {
  const char* name;
  std::string text;
};

std::vector<Hostile> hostile_inputs() {
  constexpr std::size_t MiB = 1024 * 1024;
  std::vector<Hostile> v;
  v.push_back({"10 MiB start page", "{\"start-page\":\"" + std::string(10 * MiB, 'a') + "\",\"auto-geo\":true}"});
  v.push_back({"1 MiB of backslashes in a value", "{\"proxy-server\":\"" + std::string(MiB, '\\')});
  v.push_back({"1 MiB of backslashes", std::string(MiB, '\\')});
  v.push_back({"unbalanced braces", std::string(MiB, '{')});
  v.push_back({"unbalanced closing", "{\"granular-storage-reset\":{" + std::string(MiB, '}')});
  v.push_back({"deep nesting", std::string(MiB, '[') + "{\"chrome-command-line\":" + std::string(MiB, '{')});
  v.push_back({"many keys without values", [] {
                 std::string s = "{";
                 for (int i = 0; i < 100000; ++i) s += "\"proxy-server\":\"\\\n";
                 return s;
               }()});
  v.push_back({"many unterminated values", [] {
                 std::string s;
                 for (int i = 0; i < 100000; ++i) s += "\"start-page\":\"x\\";
                 return s;
               }()});
  v.push_back({"nul and invalid utf-8", [] {
                 std::string s = "{\"lang\":\"";
                 for (int i = 0; i < 200000; ++i) s += std::string("\0\xFF\xC3", 3);
                 return s + "\"}";
               }()});
  v.push_back({"bool object with huge body", "{\"granular-storage-reset\":{" + std::string(2 * MiB, '"') + "}"});
  return v;
}

void run_all_hostile() {
  for (const auto& h : hostile_inputs()) {
    (void)parse_persona_overlay(h.text);
    const OverlayListing l = build_overlay_listing(h.text);
    (void)format_listing_rows(l.overrides);
    (void)hide_url_passwords(h.text);
    (void)parse_webgl_profile(h.text, "chrome-command-line");
  }
}

TEST(Robustness, HostileOverlaysOnTheCallingThread) { run_all_hostile(); }

TEST(Robustness, LongValuesAreReadWhole) {
  const std::string value(10 * 1024 * 1024, 'v');
  EXPECT_EQ(parse_persona_overlay("{\"start-page\":\"" + value + "\"}").start_page, value);
  EXPECT_EQ(extract_scalar_field("{\"k\":\"" + value + "\"}", "k"), value);
}

#ifdef _WIN32
DWORD WINAPI hostile_thread(void*) {
  run_all_hostile();
  return 0;
}

TEST(Robustness, HostileOverlaysOnADefaultStackThread) {
  HANDLE thread = ::CreateThread(nullptr, 0, hostile_thread, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(::WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  ::CloseHandle(thread);
}
#endif

}  // namespace
}  // namespace vantrel
