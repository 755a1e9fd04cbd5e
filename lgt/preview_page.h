// The web page of lgt preview: every set's picture with its name and seven values as text, in the
// order given, then the files that could not be read with their messages. One file of HTML and
// CSS that needs no script, no network and no file but the pictures beside it; every text from
// outside is escaped.
#pragma once

#include <string>

#include "lightset/file_reader.h"

namespace lgt {

class Page {
 public:
  explicit Page(int pictureSize) : size_(pictureSize) {}

  // file: as given, UTF-8; picture: the PNG's name beside the page; sun: the sun in words.
  void AddSet(const std::string& file, const std::string& picture,
              const lightset::LoadedLightSetting& set, const std::string& sun);
  void AddFailure(const std::string& file, const std::string& message);

  std::string Text() const;

 private:
  int size_;
  std::string sets_, failures_;
  std::size_t count_ = 0;
};

}  // namespace lgt
