// vantrel-check's report for a program: one JSON object on one line.
#pragma once

#include <string>

namespace vantrel {

struct CheckInputs;

// The report as one JSON object and a line feed (valid UTF-8 whatever the
// overlay holds; values exact, proxy passwords shown as ***).
std::string check_report_json(const CheckInputs& in);

}  // namespace vantrel
