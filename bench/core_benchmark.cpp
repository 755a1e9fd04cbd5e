// The core against its floors: reading a file against reading the same bytes and counting its
// lines with memchr; an atomic save against a plain unflushed write of the same lines.
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

// The files read: the writer's fifteen lines repeated (half of them empty); dense colour lines
// ("suncolor R G B", random components); a realistic mix of hand-made lines (comments, names,
// colours with fractions and extra blanks, values, unknown lines); random lowercase junk.
enum class Kind { Valid, Dense, Mixed, Junk };

std::string Block(Kind kind) {
  std::mt19937 random(1);
  auto component = [&] { return std::to_string(random() % 256); };
  std::string block;
  while (block.size() < (1 << 20)) {
    switch (kind) {
      case Kind::Valid:
        block += lightset::LightFileText(
            {"Dusk", "255 200 150", "255 255 255", "40 40 60", "60 60 80", "50", "180"});
        break;
      case Kind::Dense:
        block += "suncolor " + component() + ' ' + component() + ' ' + component() + "\r\n";
        break;
      case Kind::Mixed:
        block += "\\\\ dawn over the eastern ridge\r\nLightingSet \"Dawn " + component() +
                 "\"\r\n  ambientcolor  " + component() + ".5 " + component() + "  " + component() +
                 "\r\nterrainambientcolor " + component() + ' ' + component() + ' ' + component() +
                 " warm\r\nsuninclination " + component() +
                 "\r\nsunrotation 180.5\r\nfog 0.3\r\n\r\n";
        break;
      case Kind::Junk:
        for (int i = 1; i < 81; ++i) block += static_cast<char>('a' + random() % 26);
        block += '\n';
        break;
    }
  }
  return block;
}

const fs::path& File(Kind kind, long megabytes) {
  static std::map<std::pair<Kind, long>, fs::path> made;
  fs::path& path = made[{kind, megabytes}];
  if (!path.empty()) return path;
  constexpr const char* kNames[] = {"valid", "dense", "mixed", "junk"};
  path = Folder() / (kNames[static_cast<int>(kind)] + ("-" + std::to_string(megabytes)) + "MB.lgt");
  const std::string block = Block(kind);
  std::ofstream out(path, std::ios::binary);
  for (long written = 0; written < megabytes << 20; written += static_cast<long>(block.size()))
    out << block;
  return path;
}

void Reader(benchmark::State& state, Kind kind) {
  const fs::path& path = File(kind, state.range(0));
  for (auto _ : state) {
    lightset::LoadedLightSetting setting;
    if (lightset::LoadLightFile(path, setting)) state.SkipWithError("the file did not read");
    benchmark::DoNotOptimize(setting);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(fs::file_size(path)));
}

void Floor(benchmark::State& state, Kind kind) {
  const fs::path& path = File(kind, state.range(0));
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

#define READER_BENCHMARKS(kind)                                                    \
  void Read##kind(benchmark::State& state) { Reader(state, Kind::kind); }          \
  void Read##kind##Floor(benchmark::State& state) { Floor(state, Kind::kind); }    \
  BENCHMARK(Read##kind)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond); \
  BENCHMARK(Read##kind##Floor)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)
READER_BENCHMARKS(Valid);
READER_BENCHMARKS(Dense);
READER_BENCHMARKS(Mixed);
READER_BENCHMARKS(Junk);

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
