// Pieces of the messages the core returns, for a person to read: a system error's description,
// and bytes of a file shown so that any of them can be read.
#pragma once

#include <string>
#include <string_view>

namespace lightset {

// The C library's description of an errno value ("No such file or directory").
std::string ErrnoReason(int error);

#ifdef _WIN32
// The system's description of a Windows error code, without its closing full stop.
std::string SystemReason(unsigned long error);
#endif

// The bytes with each one that is not printable ASCII (32 to 126) written as \xNN, so that the
// text is valid UTF-8 and holds no control character whatever the bytes were.
std::string Printable(std::string_view bytes);

// A number with its thousands separated by commas: "32,767".
std::string WithThousands(std::size_t number);

// A short piece of a file in double quotes: Printable of its first 24 bytes, with "..." before
// the closing quote when there were more.
std::string Quoted(std::string_view bytes);

}  // namespace lightset
