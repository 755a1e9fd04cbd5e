#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "code_page.h"
#include "lightset/disk_files.h"
#include "lightset/error_text.h"
#include "lightset/file_reader.h"
#include "lightset/file_writer.h"
#include "version.h"
#include "wildcards.h"

namespace lgt {
namespace {

using lightset::LightSetting;

constexpr int kFailed = 1;
constexpr int kBadCommand = 2;

constexpr std::string_view kUsage =
    "Usage: lgt read FILE\n"
    "       lgt check FILE...\n"
    "       lgt write FILE [VALUES]\n"
    "       lgt set FILE [VALUES]\n"
    "       lgt --help | --version\n"
    "VALUES: [--name TEXT] [--sun-colour \"R G B\"] [--sun-specular \"R G B\"]\n"
    "        [--ambient-colour \"R G B\"] [--terrain-ambient-colour \"R G B\"]\n"
    "        [--sun-inclination NUMBER] [--sun-rotation NUMBER]\n";

constexpr std::string_view kHelp =
    "Reads and writes Kestrune lighting-set (.lgt) files.\n"
    "\n"
    "  read    prints each value FILE sets as Key=value, in the order Name, SunColour,\n"
    "          SunSpecular, AmbientColour, TerrainAmbientColour, SunInclination, SunRotation;\n"
    "          colours as R G B. Reads as Kestrune Light Editor opens a file.\n"
    "  check   reads each FILE as the editor opens it and prints \"FILE: ok\", or\n"
    "          \"FILE:LINE: message\" on standard error; after more than one file, a last line\n"
    "          \"N files, K could not be read\" on standard error. On Windows, * and ? in a\n"
    "          FILE match file names.\n"
    "  write   writes FILE (that exact name) as Kestrune Light Editor saves it. Colours are\n"
    "          three numbers 0 to 255 and default to 255 255 255; the name defaults to empty.\n"
    "          Inclination and rotation must be numbers. Each value is written exactly as\n"
    "          given, blanks around a number too (reading drops those).\n"
    "  set     reads FILE as the editor opens it, replaces only the values given, and writes\n"
    "          it as write does; a value neither the file nor an option sets takes write's\n"
    "          default. The file is rewritten in its standard fifteen lines: comments and\n"
    "          lines the reader ignores are not kept.\n"
    "\n"
    "Examples:\n"
    "  lgt check dawn.lgt noon.lgt dusk.lgt\n"
    "  lgt set dusk.lgt --sun-colour \"255 180 120\" --sun-rotation 200\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written (or the output could not be\n"
    "written), 2 a bad command or value.\n";

// The values the options of write and set give, field by field.
using GivenValues = std::vector<std::pair<const lightset::Field*, std::string>>;

int BadCommand(Output& err, const std::string& message) {
  err << "lgt: " << message << '\n' << kUsage;
  return kBadCommand;
}

int Read(const Argument& file, Output& out, Output& err) {
  lightset::LoadedLightSetting loaded;
  if (auto error = lightset::LoadLightFile(file.path, loaded)) {
    err << lightset::DescribeLoadError(file.path, *error) << '\n';
    return kFailed;
  }
  for (std::size_t i = 0; i < lightset::kFieldCount; ++i) {
    const lightset::Field& field = lightset::kFields[i];
    const std::string& value = loaded.values.*field.text;
    // A person reads characters (which the terminal's output shows safely); a script gets the
    // bytes exactly.
    if (loaded.lines[i])
      out << field.key << '=' << (out.terminal() ? FromCodePage(value) : value) << '\n';
  }
  return 0;
}

// Reads the value options that follow FILE. Returns 0, or the status of a bad command after
// saying why on err.
int TakeValueOptions(const std::vector<Argument>& arguments, GivenValues& given, Output& err) {
  for (std::size_t i = 2; i < arguments.size(); i += 2) {
    const std::string& name = arguments[i].display;
    const auto field = std::find_if(std::begin(lightset::kFields), std::end(lightset::kFields),
                                    [&name](const lightset::Field& f) { return f.option == name; });
    if (field == std::end(lightset::kFields)) return BadCommand(err, "unknown option " + name);
    for (const auto& [taken, value] : given) {
      if (taken == field) return BadCommand(err, name + " is given twice");
    }
    if (i + 1 == arguments.size()) return BadCommand(err, name + " needs a value");
    const Argument& value = arguments[i + 1];
    if (!value.ansi) {
      err << "lgt: " << name << ": \"" << value.display
          << "\" holds characters that the system's ANSI code page cannot hold\n";
      return kBadCommand;
    }
    if (field->kind != lightset::FieldKind::Colour) {
      given.emplace_back(field, *value.ansi);
      continue;
    }
    const auto colour = lightset::ParseColourText(*value.ansi);
    if (!colour) {
      err << "lgt: " << name << ": \"" << value.display
          << "\" is not a colour: give three whole numbers 0 to 255 separated by single "
             "blanks, as \"255 128 0\"\n";
      return kBadCommand;
    }
    given.emplace_back(field, lightset::ColourText(*colour));
  }
  return 0;
}

// Writes setting, with the values given, to file as the editor saves it.
// NOLINTNEXTLINE(performance-unnecessary-value-param): changed through pointers to its members
int Save(const Argument& file, LightSetting setting, const GivenValues& given, Output& err) {
  for (const auto& [field, value] : given) setting.*field->text = value;
  if (auto failure = lightset::WriteLightFile(file.path, setting)) {
    err << failure->message << '\n';
    return failure->valueRefused ? kBadCommand : kFailed;
  }
  return 0;
}

int Write(const std::vector<Argument>& arguments, Output& err) {
  GivenValues given;
  if (const int status = TakeValueOptions(arguments, given, err)) return status;
  return Save(arguments[1], LightSetting{}, given, err);
}

int Set(const std::vector<Argument>& arguments, Output& err) {
  GivenValues given;
  if (const int status = TakeValueOptions(arguments, given, err)) return status;
  const Argument& file = arguments[1];
  // Held from the read to the replace, so that no other set's change is lost in between.
  std::string failure;
  const auto hold = lightset::FileHold::Take(file.path, failure);
  if (!hold) {
    err << failure << '\n';
    return kFailed;
  }
  lightset::LoadedLightSetting loaded;
  if (auto error = lightset::LoadLightFile(file.path, loaded)) {
    err << lightset::DescribeLoadError(file.path, *error) << '\n';
    return kFailed;
  }
  return Save(file, loaded.values, given, err);
}

int Check(const std::vector<Argument>& arguments, Output& out, Output& err) {
  std::size_t first = 1;
  if (first < arguments.size() && arguments[first].display == "--") ++first;  // names follow
  if (first == arguments.size()) return BadCommand(err, "check: no file named");
  for (std::size_t i = first; i < arguments.size(); ++i) {
    if (first == 1 && arguments[i].display.starts_with("--"))
      return BadCommand(err, "unknown option " + arguments[i].display);
    if (arguments[i].path.empty()) return BadCommand(err, "check: a file name is empty");
  }
  std::size_t files = 0, failed = 0;
  auto fail = [&](const std::string& message) {
    out.Flush();  // in the order given, where both streams go to one place
    err << message << '\n';
    err.Flush();
    ++failed;
  };
  for (std::size_t i = first; i < arguments.size(); ++i) {
    const auto matches = FilesMatching(arguments[i]);
    if (matches.empty()) {
      ++files;
      fail(arguments[i].display + ": no file matches");
    }
    for (const Argument& file : matches) {
      ++files;
      lightset::LoadedLightSetting ignored;
      if (auto error = lightset::LoadLightFile(file.path, ignored))
        fail(lightset::DescribeLoadError(file.path, *error));
      else
        out << lightset::PathForDisplay(file.path) << ": ok\n";
    }
  }
  if (files > 1) {
    out.Flush();
    err << files << " files, " << failed << " could not be read\n";
  }
  return failed ? kFailed : 0;
}

int RunCommand(const std::vector<Argument>& arguments, Output& out, Output& err) {
  const std::string verb = arguments.empty() ? "" : arguments[0].display;
  if (verb == "--help" || verb == "--version") {
    if (arguments.size() > 1) return BadCommand(err, verb + " takes no arguments");
    if (verb == "--help")
      out << kUsage << '\n' << kHelp;
    else
      out << "lgt " << KESTRUNE_VERSION_TEXT << '\n';
    return 0;
  }
  if (verb.empty()) return BadCommand(err, "no command given");
  if (verb == "check") return Check(arguments, out, err);
  if (verb != "read" && verb != "write" && verb != "set")
    return BadCommand(err, "unknown command " + verb);
  if (arguments.size() < 2 || (verb == "read" && arguments.size() > 2))
    return BadCommand(err, verb + ": wrong number of arguments");
  if (arguments[1].path.empty()) return BadCommand(err, verb + ": the file name is empty");
  if (verb == "read") return Read(arguments[1], out, err);
  return verb == "write" ? Write(arguments, err) : Set(arguments, err);
}

}  // namespace

int Run(const std::vector<Argument>& arguments, Output& out, Output& err) {
  int status = kFailed;
  try {
    status = RunCommand(arguments, out, err);
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
