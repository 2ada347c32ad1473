// JSON string output for the test tools: ASCII kept, everything else as
// \uXXXX escapes of its UTF-16 units, so the text is valid JSON whatever the
// input holds.
#pragma once

#include <cstdio>
#include <string>

inline std::string tool_json_string(const wchar_t* text) {
  std::string out = "\"";
  for (const wchar_t* p = text; *p != 0; ++p) {
    const unsigned u = static_cast<unsigned>(*p);
    if (u == '"' || u == '\\') {
      out += '\\';
      out += static_cast<char>(u);
    } else if (u >= 0x20 && u < 0x7F) {
      out += static_cast<char>(u);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out += buf;
    }
  }
  return out + "\"";
}
