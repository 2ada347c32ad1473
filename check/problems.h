// The readings that silently lose what the overlay's writer meant, and the
// starts the launcher would not begin, each as a problem with a stable code
// (records/endings.h holds the codes and their severities).
#pragma once

#include <string>
#include <vector>

#include "records/endings.h"

namespace vantrel {

struct CheckInputs;

struct Problem {
  ProblemCode code;
  std::string setting;  // the key concerned, or empty
  std::string message;
};

// The problems of this start, in a fixed order: the endings before anything
// is begun (as the launcher decides them), the profile argument, the
// overlay's encoding and form, then the settings in table order, the Engine's
// command line, then the check's own arguments.
std::vector<Problem> check_problems(const CheckInputs& in);

}  // namespace vantrel
