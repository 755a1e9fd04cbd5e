#include "cli.h"

#include <cerrno>
#include <new>
#include <string_view>

#include "commands.h"
#include "lightset/error_text.h"
#include "lightset/fields.h"
#include "version.h"

namespace lgt {
namespace {

// "Usage: ..." with the value options of the table of fields.
std::string Usage() {
  std::string usage =
      "Usage: lgt read FILE\n"
      "       lgt read --json FILE...\n"
      "       lgt check [--json] FILE...\n"
      "       lgt write FILE [VALUES | --json -]\n"
      "       lgt set FILE [VALUES | --json -]\n"
      "       lgt diff [--json] FILE FILE\n"
      "       lgt preview FILE... --out FOLDER [--size N]\n"
      "       lgt completion bash|zsh|fish|powershell\n"
      "       lgt --help | --version\n"
      "VALUES:";
  std::size_t column = usage.size() - usage.rfind('\n') - 1;
  for (const lightset::Field& field : lightset::kFields) {
    const std::string option = " [" + std::string(field.option) + " " +
                               (field.kind == lightset::FieldKind::Colour   ? "\"R G B\""
                                : field.kind == lightset::FieldKind::Number ? "NUMBER"
                                                                            : "TEXT") +
                               "]";
    if (column + option.size() > 79) {
      usage += "\n       ";
      column = 7;
    }
    usage += option;
    column += option.size();
  }
  return usage + '\n';
}

// What read prints, with its keys in the order of the table of fields, wrapped as the help is.
std::string ReadHelp() {
  std::string help = "  read    prints each value FILE sets as Key=value, in the order";
  std::size_t column = help.size();
  for (std::size_t i = 0; i < lightset::kFieldCount; ++i) {
    const std::string word =
        std::string(lightset::kFields[i].key) + (i + 1 < lightset::kFieldCount ? "," : ";");
    if (column + 1 + word.size() > 90) {
      help += "\n         ";
      column = 9;
    }
    help += " " + word;
    column += 1 + word.size();
  }
  return help + "\n          colours as R G B. Reads as Kestrune Light Editor opens a file.\n";
}

constexpr std::string_view kHelpAfterRead =
    "  check   reads each FILE as the editor opens it and prints \"FILE: ok\", or\n"
    "          \"FILE:LINE: message\" on standard error; after more than one file, a last line\n"
    "          \"N files, K could not be read\" on standard error. On Windows, * and ? in a\n"
    "          FILE match file names.\n"
    "  --json  with read and check: one JSON array on standard output, an object per file in\n"
    "          order: {\"file\": NAME, \"values\": {KEY: VALUE...}} with the values the file\n"
    "          sets (the name and numbers as strings, exactly as held; colours as [R, G, B];\n"
    "          check gives no values), or {\"file\": NAME, \"error\": {\"line\": N, \"message\":\n"
    "          TEXT}}. Text is the file's code page as UTF-8 (Windows-1252 on Linux, the\n"
    "          system's ANSI code page on Windows).\n"
    "  write   writes FILE (that exact name) as Kestrune Light Editor saves it. Colours are\n"
    "          three numbers 0 to 255 and default to 255 255 255; the name defaults to empty.\n"
    "          Inclination and rotation must be numbers. Each value is written exactly as\n"
    "          given, blanks around a number too (reading drops those). With --json - the\n"
    "          values are one object of read --json, read from standard input; a character\n"
    "          the code page cannot hold is refused.\n"
    "  set     reads FILE as the editor opens it, replaces only the values given, and writes\n"
    "          it as write does; a value neither the file nor an option sets takes write's\n"
    "          default. The file is rewritten in its standard fifteen lines: comments and\n"
    "          lines the reader ignores are not kept.\n"
    "  diff    compares the values two files set, not their bytes (comments, line ends and\n"
    "          ignored lines do not count), and prints each that differs as\n"
    "          \"KEY: A -> B\" (\"(not set)\" where a file does not set it); with --json,\n"
    "          {\"changed\": {KEY: {\"a\": A, \"b\": B}}, \"only_in_a\": [KEY...],\n"
    "          \"only_in_b\": [KEY...]}. Exit status 0 the same, 1 different, 2 a file could\n"
    "          not be read.\n"
    "  preview writes a picture of each FILE's lighting (a PNG named after it) and\n"
    "          FOLDER/index.html, a page that shows every picture with its set's name and\n"
    "          values, and lists the files that could not be read. --size: the pictures'\n"
    "          width and height in pixels, 32 to 2048 (256). The sun's inclination is its\n"
    "          height above the horizon in degrees, its rotation its bearing clockwise from\n"
    "          north; an approximation of common real-time lighting, not the game's.\n"
    "  completion  prints a script that completes lgt's verbs and options in the shell.\n"
    "\n"
    "Examples:\n"
    "  lgt check dawn.lgt noon.lgt dusk.lgt\n"
    "  lgt set dusk.lgt --sun-colour \"255 180 120\" --sun-rotation 200\n"
    "  lgt read --json dusk.lgt | jq '.[0].values.Name = \"Dawn\"' | lgt write dawn.lgt --json -\n"
    "  source <(lgt completion bash)\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written (or the output could not be\n"
    "written), 2 a bad command or value.\n";

}  // namespace

int BadCommand(Output& err, const std::string& message) {
  err << "lgt: " << message << '\n' << Usage();
  return kBadCommand;
}

bool TakeJsonOption(const std::vector<Argument>& arguments, std::size_t& at) {
  const bool json = at < arguments.size() && arguments[at].display == "--json";
  at += json;
  return json;
}

namespace {

int RunCommand(const std::vector<Argument>& arguments, Output& out, Output& err, std::FILE* in) {
  const std::string verb = arguments.empty() ? "" : arguments[0].display;
  if (verb == "--help" || verb == "--version") {
    if (arguments.size() > 1) return BadCommand(err, verb + " takes no arguments");
    if (verb == "--help")
      out << Usage() << "\nReads and writes Kestrune lighting-set (.lgt) files.\n\n"
          << ReadHelp() << kHelpAfterRead;
    else
      out << "lgt " << KESTRUNE_VERSION_TEXT << '\n';
    return 0;
  }
  if (verb.empty()) return BadCommand(err, "no command given");
  if (verb == "read") return ReadCommand(arguments, out, err);
  if (verb == "check") return CheckCommand(arguments, out, err);
  if (verb == "diff") return DiffCommand(arguments, out, err);
  if (verb == "preview") return PreviewCommand(arguments, err);
  if (verb == "completion") return CompletionCommand(arguments, out, err);
  if (verb != "write" && verb != "set") return BadCommand(err, "unknown command " + verb);
  if (arguments.size() < 2) return BadCommand(err, verb + ": wrong number of arguments");
  if (arguments[1].path.empty()) return BadCommand(err, verb + ": the file name is empty");
  return verb == "write" ? WriteCommand(arguments, err, in) : SetCommand(arguments, err, in);
}

}  // namespace

int Run(const std::vector<Argument>& arguments, Output& out, Output& err, std::FILE* in) {
  int status = kFailed;
  try {
    status = RunCommand(arguments, out, err, in);
  } catch (const std::bad_alloc&) {
    err << "lgt: not enough memory\n";
  }
  // Output that never arrived (a full disk, a closed pipe) is a failure, not a success.
  errno = 0;
  if (!out.Flush()) {
    const int reason = errno;
    err << "lgt: cannot write to standard output"
        << (reason ? ": " + lightset::ErrnoReason(reason) : std::string()) << '\n';
    status = kFailed;
  }
  if (!err.Flush()) status = kFailed;
  return status;
}

}  // namespace lgt
