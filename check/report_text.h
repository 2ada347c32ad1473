// vantrel-check's report for a person: short lines of UTF-8 that are safe to
// print in any terminal.
#pragma once

#include <string>

namespace vantrel {

struct CheckReport;

// The report. Text from the overlay, the profile's file names or the network
// never reaches the terminal raw (visible_text), and no URL password in
// it is shown.
std::string check_report_text(const CheckReport& report);

// One profile of a store, in a few lines: its name, the start, the probe's
// verdict, then every mismatch, note and problem.
std::string check_store_block_text(const std::string& name, const CheckReport& report);

// A member as written, for both reports: on one line (controls as blanks),
// its URL passwords hidden, cut after 71 bytes where a character ends, "…"
// added.
std::string member_snippet(const std::string& written);

}  // namespace vantrel
