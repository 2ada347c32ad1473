#include "base/shown_text.h"

#include <algorithm>
#include <cstdint>

#include "base/text_encoding.h"

namespace vantrel {

std::string hide_url_passwords(std::string text) {
  // A password runs from the first ":" after "://" to the last "@" before
  // the next "://" (or the end of the text), whatever it holds: blanks,
  // quotes and "@" included. Text after the URL that holds an "@" is hidden
  // with it: more, never less. One pass over the text, each stretch between
  // two "://" looked at once: linear however many URLs a (possibly hostile)
  // text holds.
  std::string out;
  std::size_t copied = 0;
  for (std::size_t scheme = text.find("://"); scheme != std::string::npos;) {
    const std::size_t start = scheme + 3;
    const std::size_t next = text.find("://", start);
    const std::size_t end = next == std::string::npos ? text.size() : next;
    const std::size_t colon = text.find(':', start);  // stops at `next` at the latest
    std::size_t at = end;
    while (colon < at && at > start && text[at - 1] != '@') --at;
    if (colon < end && at > colon + 1 && text[at - 1] == '@') {
      out.append(text, copied, colon + 1 - copied).append("***");
      copied = at - 1;
    }
    scheme = next;
  }
  if (copied == 0) return text;
  return out.append(text, copied, std::string::npos);
}

std::string blank_out_controls(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return text;
}

std::string cut_at_character(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t length = utf8_sequence_length(text, end);
    const std::size_t step = length != 0 ? length : 1;
    if (end + step > limit) break;
    end += step;
  }
  return text.substr(0, end);
}

std::size_t edit_distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string nearest(const std::string& name, const std::vector<std::string>& candidates) {
  std::string best;
  std::size_t best_distance = 3;  // at most two edits away counts as a typo
  for (const std::string& c : candidates) {
    if (std::max(name.size(), c.size()) - std::min(name.size(), c.size()) > 2) continue;
    const std::size_t d = edit_distance(name, c);
    if (d < best_distance) {
      best = c;
      best_distance = d;
    }
  }
  return best;
}

namespace {

// Unicode's format and line-breaking characters: invisible, or turning the
// direction of what follows (U+202E), so that a line could read other than
// it is ("Trojan Source").
bool invisible_format(std::uint32_t c) {
  return c == 0xAD || c == 0x61C || c == 0x180E || (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB) || (c >= 0xE0001 && c <= 0xE007F);
}

std::string hex(std::uint32_t value, int digits) {
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits; i-- > 0; value >>= 4) out[static_cast<std::size_t>(i)] = "0123456789abcdef"[value & 15];
  return out;
}

}  // namespace

std::string visible_text(const std::string& text) {
  // Valid UTF-8 first (what is not becomes U+FFFD), then every control
  // character written out (C0 and DEL as \xHH, C1 as \u00HH), and so is
  // every format character (\uXXXX, \u{XXXXX} above U+FFFF).
  const std::string utf8 = wide_to_utf8(utf8_to_wide(text));
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t length = std::max<std::size_t>(1, utf8_sequence_length(utf8, i));  // valid: 1 to 4
    std::uint32_t c = static_cast<unsigned char>(utf8[i]);
    if (length > 1) c &= 0x3Fu >> (length - 1);
    for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
    if (c < 0x20 || c == 0x7F) {
      out += "\\x" + hex(c, 2);
    } else if ((c >= 0x80 && c <= 0x9F) || (invisible_format(c) && c <= 0xFFFF)) {
      out += "\\u" + hex(c, 4);
    } else if (invisible_format(c)) {
      out += "\\u{" + hex(c, 5) + "}";
    } else {
      out.append(utf8, i, length);
    }
    i += length;
  }
  return out;
}

std::string ascii_lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace vantrel
