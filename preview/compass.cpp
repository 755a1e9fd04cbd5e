#include "compass.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace preview {

constexpr double kRadians = std::numbers::pi / 180;

CompassPoint PointOfSun(double height, double bearing) {
  const double distance = (90 - height) / 90;
  return {distance * std::sin(bearing * kRadians), -distance * std::cos(bearing * kRadians)};
}

SunPlace SunAtPoint(CompassPoint point, double keptBearing) {
  const double distance = std::min(1.0, std::hypot(point.x, point.y));
  if (distance == 0) return {90, keptBearing};
  double bearing = std::atan2(point.x, -point.y) / kRadians;
  if (bearing < 0) bearing += 360;
  return {90 * (1 - distance), bearing};
}

}  // namespace preview
