// The overlay's members as display rows for the progress window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "overlay/overlay_model.h"

namespace vantrel {

struct ListingRow {
  std::wstring key;    // padded or cut to the key column's width
  std::wstring value;  // unquoted and cut
};

// Sorted by key (byte-wise); the key column is as wide as the longest key but
// at most 28 bytes; longer keys are cut to at most 27 bytes and "…", shorter ones
// padded with blanks. A value loses its enclosing double quotes and is cut
// to at most 33 bytes and "…" when longer than 36 bytes. Widths count UTF-8 bytes;
// a cut ends where a character ends.
// Passwords in URLs are hidden (hide_url_passwords) before the cut, and line
// breaks, tabs and other control characters show as blanks.
std::vector<ListingRow> format_listing_rows(std::vector<OverlayEntry> entries);

// The two listings the window shows, made once before it exists.
struct ProgressListings {
  std::vector<ListingRow> active_override_rows;  // "Active overrides"
  std::vector<ListingRow> raw_switch_rows;       // "Raw Chromium switches"
  std::size_t active_override_count = 0;         // the members in all, for the headings' "(N)"
  std::size_t raw_switch_count = 0;
};
ProgressListings make_progress_listings(const OverlayListing& listing);

// The window's height for n override rows and m switch rows: 240 without
// rows, else 264 plus 18 + 16 per row for each non-empty listing and 6 when
// both are shown; at most 80 % of the screen height.
int progress_window_height(std::size_t override_rows, std::size_t switch_rows, int screen_height);

}  // namespace vantrel
