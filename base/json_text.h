// Pieces shared by the run records: JSON string escaping and time stamps.
#pragma once

#include <string>

namespace vantrel {

// The text to place between the double quotes of a JSON string: \t \n \r \"
// and \\ as two-character escapes, other bytes below 0x20 as \u00XX (lower-
// case hex), everything else unchanged (the slash and 0x7F included). Valid
// UTF-8 passes through byte for byte; a sequence that is not valid UTF-8 is
// written as U+FFFD, so the record always reads as UTF-8 JSON.
std::string json_escape(const std::string& text);

// "YYYY-MM-DDTHH:MM:SSZ" for the given UTC fields.
std::string format_utc_timestamp(unsigned year, unsigned month, unsigned day, unsigned hour,
                                 unsigned minute, unsigned second);

}  // namespace vantrel
