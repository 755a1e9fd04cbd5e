// The lighting model: pixels and regions of the picture probed, never a stored picture.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "preview/compass.h"
#include "preview/scene.h"
#include "preview/sun.h"

namespace preview {
namespace {

using lightset::LightSetting;
using Rgb = std::array<int, 3>;

const Scene& TheScene() {
  static const Scene scene(160, 160);
  return scene;
}

LightSetting Setting(const char* inclination, const char* rotation) {
  return {.Name = "x",
          .SunColour = "100 120 140",
          .SunSpecular = "0 0 0",
          .AmbientColour = "20 30 40",
          .TerrainAmbientColour = "60 60 80",
          .SunInclination = inclination,
          .SunRotation = rotation};
}

Rgb At(const Image& image, int x, int y) {
  const std::uint8_t* p = image.Pixel(x, y);
  return {p[0], p[1], p[2]};
}

Rgb Level(const Image& image) {
  const Landmarks& at = TheScene().landmarks();
  return At(image, at.levelX, at.levelY);
}

// The brightness of the sphere's pixels east and west of its centre as seen.
std::pair<long, long> SphereHalves(const Image& image) {
  const Landmarks& at = TheScene().landmarks();
  long east = 0, west = 0;
  const int r = at.sphereRadius * 9 / 10;
  for (int y = at.sphereY - r; y <= at.sphereY + r; ++y) {
    for (int x = at.sphereX - r; x <= at.sphereX + r; ++x) {
      if (std::hypot(x - at.sphereX, y - at.sphereY) > r) continue;
      const Rgb c = At(image, x, y);
      (x > at.sphereX ? east : west) += c[0] + c[1] + c[2];
    }
  }
  return {east, west};
}

// Whether two pictures agree outside the compass, whose marker shows the sun itself.
bool SameLighting(const Image& a, const Image& b) {
  const Landmarks& at = TheScene().landmarks();
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (std::abs(x - at.compassX) <= at.compassRadius + 2 &&
          y <= at.compassY + at.compassRadius + 2)
        continue;
      if (At(a, x, y) != At(b, x, y)) return false;
    }
  }
  return true;
}

TEST(PreviewModel, LevelGroundIsTerrainAmbientPlusTheSunTimesItsHeightsSine) {
  const struct {
    const char *inclination, *terrain, *sun;
    Rgb level;
  } cases[] = {
      {"90", "60 60 80", "100 120 140", {160, 180, 220}},    // overhead: all of the sun
      {"450", "60 60 80", "100 120 140", {160, 180, 220}},   // 450 is 90
      {"30", "60 60 80", "100 120 140", {110, 120, 150}},    // sin 30 = 1/2
      {"0", "60 60 80", "100 120 140", {60, 60, 80}},        // on the horizon
      {"-10", "60 60 80", "100 120 140", {60, 60, 80}},      // below it
      {"90", "60 60 80", "0 0 0", {60, 60, 80}},             // a black sun
      {"90", "200 100 250", "200 100 10", {255, 200, 255}},  // clamped at 255
  };
  for (const auto& c : cases) {
    LightSetting setting = Setting(c.inclination, "0");
    setting.TerrainAmbientColour = c.terrain, setting.SunColour = c.sun;
    EXPECT_EQ(Level(TheScene().Render(setting)), c.level) << c.inclination << " " << c.sun;
  }
}

TEST(PreviewModel, TheSunsBearingLightsItsSideOfTheSphere) {
  const auto [eastLitEast, eastLitWest] = SphereHalves(TheScene().Render(Setting("20", "90")));
  const auto [westLitEast, westLitWest] = SphereHalves(TheScene().Render(Setting("20", "270")));
  EXPECT_GT(eastLitEast, eastLitWest * 2);
  EXPECT_GT(westLitWest, westLitEast * 2);
}

