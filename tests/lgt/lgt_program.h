// The built lgt program, run as a script would run it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_process.h"

namespace lgt_testing {

inline testing_support::ProcessResult Lgt(const std::vector<std::string>& arguments) {
  return testing_support::RunProcess(testing_support::BesideThisProgram("lgt"), arguments);
}

// A path as the UTF-8 text lgt takes on its command line.
inline std::string Utf8(const std::filesystem::path& path) {
  const auto text = path.u8string();
  return {text.begin(), text.end()};
}

}  // namespace lgt_testing
