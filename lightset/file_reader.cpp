#include "file_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "disk_files.h"
#include "error_text.h"

namespace lightset {
namespace {

// Cursors are signed 16-bit: a scan may look at positions 1 to 32,767 only.
constexpr std::int16_t kLastScanPos = 32767;
constexpr const char* kTooLong = "line too long: a scan passed its 32,767th character";

struct LineFailure {
  std::string message;
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
LineFailure ScanFailure(std::string_view text, const std::string& missing) {
  return {text.size() < static_cast<std::size_t>(kLastScanPos) ? missing : kTooLong};
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

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view ExtractQuotedName(std::string_view text) {
  auto isQuote = [](char c) { return c == '"'; };
  const auto open = Scan(text, isQuote, false);
  if (!open) throw ScanFailure(text, "name: no double quote before the name");
  if (*open == kLastScanPos) throw LineFailure{kTooLong};  // the text after it starts beyond
  text.remove_prefix(static_cast<std::size_t>(*open));
  const auto close = Scan(text, isQuote, false);
  if (!close) throw ScanFailure(text, "name: no closing double quote");
  return text.substr(0, static_cast<std::size_t>(*close - 1));
}

std::int16_t ToComponent(std::string_view TokenText, const char* field, const char* which) {
  // Messages are made only on failure: this runs for every number of every colour line.
  auto fail = [&](const char* what) {
    return LineFailure{std::string(field) + ": the " + which + " number" +
                       (TokenText.empty() ? "" : " " + Quoted(TokenText)) + what};
  };
  if (TokenText.empty()) throw fail(" is missing");
  const bool negative = TokenText.front() == '-';
  std::size_t i = negative || TokenText.front() == '+' ? 1 : 0;
  if (i == TokenText.size()) throw fail(" is not a whole number");
  std::int32_t value = 0;
  for (; i < TokenText.size(); ++i) {
    const char c = TokenText[i];
    if (c < '0' || c > '9') throw fail(" is not a whole number");
    value = std::min<std::int32_t>(value * 10 + (c - '0'), 1 << 20);  // saturates; checked below
  }
  if (negative) value = -value;
  if (value < -32768 || value > 32767) throw fail(" is out of range (-32768 to 32767)");
  return static_cast<std::int16_t>(value);
}

ColourRef ParseColourTriple(std::string_view text, const char* field) {
  const auto keywordEnd = Scan(text, IsBlank, false);
  if (!keywordEnd) throw ScanFailure(text, std::string(field) + ": no blank after the keyword");
  text.remove_prefix(static_cast<std::size_t>(*keywordEnd - 1));  // the blank stays in front

  constexpr const char* kWhich[] = {"red", "green", "blue"};
  std::int16_t components[3] = {};
  for (int TokenCount = 0; TokenCount != 3; ++TokenCount) {
    // Drops the rest of the previous number (the point and the digits behind it), then the
    // blanks; a line that ends first leaves an empty number.
    text.remove_prefix(std::min(text.find(' '), text.size()));
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    const auto tokenEnd = Scan(
        text, [](char c) { return c == ' ' || c == '.'; }, true);
    if (!tokenEnd) throw LineFailure{kTooLong};
    const std::string_view TokenText = text.substr(0, static_cast<std::size_t>(*tokenEnd - 1));
    text.remove_prefix(TokenText.size());
    components[TokenCount] = ToComponent(TokenText, field, kWhich[TokenCount]);
  }
  const auto [RedComponent, GreenComponent, BlueComponent] = components;
  return ColourFromComponents(RedComponent, GreenComponent, BlueComponent);
}

std::string_view ParseSingleValue(std::string_view text) {
  const std::size_t blank = text.find(' ');
  return blank == std::string_view::npos ? std::string_view() : TrimBlanks(text.substr(blank + 1));
}

struct ColourRow {
  std::string_view prefix;
  const char* field;
  std::optional<ColourRef> LoadedLightSetting::*target;
};

constexpr ColourRow kColourRows[] = {
    {"suncol", "sun colour", &LoadedLightSetting::SunColour},
    {"sunspe", "sun specular", &LoadedLightSetting::SunSpecular},
    {"ambien", "ambient colour", &LoadedLightSetting::AmbientColour},
    {"terrai", "terrain ambient colour", &LoadedLightSetting::TerrainAmbientColour},
};

void ReadLine(std::string_view CurrentLine, LoadedLightSetting& values) {
  while (!CurrentLine.empty() && IsBlank(CurrentLine.front())) CurrentLine.remove_prefix(1);
  // Every keyword begins with one of these; most other lines end here.
  if (CurrentLine.empty() ||
      std::string_view("Lsat").find(CurrentLine.front()) == std::string_view::npos)
    return;
  const std::string_view prefix = CurrentLine.substr(0, 6);
  if (prefix == "Lighti") {
    values.Name = ExtractQuotedName(CurrentLine);
    return;
  }
  for (const ColourRow& row : kColourRows) {
    if (prefix == row.prefix) {
      values.*row.target = ParseColourTriple(CurrentLine, row.field);
      return;
    }
  }
  if (prefix == "suninc") {
    values.SunInclination = ParseSingleValue(CurrentLine);
  } else if (prefix == "sunrot") {
    values.SunRotation = ParseSingleValue(CurrentLine);
  }
}

// Splits bytes that arrive in pieces into lines and reads each. A line that lies whole inside a
// piece is read in place; only one that spans pieces is copied.
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
    const char* nextCr = Find(cursor, end, '\r');
    const char* nextLf = Find(cursor, end, '\n');
    while (cursor != end) {
      const char* lineEnd = std::min(nextCr, nextLf);
      if (lineEnd == end) {
        partial_.append(cursor, end);
        return;
      }
      if (partial_.empty()) {
        Read(std::string_view(cursor, static_cast<std::size_t>(lineEnd - cursor)));
      } else {
        partial_.append(cursor, lineEnd);
        Read(partial_);
        partial_.clear();
      }
      if (error_) return;
      cursor = lineEnd + 1;
      if (*lineEnd == '\r') {
        if (cursor == end)
          afterCarriageReturn_ = true;
        else if (*cursor == '\n')
          ++cursor;
      }
      if (nextCr < cursor) nextCr = Find(cursor, end, '\r');
      if (nextLf < cursor) nextLf = Find(cursor, end, '\n');
    }
  }

