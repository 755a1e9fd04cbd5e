// The core against its floors: reading a file against reading the same bytes and splitting them
// into lines with memchr; an atomic save against a plain unflushed write of the same lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "lightset/file_reader.h"
#include "lightset/file_writer.h"

namespace {

namespace fs = std::filesystem;

const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path path = fs::temp_directory_path() / "kestrune-bench";
    fs::create_directories(path);
    return path;
  }();
  return folder;
}

// A valid file repeats the writer's fifteen lines; a junk file holds random lowercase lines.
const fs::path& File(bool valid, long megabytes) {
  static std::map<std::pair<bool, long>, fs::path> made;
  fs::path& path = made[{valid, megabytes}];
  if (!path.empty()) return path;
  path = Folder() / ((valid ? "valid-" : "junk-") + std::to_string(megabytes) + "MB.lgt");
  std::string block;
  if (valid) {
    lightset::LightSetting setting{"Dusk",     "255 200 150", "255 255 255", "40 40 60",
                                   "60 60 80", "50",          "180"};
    while (block.size() < (1 << 20)) block += lightset::LightFileText(setting);
  } else {
    std::mt19937 random(1);
    for (int i = 0; block.size() < (1 << 20); ++i)
      block += i % 81 == 80 ? '\n' : static_cast<char>('a' + random() % 26);
  }
  std::ofstream out(path, std::ios::binary);
  for (long written = 0; written < megabytes << 20; written += static_cast<long>(block.size()))
    out << block;
  return path;
}

void Reader(benchmark::State& state, bool valid) {
  const fs::path& path = File(valid, state.range(0));
  for (auto _ : state) {
    lightset::LoadedLightSetting setting;
    if (lightset::LoadLightFile(path, setting)) state.SkipWithError("the file did not read");
    benchmark::DoNotOptimize(setting);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(fs::file_size(path)));
}

void Floor(benchmark::State& state, bool valid) {
  const fs::path& path = File(valid, state.range(0));
  std::string buffer(1 << 16, '\0');
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::size_t lines = 0;
    for (std::size_t count; (count = std::fread(buffer.data(), 1, buffer.size(), file)) > 0;) {
      for (const char *at = buffer.data(), *end = at + count;
           (at = static_cast<const char*>(
                std::memchr(at, '\n', static_cast<std::size_t>(end - at))));
           ++at)
        ++lines;
    }
    std::fclose(file);
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(fs::file_size(path)));
}

void ReadValid(benchmark::State& state) { Reader(state, true); }
void ReadValidFloor(benchmark::State& state) { Floor(state, true); }
void ReadJunk(benchmark::State& state) { Reader(state, false); }
void ReadJunkFloor(benchmark::State& state) { Floor(state, false); }
BENCHMARK(ReadValid)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadValidFloor)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadJunk)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadJunkFloor)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

const lightset::LightSetting kDusk{"Dusk",     "255 200 150", "255 255 255", "40 40 60",
                                   "60 60 80", "50",          "180"};

void AtomicSave(benchmark::State& state) {
  const fs::path path = Folder() / "save.lgt";
  for (auto _ : state) {
    if (lightset::WriteLightFile(path, kDusk)) state.SkipWithError("the save failed");
  }
}

void PlainWrite(benchmark::State& state) {
  const fs::path path = Folder() / "plain.lgt";
  for (auto _ : state) {
    const std::string text = lightset::LightFileText(kDusk);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  }
}
BENCHMARK(AtomicSave)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainWrite)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
