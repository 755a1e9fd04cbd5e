// read and check: a file's values, or whether files read, as lines or as JSON.
#include "code_page.h"
#include "commands.h"
#include "json_values.h"
#include "lightset/disk_files.h"
#include "lightset/file_reader.h"
#include "wildcards.h"

namespace lgt {
namespace {

// Reads every file that the names from first on name (wildcards expanded on Windows), in order,
// and reports each through ok or failed. Returns the status of check.
template <class Ok, class Failed>
int ReadEach(const std::vector<Argument>& arguments, std::size_t first, Ok ok, Failed failed) {
  std::size_t count = 0;
  for (std::size_t i = first; i < arguments.size(); ++i) {
    const auto matches = FilesMatching(arguments[i]);
    if (matches.empty()) failed(arguments[i].path, lightset::LoadError{0, "no file matches"});
    count += matches.empty();
    for (const Argument& file : matches) {
      lightset::LoadedLightSetting loaded;
      if (auto error = lightset::LoadLightFile(file.path, loaded)) {
        failed(file.path, *error);
        ++count;
      } else {
        ok(file.path, loaded);
      }
    }
  }
  return count ? kFailed : 0;
}

// The names of files from first on, after --json and "--" if given. Returns 0 or the status of a
// bad command.
int TakeFileNames(const std::vector<Argument>& arguments, std::size_t& first, bool& json,
                  Output& err) {
  const std::string& verb = arguments[0].display;
  first = 1;
  json = TakeJsonOption(arguments, first);
  const bool dashes = first < arguments.size() && arguments[first].display == "--";
  first += dashes;
  if (first == arguments.size()) return BadCommand(err, verb + ": no file named");
  for (std::size_t i = first; i < arguments.size(); ++i) {
    if (!dashes && arguments[i].display.starts_with("--"))
      return BadCommand(err, "unknown option " + arguments[i].display);
    if (arguments[i].path.empty()) return BadCommand(err, verb + ": a file name is empty");
  }
  return 0;
}

// read --json and check --json: one JSON array of every file.
int PrintJson(const std::vector<Argument>& arguments, std::size_t first, bool values, Output& out) {
  JsonResults results;
  const int status = ReadEach(
      arguments, first,
      [&](const lightset::FileName& file, const lightset::LoadedLightSetting& loaded) {
        results.Add(lightset::PathForDisplay(file), values ? &loaded : nullptr);
        out << results.Take();
      },
      [&](const lightset::FileName& file, const lightset::LoadError& error) {
        results.Add(lightset::PathForDisplay(file), error);
        out << results.Take();
      });
  out << results.Close();
  return status;
}

}  // namespace

int ReadCommand(const std::vector<Argument>& arguments, Output& out, Output& err) {
  std::size_t first = 1;
  if (TakeJsonOption(arguments, first)) {
    bool json = false;
    if (const int status = TakeFileNames(arguments, first, json, err)) return status;
    return PrintJson(arguments, first, true, out);
  }
  if (arguments.size() != 2) return BadCommand(err, "read: wrong number of arguments");
  const Argument& file = arguments[1];
  if (file.path.empty()) return BadCommand(err, "read: the file name is empty");
  lightset::LoadedLightSetting loaded;
  if (auto error = lightset::LoadLightFile(file.path, loaded)) {
    err << lightset::DescribeLoadError(file.path, *error) << '\n';
    return kFailed;
  }
  for (std::size_t i = 0; i < lightset::kFieldCount; ++i) {
    const lightset::Field& field = lightset::kFields[i];
    const std::string& value = loaded.values.*field.text;
    // A person reads characters (which the terminal's output shows safely); a script gets the
    // bytes exactly.
    if (loaded.lines[i])
      out << field.key << '=' << (out.terminal() ? FromCodePage(value) : value) << '\n';
  }
  return 0;
}

int CheckCommand(const std::vector<Argument>& arguments, Output& out, Output& err) {
  std::size_t first = 1;
  bool json = false;
  if (const int status = TakeFileNames(arguments, first, json, err)) return status;
  if (json) return PrintJson(arguments, first, false, out);
  std::size_t files = 0, failures = 0;
  const int status = ReadEach(
      arguments, first,
      [&](const lightset::FileName& file, const lightset::LoadedLightSetting&) {
        ++files;
        out << lightset::PathForDisplay(file) << ": ok\n";
      },
      [&](const lightset::FileName& file, const lightset::LoadError& error) {
        ++files, ++failures;
        out.Flush();  // in the order given, where both streams go to one place
        err << lightset::DescribeLoadError(file, error) << '\n';
        err.Flush();
      });
  if (files > 1) {
    out.Flush();
    err << files << " files, " << failures << " could not be read\n";
  }
  return status;
}

}  // namespace lgt
