// write and set: a file written as the editor saves it, from options or from JSON.
#include <algorithm>
#include <iterator>
#include <variant>

#include "commands.h"
#include "json_values.h"
#include "lightset/disk_files.h"
#include "lightset/file_reader.h"
#include "lightset/file_writer.h"

namespace lgt {
namespace {

using lightset::LightSetting;

// The whole of standard input, or nothing when it could not be read.
std::optional<std::string> ReadAll(std::FILE* in) {
  std::string text;
  char piece[65536];
  for (std::size_t got; (got = std::fread(piece, 1, sizeof piece, in)) > 0;)
    text.append(piece, got);
  if (std::ferror(in)) return std::nullopt;
  return text;
}

// Reads the value options that follow FILE, or with "--json -" the values on in. Returns 0, or
// the status of a bad command after saying why on err.
int TakeValues(const std::vector<Argument>& arguments, GivenValues& given, Output& err,
               std::FILE* in) {
  std::size_t at = 2;
  if (TakeJsonOption(arguments, at)) {
    if (at + 1 != arguments.size() || arguments[at].display != "-")
      return BadCommand(err, "--json takes - (standard input) and no other option");
    const auto text = ReadAll(in);
    if (!text) {
      err << "lgt: --json: cannot read standard input\n";
      return kFailed;
    }
    auto values = ValuesFromJson(*text);
    if (const auto* why = std::get_if<std::string>(&values)) {
      err << "lgt: --json: " << *why << '\n';
      return kBadCommand;
    }
    given = std::move(std::get<GivenValues>(values));
    return 0;
  }
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

}  // namespace

int WriteCommand(const std::vector<Argument>& arguments, Output& err, std::FILE* in) {
  GivenValues given;
  if (const int status = TakeValues(arguments, given, err, in)) return status;
  return Save(arguments[1], LightSetting{}, given, err);
}

int SetCommand(const std::vector<Argument>& arguments, Output& err, std::FILE* in) {
  GivenValues given;
  if (const int status = TakeValues(arguments, given, err, in)) return status;
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

}  // namespace lgt
