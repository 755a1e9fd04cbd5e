// The preview's picture of a lighting set: a patch of gently hilly terrain seen obliquely from the
// south, with a sphere standing on it, and a compass ring whose marker shows the sun's bearing
// and height (centre: overhead; the ring: the horizon).
//
// Shading uses the common real-time terms, colours as fractions of 255 and clamped to 1:
//   terrain = terrain ambient + sun colour x max(0, N.L)
//   sphere  = ambient + sun colour x max(0, N.L) + sun specular x max(0, N.H)^kShininess
// with N the surface's normal, L the direction toward the sun (sun.h), H the half-way vector of L
// and the direction toward the eye (Blinn-Phong). With no sun, or below the horizon, L plays no
// part. On level ground N.L is the sine of the sun's height: a higher sun is brighter. This is an
// approximation of common real-time lighting under the stated convention, not the game's renderer:
// no shadows, no fog, no textures.
#pragma once

#include <cstdint>
#include <vector>

#include "lightset/light_setting.h"

namespace preview {

inline constexpr double kShininess = 32;

// An RGB picture, rows top to bottom, three bytes a pixel.
struct Image {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;

  const std::uint8_t* Pixel(int x, int y) const { return &rgb[(std::size_t(y) * width + x) * 3]; }
};

// Places in the picture that tests and descriptions may rely on, as pixel positions.
struct Landmarks {
  int levelX, levelY;    // terrain that is exactly level, away from the hills and the sphere
  int sphereX, sphereY;  // the sphere's centre as seen
  int sphereRadius;      // as seen, in pixels
  int compassX, compassY, compassRadius;  // the ring's centre and radius
};

// What does not depend on the setting (the surfaces each pixel sees, their normals, the ring) is
// worked out once, when the scene is made; Render then only shades.
class Scene {
 public:
  // A picture of width x height pixels, each at least 32.
  Scene(int width, int height);

  Image Render(const lightset::LightSetting& setting) const;
  const Landmarks& landmarks() const { return landmarks_; }

 private:
  enum class Surface : std::uint8_t { Background, Terrain, Sphere };
  struct Point {
    float nx, ny, nz;  // the normal
    float vx, vy, vz;  // toward the eye (the sphere's only)
  };

  int width_, height_;
  std::vector<Surface> surfaces_;
  std::vector<Point> points_;
  std::vector<std::uint8_t> background_;  // RGB, where no surface is seen
  std::vector<std::uint8_t> ring_;        // the ring and its letters: 1 where drawn
  Landmarks landmarks_{};
};

}  // namespace preview
