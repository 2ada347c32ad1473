#include "base/json_text.h"

#include <cstdio>

#include "base/text_encoding.h"

namespace vantrel {

std::string json_escape(const std::string& text, bool ascii_only) {
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b >= 0x80) {
      std::size_t bad = 0;
      const std::size_t len = utf8_sequence_length(text, i, &bad);
      if (ascii_only) {
        const std::wstring units = utf8_to_utf16_portable(std::string_view(text).substr(i, len == 0 ? bad : len));
        for (const wchar_t unit : units) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(unit));
          out += buf;
        }
        i += len == 0 ? bad : len;
      } else if (len == 0) {
        out += "\xEF\xBF\xBD";
        i += bad;
      } else {
        out.append(text, i, len);
        i += len;
      }
      continue;
    }
    switch (b) {
      case 0x09: out += "\\t"; break;
      case 0x0A: out += "\\n"; break;
      case 0x0D: out += "\\r"; break;
      case 0x22: out += "\\\""; break;
      case 0x5C: out += "\\\\"; break;
      default:
        if (b < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(b));
          out += buf;
        } else {
          out += static_cast<char>(b);
        }
    }
    ++i;
  }
  return out;
}

JsonWriter& JsonWriter::literal(const std::string& json) {
  if (!first_ && text_.back() != ':') text_ += ',';
  first_ = false;
  text_ += json;
  return *this;
}

JsonWriter& JsonWriter::key(const std::string& name) {
  return literal("\"" + json_escape(name, ascii_only_) + "\":");
}

JsonWriter& JsonWriter::exact(const std::string& value) {
  return literal("\"" + json_escape(value, ascii_only_) + "\"");
}

JsonWriter& JsonWriter::string(const std::string& value) {
  return exact(shown_ != nullptr ? shown_(value) : value);
}

JsonWriter& JsonWriter::string_or_null(const std::string& value) { return value.empty() ? null() : string(value); }

JsonWriter& JsonWriter::strings(const std::vector<std::string>& values) {
  open_array();
  for (const std::string& v : values) string(v);
  return close();
}

JsonWriter& JsonWriter::open(char bracket) {
  literal(std::string(1, bracket));
  closers_ += bracket == '{' ? '}' : ']';
  first_ = true;
  return *this;
}

JsonWriter& JsonWriter::close() {
  if (!closers_.empty()) {
    text_ += closers_.back();
    closers_.pop_back();
  }
  first_ = false;
  return *this;
}

std::string JsonWriter::finish() {
  while (!closers_.empty()) close();
  return text_ + "\n";
}

std::string format_utc_timestamp(unsigned year, unsigned month, unsigned day, unsigned hour,
                                 unsigned minute, unsigned second, int millisecond) {
  char buf[40];
  if (millisecond < 0) {
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02uT%02u:%02u:%02uZ", year, month, day, hour, minute, second);
  } else {
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02uT%02u:%02u:%02u.%03dZ", year, month, day, hour, minute, second,
                  millisecond);
  }
  return buf;
}

}  // namespace vantrel
