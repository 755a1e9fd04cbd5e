#include "cli.h"

#include <cerrno>
#include <string_view>
#include <utility>
#include <vector>

#include "lightset/error_text.h"
#include "lightset/file_reader.h"
#include "lightset/file_writer.h"
#include "lightset/numeric_text.h"
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
    "          Inclination and rotation must be numbers.\n"
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

constexpr std::string_view kNumbersOnly =
    "The Sun Rotation & Sun Inclination Boxes May Contain Numbers Only.";

struct ValueOption {
  std::string_view name;
  std::string LightSetting::*field;
  bool colour;
};

constexpr ValueOption kValueOptions[] = {
    {"--name", &LightSetting::Name, false},
    {"--sun-colour", &LightSetting::SunColour, true},
    {"--sun-specular", &LightSetting::SunSpecular, true},
    {"--ambient-colour", &LightSetting::AmbientColour, true},
    {"--terrain-ambient-colour", &LightSetting::TerrainAmbientColour, true},
    {"--sun-inclination", &LightSetting::SunInclination, false},
    {"--sun-rotation", &LightSetting::SunRotation, false},
};

// The values the options of write and set give, field by field.
using GivenValues = std::vector<std::pair<std::string LightSetting::*, std::string>>;

int BadCommand(Output& err, const std::string& message) {
  err << "lgt: " << message << '\n' << kUsage;
  return kBadCommand;
}

int Read(const Argument& file, Output& out, Output& err) {
  lightset::LoadedLightSetting setting;
  if (auto error = lightset::LoadLightFile(file.path, setting)) {
    err << lightset::DescribeLoadError(file.path, *error) << '\n';
    return kFailed;
  }
  auto text = [&out](const char* key, const std::optional<std::string>& value) {
    if (value) out << key << '=' << *value << '\n';
  };
  auto colour = [&out](const char* key, const std::optional<lightset::ColourRef>& value) {
    if (value) out << key << '=' << lightset::ColourText(*value) << '\n';
  };
  text("Name", setting.Name);
  colour("SunColour", setting.SunColour);
  colour("SunSpecular", setting.SunSpecular);
  colour("AmbientColour", setting.AmbientColour);
  colour("TerrainAmbientColour", setting.TerrainAmbientColour);
  text("SunInclination", setting.SunInclination);
  text("SunRotation", setting.SunRotation);
  return 0;
}

// Reads the value options that follow FILE. Returns 0, or the status of a bad command after
// saying why on err.
int TakeValueOptions(const std::vector<Argument>& arguments, GivenValues& given, Output& err) {
  for (std::size_t i = 2; i < arguments.size(); i += 2) {
    const std::string& name = arguments[i].display;
    const ValueOption* option = nullptr;
    for (const ValueOption& candidate : kValueOptions) {
      if (candidate.name == name) option = &candidate;
    }
    if (!option) return BadCommand(err, "unknown option " + name);
    for (const auto& [field, value] : given) {
      if (field == option->field) return BadCommand(err, name + " is given twice");
    }
    if (i + 1 == arguments.size()) return BadCommand(err, name + " needs a value");
    const Argument& value = arguments[i + 1];
    if (!value.ansi) {
      err << "lgt: " << name << ": \"" << value.display
          << "\" holds characters that the system's ANSI code page cannot hold\n";
      return kBadCommand;
    }
    if (!option->colour) {
      given.emplace_back(option->field, *value.ansi);
      continue;
    }
    const auto colour = lightset::ParseColourText(*value.ansi);
    if (!colour) {
      err << "lgt: " << name << ": \"" << value.display
          << "\" is not a colour: give three whole numbers 0 to 255 separated by single "
             "blanks, as \"255 128 0\"\n";
      return kBadCommand;
    }
    given.emplace_back(option->field, lightset::ColourText(*colour));
  }
  return 0;
}

// Writes setting to file as the editor saves it, after the editor's checks.
int Save(const Argument& file, const LightSetting& setting, Output& err) {
  if (!lightset::IsNumeric(setting.SunInclination) || !lightset::IsNumeric(setting.SunRotation)) {
    err << kNumbersOnly << '\n';
    return kBadCommand;
  }
  if (auto refused = lightset::CheckLightSetting(setting)) {
    err << "lgt: " << refused->message << '\n';
    return kBadCommand;
  }
  if (auto failure = lightset::WriteLightFile(file.path, setting)) {
    err << failure->message << '\n';
    return kFailed;
  }
  return 0;
}

int Write(const std::vector<Argument>& arguments, Output& err) {
  GivenValues given;
  if (const int status = TakeValueOptions(arguments, given, err)) return status;
  LightSetting setting;
  for (const auto& [field, value] : given) setting.*field = value;
  return Save(arguments[1], setting, err);
}

int Set(const std::vector<Argument>& arguments, Output& err) {
  GivenValues given;
  if (const int status = TakeValueOptions(arguments, given, err)) return status;
  const Argument& file = arguments[1];
  lightset::LoadedLightSetting loaded;
  if (auto error = lightset::LoadLightFile(file.path, loaded)) {
    err << lightset::DescribeLoadError(file.path, *error) << '\n';
    return kFailed;
  }
  LightSetting setting;
  auto text = [](std::string& field, const std::optional<std::string>& value) {
    if (value) field = *value;
  };
  auto colour = [](std::string& field, const std::optional<lightset::ColourRef>& value) {
    if (value) field = lightset::ColourText(*value);
  };
  text(setting.Name, loaded.Name);
  colour(setting.SunColour, loaded.SunColour);
  colour(setting.SunSpecular, loaded.SunSpecular);
  colour(setting.AmbientColour, loaded.AmbientColour);
  colour(setting.TerrainAmbientColour, loaded.TerrainAmbientColour);
  text(setting.SunInclination, loaded.SunInclination);
  text(setting.SunRotation, loaded.SunRotation);
  for (const auto& [field, value] : given) setting.*field = value;
  return Save(file, setting, err);
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
  int status = RunCommand(arguments, out, err);
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
