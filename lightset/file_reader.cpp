#include "file_reader.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "disk_files.h"
#include "error_text.h"

namespace lightset {
namespace {

// Cursors are signed 16-bit: a scan may look at positions 1 to 32,767 only.
constexpr std::int16_t kLastScanPos = 32767;
constexpr const char* kTooLong = "line too long: a scan passed its 32,767th character";

// Why a line cannot be read, as pointers into constant text and into the line itself: a parser
// passes it up for nothing, and the message is made only for the line that fails.
struct LineFailure {
  const char* field;             // "name", "sun colour", ...; nullptr: the line as a whole
  const char* what;              // what is wrong
  const char* number = nullptr;  // "red", "green" or "blue" when a colour number is wrong
  std::string_view token = {};   // that number as the line has it
};

// What a parser gives back: the value it read from a line, or why the line cannot be read.
template <class T>
struct Parsed {
  Parsed(T read) : value(read) {}
  Parsed(LineFailure why) : failure(why) {}
  T value{};
  std::optional<LineFailure> failure;
};

bool IsBlank(char c) { return c == ' '; }

// Looks at positions 1, 2, ... of text for the first character that stop accepts and returns
// that position. Past the end of text there is no character: the scan stops there only when
// stopAtEnd. Returns nothing when the scan would step beyond position 32,767.
template <class Stop>
std::optional<std::int16_t> Scan(std::string_view text, Stop stop, bool stopAtEnd) {
  const std::string_view reach = text.substr(0, static_cast<std::size_t>(kLastScanPos));
  std::size_t index =
      static_cast<std::size_t>(std::find_if(reach.begin(), reach.end(), stop) - reach.begin());
  if (index == reach.size()) {
    // Nothing found within reach: the scan stops just past the end of a short enough text.
    if (!stopAtEnd || text.size() >= static_cast<std::size_t>(kLastScanPos)) return std::nullopt;
    index = text.size();
  }
  const auto ScanPos = static_cast<std::int16_t>(index + 1);
  return ScanPos;
}

// A scan that found nothing either ran off a short line (the thing is missing) or hit the limit.
LineFailure ScanFailure(std::string_view text, const char* field, const char* missing) {
  if (text.size() < static_cast<std::size_t>(kLastScanPos)) return {field, missing};
  return {nullptr, kTooLong};
}

// Shows a piece of the file in a message: short, and with bytes that are not printable ASCII
// written as \xNN so that the message is valid text whatever the file held.
std::string Quoted(std::string_view bytes) {
  constexpr std::size_t kShown = 24;
  std::string shown = "\"";
  for (const char c : bytes.substr(0, kShown)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 32 && byte < 127) {
      shown += c;
    } else {
      constexpr char kHex[] = "0123456789ABCDEF";
      shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    }
  }
  shown += bytes.size() > kShown ? "...\"" : "\"";
  return shown;
}

std::string Message(const LineFailure& failure) {
  if (!failure.field) return failure.what;
  std::string message = std::string(failure.field) + ": ";
  if (!failure.number) return message + failure.what;
  message += std::string("the ") + failure.number + " number";
  if (!failure.token.empty()) message += " " + Quoted(failure.token);
  return message + failure.what;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

Parsed<std::string_view> ExtractQuotedName(std::string_view text) {
  auto isQuote = [](char c) { return c == '"'; };
  const auto open = Scan(text, isQuote, false);
  if (!open) return ScanFailure(text, "name", "no double quote before the name");
  if (*open == kLastScanPos) return LineFailure{nullptr, kTooLong};  // the rest starts beyond
  text.remove_prefix(static_cast<std::size_t>(*open));
  const auto close = Scan(text, isQuote, false);
  if (!close) return ScanFailure(text, "name", "no closing double quote");
  return text.substr(0, static_cast<std::size_t>(*close - 1));
}

Parsed<std::int16_t> ToComponent(std::string_view TokenText, const char* field, const char* which) {
  auto fail = [&](const char* what) { return LineFailure{field, what, which, TokenText}; };
  if (TokenText.empty()) return fail(" is missing");
  const bool negative = TokenText.front() == '-';
  std::size_t i = negative || TokenText.front() == '+' ? 1 : 0;
  if (i == TokenText.size()) return fail(" is not a whole number");
  std::int32_t value = 0;
  for (; i < TokenText.size(); ++i) {
    const char c = TokenText[i];
    if (c < '0' || c > '9') return fail(" is not a whole number");
    value = std::min<std::int32_t>(value * 10 + (c - '0'), 1 << 20);  // saturates; checked below
  }
  if (negative) value = -value;
  if (value < -32768 || value > 32767) return fail(" is out of range (-32768 to 32767)");
  return static_cast<std::int16_t>(value);
}

unsigned Digit(char c) { return static_cast<unsigned char>(c - '0'); }

// The usual colour line read in one pass: the keyword, blanks and three numbers of up to three
// digits, each ending in a blank, a point (whose digits are dropped) or the line's end. Gives the
// same colour as ParseColourTriple; anything else (a sign, a letter, a missing or longer number,
// a line that reaches the scan limit) gives nothing, and ParseColourTriple reads it exactly.
// The byte behind the line must be readable and neither a blank nor a digit (see ReadLine).
std::optional<ColourRef> QuickColour(std::string_view line) {
  if (line.size() >= static_cast<std::size_t>(kLastScanPos)) return std::nullopt;
  const char* at = line.data() + 6;  // past the six characters that matched
  const char* const end = line.data() + line.size();
  while (at != end && *at != ' ') ++at;
  ColourRef colour = 0;
  for (int shift = 0; shift != 24; shift += 8) {
    if (*at == '.') {
      while (at != end && *at != ' ') ++at;  // the digits behind a point are dropped
    }
    while (*at == ' ') ++at;
    // One to three digits without a branch on their count (which varies from number to number
    // and would be mispredicted); a byte is read only when the one before it was a digit.
    const unsigned first = Digit(at[0]);
    if (first > 9) return std::nullopt;
    const unsigned second = Digit(at[1]);
    const unsigned two = second <= 9;
    const char* const third = at + 1 + two;
    const unsigned last = Digit(*third);
    const unsigned three = two & (last <= 9);
    unsigned value = first * (1 + 9 * two) + (second & (0u - two));  // times 1 plus 0 when short
    value = value * (1 + 9 * three) + (last & (0u - three));
    at = third + three;
    if (*at != ' ' && *at != '.' && at != end) return std::nullopt;  // a fourth digit, a letter
    colour |= static_cast<ColourRef>(std::min(value, 255u)) << shift;
  }
  return colour;
}

Parsed<ColourRef> ParseColourTriple(std::string_view text, const char* field) {
  const auto keywordEnd = Scan(text, IsBlank, false);
  if (!keywordEnd) return ScanFailure(text, field, "no blank after the keyword");
  text.remove_prefix(static_cast<std::size_t>(*keywordEnd - 1));  // the blank stays in front

  constexpr const char* kWhich[] = {"red", "green", "blue"};
  std::int16_t components[3] = {};
  for (int TokenCount = 0; TokenCount != 3; ++TokenCount) {
    // Drops the rest of the previous number (the point and the digits behind it), then the
    // blanks; a line that ends first leaves an empty number.
    if (!text.starts_with(' ')) text.remove_prefix(std::min(text.find(' '), text.size()));
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    const auto tokenEnd = Scan(
        text, [](char c) { return c == ' ' || c == '.'; }, true);
    if (!tokenEnd) return LineFailure{nullptr, kTooLong};
    const std::string_view TokenText = text.substr(0, static_cast<std::size_t>(*tokenEnd - 1));
    text.remove_prefix(TokenText.size());
    auto component = ToComponent(TokenText, field, kWhich[TokenCount]);
    if (component.failure) return *component.failure;
    components[TokenCount] = component.value;
  }
  const auto [RedComponent, GreenComponent, BlueComponent] = components;
  return ColourFromComponents(RedComponent, GreenComponent, BlueComponent);
}

std::string_view ParseSingleValue(std::string_view text) {
  const std::size_t blank = text.find(' ');
  return blank == std::string_view::npos ? std::string_view() : TrimBlanks(text.substr(blank + 1));
}

// A line's first six characters as one number, so that matching a keyword is one comparison.
std::uint64_t PrefixKey(std::string_view text) {
  // Two loads into registers: six bytes copied into a zeroed eight-byte number would make the
  // processor wait for the stores before it could read the number back (a quarter of the time
  // of a dense file).
  std::uint32_t low = 0;
  std::uint16_t high = 0;
  std::memcpy(&low, text.data(), 4);
  std::memcpy(&high, text.data() + 4, 2);
  return low | std::uint64_t{high} << 32;
}

struct ColourRow {
  std::uint64_t prefix;
  const char* field;
  std::optional<ColourRef> LoadedLightSetting::*target;
};

const std::uint64_t kNamePrefix = PrefixKey("Lighti");
const std::uint64_t kInclinationPrefix = PrefixKey("suninc");
const std::uint64_t kRotationPrefix = PrefixKey("sunrot");
const ColourRow kColourRows[] = {
    {PrefixKey("suncol"), "sun colour", &LoadedLightSetting::SunColour},
    {PrefixKey("sunspe"), "sun specular", &LoadedLightSetting::SunSpecular},
    {PrefixKey("ambien"), "ambient colour", &LoadedLightSetting::AmbientColour},
    {PrefixKey("terrai"), "terrain ambient colour", &LoadedLightSetting::TerrainAmbientColour},
};

// The texts lines set, still pointing into the bytes being read: a text that a later line sets
// again is never copied. They are copied out before those bytes change.
struct PendingText {
  struct Text {
    std::string_view text;
    std::size_t line = 0;  // 0: no line set it
  };
  Text Name, SunInclination, SunRotation;

  // Copies the texts into values; a text that lies in owner takes owner's memory instead of a
  // copy, so that a long value is held once. Returns the line of a text there was no memory
  // for, or 0.
  std::size_t MoveTo(LoadedLightSetting& values, std::string* owner = nullptr) noexcept {
    using Lines = LoadedLightSetting::TextLines;
    const struct {
      Text& pending;
      std::optional<std::string> LoadedLightSetting::*value;
      std::size_t Lines::*line;
    } fields[] = {
        {Name, &LoadedLightSetting::Name, &Lines::Name},
        {SunInclination, &LoadedLightSetting::SunInclination, &Lines::SunInclination},
        {SunRotation, &LoadedLightSetting::SunRotation, &Lines::SunRotation},
    };
    std::size_t failed = 0;
    for (const auto& field : fields) {
      if (field.pending.line == 0) continue;
      try {
        values.*field.value = Take(field.pending.text, owner);
        values.Lines.*field.line = field.pending.line;
      } catch (const std::bad_alloc&) {
        failed = field.pending.line;
      }
      field.pending = {};
    }
    return failed;
  }

 private:
  static std::string Take(std::string_view text, std::string* owner) {
    if (!owner || text.empty() || text.data() < owner->data() ||
        text.data() >= owner->data() + owner->size())
      return std::string(text);
    owner->resize(static_cast<std::size_t>(text.data() - owner->data()) + text.size());
    owner->erase(0, static_cast<std::size_t>(text.data() - owner->data()));
    return std::move(*owner);
  }
};

// Reads one line into values and text; returns why the line cannot be read, if it cannot. The
// byte behind the line is its line end, or the null that ends a std::string: never a blank or a
// digit, so that the quick paths need not test for the end at every step.
std::optional<LineFailure> ReadLine(std::string_view CurrentLine, std::size_t line,
                                    LoadedLightSetting& values, PendingText& text) {
  while (!CurrentLine.empty() && IsBlank(CurrentLine.front())) CurrentLine.remove_prefix(1);
  // Empty lines, comments ("\\\\") and lines shorter than a keyword's six characters match no
  // keyword.
  if (CurrentLine.size() < 6) return std::nullopt;
  // Every keyword begins with one of these letters; most other lines end here.
  const char first = CurrentLine.front();
  if (first != 's' && first != 'L' && first != 'a' && first != 't') return std::nullopt;
  const std::uint64_t prefix = PrefixKey(CurrentLine);
  if (prefix == kNamePrefix) {
    auto name = ExtractQuotedName(CurrentLine);
    if (name.failure) return name.failure;
    text.Name = {name.value, line};
    return std::nullopt;
  }
  for (const ColourRow& row : kColourRows) {
    if (prefix == row.prefix) {
      if (const auto quick = QuickColour(CurrentLine)) {
        values.*row.target = *quick;
        return std::nullopt;
      }
      auto colour = ParseColourTriple(CurrentLine, row.field);
      if (colour.failure) return colour.failure;
      values.*row.target = colour.value;
      return std::nullopt;
    }
  }
  if (prefix == kInclinationPrefix) {
    text.SunInclination = {ParseSingleValue(CurrentLine), line};
  } else if (prefix == kRotationPrefix) {
    text.SunRotation = {ParseSingleValue(CurrentLine), line};
  }
  return std::nullopt;
}

// The first CR or LF in [from, end), or end. Lines are mostly short, so both are looked for in
// one pass, sixteen bytes at a time where the processor allows.
const char* FindLineEnd(const char* from, const char* end) {
#if defined(__SSE2__) || defined(_M_X64)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; end - from >= 16; from += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const int found =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)));
    if (found) return from + std::countr_zero(static_cast<unsigned>(found));
  }
#endif
  while (from != end && *from != '\r' && *from != '\n') ++from;
  return from;
}

// What of a line that spans read pieces must be kept to read it as if it were whole. A line no
// keyword matches needs nothing past its first six characters; a name line only what its two
// quote scans can reach; a colour line only its keyword and three numbers, since runs of blanks
// read as one blank and the digits behind a point are dropped unread; a value line all of it.
// So memory stays bounded by the longest value line, however long the other lines are.
class LongLine {
 public:
  std::string& text() { return text_; }
  bool empty() const { return !started_; }

