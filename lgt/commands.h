// lgt's verbs, each in its own file, and what they share. Each takes the whole command line (the
// verb first) and returns the exit status.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "argument.h"
#include "output.h"

namespace lgt {

inline constexpr int kFailed = 1;      // a file could not be read or written
inline constexpr int kBadCommand = 2;  // a bad command or value: nothing was written

// Says "lgt: <message>" and the usage on err; returns kBadCommand.
int BadCommand(Output& err, const std::string& message);

// Whether arguments[at] is "--json"; if so, at moves past it.
bool TakeJsonOption(const std::vector<Argument>& arguments, std::size_t& at);

int ReadCommand(const std::vector<Argument>& arguments, Output& out, Output& err);
int CheckCommand(const std::vector<Argument>& arguments, Output& out, Output& err);
int WriteCommand(const std::vector<Argument>& arguments, Output& err, std::FILE* in);
int SetCommand(const std::vector<Argument>& arguments, Output& err, std::FILE* in);
int DiffCommand(const std::vector<Argument>& arguments, Output& out, Output& err);
int PreviewCommand(const std::vector<Argument>& arguments, Output& err);
int CompletionCommand(const std::vector<Argument>& arguments, Output& out, Output& err);

}  // namespace lgt
