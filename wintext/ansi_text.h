// Conversions between the UTF-16 text of Windows and the 8-bit text of the system's ANSI code
// page, which is what .lgt files hold, and UTF-8, which the core's messages use.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace wintext {

// Returns text in the system ANSI code page, or nothing when the code page cannot hold every
// character exactly (no "best fit" substitutes, no '?').
std::optional<std::string> ToAnsi(std::wstring_view text);

// Decodes text in the system ANSI code page. Bytes the code page does not define become the
// nearest characters it has, which may not encode back to the same bytes.
std::wstring FromAnsi(std::string_view text);

// True when FromAnsi shows text exactly: every byte sequence is valid in the code page and the
// characters encode back to the same bytes, so that saving what is shown changes nothing.
bool ShowsExactly(std::string_view text);

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace wintext