  // Throws std::bad_alloc when even what must be kept does not fit in memory.
  void Append(const char* from, const char* to) {
    started_ = true;
    if (kind_ == Kind::Undecided) {
      if (text_.empty()) {
        while (from != to && IsBlank(*from)) ++from;  // leading blanks play no part
      }
      const auto take =
          std::min<std::size_t>(6 - text_.size(), static_cast<std::size_t>(to - from));
      text_.append(from, take);
      from += take;
      if (text_.size() == 6) kind_ = KindOf(text_);
    }
    switch (kind_) {
      case Kind::Undecided:
      case Kind::Ignored:
        return;
      case Kind::Name:
        text_.append(from, std::min<std::size_t>(static_cast<std::size_t>(to - from),
                                                 kNameReach - std::min(kNameReach, text_.size())));
        return;
      case Kind::Colour:
        for (; from != to; ++from) AppendToColour(*from);
        return;
      case Kind::Value:
        text_.append(from, to);
        return;
    }
  }

  void Clear() {
    text_.clear();
    started_ = false;
    kind_ = Kind::Undecided;
    colour_ = ColourPart::Keyword;
    partLength_ = 0;
    numbers_ = 0;
  }

 private:
  enum class Kind { Undecided, Ignored, Name, Colour, Value };
  enum class ColourPart { Keyword, Blanks, Number, Fraction, Rest };

