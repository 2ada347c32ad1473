// Writing JSON: string escaping, one writer for the run records and the
// check's report, and time stamps.
#pragma once

#include <string>
#include <vector>

namespace vantrel {

// The text to place between the double quotes of a JSON string: \t \n \r \"
// and \\ as two-character escapes, other bytes below 0x20 as \u00XX (lower-
// case hex), everything else unchanged (the slash and 0x7F included). Valid
// UTF-8 passes through byte for byte; a sequence that is not valid UTF-8 is
// written as U+FFFD, so the record always reads as UTF-8 JSON. With
// `ascii_only` every character outside ASCII is written as \uXXXX (a
// surrogate pair above U+FFFF, lower-case hex): the same value for any JSON
// reader, and bytes that read the same in every code page.
std::string json_escape(const std::string& text, bool ascii_only = false);

// One JSON text, written value by value: objects and arrays nest, the commas
// and the colons are placed, strings are escaped. Every string value written
// with string() passes through `shown` first when one is given (the check
// hides passwords so: no member can forget it); exact() writes one as it is.
class JsonWriter {
 public:
  using Shown = std::string (*)(std::string);
  explicit JsonWriter(bool ascii_only = false, Shown shown = nullptr) : ascii_only_(ascii_only), shown_(shown) {}
  JsonWriter& key(const std::string& name);  // the next value's member name
  JsonWriter& string(const std::string& value);
  JsonWriter& exact(const std::string& value);
  JsonWriter& string_or_null(const std::string& value);  // null for an empty value
  JsonWriter& boolean(bool value) { return literal(value ? "true" : "false"); }
  JsonWriter& number(long long value) { return literal(std::to_string(value)); }
  JsonWriter& null() { return literal("null"); }
  JsonWriter& strings(const std::vector<std::string>& values);  // an array of strings
  JsonWriter& open_object() { return open('{'); }
  JsonWriter& open_array() { return open('['); }
  JsonWriter& close();  // the innermost open object or array
  // The text, with every object and array still open closed, and a line feed.
  std::string finish();

 private:
  JsonWriter& literal(const std::string& json);
  JsonWriter& open(char bracket);
  bool ascii_only_;
  Shown shown_;
  std::string text_;
  std::string closers_;  // what closes each open object or array, innermost last
  bool first_ = true;    // nothing written yet in the innermost one
};

// "YYYY-MM-DDTHH:MM:SSZ" for the given UTC fields; with `millisecond`
// (0 to 999) "YYYY-MM-DDTHH:MM:SS.mmmZ".
std::string format_utc_timestamp(unsigned year, unsigned month, unsigned day, unsigned hour,
                                 unsigned minute, unsigned second, int millisecond = -1);

}  // namespace vantrel
