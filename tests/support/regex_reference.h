// The extraction patterns evaluated literally with std::regex: the reference
// the hand-written scanners are checked against. Only safe on short inputs
// (libstdc++'s matcher recurses once per matched character).
#pragma once

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "base/json_extract.h"

namespace vantrel::reference {

// `at` receives where the match starts, or npos.
inline std::string string_field(const std::string& text, const std::string& key, std::size_t* at = nullptr) {
  const std::regex re("\"" + key + R"re("\s*:\s*"((?:\\.|[^"\\])*)")re");
  std::smatch m;
  const bool found = std::regex_search(text, m, re);
  if (at != nullptr) *at = found ? static_cast<std::size_t>(m.position(0)) : std::string::npos;
  return found ? unescape_json_string(m[1].str()) : std::string();
}

inline std::string scalar_field(const std::string& text, const std::string& key, std::size_t* at = nullptr) {
  const std::regex re("\"" + key + R"re("\s*:\s*(?:"([^"]*)"|([^\s,}\]]+)))re");
  std::smatch m;
  const bool found = std::regex_search(text, m, re);
  if (at != nullptr) *at = found ? static_cast<std::size_t>(m.position(0)) : std::string::npos;
  if (!found) return std::string();
  if (m[1].matched) return m[1].str();
  if (m[2].matched) return m[2].str();
  return std::string();
}

inline std::vector<std::size_t> key_positions(const std::string& text, const std::string& key) {
  std::vector<std::size_t> out;
  const std::regex re("\"" + key + R"re("\s*:)re");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it) {
    out.push_back(static_cast<std::size_t>(it->position(0)));
  }
  return out;
}

inline std::map<std::string, bool> bool_object(const std::string& text, const std::string& key) {
  std::map<std::string, bool> out;
  std::smatch m;
  if (!std::regex_search(text, m, std::regex("\"" + key + R"re("\s*:\s*\{([^}]*)\})re"))) return out;
  const std::string body = m[1].str();
  const std::regex member(R"re("([a-zA-Z_][a-zA-Z_0-9]*)"\s*:\s*(true|false))re");
  for (auto it = std::sregex_iterator(body.begin(), body.end(), member); it != std::sregex_iterator(); ++it) {
    out[(*it)[1].str()] = (*it)[2].str() == "true";
  }
  return out;
}

inline std::string switch_proxy(const std::string& text) {
  std::smatch m;
  if (!std::regex_search(text, m, std::regex(R"re("chrome-command-line"\s*:\s*\{)re"))) return std::string();
  const std::size_t open = static_cast<std::size_t>(m.position(0) + m.length(0) - 1);
  int depth = 1;
  bool in_string = false, escaped = false;
  for (std::size_t i = open + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (escaped) {
      escaped = false;
    } else if (in_string && c == '\\') {
      escaped = true;
    } else if (c == '"') {
      in_string = !in_string;
    } else if (!in_string && c == '{') {
      ++depth;
    } else if (!in_string && c == '}' && --depth == 0) {
      return string_field(text.substr(open, i - open + 1), "--proxy-server");
    }
  }
  return std::string();
}

}  // namespace vantrel::reference
