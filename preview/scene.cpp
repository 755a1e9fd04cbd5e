#include "scene.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "compass_drawing.h"
#include "sun.h"

namespace preview {
namespace {

Vector operator+(const Vector& a, const Vector& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vector operator-(const Vector& a, const Vector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector operator*(double k, const Vector& a) { return {k * a.x, k * a.y, k * a.z}; }
Vector Normalized(const Vector& a) { return (1 / std::sqrt(Dot(a, a))) * a; }
Vector Cross(const Vector& a, const Vector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// The terrain: level ground at height 0 over x and y from -1 to 1, with hills of cos² profile,
// each exactly level beyond its radius, none near the sphere or the level landmark.
struct Hill {
  double x, y, radius, height;
};
constexpr Hill kHills[] = {{-0.55, 0.45, 0.5, 0.22},
                           {0.55, 0.6, 0.42, 0.16},
                           {-0.6, -0.45, 0.35, 0.10},
                           {0.05, 0.75, 0.3, 0.12}};
constexpr double kHighest = 0.25;  // above every hill
constexpr Vector kSphereCentre{0.2, -0.15, 0.25};
constexpr double kSphereRadius = 0.25;
constexpr Vector kLevelPlace{0.75, -0.7, 0};
constexpr Vector kEye{0, -2.25, 1.25}, kLookAt{0, 0.12, 0};
constexpr double kFieldOfView = 44 * std::numbers::pi / 180;  // vertical

double Height(double x, double y) {
  double height = 0;
  for (const Hill& hill : kHills) {
    const double d = std::hypot(x - hill.x, y - hill.y);
    if (d < hill.radius) {
      const double c = std::cos(std::numbers::pi / 2 * d / hill.radius);
      height += hill.height * c * c;
    }
  }
  return height;
}

Vector TerrainNormal(double x, double y) {
  double dx = 0, dy = 0;
  for (const Hill& hill : kHills) {
    const double d = std::hypot(x - hill.x, y - hill.y);
    if (d > 0 && d < hill.radius) {
      const double slope = -hill.height * std::sin(std::numbers::pi * d / hill.radius) *
                           std::numbers::pi / (2 * hill.radius) / d;
      dx += slope * (x - hill.x), dy += slope * (y - hill.y);
    }
  }
  return Normalized({-dx, -dy, 1});
}

bool OnPatch(const Vector& p) { return std::abs(p.x) <= 1 && std::abs(p.y) <= 1; }

// The distance along the ray to the terrain, or a negative number when it misses the patch.
double HitTerrain(const Vector& from, const Vector& way) {
  if (way.z >= 0) return -1;
  const double end = -from.z / way.z;  // at height 0 every ray meets the ground
  const double start = std::max(0.0, (kHighest - from.z) / way.z);
  double last = start, t = end;
  constexpr double kStep = 0.01;
  for (int step = 0; start + step * kStep < end; ++step) {
    const double next = start + step * kStep;
    const Vector p = from + next * way;
    if (p.z <= Height(p.x, p.y)) {
      t = next;
      break;
    }
    last = next;
  }
  for (int i = 0; i < 20; ++i) {  // halve the step to the surface
    const double middle = (last + t) / 2;
    const Vector q = from + middle * way;
    (q.z <= Height(q.x, q.y) ? t : last) = middle;
  }
  return OnPatch(from + t * way) ? t : -1;
}

double HitSphere(const Vector& from, const Vector& way) {
  const Vector o = from - kSphereCentre;
  const double b = Dot(o, way), c = Dot(o, o) - kSphereRadius * kSphereRadius;
  const double d = b * b - c;
  return d < 0 ? -1 : -b - std::sqrt(d);
}

std::uint8_t Byte(double fraction) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(fraction, 0.0, 1.0) * 255));
}

struct Colour {
  double r, g, b;
};

Colour ColourOf(const std::string& text) {
  const auto colour = lightset::ParseColourText(text).value_or(lightset::kWhiteColour);
  return {(colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0, ((colour >> 16) & 0xFF) / 255.0};
}

}  // namespace

Scene::Scene(int width, int height)
    : width_(std::max(width, 32)),
      height_(std::max(height, 32)),
      surfaces_(std::size_t(width_) * height_, Surface::Background),
      points_(surfaces_.size()),
      background_(surfaces_.size() * 3),
      ring_(surfaces_.size()) {
  const Vector forward = Normalized(kLookAt - kEye);
  const Vector right = Normalized(Cross(forward, {0, 0, 1}));
  const Vector up = Cross(right, forward);
  const double scale = std::tan(kFieldOfView / 2), aspect = double(width_) / height_;
  for (int y = 0; y < height_; ++y) {
    const double down = double(y) / (height_ - 1);
    const std::uint8_t sky[3] = {Byte((52 - 24 * down) / 255), Byte((58 - 28 * down) / 255),
                                 Byte((70 - 34 * down) / 255)};
    for (int x = 0; x < width_; ++x) {
      const std::size_t at = std::size_t(y) * width_ + x;
      std::copy(sky, sky + 3, &background_[at * 3]);
      const double sx = (2 * (x + 0.5) / width_ - 1) * scale * aspect;
      const double sy = (1 - 2 * (y + 0.5) / height_) * scale;
      const Vector way = Normalized(forward + sx * right + sy * up);
      const double ground = HitTerrain(kEye, way), ball = HitSphere(kEye, way);
      Vector normal;
      if (ball > 0 && (ground < 0 || ball < ground)) {
        surfaces_[at] = Surface::Sphere;
        normal = Normalized(kEye + ball * way - kSphereCentre);
      } else if (ground > 0) {
        surfaces_[at] = Surface::Terrain;
        const Vector p = kEye + ground * way;
        normal = TerrainNormal(p.x, p.y);
      } else {
        continue;
      }
      points_[at] = {float(normal.x), float(normal.y), float(normal.z),
                     float(-way.x),   float(-way.y),   float(-way.z)};
    }
  }
  // Where world points fall in the picture.
  auto seen = [&](const Vector& p, int& x, int& y) {
    const Vector to = p - kEye;
    const double depth = Dot(to, forward);
    x = static_cast<int>((Dot(to, right) / depth / scale / aspect + 1) / 2 * width_);
    y = static_cast<int>((1 - Dot(to, up) / depth / scale) / 2 * height_);
  };
  seen(kLevelPlace, landmarks_.levelX, landmarks_.levelY);
  seen(kSphereCentre, landmarks_.sphereX, landmarks_.sphereY);
  int edgeX = 0, edgeY = 0;
  seen(kSphereCentre + kSphereRadius * right, edgeX, edgeY);
  landmarks_.sphereRadius = edgeX - landmarks_.sphereX;
  const int least = std::min(width_, height_);
  landmarks_.compassRadius = least * 14 / 100;
  landmarks_.compassX = width_ - landmarks_.compassRadius - least * 3 / 100;
  landmarks_.compassY = landmarks_.compassRadius + least * 3 / 100;
  DrawRing(ring_, width_, height_, landmarks_.compassX, landmarks_.compassY,
           landmarks_.compassRadius);
}

Image Scene::Render(const lightset::LightSetting& setting) const {
  Image image{width_, height_, background_};
  const Sun sun = SunOf(setting);
  const bool lit = sun.toward && sun.height > 0;
  const Vector l = lit ? *sun.toward : Vector{};
  const Colour terrain = ColourOf(setting.TerrainAmbientColour),
               ambient = ColourOf(setting.AmbientColour), light = ColourOf(setting.SunColour),
               specular = ColourOf(setting.SunSpecular);
  for (std::size_t at = 0; at < surfaces_.size(); ++at) {
    if (surfaces_[at] == Surface::Background) continue;
    const Point& p = points_[at];
    const double diffuse = lit ? std::max(0.0, p.nx * l.x + p.ny * l.y + p.nz * l.z) : 0;
    Colour c{};
    if (surfaces_[at] == Surface::Terrain) {
      c = {terrain.r + light.r * diffuse, terrain.g + light.g * diffuse,
           terrain.b + light.b * diffuse};
    } else {
      double shine = 0;
      if (lit) {
        const Vector half = Normalized(l + Vector{p.vx, p.vy, p.vz});
        shine = std::pow(std::max(0.0, p.nx * half.x + p.ny * half.y + p.nz * half.z), kShininess);
      }
      c = {ambient.r + light.r * diffuse + specular.r * shine,
           ambient.g + light.g * diffuse + specular.g * shine,
           ambient.b + light.b * diffuse + specular.b * shine};
    }
    std::uint8_t* out = &image.rgb[at * 3];
    out[0] = Byte(c.r), out[1] = Byte(c.g), out[2] = Byte(c.b);
  }
  for (std::size_t at = 0; at < ring_.size(); ++at) {
    if (ring_[at]) std::fill_n(&image.rgb[at * 3], 3, std::uint8_t{215});
  }
  if (sun.toward) {
    const auto colour =
        lightset::ParseColourText(setting.SunColour).value_or(lightset::kWhiteColour);
    DrawSunMarker(image.rgb, width_, height_, landmarks_.compassX, landmarks_.compassY,
                  landmarks_.compassRadius, sun, colour);
  }
  return image;
}

}  // namespace preview