  // Past the keyword, a name's closing quote lies within 32,767 characters of its opening one.
  static constexpr std::size_t kNameReach = 2 * static_cast<std::size_t>(kLastScanPos) + 1;
  // More of a keyword or a number than a scan may look at changes nothing.
  static constexpr std::size_t kPartReach = static_cast<std::size_t>(kLastScanPos) + 1;

  static Kind KindOf(std::string_view prefix) {
    const std::uint64_t key = PrefixKey(prefix);
    if (key == kNamePrefix) return Kind::Name;
    for (const ColourRow& row : kColourRows) {
      if (key == row.prefix) return Kind::Colour;
    }
    if (key == kInclinationPrefix || key == kRotationPrefix) return Kind::Value;
    return Kind::Ignored;
  }

  void AppendToColour(char c) {
    switch (colour_) {
      case ColourPart::Keyword:
        if (c == ' ') colour_ = ColourPart::Blanks;
        if (c == ' ' || ++partLength_ <= kPartReach) text_ += c;
        return;
      case ColourPart::Blanks:
        if (c == ' ') return;
        text_ += c;
        partLength_ = 1;
        colour_ = c == '.' ? EndNumber(ColourPart::Fraction) : ColourPart::Number;
        return;
      case ColourPart::Number:
        if (c == ' ' || c == '.') {
          text_ += c;
          colour_ = EndNumber(c == ' ' ? ColourPart::Blanks : ColourPart::Fraction);
        } else if (++partLength_ <= kPartReach) {
          text_ += c;
        }
        return;
      case ColourPart::Fraction:
        if (c != ' ') return;
        text_ += c;
        colour_ = ColourPart::Blanks;
        return;
      case ColourPart::Rest:
        return;
    }
  }

