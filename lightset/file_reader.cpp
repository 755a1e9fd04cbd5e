#include "file_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "disk_files.h"
#include "error_text.h"
#include "padded_text.h"

namespace lightset {
namespace {

const std::string kBeyondReachText =
    "line too long: a scan passed its " + WithThousands(kReach) + "th character";
const char* const kBeyondReach = kBeyondReachText.c_str();
const std::string kOverLongestText =
    "line too long: more than " + WithThousands(kLongestLine) + " characters";
const char* const kOverLongest = kOverLongestText.c_str();
constexpr const char* kNoMemory = "not enough memory to read the line";
constexpr const char* kNoMemoryForFile = "not enough memory to read it";

// Why a line cannot be read, as pointers into constant text and into the line itself: a parser
// passes it up for nothing, and the message is made only for the line that fails.
struct LineFailure {
  const Field* field;            // nullptr: the line as a whole
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

// A search that found nothing within reach: the thing is missing from a text that ends within
// reach, and otherwise may lie beyond it.
LineFailure NotWithinReach(std::string_view text, const Field& field, const char* missing) {
  if (text.size() < kReach) return {&field, missing};
  return {nullptr, kBeyondReach};
}

std::string Message(const LineFailure& failure) {
  if (!failure.field) return failure.what;
  std::string message = std::string(failure.field->label) + ": ";
  if (!failure.number) return message + failure.what;
  message += std::string("the ") + failure.number + " number";
  if (!failure.token.empty()) message += " " + Quoted(failure.token);
  return message + failure.what;
}

std::size_t LeadingBlanks(std::string_view text) {
  return std::min(text.find_first_not_of(' '), text.size());
}

Parsed<std::string_view> ExtractQuotedName(std::string_view text, const Field& field) {
  const std::size_t open = text.find('"');
  if (open >= kReach) return NotWithinReach(text, field, "no double quote before the name");
  if (open == kReach - 1) return LineFailure{nullptr, kBeyondReach};  // the name starts beyond
  text.remove_prefix(open + 1);
  const std::size_t close = text.find('"');
  if (close >= kReach) return NotWithinReach(text, field, "no closing double quote");
  return text.substr(0, close);
}

// Reads a line that begins with a colour's keyword (whose six characters hold no blank).
Parsed<ColourRef> ParseColourTriple(PaddedText line, const Field& field) {
  const std::string_view text = line.text();
  const char* at = text.data() + kKeywordLength;
  const char* const end = text.data() + text.size();
  const char* const reach = text.data() + std::min(text.size(), kReach);
  while (at != reach && *at != ' ') ++at;
  if (at == reach) return NotWithinReach(text, field, "no blank after the keyword");
  constexpr const char* kWhich[] = {"red", "green", "blue"};
  std::int16_t components[3] = {};
  for (int TokenCount = 0; TokenCount != 3; ++TokenCount) {
    // What is left of a number cut at a point, then the blanks; a line that ends first leaves an
    // empty number.
    while (at != end && *at != ' ') ++at;
    while (at != end && *at == ' ') ++at;
    // The number: an optional sign and decimal digits, up to a blank, a point or the line's end.
    const char* const start = at;
    const bool negative = at != end && *at == '-';
    if (at != end && (*at == '-' || *at == '+')) ++at;
    const char* const digits = at;
    // Its first four characters are read as one word (the padding behind the line makes them
    // readable): how many of them are digits, and their value, without a branch on that number,
    // which differs from number to number.
    std::uint32_t four = 0;
    std::memcpy(&four, digits, sizeof four);
    const std::uint32_t notDigit =
        ((four & 0xF0F0F0F0) ^ 0x30303030) | (((four + 0x06060606) & 0xF0F0F0F0) ^ 0x30303030);
    const auto count = std::min<std::size_t>(std::countr_zero(notDigit) / 8, end - at);
    // The digits at the top of the word, zeros below them; then pairs, then the four.
    std::uint64_t packed = std::uint64_t{four - 0x30303030u} << (8 * (4 - count));
    packed = (packed * 10 + (packed >> 8)) & 0x00FF00FF;
    auto value = static_cast<std::int32_t>((packed * 100 + (packed >> 16)) & 0xFFFF);
    at += count;
    // The rest one by one; value grows no further once it is out of range.
    bool whole = true;
    for (; at != end && *at != ' ' && *at != '.'; ++at) {
      const auto next = static_cast<unsigned char>(*at - '0');
      if (next > 9)
        whole = false;
      else if (value <= 32768)
        value = value * 10 + next;
    }
    const std::string_view TokenText(start, static_cast<std::size_t>(at - start));
    if (TokenText.size() >= kReach) return LineFailure{nullptr, kBeyondReach};
    auto fail = [&](const char* what) {
      return LineFailure{&field, what, kWhich[TokenCount], TokenText};
    };
    if (TokenText.empty()) return fail(" is missing");
    if (!whole || at == digits) return fail(" is not a whole number");
    if (negative) value = -value;
    if (value < -32768 || value > 32767) return fail(" is out of range (-32768 to 32767)");
    components[TokenCount] = static_cast<std::int16_t>(value);
  }
  const auto [RedComponent, GreenComponent, BlueComponent] = components;
  return ColourFromComponents(RedComponent, GreenComponent, BlueComponent);
}

std::string_view ParseSingleValue(std::string_view text) {
  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return {};
  text.remove_prefix(blank);
  text.remove_prefix(LeadingBlanks(text));
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

// A keyword's first six characters as one number, so that a line's are matched in one
// comparison. Read as four and two bytes: a number put together through memory would make each
// line wait for its stores.
std::uint64_t KeyOf(const char* six) {
  std::uint32_t low = 0;
  std::uint16_t high = 0;
  std::memcpy(&low, six, 4);
  std::memcpy(&high, six + 4, 2);
  return low | std::uint64_t{high} << 32;
}

const std::array<std::uint64_t, kFieldCount> kKeys = [] {
  std::array<std::uint64_t, kFieldCount> keys{};
  for (std::size_t i = 0; i < kFieldCount; ++i) keys[i] = KeyOf(kFields[i].keyword.data());
  return keys;
}();

// The index in kFields of the field a line without leading blanks names, or kFieldCount.
std::size_t FieldNamedBy(std::string_view text) {
  if (text.size() < kKeywordLength) return kFieldCount;
  const std::uint64_t key = KeyOf(text.data());
  return static_cast<std::size_t>(std::find(kKeys.begin(), kKeys.end(), key) - kKeys.begin());
}

// A value a line set, pointing into the bytes being read until it is moved out of them.
struct Pending {
  std::string_view text;  // a name or a number
  ColourRef colour = 0;
  std::size_t line = 0;  // 0: nothing to move
};

// Reads a line that names field (without its leading blanks) into value; returns why the line
// cannot be read, if it cannot.
std::optional<LineFailure> ReadField(PaddedText CurrentLine, const Field& field, Pending& value) {
  const std::string_view text = CurrentLine.text();
  if (text.size() > kLongestLine) return LineFailure{nullptr, kOverLongest};
  switch (field.kind) {
    case FieldKind::Name: {
      const auto name = ExtractQuotedName(text, field);
      if (name.failure) return name.failure;
      value.text = name.value;
      break;
    }
    case FieldKind::Colour: {
      const auto colour = ParseColourTriple(CurrentLine, field);
      if (colour.failure) return colour.failure;
      value.colour = colour.value;
      break;
    }
    case FieldKind::Number:
      value.text = ParseSingleValue(text);
      break;
  }
  return std::nullopt;
}

}  // namespace

// Splits the bytes of a file, a piece at a time, into lines and reads each. A line that lies
// whole in a piece is read in place. Of a line that a piece does not end, the leading blanks are
// dropped, and the rest is kept only when the line names a field, to be read once it ends.
class LineReader {
 public:
  void Feed(const Piece& piece) {
    const PaddedText bytes = piece.Bytes();
    const std::size_t size = bytes.text().size();
    std::size_t start = 0;
    if (afterCarriageReturn_ && size != 0) {
      afterCarriageReturn_ = false;
      if (bytes.text().front() == '\n') start = 1;  // CR LF is one line end
    }
    while (start != size && !error_) {
      const PaddedText rest = bytes.Part(start);
      const std::size_t length = LineEnd(rest);
      if (length == rest.text().size()) {
        Keep(rest.text());
        break;
      }
      if (inLine_) {
        Keep(rest.text().substr(0, length));
        ReadKept();
      } else {
        Read(rest.Part(0, length));
      }
      start += length + 1;
      if (rest.text()[length] == '\r') {
        if (start == size)
          afterCarriageReturn_ = true;
        else if (bytes.text()[start] == '\n')
          ++start;
      }
    }
    MovePending();  // the piece is about to be filled again
  }

