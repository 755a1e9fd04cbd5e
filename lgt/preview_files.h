// What lgt preview writes beside the pictures: the folder itself, and names for its files.
#pragma once

#include <optional>
#include <set>
#include <string>

#include "lightset/file_name.h"

namespace lgt {

// Makes the folder (one level) unless it exists. Returns why it could not, or nothing.
std::optional<std::string> MakeFolder(const lightset::FileName& folder);

// The file name inside folder, from UTF-8 text.
lightset::FileName FileInFolder(const lightset::FileName& folder, const std::string& name);

// A picture's name for a lighting-set file: its name without folder and ".lgt", with every
// character a file name or a web address may not hold plainly replaced by "_", and "-2", "-3"
// added when a name is already taken (compared without case, as Windows compares). Ends in .png.
std::string PictureName(const std::string& file, std::set<std::string>& taken);

}  // namespace lgt