  ColourPart EndNumber(ColourPart next) { return ++numbers_ == 3 ? ColourPart::Rest : next; }

  std::string text_;
  bool started_ = false;
  Kind kind_ = Kind::Undecided;
  ColourPart colour_ = ColourPart::Keyword;
  std::size_t partLength_ = 0;
  int numbers_ = 0;
};

constexpr const char* kNoMemory = "the line is too long to hold in memory";

// Splits bytes that arrive in pieces into lines and reads each. A line that lies whole inside a
// piece is read in place; only one that spans pieces is kept, as much of it as matters.
class LineSplitter {
 public:
  void Feed(std::string_view bytes) {
    if (error_) return;
    if (afterCarriageReturn_ && !bytes.empty()) {
      afterCarriageReturn_ = false;
      if (bytes.front() == '\n') bytes.remove_prefix(1);  // CR LF is one line end
    }
    const char* cursor = bytes.data();
    const char* const end = cursor + bytes.size();
    while (cursor != end) {
      const char* lineEnd = FindLineEnd(cursor, end);
      if (lineEnd == end) {
        Keep(cursor, end);
        break;
      }
      if (partial_.empty()) {
        Read(std::string_view(cursor, static_cast<std::size_t>(lineEnd - cursor)));
      } else {
        Keep(cursor, lineEnd);
        ReadPartial();
      }
      if (error_) return;
      cursor = lineEnd + 1;
      if (*lineEnd == '\r') {
        if (cursor == end)
          afterCarriageReturn_ = true;
        else if (*cursor == '\n')
          ++cursor;
      }
    }
    MovePending();  // the caller may reuse the bytes
  }

