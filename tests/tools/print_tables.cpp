// Prints the table of endings and the table of problems (records/endings.h)
// as one JSON object, for tests/unit/tables_test.py, which holds them against
// the schemas and the MANUAL's tables.
#include <cstdio>

#include "base/json_text.h"
#include "records/endings.h"

int main() {
  using namespace vantrel;
  JsonWriter j;
  j.open_object().key("endings").open_array();
  for (const EndingRow& e : ending_table()) {
    j.open_object().key("outcome").string(e.outcome).key("exit_code").number(e.exit_code).key("box").boolean(e.box);
    j.key("problem").string_or_null(e.problem == ProblemCode::none ? "" : problem_row(e.problem).name).close();
  }
  j.close().key("problems").open_array();
  for (const ProblemRow& p : problem_table()) {
    j.open_object().key("code").string(p.name).key("severity").string(severity_text(p.severity)).close();
  }
  std::fputs(j.finish().c_str(), stdout);
  return 0;
}
