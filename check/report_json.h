// vantrel-check's report for a program: one JSON object on one line.
#pragma once

#include <string>

namespace vantrel {

struct CheckReport;

// The report as one JSON object and a line feed, in ASCII: every character
// outside it is written as \uXXXX, so the bytes read the same in every code
// page. Values are exact, except that every URL password shows as *** in
// every member but "engine_command_line".
std::string check_report_json(const CheckReport& report);

}  // namespace vantrel
