#include "base/json_text.h"

#include <cstdio>

#include "base/text_encoding.h"

namespace vantrel {

std::string json_escape(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b >= 0x80) {
      std::size_t bad = 0;
      const std::size_t len = utf8_sequence_length(text, i, &bad);
      if (len == 0) {
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

std::string format_utc_timestamp(unsigned year, unsigned month, unsigned day, unsigned hour,
                                 unsigned minute, unsigned second) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02uT%02u:%02u:%02uZ", year, month, day, hour, minute, second);
  return buf;
}

}  // namespace vantrel
