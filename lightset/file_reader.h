// Reads a .lgt file leniently, line by line.
//
// Lines end at CR, CR LF or LF; the last line is read whether or not it ends. Lines count from
// 1, every line counting, blank and ignored ones too. In each line leading blanks (spaces; a
// tab is an ordinary character) are removed; then an empty line, or one beginning with the
// comment mark "\\", is skipped. Other lines are recognised by their first six characters,
// exactly and case-sensitively, the first match in this order deciding:
//   "Lighti"  Name: the text between the line's first and second double quote.
//   "suncol"  SunColour      \  three numbers behind the keyword, separated by one or more
//   "sunspe"  SunSpecular     | blanks. A "." ends a number and what follows it up to the next
//   "ambien"  AmbientColour   | blank is dropped (128.9 gives 128). Each number is an optionally
//   "terrai"  TerrainAmbient /  signed run of decimal digits from -32768 to 32767; above 255
//                               counts as 255, below 0 as 0. Text behind the third is ignored.
//   "suninc"  SunInclination \  the text behind the first blank after the keyword, without
//   "sunrot"  SunRotation    /  blanks before or after; may be empty; not tested as a number.
// Every other line is ignored. A field set by two lines keeps the later line's value.
//
// Errors end the read at the line where they occur, and then no value at all is returned:
//   - a name line with no double quote, or with only one;
//   - a colour line with no blank behind its keyword;
//   - a colour number that is missing, not a whole number, or out of -32768 to 32767;
//   - a scan that would pass the line's 32,767th character ("line too long"): the quotes of a
//     name, the blank after a colour keyword and each colour number must lie within it;
//   - a file that cannot be opened or read, or a folder (line 0);
//   - a line longer than the memory can hold of it ("the line is too long to hold in memory").
//     Only what the rules above can reach is kept of a line that spans read pieces: six
//     characters of a line no keyword matches, 65,535 of a name line, the keyword and the
//     three numbers of a colour line, but all of an inclination or rotation line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "file_name.h"
#include "light_setting.h"

namespace lightset {

// The fields a file set; a field no line set holds nothing. Text is the file's bytes, unchanged.
struct LoadedLightSetting {
  std::optional<std::string> Name = std::nullopt;
  std::optional<ColourRef> SunColour = std::nullopt;
  std::optional<ColourRef> SunSpecular = std::nullopt;
  std::optional<ColourRef> AmbientColour = std::nullopt;
  std::optional<ColourRef> TerrainAmbientColour = std::nullopt;
  std::optional<std::string> SunInclination = std::nullopt;
  std::optional<std::string> SunRotation = std::nullopt;

  // The line that set each text field, 0 for none: a message about a value can name it.
  struct TextLines {
    std::size_t Name = 0, SunInclination = 0, SunRotation = 0;
    bool operator==(const TextLines&) const = default;
  } Lines = {};

  bool operator==(const LoadedLightSetting&) const = default;
};

struct LoadError {
  std::size_t Line = 0;  // 1-based; 0 when the error belongs to no line
  std::string Message;   // what was wrong, as UTF-8; bytes of the file are shown printable
};

// Reads the bytes of a .lgt file. Returns nothing and sets setting to what the file set, or
// returns the first error and leaves setting unchanged.
[[nodiscard]] std::optional<LoadError> ParseLightText(std::string_view bytes,
                                                      LoadedLightSetting& setting);

// Reads the .lgt file at path, as ParseLightText reads bytes. Reads in pieces of 64 KiB: memory
// grows with the longest inclination or rotation line, not with the file or its other lines.
[[nodiscard]] std::optional<LoadError> LoadLightFile(const FileName& path,
                                                     LoadedLightSetting& setting);

// "<path>:<line>: <message>", or "<path>: <message>" for line 0.
std::string DescribeLoadError(const FileName& path, const LoadError& error);

}  // namespace lightset
