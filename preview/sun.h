// Where a lighting set puts its sun, under one stated convention, and how that is said in words.
//
// The convention: the inclination is the sun's height above the horizon in degrees (0 on the
// horizon, 90 overhead, below 0 under the horizon, where it gives no direct light); the rotation
// is its bearing in degrees clockwise from north (90 east, 180 south). Every number is taken as
// this gives it, modulo 360: an inclination of 120 is a sun 60 degrees high on the opposite
// bearing, a rotation of 720 is north, one of -90 is west. An inclination or rotation that is
// empty or not a number (a file may hold any text there) gives no sun.
#pragma once

#include <optional>
#include <string>

#include "lightset/light_setting.h"

namespace preview {

// A direction in the preview's world: x east, y north, z up.
struct Vector {
  double x = 0, y = 0, z = 0;
};

inline double Dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

struct Sun {
  // Toward the sun, of length 1; nothing when there is no sun (and noSun says why).
  std::optional<Vector> toward;
  double height = 0;   // degrees above the horizon, -90 to 90
  double bearing = 0;  // degrees clockwise from north, 0 to below 360
  std::string noSun;   // "the inclination is not a number", ...; empty when there is a sun
};

// The sun of a setting's inclination and rotation, as the convention above gives it.
Sun SunOf(const lightset::LightSetting& setting);

// The sun in words, for a screen reader and a web page: "sun 50 degrees above the horizon,
// bearing 180 degrees (south)", "sun 10 degrees below the horizon, bearing 90 degrees (east): no
// direct light", or "no sun: the inclination is not a number".
std::string DescribeSun(const Sun& sun);

}  // namespace preview
