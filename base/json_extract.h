// Pattern-based field extraction from raw JSON text.
//
// The launcher has no JSON parser. These operations pull single values out of
// UTF-8 text by searching for a quoted key, exactly as the regular expressions
// quoted on each function would (ECMAScript grammar, leftmost match anywhere
// in the text). They are written as hand-made scanners rather than std::regex
// because libstdc++'s regex engine recurses once per matched character and
// overflows the stack on long values; every scanner runs in time linear in the
// text and uses constant stack.
//
// None of them fails: a missing key or a value of another shape gives an
// empty string, false or an empty map. Keys are spliced into the patterns
// verbatim and must consist of letters, digits, '-' and '_'.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vantrel {

// `"KEY"\s*:\s*"((?:\\.|[^"\\])*)"`: the first occurrence of the key whose
// value is a double-quoted string, decoded with unescape_json_string. Inside
// the value a backslash pairs with the next byte unless that is CR or LF.
// `at`, when given, receives the position of the matched key's opening quote
// (npos when none matched); the other readers below take it alike.
std::string extract_string_field(const std::string& text, const std::string& key, std::size_t* at = nullptr);

// `"KEY"\s*:\s*(?:"([^"]*)"|([^\s,}\]]+))`: the quoted content up to the next
// double quote (escaped or not, raw), or else the bare token; empty when the
// key has neither.
std::string extract_scalar_field(const std::string& text, const std::string& key, std::size_t* at = nullptr);

// `"KEY"\s*:`: the key occurs anywhere followed by a colon.
bool has_field(const std::string& text, const std::string& key);

// Every position at which `"KEY"\s*:` starts, in order.
std::vector<std::size_t> key_positions(const std::string& text, const std::string& key);

// `"KEY"\s*:\s*\{([^}]*)\}`, then every non-overlapping
// `"([a-zA-Z_][a-zA-Z_0-9]*)"\s*:\s*(true|false)` inside the body (which ends
// at the first '}', even a nested one). A repeated name keeps its last value.
// `unread`, when given, receives what the pattern passed over, in order: each
// stretch of the body before, between and after the members read (without
// the blanks and commas around them), and, when a nested object's '}' ended
// the body, the rest of the object from that '}' on.
std::map<std::string, bool> extract_bool_object(const std::string& text, const std::string& key,
                                                std::size_t* at = nullptr, std::vector<std::string>* unread = nullptr);

// Decodes \" \/ \\ \b \f \n \r \t. Any other backslash (\u included, or a
// trailing one) is copied as is and the byte after it copied as ordinary.
std::string unescape_json_string(const std::string& raw);

// The "--proxy-server" string inside the first object named `object_key`
// (found by `"KEY"\s*:\s*\{` and closed by a string-aware brace count);
// empty when absent or when the object never closes.
std::string extract_switch_proxy(const std::string& text, const std::string& object_key, std::size_t* at = nullptr);

// Calls `callback(key, raw_value)` for each member of the first object in the
// text, in text order, tolerating missing colons and commas. Keys are raw
// (escapes kept); values are raw: a string with its quotes, an object or array
// with its brackets, or a bare token (possibly empty). Nested objects are not
// entered. Stops silently at the first thing it cannot read. With
// `escapes_in_keys` false a key ends at the first double quote after its
// opening one, backslash or not (the WebGL catalogue reads names so).
using MemberCallback = std::function<void(const std::string& key, const std::string& raw_value)>;
void for_each_member(const std::string& text, const MemberCallback& callback, bool escapes_in_keys = true);

// The member whose key's opening quote is at `at` (the first 64 KiB after it
// read with for_each_member): its raw key and raw value; false when none can
// be read there.
bool read_member_at(const std::string& text, std::size_t at, std::string& key, std::string& raw);

// A raw member value as text: a string without its quotes and decoded
// (unescape_json_string), anything else as it is. `is_string` says which.
std::string raw_value_text(const std::string& raw, bool* is_string = nullptr);

// How deep `pos` stands in nested objects and arrays: 1 for a member of the
// outermost object (strings skipped, as the readers skip them).
int nesting_depth(const std::string& text, std::size_t pos);

// Whether a raw member value counts as switched on: false for empty, null,
// false, 0, "" and the quoted words false/0/off/no in any letter case.
bool is_enabled_value(const std::string& raw);

// Position of the double quote that closes a string whose body starts at
// `from` (a backslash escapes the next byte), or npos when it never closes.
std::size_t find_string_end(const std::string& text, std::size_t from);

// Position of the bracket that closes the '{' or '[' at `open`, counting only
// brackets of that kind before `end` and ignoring those inside strings
// (a double quote toggles, a backslash inside a string escapes the next
// byte); npos when none does.
std::size_t find_matching_bracket(const std::string& text, std::size_t open, std::size_t end);

// The six white-space bytes of the patterns' \s (and of isspace in the C
// locale): space, \t, \n, \v, \f, \r.
inline bool is_json_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace vantrel
