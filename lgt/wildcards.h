// File arguments with wildcards, which Windows shells pass to a program unexpanded.
#pragma once

#include <vector>

#include "argument.h"

namespace lgt {

// On Windows, a file argument whose name (the part after the last \ or /) holds * or ? gives the
// files that match it, in case-insensitive name order, or none; folders do not match. Any other
// argument, and every argument elsewhere (where the shell expands), gives itself.
std::vector<Argument> FilesMatching(const Argument& argument);

}  // namespace lgt
