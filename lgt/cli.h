// The lgt command line: reads and writes .lgt files for scripts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lightset/file_name.h"
#include "output.h"

namespace lgt {

// One command-line argument in the three forms the commands need.
struct Argument {
  lightset::FileName path;  // as a file name
  std::optional<std::string>
      ansi;             // as a file's 8-bit text; nothing if the code page lacks a character
  std::string display;  // as UTF-8, for messages
};

// Runs the command the arguments (without the program name) ask for, printing to out and err.
// Returns the exit status: 0 success, 1 a file could not be read or written, or out or err
// failed (reported on err while it still works), 2 a bad command.
int Run(const std::vector<Argument>& arguments, Output& out, Output& err);

}  // namespace lgt
