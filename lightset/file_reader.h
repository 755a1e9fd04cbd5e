// Reads a .lgt file leniently, line by line.
//
// Lines end at CR, at CR LF, or at LF alone; the last line is read whether or not it ends. Lines
// count from 1, every line counting, blank and ignored ones too. In each line leading blanks
// (spaces; a tab is an ordinary character) are removed; then a line names a field when it begins
// with the first six characters of the field's keyword (fields.h), exactly and case-sensitively:
//   "Lighti"  the name: the text between the line's first and second double quote.
//   "suncol"  \   a colour: three numbers behind the keyword, separated by one or more blanks.
//   "sunspe"   |  A "." ends a number and what follows it up to the next blank is dropped
//   "ambien"   |  (128.9 gives 128). Each number is an optionally signed run of decimal digits
//   "terrai"  /   from -32768 to 32767; above 255 counts as 255, below 0 as 0. Text behind the
//                 third number is ignored.
//   "suninc"  \   a number: the text behind the line's first blank, without blanks before or
//   "sunrot"  /   after; may be empty; not tested as a number.
// Every other line is ignored, however long: an empty line, one of blanks, a comment ("\\"),
// anything else. A field named by two lines keeps the later line's value.
//
// Errors end the read at the line where they occur, and then no value at all is returned:
//   - a name line with no double quote, or with only one;
//   - a colour line with no blank behind its keyword;
//   - a colour number that is missing, not a whole number, or out of -32768 to 32767;
//   - "line too long": the quotes of a name, the blank behind a colour's keyword or a colour
//     number lying further than kReach characters from where its scan starts (each scan looks
//     no further), or a line that names a field holding more than kLongestLine characters after
//     its leading blanks;
//   - a file that cannot be opened or read, or is not a regular file (line 0);
//   - too little memory ("not enough memory to read the line", or to read the file: line 0).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "fields.h"
#include "file_name.h"
#include "light_setting.h"

namespace lightset {

// The longest line that names a field, leading blanks not counted: 1 MiB.
inline constexpr std::size_t kLongestLine = std::size_t{1} << 20;

// How far one scan of a line looks, from where it starts: the opening quote of a name from the
// line's start (after its leading blanks), the closing quote from the opening one, the blank
// behind a colour's keyword and each colour number from where the last ended.
inline constexpr std::size_t kReach = 32767;

// What a file set. Values are the file's bytes, unchanged; colours as ColourText. A field no line
// set holds its default and line 0.
struct LoadedLightSetting {
  LightSetting values;
  std::array<std::size_t, kFieldCount> lines{};  // the line that set each field, in kFields' order

  bool operator==(const LoadedLightSetting&) const = default;
};

struct LoadError {
  std::size_t Line = 0;  // 1-based; 0 when the error belongs to no line
  std::string Message;   // what was wrong, as UTF-8; bytes of the file are shown printable
};

// Reads the bytes of a .lgt file, all at once (it holds a copy of them). Returns nothing and sets
// setting to what the file set, or returns the first error and leaves setting unchanged.
[[nodiscard]] std::optional<LoadError> ParseLightText(std::string_view bytes,
                                                      LoadedLightSetting& setting);

// Reads the .lgt file at path, as ParseLightText reads bytes. Reads in pieces of 64 KiB and keeps
// no line but one that names a field, so memory is one piece, one line of at most kLongestLine,
// and the values, however long the file and its other lines.
[[nodiscard]] std::optional<LoadError> LoadLightFile(const FileName& path,
                                                     LoadedLightSetting& setting);

// "<path>:<line>: <message>", or "<path>: <message>" for line 0.
std::string DescribeLoadError(const FileName& path, const LoadError& error);

}  // namespace lightset
