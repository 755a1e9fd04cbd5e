// Lets a test failure show a write failure's message rather than its bytes.
#pragma once

#include <ostream>

#include "lightset/disk_files.h"

namespace lightset {

inline void PrintTo(const WriteFailure& failure, std::ostream* out) { *out << failure.message; }

}  // namespace lightset
