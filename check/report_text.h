// vantrel-check's report for a person: short lines of UTF-8 that are safe to
// print in any terminal.
#pragma once

#include <string>

namespace vantrel {

struct CheckInputs;

// The report. Text from the overlay, the profile's file names or the network
// never reaches the terminal raw: see visible_text.
std::string check_report_text(const CheckInputs& in);

// One profile of a store, in a few lines: its name, the start, the probe's
// verdict, then every mismatch, note and problem.
std::string check_store_block_text(const std::string& name, const CheckInputs& in);

// `text` as valid UTF-8 with every control character shown instead of
// written: C0 controls (line breaks and ESC among them) and DEL as "\x1b",
// C1 controls (U+0080 to U+009F) as "\u009b".
std::string visible_text(const std::string& text);

}  // namespace vantrel
