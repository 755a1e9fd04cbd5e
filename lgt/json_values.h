// Lighting sets as JSON, for scripts: what read --json and check --json print, and the values
// write and set take with --json -. RapidJSON writes and parses it; text is the file's code page
// decoded (code_page.h), so the JSON is valid UTF-8 whatever a file holds.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "lightset/fields.h"
#include "lightset/file_reader.h"

namespace lgt {

// Values for a write or a set, field by field, as the file's 8-bit text.
using GivenValues = std::vector<std::pair<const lightset::Field*, std::string>>;

// One JSON array of one object per file, in the order added:
//   {"file": NAME, "values": {KEY: VALUE, ...}}  the values the file sets, in kFields' order: the
//                                                 name and numbers as strings, exactly as held;
//                                                 colours as [R, G, B]
//   {"file": NAME}                                read, values not asked for
//   {"file": NAME, "error": {"line": N, "message": TEXT}}
// A file name that is not UTF-8 has each byte that is not replaced by U+FFFD.
class JsonResults {
 public:
  JsonResults();
  ~JsonResults();
  JsonResults(const JsonResults&) = delete;
  JsonResults& operator=(const JsonResults&) = delete;

  // values null: the file's object without them.
  void Add(std::string_view file, const lightset::LoadedLightSetting* values);
  void Add(std::string_view file, const lightset::LoadError& error);

  // The text so far, which is then no longer held; after Close, the rest and the array's end.
  std::string Take();
  std::string Close();

  struct State;  // the writer, which JsonOfDifferences writes with too

 private:
  std::unique_ptr<State> state_;
};

// What lgt diff --json prints: {"changed": {KEY: {"a": VALUE, "b": VALUE}, ...},
// "only_in_a": [KEY, ...], "only_in_b": [KEY, ...]}, values as JsonResults writes them, keys in
// kFields' order.
std::string JsonOfDifferences(const lightset::LoadedLightSetting& a,
                              const lightset::LoadedLightSetting& b);

// Reads the values of one lighting set from text: one object as JsonResults writes it (its
// "file" is ignored), or an array of exactly one. Values may be a JSON string or number (a number
// is taken as the text it is written in); a colour an array of three whole numbers 0 to 255.
// Returns the values given, in kFields' order, or why they cannot be taken: not JSON, a key that
// is no field, a value of the wrong kind, a character the file's code page cannot hold.
std::variant<GivenValues, std::string> ValuesFromJson(std::string_view text);

}  // namespace lgt
