#include "sun.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string_view>

#include "lightset/numeric_text.h"

namespace preview {
namespace {

// A number as the numeric test takes it (blanks around, a sign, a point, an exponent), or why
// it is none.
std::optional<double> NumberOf(std::string_view text, std::string_view label, std::string& why) {
  if (!lightset::IsNumeric(text)) {
    why = "the " + std::string(label) + (text.empty() ? " is empty" : " is not a number");
    return std::nullopt;
  }
  while (text.front() == ' ') text.remove_prefix(1);
  while (text.back() == ' ') text.remove_suffix(1);
  // The numeric test admits only what strtod reads the same in every locale's digits, but for the
  // point: no program here sets a locale, so the point is ".".
  const std::string number(text);
  char* end = nullptr;
  const double value = std::strtod(number.c_str(), &end);
  if (end != number.c_str() + number.size() || !std::isfinite(value)) {
    why = "the " + std::string(label) + " is too large a number";
    return std::nullopt;
  }
  return value;
}

// Degrees taken modulo 360, from 0 to below 360.
double Turned(double degrees) {
  const double turned = std::fmod(degrees, 360.0);
  return turned < 0 ? turned + 360.0 : turned;
}

// A number of degrees, not negative, to a tenth: "50", "12.5".
std::string Degrees(double value) {
  const long tenths = std::lround(value * 10);
  return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "");
}

const char* PointName(double bearing) {
  constexpr const char* kPoints[] = {"north", "north-east", "east", "south-east",
                                     "south", "south-west", "west", "north-west"};
  return kPoints[static_cast<int>(std::floor(bearing / 45.0 + 0.5)) % 8];
}

}  // namespace

Sun SunOf(const lightset::LightSetting& setting) {
  Sun sun;
  const auto inclination = NumberOf(setting.SunInclination, "inclination", sun.noSun);
  if (!inclination) return sun;
  const auto rotation = NumberOf(setting.SunRotation, "rotation", sun.noSun);
  if (!rotation) return sun;
  constexpr double kRadians = std::numbers::pi / 180;
  const double up = Turned(*inclination) * kRadians, around = Turned(*rotation) * kRadians;
  // Height and bearing are what the direction comes to: past 90 the sun is over on the other side.
  const Vector toward{std::cos(up) * std::sin(around), std::cos(up) * std::cos(around),
                      std::sin(up)};
  sun.toward = toward;
  sun.height = std::asin(std::clamp(toward.z, -1.0, 1.0)) / kRadians;
  const double flat = std::hypot(toward.x, toward.y);
  sun.bearing = flat < 1e-9 ? Turned(*rotation) : Turned(std::atan2(toward.x, toward.y) / kRadians);
  return sun;
}

std::string DescribeSun(const Sun& sun) {
  if (!sun.toward) return "no sun: " + sun.noSun;
  const double shown = Turned(std::round(sun.bearing * 10) / 10);  // 359.96 is 0, not 360
  const std::string bearing = "bearing " + Degrees(shown) + " degrees (" + PointName(shown) + ")";
  if (sun.height >= 0)
    return "sun " + Degrees(sun.height) + " degrees above the horizon, " + bearing;
  return "sun " + Degrees(-sun.height) + " degrees below the horizon, " + bearing +
         ": no direct light";
}

}  // namespace preview
