// Text the reader may read a word (eight bytes) at a time, and the word-at-a-time search for a
// line's end. Internal to the reader: its precondition, kPadding readable bytes past the text,
// holds for every PaddedText because only a Piece and the LineReader make one.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace lightset {

class LineReader;

// Text followed in memory by at least kPadding more readable bytes, so that it may be read a
// word at a time. Only a Piece and the LineReader's kept line make them; any part of one is one
// too, since what follows a part is the rest of the text and then the padding.
class PaddedText {
 public:
  static constexpr std::size_t kPadding = sizeof(std::uint64_t);  // one word

  std::string_view text() const { return text_; }
  // The text from from (at most its size) on, or count characters of it.
  PaddedText Part(std::size_t from, std::size_t count = std::string_view::npos) const {
    return PaddedText({text_.data() + from, std::min(count, text_.size() - from)});
  }

 private:
  friend class Piece;
  friend class LineReader;
  explicit PaddedText(std::string_view padded) : text_(padded) {}
  std::string_view text_;
};

// Bytes of a file, and kPadding bytes after them that belong to no line.
class Piece {
 public:
  explicit Piece(std::size_t capacity)
      : buffer_(new char[capacity + PaddedText::kPadding]()), capacity_(capacity) {}

  // Fills the piece from file; returns false on a read error. Not full: the file has ended.
  bool Read(std::FILE* file) {
    size_ = std::fread(buffer_.get(), 1, capacity_, file);
    return !std::ferror(file);
  }
  // Fills the piece with bytes, as many as it holds.
  void Take(std::string_view bytes) { size_ = bytes.copy(buffer_.get(), capacity_); }
  bool Full() const { return size_ == capacity_; }
  PaddedText Bytes() const { return PaddedText({buffer_.get(), size_}); }

 private:
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t size_{};
};

// Eight bytes, the first in the lowest: the order the words below are read in.
static_assert(std::endian::native == std::endian::little);

inline std::uint64_t Word(const char* at) {
  std::uint64_t word = 0;
  std::memcpy(&word, at, sizeof word);
  return word;
}

inline constexpr std::uint64_t kOnes = 0x0101010101010101;  // a one in each byte of a word

// The high bit of each byte of word that is c; bits above the lowest may be wrong, which is the
// only one read.
inline std::uint64_t BytesEqual(std::uint64_t word, char c) {
  const std::uint64_t zeroWhereEqual = word ^ (kOnes * static_cast<unsigned char>(c));
  return (zeroWhereEqual - kOnes) & ~zeroWhereEqual & (kOnes << 7);
}

// Where the first line of rest ends (the index of its CR or LF), or rest's size. A word is looked
// at closely only when it holds a byte below 14, as CR (13) and LF (10) are: text rarely does.
inline std::size_t LineEnd(PaddedText rest) {
  const std::string_view text = rest.text();
  for (std::size_t at = 0;; at += sizeof(std::uint64_t)) {
    const std::uint64_t word = Word(text.data() + at);
    if ((word - kOnes * 14) & ~word & (kOnes << 7)) {
      if (const std::uint64_t found = BytesEqual(word, '\r') | BytesEqual(word, '\n'))
        return std::min(at + static_cast<std::size_t>(std::countr_zero(found)) / 8, text.size());
    }
    if (at + sizeof word >= text.size()) return text.size();
  }
}

}  // namespace lightset
