// Hostile and huge overlays: the readers finish without deep recursion (the
// test programs get the default 1 MiB stack of a Windows thread) and a
// quadratic scan would run into the test's time limit.
#include <gtest/gtest.h>

#include "base/shown_text.h"
#include "base/json_extract.h"
#include "overlay/overlay_model.h"
#include "ui/listing.h"
#include "webgl/catalogue.h"

namespace vantrel {
namespace {

std::string repeat(const std::string& piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

void read_hostile_overlays() {
  constexpr std::size_t MiB = 1024 * 1024;
  const std::string inputs[] = {
      "{\"start-page\":\"" + std::string(10 * MiB, 'a') + "\",\"auto-geo\":true}",
      "{\"proxy-server\":\"" + std::string(MiB, '\\'),
      std::string(MiB, '{'),
      "{\"granular-storage-reset\":{" + std::string(MiB, '}'),
      std::string(MiB, '[') + "{\"chrome-command-line\":" + std::string(MiB, '{'),
      "{" + repeat("\"proxy-server\":\"\\\n", 100000),
      repeat("\"start-page\":\"x\\", 100000),
      "{\"lang\":\"" + repeat(std::string("\0\xFF\xC3", 3), 200000) + "\"}",
      "{\"granular-storage-reset\":{" + std::string(2 * MiB, '"') + "}",
      "{" + repeat("\"k\":\"socks5://u:p@", 100000) + "}",
  };
  for (const std::string& text : inputs) {
    (void)parse_persona_overlay(text);
    const OverlayListing l = build_overlay_listing(text);
    (void)format_listing_rows(l.overrides);
    (void)hide_url_passwords(text);
    (void)parse_webgl_profile(text, "chrome-command-line");
  }
}

TEST(Robustness, HostileOverlays) { read_hostile_overlays(); }

}  // namespace
}  // namespace vantrel