  bool Failed() const { return error_.has_value(); }

  std::optional<LoadError> Finish(LoadedLightSetting& setting) {
    if (!error_ && !partial_.empty()) ReadPartial();  // the last line need not end
    if (error_) return error_;
    setting = std::move(values_);
    return std::nullopt;
  }

 private:
  void Keep(const char* from, const char* to) {
    if (error_) return;
    try {
      partial_.Append(from, to);
    } catch (const std::bad_alloc&) {
      partial_.Clear();
      error_ = LoadError{lineNumber_ + 1, kNoMemory};
    }
  }

  void ReadPartial() {
    if (error_) return;
    Read(partial_.text());
    if (!error_) MovePending(&partial_.text());
    partial_.Clear();
  }

  void MovePending(std::string* owner = nullptr) {
    if (const std::size_t line = pending_.MoveTo(values_, owner); line && !error_)
      error_ = LoadError{line, kNoMemory};
  }

  void Read(std::string_view line) {
    ++lineNumber_;
    if (const auto failure = ReadLine(line, lineNumber_, values_, pending_))
      error_ = LoadError{lineNumber_, Message(*failure)};
  }

  LoadedLightSetting values_;
  PendingText pending_;
  std::optional<LoadError> error_;
  LongLine partial_;
  std::size_t lineNumber_ = 0;
  bool afterCarriageReturn_ = false;
};

}  // namespace

std::optional<LoadError> ParseLightText(std::string_view bytes, LoadedLightSetting& setting) {
  LineSplitter splitter;
  splitter.Feed(bytes);
  return splitter.Finish(setting);
}

std::optional<LoadError> LoadLightFile(const FileName& path, LoadedLightSetting& setting) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenForReading(path), &std::fclose);
  // Systems differ on where a folder fails (opening or reading); the reason is the same.
  auto failure = [&path](const char* what, int error) {
    return LoadError{0, IsFolder(path) ? "cannot open: it is a folder, not a file"
                                       : std::string(what) + ErrnoReason(error)};
  };
  if (!file) return failure("cannot open: ", errno);
  LineSplitter splitter;
  std::string buffer(std::size_t{1} << 16, '\0');
  for (;;) {
    const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), file.get());
    if (std::ferror(file.get())) return failure("cannot read: ", errno);
    splitter.Feed(std::string_view(buffer.data(), count));
    if (count < buffer.size() || splitter.Failed()) break;
  }
  return splitter.Finish(setting);
}

std::string DescribeLoadError(const FileName& path, const LoadError& error) {
  std::string text = PathForDisplay(path);
  if (error.Line != 0) text += ':' + std::to_string(error.Line);
  return text + ": " + error.Message;
}

}  // namespace lightset
