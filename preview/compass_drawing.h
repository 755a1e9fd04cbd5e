// The picture's compass: its ring with N, E, S and W, and the sun's marker. Internal to the scene.
#pragma once

#include <cstdint>
#include <vector>

#include "lightset/light_setting.h"
#include "sun.h"

namespace preview {

// Marks with 1 the pixels of the ring, its four ticks and letters, in a mask of width x height.
void DrawRing(std::vector<std::uint8_t>& mask, int width, int height, int cx, int cy, int radius);

// Draws the sun's marker in its colour, ringed in black and white so that any colour shows;
// below the horizon, just outside the ring and hollow.
void DrawSunMarker(std::vector<std::uint8_t>& rgb, int width, int height, int cx, int cy,
                   int radius, const Sun& sun, lightset::ColourRef colour);

}  // namespace preview
