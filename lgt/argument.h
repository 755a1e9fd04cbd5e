// One command-line argument of lgt in the three forms the commands need.
#pragma once

#include <optional>
#include <string>

#include "lightset/file_name.h"

namespace lgt {

struct Argument {
  lightset::FileName path;  // as a file name
  std::optional<std::string>
      ansi;             // as a file's 8-bit text; nothing if the code page lacks a character
  std::string display;  // as UTF-8, for messages
};

}  // namespace lgt
