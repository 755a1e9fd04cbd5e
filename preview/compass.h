// The compass's geometry, shared by the picture's ring and the editor's compass control: a sun's
// place on a ring seen from above, north up, east right; the centre is overhead, the ring the
// horizon, and a sun below the horizon lies outside the ring.
#pragma once

namespace preview {

// A place on the compass, in radii of its ring from its centre: x east, y south (down).
struct CompassPoint {
  double x = 0, y = 0;
};

// Where a sun of this height (degrees above the horizon) and bearing (degrees clockwise from
// north) lies: at a distance of (90 - height) / 90 radii, in the bearing's direction.
CompassPoint PointOfSun(double height, double bearing);

// The height and bearing of the sun at a point, the inverse of PointOfSun; a point outside the
// ring is taken on the ring (the horizon), the centre as overhead with the bearing kept.
struct SunPlace {
  double height, bearing;
};
SunPlace SunAtPoint(CompassPoint point, double keptBearing);

}  // namespace preview
