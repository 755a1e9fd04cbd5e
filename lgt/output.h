// Where lgt's text goes: standard output or error through the C library, or (in tests) a string.
// Not an iostream: that would bring the whole locale library into a program that prints bytes.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace lgt {

class Output {
 public:
  // Text goes to stream; with none it is only held, for text() to give. A terminal is a stream
  // that a person reads: there every character is shown so that none can steer it, since names
  // and values come from outside. Printable characters stay (those past ASCII only where the
  // terminal takes UTF-8), a backslash is shown as \\, a line end stays, and everything else (a
  // control character, a byte that is not UTF-8) is shown as \xNN: the character's code below 256,
  // else the bytes.
  explicit Output(std::FILE* stream = nullptr, bool terminal = false, bool utf8 = false)
      : stream_(stream), terminal_(terminal), utf8_(utf8) {}

  Output& operator<<(std::string_view text);
  Output& operator<<(char c) { return *this << std::string_view(&c, 1); }
  Output& operator<<(std::size_t number) { return *this << std::to_string(number); }

  // Hands what is held to the stream and flushes it. Returns false, with errno set where the
  // system gave a reason, once any of the text could not be written.
  bool Flush();

  // All the text so far, when there is no stream.
  const std::string& text() const { return held_; }
  bool terminal() const { return terminal_; }

 private:
  std::FILE* stream_;
  bool terminal_, utf8_;
  std::string held_;
  bool failed_ = false;
};

}  // namespace lgt
