// The lgt command line: reads and writes .lgt files for scripts.
#pragma once

#include <cstdio>
#include <vector>

#include "argument.h"
#include "output.h"

namespace lgt {

// Runs the command the arguments (without the program name) ask for, reading in where a command
// takes standard input, printing to out and err. Returns the exit status: 0 success, 1 a file
// could not be read or written, or out or err failed (reported on err while it still works), 2 a
// bad command.
int Run(const std::vector<Argument>& arguments, Output& out, Output& err, std::FILE* in = stdin);

}  // namespace lgt
