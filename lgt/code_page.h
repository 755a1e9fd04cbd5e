// The 8-bit text of a lighting-set file as UTF-8: the file's code page is Windows-1252 on Linux
// and the system's ANSI code page on Windows.
#pragma once

#include <string>
#include <string_view>

namespace lgt {

// Decodes bytes of the file's code page. On Linux every byte has a character: the five that
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of
// the same value, as Windows decodes them.
std::string FromCodePage(std::string_view bytes);

}  // namespace lgt
