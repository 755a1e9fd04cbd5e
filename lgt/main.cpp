// Turns the process's arguments into lgt's and runs it.
#include <cstdio>
#include <vector>

#include "cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "wintext/ansi_text.h"

// Windows passes arguments as UTF-16; file names stay wide, values go through the ANSI code page.
int wmain(int argc, wchar_t** argv) {
  // Output lines end in LF as documented, not the CR LF of text mode.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
  std::vector<lgt::Argument> arguments;
  for (int i = 1; i < argc; ++i)
    arguments.push_back({argv[i], wintext::ToAnsi(argv[i]), wintext::ToUtf8(argv[i])});
  const bool utf8 = GetConsoleOutputCP() == CP_UTF8;
  lgt::Output out(stdout, _isatty(_fileno(stdout)), utf8),
      err(stderr, _isatty(_fileno(stderr)), utf8);
  return lgt::Run(arguments, out, err);
}

#else
#include <unistd.h>

#include <cstdlib>
#include <string_view>

// Whether the terminal shows UTF-8, as the locale's settings say.
bool TerminalTakesUtf8() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      const std::string_view text = value;
      return text.find("UTF-8") != text.npos || text.find("utf8") != text.npos ||
             text.find("utf-8") != text.npos || text.find("UTF8") != text.npos;
    }
  }
  return false;
}

int main(int argc, char** argv) {
  std::vector<lgt::Argument> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back({argv[i], argv[i], argv[i]});
  const bool utf8 = TerminalTakesUtf8();
  lgt::Output out(stdout, isatty(STDOUT_FILENO), utf8), err(stderr, isatty(STDERR_FILENO), utf8);
  return lgt::Run(arguments, out, err);
}

#endif
