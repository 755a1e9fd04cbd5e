#include "cli.h"

#include <cerrno>
#include <map>
#include <string_view>

#include "lightset/error_text.h"
#include "lightset/file_reader.h"
#include "lightset/file_writer.h"
#include "lightset/numeric_text.h"
#include "version.h"

namespace lgt {
namespace {

using lightset::LightSetting;

constexpr int kFailed = 1;
constexpr int kBadCommand = 2;

constexpr std::string_view kUsage =
    "Usage: lgt read FILE\n"
    "       lgt write FILE [--name TEXT] [--sun-colour \"R G B\"] [--sun-specular \"R G B\"]\n"
    "                      [--ambient-colour \"R G B\"] [--terrain-ambient-colour \"R G B\"]\n"
    "                      [--sun-inclination NUMBER] [--sun-rotation NUMBER]\n"
    "       lgt --help | --version\n";

constexpr std::string_view kHelp =
    "Reads and writes Kestrune lighting-set (.lgt) files.\n"
    "\n"
    "  read    prints each value FILE sets as Key=value, in the order Name, SunColour,\n"
    "          SunSpecular, AmbientColour, TerrainAmbientColour, SunInclination, SunRotation;\n"
    "          colours as R G B. Reads as Kestrune Light Editor opens a file.\n"
    "  write   writes FILE (that exact name) as Kestrune Light Editor saves it. Colours are\n"
    "          three numbers 0 to 255 and default to 255 255 255; the name defaults to empty.\n"
    "          Inclination and rotation must be numbers.\n"
    "\n"
    "Exit status: 0 done, 1 the file could not be read or written, 2 a bad command or value.\n";

constexpr std::string_view kNumbersOnly =
    "The Sun Rotation & Sun Inclination Boxes May Contain Numbers Only.";

int BadCommand(std::ostream& err, const std::string& message) {
  err << "lgt: " << message << '\n' << kUsage;
  return kBadCommand;
}

int Read(const Argument& file, std::ostream& out, std::ostream& err) {
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

int Write(const std::vector<Argument>& arguments, std::ostream& err) {
  const Argument& file = arguments[1];
  LightSetting setting;
  struct Option {
    std::string LightSetting::*field;
    bool colour;
  };
  const std::map<std::string_view, Option> options = {
      {"--name", {&LightSetting::Name, false}},
      {"--sun-colour", {&LightSetting::SunColour, true}},
      {"--sun-specular", {&LightSetting::SunSpecular, true}},
      {"--ambient-colour", {&LightSetting::AmbientColour, true}},
      {"--terrain-ambient-colour", {&LightSetting::TerrainAmbientColour, true}},
      {"--sun-inclination", {&LightSetting::SunInclination, false}},
      {"--sun-rotation", {&LightSetting::SunRotation, false}},
  };
  std::map<std::string_view, bool> given;
  for (std::size_t i = 2; i < arguments.size(); i += 2) {
    const std::string& name = arguments[i].display;
    const auto found = options.find(name);
    if (found == options.end()) return BadCommand(err, "unknown option " + name);
    if (given[found->first]) return BadCommand(err, name + " is given twice");
    given[found->first] = true;
    if (i + 1 == arguments.size()) return BadCommand(err, name + " needs a value");
    const Argument& value = arguments[i + 1];
    if (!value.ansi) {
      err << "lgt: " << name << ": \"" << value.display
          << "\" holds characters that the system's ANSI code page cannot hold\n";
      return kBadCommand;
    }
    const Option& option = found->second;
    setting.*option.field = *value.ansi;
    if (!option.colour) continue;
    const auto colour = lightset::ParseColourText(*value.ansi);
    if (!colour) {
      err << "lgt: " << name << ": \"" << value.display
          << "\" is not a colour: give three whole numbers 0 to 255 separated by single "
             "blanks, as \"255 128 0\"\n";
      return kBadCommand;
    }
    setting.*option.field = lightset::ColourText(*colour);
  }

  if (!lightset::IsNumeric(setting.SunInclination) || !lightset::IsNumeric(setting.SunRotation)) {
    err << kNumbersOnly << '\n';
    return kBadCommand;
  }
  if (auto refused = lightset::CheckLightSetting(setting)) {
    err << "lgt: " << *refused << '\n';
    return kBadCommand;
  }
  if (auto error = lightset::WriteLightFile(file.path, setting)) {
    err << *error << '\n';
    return kFailed;
  }
  return 0;
}

int RunCommand(const std::vector<Argument>& arguments, std::ostream& out, std::ostream& err) {
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
  if (verb != "read" && verb != "write") return BadCommand(err, "unknown command " + verb);
  if (arguments.size() < 2 || (verb == "read" && arguments.size() > 2))
    return BadCommand(err, verb + ": wrong number of arguments");
  if (arguments[1].path.empty()) return BadCommand(err, verb + ": the file name is empty");
  return verb == "read" ? Read(arguments[1], out, err) : Write(arguments, err);
}

}  // namespace

int Run(const std::vector<Argument>& arguments, std::ostream& out, std::ostream& err) {
  int status = RunCommand(arguments, out, err);
  // Output that never arrived (a full disk, a closed pipe) is a failure, not a success.
  errno = 0;
  if (!out.flush()) {
    const int reason = errno;
    err << "lgt: cannot write to standard output"
        << (reason ? ": " + lightset::ErrnoReason(reason) : std::string()) << '\n';
    status = kFailed;
  }
  if (!err.flush()) status = kFailed;
  return status;
}

}  // namespace lgt
