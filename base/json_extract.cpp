#include "base/json_extract.h"

#include <cstddef>

namespace vantrel {

namespace {

using std::size_t;
constexpr size_t npos = std::string::npos;

size_t skip_spaces(const std::string& text, size_t p) {
  while (p < text.size() && is_json_space(text[p])) ++p;
  return p;
}

// Matches `"KEY"\s*:\s*` at an occurrence of the quoted key starting at
// `pos`; returns the position after the trailing spaces, or npos.
size_t match_key_colon(const std::string& text, size_t pos, size_t needle_size) {
  size_t p = skip_spaces(text, pos + needle_size);
  if (p >= text.size() || text[p] != ':') return npos;
  return skip_spaces(text, p + 1);
}

// Visits each occurrence of `"KEY"` (overlapping ones included) in order
// until `visit(position)` returns true.
template <typename Visit>
void for_each_key_occurrence(const std::string& text, const std::string& key, Visit visit) {
  const std::string needle = "\"" + key + "\"";
  for (size_t pos = text.find(needle); pos != npos; pos = text.find(needle, pos + 1)) {
    if (visit(pos, needle.size())) return;
  }
}

bool is_name_start(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool is_name_char(char c) { return is_name_start(c) || (c >= '0' && c <= '9'); }

bool ends_scalar_token(char c) { return is_json_space(c) || c == ',' || c == '}' || c == ']'; }

}  // namespace

size_t find_string_end(const std::string& text, size_t p) {
  while (p < text.size()) {
    if (text[p] == '\\') {
      p += 2;
    } else if (text[p] == '"') {
      return p;
    } else {
      ++p;
    }
  }
  return npos;
}


size_t find_matching_bracket(const std::string& text, size_t open, size_t end) {
  const char opener = text[open];
  const char closer = opener == '{' ? '}' : ']';
  int depth = 1;
  for (size_t i = open + 1; i < end; ++i) {
    const char c = text[i];
    if (c == '"') {
      i = find_string_end(text, i + 1);
      if (i == npos || i >= end) return npos;
    } else if (c == opener) {
      ++depth;
    } else if (c == closer && --depth == 0) {
      return i;
    }
  }
  return npos;
}

std::string unescape_json_string(const std::string& raw) {
  std::string out;
  out.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\\' && i + 1 < raw.size()) {
      char decoded = 0;
      switch (raw[i + 1]) {
        case '"': decoded = '"'; break;
        case '/': decoded = '/'; break;
        case '\\': decoded = '\\'; break;
        case 'b': decoded = '\b'; break;
        case 'f': decoded = '\f'; break;
        case 'n': decoded = '\n'; break;
        case 'r': decoded = '\r'; break;
        case 't': decoded = '\t'; break;
        default: break;
      }
      if (decoded != 0) {
        out += decoded;
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

std::string extract_string_field(const std::string& text, const std::string& key, std::size_t* at) {
  std::string result;
  if (at != nullptr) *at = npos;
  // A value scan that failed at `failed_at` makes every later candidate whose
  // value starts at or before that point fail the same way: such a start
  // follows an escaped quote of the failed scan, so it walks the same pairs.
  // Skipping them keeps the search linear on hostile input.
  size_t failed_at = 0;
  bool any_failed = false;
  for_each_key_occurrence(text, key, [&](size_t pos, size_t needle_size) {
    size_t p = match_key_colon(text, pos, needle_size);
    if (p == npos || p >= text.size() || text[p] != '"') return false;
    const size_t start = p + 1;
    if (any_failed && start <= failed_at) return false;
    size_t q = start;
    while (q < text.size()) {
      const char c = text[q];
      if (c == '"') {
        result = unescape_json_string(text.substr(start, q - start));
        if (at != nullptr) *at = pos;
        return true;
      }
      if (c == '\\') {
        if (q + 1 >= text.size() || text[q + 1] == '\n' || text[q + 1] == '\r') break;
        q += 2;
      } else {
        ++q;
      }
    }
    if (q >= text.size()) return true;  // no later candidate can close either
    any_failed = true;
    failed_at = q;
    return false;
  });
  return result;
}

std::string extract_scalar_field(const std::string& text, const std::string& key, std::size_t* at) {
  std::string result;
  if (at != nullptr) *at = npos;
  for_each_key_occurrence(text, key, [&](size_t pos, size_t needle_size) {
    const size_t p = match_key_colon(text, pos, needle_size);
    if (p == npos || p >= text.size()) return false;
    if (text[p] == '"') {
      const size_t close = text.find('"', p + 1);
      if (close != npos) {
        result = text.substr(p + 1, close - p - 1);
        if (at != nullptr) *at = pos;
        return true;
      }
      // No closing quote: the bare-token alternative takes the quote itself.
    } else if (ends_scalar_token(text[p])) {
      return false;
    }
    size_t end = p;
    while (end < text.size() && !ends_scalar_token(text[end])) ++end;
    result = text.substr(p, end - p);
    if (at != nullptr) *at = pos;
    return true;
  });
  return result;
}

bool has_field(const std::string& text, const std::string& key) {
  bool found = false;
  for_each_key_occurrence(text, key, [&](size_t pos, size_t needle_size) {
    found = match_key_colon(text, pos, needle_size) != npos;
    return found;
  });
  return found;
}

std::vector<std::size_t> key_positions(const std::string& text, const std::string& key) {
  std::vector<size_t> positions;
  for_each_key_occurrence(text, key, [&](size_t pos, size_t needle_size) {
    if (match_key_colon(text, pos, needle_size) != npos) positions.push_back(pos);
    return false;
  });
  return positions;
}

std::map<std::string, bool> extract_bool_object(const std::string& text, const std::string& key, std::size_t* at,
                                                std::vector<std::string>* unread) {
  std::map<std::string, bool> members;
  std::string body;
  size_t open = npos;
  size_t close = npos;
  if (at != nullptr) *at = npos;
  for_each_key_occurrence(text, key, [&](size_t pos, size_t needle_size) {
    const size_t p = match_key_colon(text, pos, needle_size);
    if (p == npos || p >= text.size() || text[p] != '{') return false;
    close = text.find('}', p + 1);
    if (close == npos) return true;  // no '}' for any later candidate either
    open = p;
    body = text.substr(p + 1, close - p - 1);
    if (at != nullptr) *at = pos;
    return true;
  });
  if (open == npos) return members;

  // What the pattern passes over, trimmed of the blanks and commas between members.
  const auto passed_over = [unread](const std::string& stretch) {
    size_t begin = 0;
    size_t end = stretch.size();
    while (begin < end && (is_json_space(stretch[begin]) || stretch[begin] == ',')) ++begin;
    while (end > begin && (is_json_space(stretch[end - 1]) || stretch[end - 1] == ',')) --end;
    if (unread != nullptr && begin < end) unread->push_back(stretch.substr(begin, end - begin));
  };
  size_t from = 0;
  for (;;) {
    bool matched = false;
    for (size_t q = body.find('"', from); q != npos; q = body.find('"', q + 1)) {
      size_t p = q + 1;
      if (p >= body.size() || !is_name_start(body[p])) continue;
      while (p < body.size() && is_name_char(body[p])) ++p;
      if (p >= body.size() || body[p] != '"') continue;
      const std::string name = body.substr(q + 1, p - q - 1);
      p = skip_spaces(body, p + 1);
      if (p >= body.size() || body[p] != ':') continue;
      p = skip_spaces(body, p + 1);
      const bool on = body.compare(p, 4, "true") == 0;
      if (!on && body.compare(p, 5, "false") != 0) continue;
      passed_over(body.substr(from, q - from));
      members[name] = on;
      from = p + (on ? 4 : 5);
      matched = true;
      break;
    }
    if (!matched) break;
  }
  passed_over(body.substr(from));
  // A nested object's '}' ended the body: the rest of the object is not read.
  const size_t end = find_matching_bracket(text, open, text.size());
  if (unread != nullptr && end != npos && end > close) {
    const std::string rest = text.substr(close, end - close);
    if (rest.find_first_not_of("}, \t\n\v\f\r") != npos) unread->push_back(rest);
  }
  return members;
}

std::string extract_switch_proxy(const std::string& text, const std::string& object_key, std::size_t* at) {
  if (at != nullptr) *at = npos;
  size_t open = npos;
  for_each_key_occurrence(text, object_key, [&](size_t pos, size_t needle_size) {
    const size_t p = match_key_colon(text, pos, needle_size);
    if (p == npos || p >= text.size() || text[p] != '{') return false;
    open = p;
    return true;
  });
  if (open == npos) return std::string();

  const size_t close = find_matching_bracket(text, open, text.size());
  if (close == npos) return std::string();
  size_t inner = npos;
  std::string proxy = extract_string_field(text.substr(open, close - open + 1), "--proxy-server", &inner);
  if (at != nullptr && inner != npos) *at = open + inner;
  return proxy;
}

void for_each_member(const std::string& text, const MemberCallback& callback, bool escapes_in_keys) {
  const size_t n = text.size();
  // The first '{' outside a string.
  size_t i = 0;
  while (i < n && text[i] != '{') {
    if (text[i] == '"') {
      i = find_string_end(text, i + 1);
      if (i == npos) return;
    }
    ++i;
  }
  if (i + 1 >= n) return;  // none, or the '{' is the last byte
  ++i;

  for (;;) {
    while (i < n && (is_json_space(text[i]) || text[i] == ',')) ++i;
    if (i >= n || text[i] != '"') return;

    const size_t key_end = escapes_in_keys ? find_string_end(text, i + 1) : text.find('"', i + 1);
    if (key_end == npos) return;
    const std::string key = text.substr(i + 1, key_end - i - 1);

    i = key_end + 1;
    while (i < n && (is_json_space(text[i]) || text[i] == ':')) ++i;
    if (i >= n) return;

    const size_t value_start = i;
    const char first = text[i];
    if (first == '"') {
      const size_t close = find_string_end(text, i + 1);
      if (close == npos) return;
      i = close + 1;
    } else if (first == '{' || first == '[') {
      if (i + 1 >= n) return;
      const size_t close = find_matching_bracket(text, i, n);
      if (close == npos) return;
      i = close + 1;
    } else {
      while (i < n && text[i] != ',' && text[i] != '}' && !is_json_space(text[i])) ++i;
    }
    callback(key, text.substr(value_start, i - value_start));
    if (i >= n) return;
  }
}

bool is_enabled_value(const std::string& raw) {
  if (raw.empty()) return false;
  if (raw == "null" || raw == "false" || raw == "0") return false;
  if (raw[0] != '"') return true;
  if (raw.size() < 2 || raw.back() != '"') return true;
  std::string inner = raw.substr(1, raw.size() - 2);
  if (inner.empty()) return false;
  for (char& c : inner) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return !(inner == "false" || inner == "0" || inner == "off" || inner == "no");
}

bool read_member_at(const std::string& text, std::size_t at, std::string& key, std::string& raw) {
  bool found = false;
  for_each_member("{" + text.substr(at, 65536), [&](const std::string& k, const std::string& r) {
    if (found) return;
    key = k;
    raw = r;
    found = true;
  });
  return found;
}

std::string raw_value_text(const std::string& raw, bool* is_string) {
  const bool string = raw.size() >= 2 && raw.front() == '"' && raw.back() == '"';
  if (is_string != nullptr) *is_string = string;
  return string ? unescape_json_string(raw.substr(1, raw.size() - 2)) : raw;
}

int nesting_depth(const std::string& text, std::size_t pos) {
  int depth = 0;
  for (std::size_t i = 0; i < pos && i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      const std::size_t end = find_string_end(text, i + 1);
      if (end == std::string::npos || end >= pos) break;
      i = end;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      --depth;
    }
  }
  return depth;
}

}  // namespace vantrel
