// The fields of a lighting set, one row each, in the order the file writes them. The reader, the
// writer, lgt and the editor take their field lists from this table: a new field is a row here,
// a member of LightSetting and a control in the editor.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

#include "light_setting.h"

namespace lightset {

enum class FieldKind {
  Name,    // any text between two double quotes:  LightingSet "Dusk"
  Colour,  // three numbers, red green blue:       suncolor 255 200 150
  Number,  // a number, kept as the text it is:    suninclination 50
};

struct Field {
  std::string LightSetting::*text;  // where a LightSetting holds it
  std::string_view label;           // what messages call it
  std::string_view keyword;         // what the file calls it; a line names it in six characters
  FieldKind kind;
  bool indented;                 // the writer begins its line with one blank
  std::string_view option;       // lgt's option for it
  std::string_view key;          // lgt read's key for it
  std::string_view defaultText;  // what a LightSetting holds until it is set
};

// clang-format off
inline constexpr Field kFields[] = {
    {&LightSetting::Name,                 "name",                   "LightingSet",         FieldKind::Name,   false, "--name",                   "Name",                 ""},
    {&LightSetting::SunColour,            "sun colour",             "suncolor",            FieldKind::Colour, false, "--sun-colour",             "SunColour",            kWhite},
    {&LightSetting::SunSpecular,          "sun specular",           "sunspecular",         FieldKind::Colour, false, "--sun-specular",           "SunSpecular",          kWhite},
    {&LightSetting::AmbientColour,        "ambient colour",         "ambientcolor",        FieldKind::Colour, false, "--ambient-colour",         "AmbientColour",        kWhite},
    {&LightSetting::TerrainAmbientColour, "terrain ambient colour", "terrainambientcolor", FieldKind::Colour, false, "--terrain-ambient-colour", "TerrainAmbientColour", kWhite},
    {&LightSetting::SunInclination,       "sun inclination",        "suninclination",      FieldKind::Number, false, "--sun-inclination",        "SunInclination",       ""},
    {&LightSetting::SunRotation,          "sun rotation",           "sunrotation",         FieldKind::Number, true,  "--sun-rotation",           "SunRotation",          ""},
};
// clang-format on

inline constexpr std::size_t kFieldCount = std::size(kFields);

// A line names a field by the first six characters of its keyword, and by nothing after them.
inline constexpr std::size_t kKeywordLength = 6;

}  // namespace lightset
