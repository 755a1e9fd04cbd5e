// The POSIX pieces that the save and the hold share. Internal to the core.
#pragma once

#include <unistd.h>

#include <optional>
#include <string>
#include <utility>

#include "file_name.h"

namespace lightset {

class Descriptor {
 public:
  explicit Descriptor(int descriptor = -1) : descriptor_(descriptor) {}
  ~Descriptor() {
    if (*this) close(descriptor_);
  }
  Descriptor(Descriptor&& other) noexcept : descriptor_(other.release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    Descriptor gone(std::exchange(descriptor_, other.release()));
    return *this;
  }
  explicit operator bool() const { return descriptor_ != -1; }
  int get() const { return descriptor_; }
  int release() { return std::exchange(descriptor_, -1); }

 private:
  int descriptor_;
};

// Where a save writes: the folder of the file that the target, through any links, finally names,
// held open, and that file's name there.
struct Place {
  Descriptor folder;
  std::string name;
};

// Follows target through its links as the system would for this user, and holds the final
// folder open. Refuses ("<target>: cannot follow the link: ...") a loop, more links than the
// system follows (40, those in the folders counted), a link the system would not follow for this
// user, and a link whose text leads elsewhere than the system would go (as /proc/self/fd/N to a
// deleted file does). Other failures: "<target>: cannot open its folder: <reason>".
std::optional<Place> ResolveTarget(const FileName& target, std::string& failure);

}  // namespace lightset
