// The two encodings lgt meets: the 8-bit text of a lighting-set file, whose code page is
// Windows-1252 on Linux and the system's ANSI code page on Windows, and UTF-8, in which it shows
// and takes text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lgt {

// The length of the UTF-8 sequence text begins with, or 0 when it begins with none: not a lead
// byte, cut short, an overlong form, a surrogate, or past U+10FFFF. Text must not be empty.
std::size_t Utf8SequenceLength(std::string_view text);

// Decodes bytes of the file's code page. On Linux every byte has a character: the five that
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of
// the same value, as Windows decodes them.
std::string FromCodePage(std::string_view bytes);

// Encodes UTF-8 text in the file's code page, as FromCodePage decodes it. Returns nothing when the
// text is not UTF-8 or holds a character the code page cannot hold exactly.
std::optional<std::string> ToCodePage(std::string_view text);

// The name of the file's code page, for messages: "Windows-1252", or "the system's ANSI code page".
extern const char* const kCodePageName;

}  // namespace lgt