  bool Failed() const { return error_.has_value(); }

  std::optional<LoadError> Finish(LoadedLightSetting& setting) {
    if (!error_ && !partial_.empty()) Read(partial_);  // the last line need not end
    if (error_) return error_;
    setting = std::move(values_);
    return std::nullopt;
  }

 private:
  static const char* Find(const char* from, const char* end, char c) {
    const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
    return found ? static_cast<const char*>(found) : end;
  }

  void Read(std::string_view line) {
    ++lineNumber_;
    try {
      ReadLine(line, values_);
    } catch (const LineFailure& failure) {
      error_ = LoadError{lineNumber_, failure.message};
    }
  }

  LoadedLightSetting values_;
  std::optional<LoadError> error_;
  std::string partial_;
  std::size_t lineNumber_ = 0;
  bool afterCarriageReturn_ = false;
};

}  // namespace

std::optional<LoadError> ParseLightText(std::string_view bytes, LoadedLightSetting& setting) {
  LineSplitter splitter;
  splitter.Feed(bytes);
  return splitter.Finish(setting);
}

std::optional<LoadError> LoadLightFile(const std::filesystem::path& path,
                                       LoadedLightSetting& setting) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenForReading(path), &std::fclose);
  if (!file) return LoadError{0, "cannot open: " + ErrnoReason(errno)};
  LineSplitter splitter;
  std::string buffer(std::size_t{1} << 16, '\0');
  for (;;) {
    const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), file.get());
    if (std::ferror(file.get())) return LoadError{0, "cannot read: " + ErrnoReason(errno)};
    splitter.Feed(std::string_view(buffer.data(), count));
    if (count < buffer.size() || splitter.Failed()) break;
  }
  return splitter.Finish(setting);
}

std::string DescribeLoadError(const std::filesystem::path& path, const LoadError& error) {
  std::string text = PathForDisplay(path);
  if (error.Line != 0) text += ':' + std::to_string(error.Line);
  return text + ": " + error.Message;
}

}  // namespace lightset
