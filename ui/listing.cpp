#include "ui/listing.h"

#include <algorithm>

#include "base/shown_text.h"
#include "base/text_encoding.h"

namespace vantrel {

namespace {
constexpr std::size_t kKeyWidth = 28;
constexpr std::size_t kValueLimit = 36;
constexpr std::size_t kValueCut = 33;
const std::string kEllipsis = "\xE2\x80\xA6";
}  // namespace

std::vector<ListingRow> format_listing_rows(std::vector<OverlayEntry> entries) {
  // std::string compares its bytes as unsigned values, shorter prefix first.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const OverlayEntry& a, const OverlayEntry& b) { return a.key < b.key; });
  std::size_t width = 0;
  for (const auto& e : entries) width = std::max(width, e.key.size());
  width = std::min(width, kKeyWidth);

  std::vector<ListingRow> rows;
  rows.reserve(entries.size());
  for (const auto& e : entries) {
    std::string key = blank_out_controls(e.key);
    if (key.size() > width) {
      key = cut_at_character(key, width - 1) + kEllipsis;
    } else {
      key.append(width - key.size(), ' ');
    }
    std::string value = e.value;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    value = blank_out_controls(hide_url_passwords(std::move(value)));
    if (value.size() > kValueLimit) value = cut_at_character(value, kValueCut) + kEllipsis;
    rows.push_back({utf8_to_wide(key), utf8_to_wide(value)});
  }
  return rows;
}

ProgressListings make_progress_listings(const OverlayListing& listing) {
  return {format_listing_rows(listing.overrides), format_listing_rows(listing.raw_switches), listing.override_count,
          listing.raw_switch_count};
}

int progress_window_height(std::size_t override_rows, std::size_t switch_rows, int screen_height) {
  long long content = 240;
  if (override_rows > 0 || switch_rows > 0) {
    // Row counts come from the overlay file and may be huge: 64-bit sums,
    // capped long before they could overflow.
    const auto capped = [](std::size_t n) { return static_cast<long long>(std::min<std::size_t>(n, 1u << 24)); };
    content = 264;
    if (override_rows > 0) content += 18 + 16 * capped(override_rows);
    if (switch_rows > 0) content += 18 + 16 * capped(switch_rows);
    if (override_rows > 0 && switch_rows > 0) content += 6;
  }
  const long long limit = static_cast<long long>(screen_height) * 80 / 100;
  return static_cast<int>(std::min(content, limit));
}

}  // namespace vantrel
