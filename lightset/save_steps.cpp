#include "save_steps.h"

#include <thread>

#include "disk_files.h"

namespace lightset {

std::string Failure(const FileName& target, const std::string& what) {
  return PathForDisplay(target) + ": " + what;
}

std::string NextTemporaryName(unsigned long process) {
  static unsigned next = 0;
  constexpr char kHex[] = "0123456789abcdef";
  const unsigned number = next++;
  return "~lgt" + std::to_string(process) + '.' + kHex[(number >> 4) & 15] + kHex[number & 15] +
         ".tmp";
}

void Pause() { std::this_thread::sleep_for(kPause); }

std::optional<WriteFailure> ReplaceFileContents(const FileName& target, std::string_view bytes) {
  if (auto failure = Replace(target, bytes)) return WriteFailure{std::move(*failure)};
  return std::nullopt;
}

}  // namespace lightset
