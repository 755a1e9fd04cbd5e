// Runs a program to its end and captures what it printed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs program with arguments (UTF-8; passed as UTF-16 on Windows) and waits for it. Its
// standard output goes to the existing file outputTo instead when one is named.
ProcessResult RunProcess(const std::filesystem::path& program,
                         const std::vector<std::string>& arguments,
                         const std::filesystem::path& outputTo = {});

// A program built beside the running test executable ("lgt" finds lgt or lgt.exe).
std::filesystem::path BesideThisProgram(const std::string& name);

}  // namespace testing_support