  bool Failed() const { return error_.has_value(); }

  std::optional<LoadError> Finish(LoadedLightSetting& setting) {
    if (inLine_) ReadKept();  // the last line need not end
    if (error_) return error_;
    setting = std::move(values_);
    return std::nullopt;
  }

 private:
  void Keep(std::string_view part) {
    inLine_ = true;
    if (skipping_) return;
    if (kept_.empty()) part.remove_prefix(LeadingBlanks(part));
    try {
      if (kept_.size() < kKeywordLength) {
        const std::size_t take = std::min(kKeywordLength - kept_.size(), part.size());
        kept_.append(part.substr(0, take));
        part.remove_prefix(take);
        if (kept_.size() < kKeywordLength) return;
        if (FieldNamedBy(kept_) == kFieldCount) {
          skipping_ = true;
          return;
        }
      }
      if (kept_.size() + part.size() > kLongestLine) {
        error_ = LoadError{lineNumber_ + 1, kOverLongest};
        return;
      }
      kept_.append(part);
    } catch (const std::bad_alloc&) {
      error_ = LoadError{lineNumber_ + 1, kNoMemory};
    }
  }

  void ReadKept() {
    if (error_) return;
    const std::size_t size = kept_.size();
    try {
      kept_.append(PaddedText::kPadding, '\0');
    } catch (const std::bad_alloc&) {
      error_ = LoadError{lineNumber_ + 1, kNoMemory};
      return;
    }
    Read(PaddedText(std::string_view(kept_).substr(0, size)));
    MovePending();  // the values may lie in kept_
    kept_.clear();
    inLine_ = skipping_ = false;
  }

