#include "base/shown_text.h"

#include <algorithm>

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

std::string visible_text(const std::string& text) {
  // Valid UTF-8 first (what is not becomes U+FFFD), then every control
  // character written out: C0 and DEL as \xHH, C1 (U+0080-U+009F) as \u00HH.
  const std::string utf8 = wide_to_utf8(utf8_to_wide(text));
  const char* digits = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
    if (c < 0x20 || c == 0x7F) {
      out += std::string("\\x") + digits[c >> 4] + digits[c & 15];
    } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
      out += std::string("\\u00") + digits[next >> 4] + digits[next & 15];
      ++i;
    } else {
      out += static_cast<char>(c);
    }
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