TEST(PreviewModel, TheHighlightIsOnTheSunsSideInTheSpecularColourOnly) {
  for (const char* rotation : {"90", "270"}) {
    LightSetting setting = Setting("20", rotation);
    setting.SunColour = setting.AmbientColour = "0 0 0";
    setting.SunSpecular = "0 200 0";
    const Image image = TheScene().Render(setting);
    const Landmarks& at = TheScene().landmarks();
    int brightest = 0, brightestX = 0;
    for (int y = at.sphereY - at.sphereRadius; y <= at.sphereY + at.sphereRadius; ++y) {
      for (int x = at.sphereX - at.sphereRadius; x <= at.sphereX + at.sphereRadius; ++x) {
        const Rgb c = At(image, x, y);
        if (std::hypot(x - at.sphereX, y - at.sphereY) >= at.sphereRadius - 1) continue;
        EXPECT_EQ(c[0] + c[2], 0) << "only green, at " << x << "," << y;
        if (c[1] > brightest) brightest = c[1], brightestX = x;
      }
    }
    EXPECT_GT(brightest, 150) << rotation;
    EXPECT_EQ(brightestX > at.sphereX, std::string(rotation) == "90") << rotation;
  }
}

TEST(PreviewModel, EquivalentAnglesDrawTheSamePicture) {
  const std::pair<const char*, const char*> same[][2] = {
      {{"40", "720"}, {"40", "0"}},
      {{"40", "-90"}, {"40", "270"}},
      {{"120", "0"}, {"60", "180"}},  // past overhead: the other side
      {{" +4.5E1 ", "90"}, {"45", "90.0"}},
  };
  for (const auto& [a, b] : same) {
    const Image one = TheScene().Render(Setting(a.first, a.second));
    const Image other = TheScene().Render(Setting(b.first, b.second));
    EXPECT_EQ(one.rgb, other.rgb) << a.first << "/" << a.second;
  }
  // A black sun lights as no sun does.
  LightSetting black = Setting("60", "90");
  black.SunColour = "0 0 0";
  EXPECT_TRUE(SameLighting(TheScene().Render(black), TheScene().Render(Setting("x", "90"))));
}

TEST(PreviewModel, TheSunInWords) {
  const struct {
    const char *inclination, *rotation, *words;
  } cases[] = {
      {"50", "180", "sun 50 degrees above the horizon, bearing 180 degrees (south)"},
      {"120", "0", "sun 60 degrees above the horizon, bearing 180 degrees (south)"},
      {"12.5", "-45", "sun 12.5 degrees above the horizon, bearing 315 degrees (north-west)"},
      {"-10", "90", "sun 10 degrees below the horizon, bearing 90 degrees (east): no direct light"},
      {"90", "359.99", "sun 90 degrees above the horizon, bearing 0 degrees (north)"},
      {"abc", "0", "no sun: the inclination is not a number"},
      {"10", "", "no sun: the rotation is empty"},
      {"1e999", "0", "no sun: the inclination is too large a number"},
  };
  for (const auto& c : cases) {
    const Sun sun = SunOf(Setting(c.inclination, c.rotation));
    EXPECT_EQ(DescribeSun(sun), c.words);
    EXPECT_EQ(sun.toward.has_value(), c.words[0] == 's');
  }
}

TEST(PreviewModel, TheCompassPutsOverheadInTheCentreAndTheHorizonOnTheRing) {
  const struct {
    double height, bearing, x, y;
  } cases[] = {{90, 0, 0, 0}, {0, 0, 0, -1}, {0, 90, 1, 0}, {45, 180, 0, 0.5}, {0, 270, -1, 0}};
  for (const auto& c : cases) {
    const CompassPoint point = PointOfSun(c.height, c.bearing);
    EXPECT_NEAR(point.x, c.x, 1e-9);
    EXPECT_NEAR(point.y, c.y, 1e-9);
    const SunPlace back = SunAtPoint(point, c.bearing);
    EXPECT_NEAR(back.height, c.height, 1e-9);
    EXPECT_NEAR(back.bearing, c.bearing, 1e-9);
  }
  EXPECT_NEAR(SunAtPoint({3, 0}, 0).height, 0, 1e-9) << "outside the ring: on the horizon";
}

}  // namespace
}  // namespace preview
