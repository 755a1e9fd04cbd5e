// diff: the values two files set, compared field by field.
#include "code_page.h"
#include "commands.h"
#include "json_values.h"
#include "lightset/file_reader.h"

namespace lgt {

int DiffCommand(const std::vector<Argument>& arguments, Output& out, Output& err) {
  std::size_t first = 1;
  const bool json = TakeJsonOption(arguments, first);
  if (arguments.size() - first != 2) return BadCommand(err, "diff: give two files");
  lightset::LoadedLightSetting sets[2];
  for (int i = 0; i < 2; ++i) {
    const Argument& file = arguments[first + i];
    if (file.path.empty()) return BadCommand(err, "diff: a file name is empty");
    // As diff and cmp do: 2, not 1, when a file cannot be read, since 1 means "they differ".
    if (auto error = lightset::LoadLightFile(file.path, sets[i])) {
      err << lightset::DescribeLoadError(file.path, *error) << '\n';
      return kBadCommand;
    }
  }
  const auto& [a, b] = sets;
  if (json) out << JsonOfDifferences(a, b);
  bool differ = false;
  for (std::size_t i = 0; i < lightset::kFieldCount; ++i) {
    const lightset::Field& field = lightset::kFields[i];
    const std::string &in = a.values.*field.text, &to = b.values.*field.text;
    if (a.lines[i] == 0 && b.lines[i] == 0) continue;
    if (a.lines[i] && b.lines[i] && in == to) continue;
    differ = true;
    if (json) continue;
    auto shown = [&out](std::size_t line, const std::string& value) {
      return !line ? std::string("(not set)") : out.terminal() ? FromCodePage(value) : value;
    };
    out << field.key << ": " << shown(a.lines[i], in) << " -> " << shown(b.lines[i], to) << '\n';
  }
  return differ ? kFailed : 0;
}

}  // namespace lgt
