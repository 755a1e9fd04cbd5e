// Turns the process's arguments into lgt's and runs it.
#include <cstdio>
#include <vector>

#include "cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "wintext/ansi_text.h"

// Windows passes arguments as UTF-16; file names stay wide, values go through the ANSI code page.
int wmain(int argc, wchar_t** argv) {
  // Output lines end in LF as documented, not the CR LF of text mode.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<lgt::Argument> arguments;
  for (int i = 1; i < argc; ++i)
    arguments.push_back({argv[i], wintext::ToAnsi(argv[i]), wintext::ToUtf8(argv[i])});
  lgt::Output out(stdout, _isatty(_fileno(stdout))), err(stderr);
  return lgt::Run(arguments, out, err);
}

#else
#include <unistd.h>

int main(int argc, char** argv) {
  std::vector<lgt::Argument> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back({argv[i], argv[i], argv[i]});
  lgt::Output out(stdout, isatty(STDOUT_FILENO)), err(stderr);
  return lgt::Run(arguments, out, err);
}

#endif
