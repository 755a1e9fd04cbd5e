#include "file_writer.h"

#include <new>

#include "error_text.h"
#include "file_reader.h"
#include "numeric_text.h"

namespace lightset {
namespace {

// The reader looks for the closing quote within kReach characters after the opening one.
constexpr std::size_t kLongestName = kReach - 1;

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

bool IsColourText(const std::string& text) {
  const auto colour = ParseColourText(text);
  return colour && ColourText(*colour) == text;
}

// Why a name or a colour cannot be saved, or nothing.
std::optional<std::string> NameOrColourRefused(const Field& field, const std::string& value) {
  const std::string the = "the " + std::string(field.label);
  if (field.kind == FieldKind::Colour) {
    if (IsColourText(value)) return std::nullopt;
    return the + " must be three numbers 0 to 255 separated by single blanks";
  }
  if (value.find('"') != std::string::npos)
    return the + " cannot contain a double quote (\"): the file marks its end with one";
  if (HasLineBreak(value)) return the + " cannot contain a line break";
  if (value.size() > kLongestName)
    return the + " is too long: a lighting-set file holds at most " + WithThousands(kLongestName) +
           " characters of it";
  return std::nullopt;
}

// A field's line of the file, without its line end: "suncolor 255 200 150".
std::string FieldLine(const Field& field, std::string_view value) {
  std::string line = field.indented ? " " : "";
  line += field.keyword;
  line += ' ';
  if (field.kind == FieldKind::Name)
    line.append(1, '"').append(value).append(1, '"');
  else
    line += value;
  return line;
}

}  // namespace

std::optional<Refusal> CheckNumbers(const LightSetting& setting) {
  for (const Field& field : kFields) {
    const std::string& value = setting.*field.text;
    if (field.kind == FieldKind::Number && !IsNumeric(value))
      return Refusal{&field,
                     "the " + std::string(field.label) + " " + Quoted(value) + " is not a number"};
  }
  return std::nullopt;
}

std::optional<Refusal> CheckLightSetting(const LightSetting& setting) {
  if (auto refused = CheckNumbers(setting)) return refused;
  for (const Field& field : kFields) {
    if (field.kind == FieldKind::Number) continue;
    if (auto reason = NameOrColourRefused(field, setting.*field.text))
      return Refusal{&field, std::move(*reason)};
  }
  // A line the reader would refuse as too long must not be written: the file would not open.
  for (const Field& field : kFields) {
    if (FieldLine(field, setting.*field.text).size() - field.indented > kLongestLine)
      return Refusal{&field, "the " + std::string(field.label) +
                                 " is longer than a line of a lighting-set file may be: at most " +
                                 WithThousands(kLongestLine) + " characters with its keyword"};
  }
  return std::nullopt;
}

std::string LightFileText(const LightSetting& setting) {
  std::string text = "\\\\Custom Light File Made With Kestrune Light Editor By Tolvane.\r\n";
  for (const Field& field : kFields)
    text += "\r\n" + FieldLine(field, setting.*field.text) + "\r\n";
  return text;
}

std::optional<WriteFailure> WriteLightFile(const FileName& path, const LightSetting& setting) {
  try {
    if (auto refused = CheckLightSetting(setting))
      return WriteFailure{PathForDisplay(path) + ": not written: " + refused->reason, true};
    return ReplaceFileContents(path, LightFileText(setting));
  } catch (const std::bad_alloc&) {
    return WriteFailure{"not written: not enough memory"};
  }
}

}  // namespace lightset