  void Read(PaddedText line) {
    ++lineNumber_;
    line = line.Part(LeadingBlanks(line.text()));
    const std::size_t index = FieldNamedBy(line.text());
    if (index == kFieldCount) return;
    if (const auto failure = ReadField(line, kFields[index], pending_[index]))
      error_ = LoadError{lineNumber_, Message(*failure)};
    else
      pending_[index].line = lineNumber_;
  }

  void MovePending() {
    for (std::size_t i = 0; i < kFieldCount; ++i) {
      Pending& value = pending_[i];
      if (value.line == 0 || error_) continue;
      const Field& field = kFields[i];
      try {
        if (field.kind == FieldKind::Colour)
          values_.values.*field.text = ColourText(value.colour);
        else
          (values_.values.*field.text).assign(value.text);
        values_.lines[i] = value.line;
      } catch (const std::bad_alloc&) {
        error_ = LoadError{value.line, kNoMemory};
      }
      value = {};
    }
  }

  LoadedLightSetting values_;
  std::array<Pending, kFieldCount> pending_{};
  std::optional<LoadError> error_;
  std::string kept_;            // the line being kept, without its leading blanks
  bool inLine_{};               // a line began in an earlier piece
  bool skipping_{};             // ...and names no field
  std::size_t lineNumber_ = 0;  // lines read so far
  bool afterCarriageReturn_{};
};

std::optional<LoadError> ParseLightText(std::string_view bytes, LoadedLightSetting& setting) {
  try {
    Piece piece(bytes.size());
    piece.Take(bytes);
    LineReader reader;
    reader.Feed(piece);
    return reader.Finish(setting);
  } catch (const std::bad_alloc&) {
    return LoadError{0, kNoMemoryForFile};
  }
}

std::optional<LoadError> LoadLightFile(const FileName& path, LoadedLightSetting& setting) {
  std::string failure;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenForReading(path, failure),
                                                             &std::fclose);
  if (!file) return LoadError{0, failure};
  try {
    Piece piece(std::size_t{1} << 16);
    LineReader reader;
    do {
      if (!piece.Read(file.get())) return LoadError{0, "cannot read: " + ErrnoReason(errno)};
      reader.Feed(piece);
    } while (piece.Full() && !reader.Failed());
    return reader.Finish(setting);
  } catch (const std::bad_alloc&) {
    return LoadError{0, kNoMemoryForFile};
  }
}

std::string DescribeLoadError(const FileName& path, const LoadError& error) {
  std::string text = PathForDisplay(path);
  if (error.Line != 0) text += ':' + std::to_string(error.Line);
  return text + ": " + error.Message;
}

}  // namespace lightset
