// Load + write of a 3000 x 2000 picture through the engine's typed interface.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/test_picture.h"
#include "engine/bmp/bmp_writer.h"
#include "engine/convert.h"
#include "engine/loader.h"

namespace {

using namespace quorvant::engine;

constexpr int kWidth = 3000;
constexpr int kHeight = 2000;

// The input files, made once per process in a private folder.
struct Inputs {
  std::string folder;
  std::string bmp;
  std::string jpg;

  Inputs() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvant-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder = pattern;
    bmp = folder + "/photo.bmp";
    jpg = folder + "/photo.jpg";
    ImageBuffer picture;
    bmp::BmpWriter writer;
    if (!quorvant::bench::make_test_picture(picture, kWidth, kHeight) || !writer.open(bmp, picture, {}, nullptr) ||
        !writer.write()) {
      std::abort();
    }
    ConvertOptions q90;
    q90.quality = 90;
    if (convert_picture(TargetFormat::kJpg, bmp, jpg, q90).code != kWritten) std::abort();
  }
  ~Inputs() { std::filesystem::remove_all(folder); }
};

const Inputs& inputs() {
  static const Inputs files;
  return files;
}

void convert_benchmark(benchmark::State& state, const std::string& source, TargetFormat format) {
  const std::string destination = inputs().folder + "/out." + std::string(describe(format).extension);
  for (auto _ : state) {
    if (convert_picture(format, source, destination).code != kWritten) state.SkipWithError("conversion failed");
  }
  state.counters["MPixel/s"] =
      benchmark::Counter(static_cast<double>(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_LoadJpeg(benchmark::State& state) {
  for (auto _ : state) {
    ImageBuffer picture;
    if (load_picture(inputs().jpg, picture) != kLoaded) state.SkipWithError("load failed");
  }
}

void BM_JpegToBmp(benchmark::State& state) { convert_benchmark(state, inputs().jpg, TargetFormat::kBmp); }
void BM_BmpToJpg(benchmark::State& state) { convert_benchmark(state, inputs().bmp, TargetFormat::kJpg); }
void BM_BmpToBmp(benchmark::State& state) { convert_benchmark(state, inputs().bmp, TargetFormat::kBmp); }

BENCHMARK(BM_LoadJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegToBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpToJpg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpToBmp)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
