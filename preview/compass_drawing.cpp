#include "compass_drawing.h"

#include <algorithm>
#include <cmath>

#include "compass.h"

namespace preview {
namespace {

// N, E, S and W in five columns by seven rows, a row a byte, the leftmost column its high bit.
constexpr std::uint8_t kGlyphs[4][7] = {
    {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11},  // N
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F},  // E
    {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E},  // S
    {0x11, 0x11, 0x11, 0x15, 0x15, 0x1B, 0x11},  // W
};

void Mark(std::vector<std::uint8_t>& mask, int width, int height, int x, int y) {
  if (x >= 0 && y >= 0 && x < width && y < height) mask[std::size_t(y) * width + x] = 1;
}

}  // namespace

void DrawRing(std::vector<std::uint8_t>& mask, int width, int height, int cx, int cy, int radius) {
  const double thickness = std::max(1.0, radius / 40.0);
  for (int y = cy - radius - 2; y <= cy + radius + 2; ++y) {
    for (int x = cx - radius - 2; x <= cx + radius + 2; ++x) {
      if (std::abs(std::hypot(x - cx, y - cy) - radius) <= thickness / 2 + 0.35)
        Mark(mask, width, height, x, y);
    }
  }
  const int scale = std::max(1, radius / 24), tick = std::max(3, radius / 8);
  constexpr int kWays[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};  // N, E, S, W
  for (int way = 0; way < 4; ++way) {
    const int dx = kWays[way][0], dy = kWays[way][1];
    for (int step = 0; step < tick; ++step)
      Mark(mask, width, height, cx + dx * (radius - step), cy + dy * (radius - step));
    // The letter inside the ring, beyond the tick.
    const int lx = cx + dx * (radius - tick - 5 * scale) - 5 * scale / 2;
    const int ly = cy + dy * (radius - tick - 5 * scale) - 7 * scale / 2;
    for (int row = 0; row < 7 * scale; ++row) {
      for (int column = 0; column < 5 * scale; ++column) {
        if (kGlyphs[way][row / scale] & (0x10 >> (column / scale)))
          Mark(mask, width, height, lx + column, ly + row);
      }
    }
  }
}

void DrawSunMarker(std::vector<std::uint8_t>& rgb, int width, int height, int cx, int cy,
                   int radius, const Sun& sun, lightset::ColourRef colour) {
  const int size = std::max(3, radius / 7);
  // Below the horizon the marker sits just outside the ring, its bearing kept.
  const CompassPoint point = PointOfSun(std::max(sun.height, -size * 90.0 / radius), sun.bearing);
  const double mx = cx + point.x * radius, my = cy + point.y * radius;
  const bool hollow = sun.height < 0;
  const std::uint8_t fill[3] = {std::uint8_t(colour & 0xFF), std::uint8_t((colour >> 8) & 0xFF),
                                std::uint8_t((colour >> 16) & 0xFF)};
  for (int y = int(my) - size - 2; y <= int(my) + size + 2; ++y) {
    for (int x = int(mx) - size - 2; x <= int(mx) + size + 2; ++x) {
      if (x < 0 || y < 0 || x >= width || y >= height) continue;
      const double d = std::hypot(x - mx, y - my);
      std::uint8_t* out = &rgb[(std::size_t(y) * width + x) * 3];
      if (d <= size - 1.2 && !hollow)
        std::copy(fill, fill + 3, out);
      else if (d <= size)
        std::fill_n(out, 3, std::uint8_t{0});
      else if (d <= size + 1.2)
        std::fill_n(out, 3, std::uint8_t{255});
    }
  }
}

}  // namespace preview
