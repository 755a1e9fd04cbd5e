// One preview picture against its floor: the same loop writing constant pixels into a picture of
// the same size, which no shading can beat.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "preview/scene.h"

namespace {

const lightset::LightSetting kDusk = {.Name = "Dusk",
                                      .SunColour = "255 200 150",
                                      .AmbientColour = "40 40 60",
                                      .TerrainAmbientColour = "60 60 80",
                                      .SunInclination = "50",
                                      .SunRotation = "180"};

void Preview(benchmark::State& state) {
  const preview::Scene scene(256, 256);
  for (auto _ : state) benchmark::DoNotOptimize(scene.Render(kDusk));
}
BENCHMARK(Preview)->Unit(benchmark::kMicrosecond);

void PreviewFloor(benchmark::State& state) {
  for (auto _ : state) {
    preview::Image image{256, 256, std::vector<std::uint8_t>(256 * 256 * 3)};
    std::fill(image.rgb.begin(), image.rgb.end(), std::uint8_t{128});
    benchmark::DoNotOptimize(image);
  }
}
BENCHMARK(PreviewFloor)->Unit(benchmark::kMicrosecond);

// Made once per size, when the window first shows the preview.
void PreviewScene(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(preview::Scene(256, 256));
}
BENCHMARK(PreviewScene)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
