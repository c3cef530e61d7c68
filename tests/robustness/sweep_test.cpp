// Every corpus file, cut short at 16 lengths and damaged by 64 seeded byte
// changes, and every kept fuzzing finding, through all ten conversion
// commands: each answers written (1), unreadable (-3) or write failed (-4),
// leaves no temporary file, and a file it says it wrote reads back whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <random>

#include "engine/loader.h"
#include "engine/target_format.h"
#include "fuzz/targets/fuzz_targets.h"
#include "tests/robustness/conversion_command.h"
#include "tests/robustness/written_files.h"
#include "tests/support/test_support.h"

namespace quorvant::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kCuts = 16;
constexpr int kMutations = 64;
// Pictures above this many pixels (two scanned fax pages of the corpus) get
// 8 damaged copies instead of 64: each of their copies costs ten
// conversions of up to 24 million pixels, and the whole test run must stay
// short.
constexpr size_t kLargePicture = 2'000'000;
constexpr int kMutationsOfLargePictures = 8;

std::vector<std::string> files_in(const std::string& folder) {
  std::vector<std::string> files;
  if (!fs::is_directory(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && !name.ends_with(".txt") && name != "README" && name != "README.md") {
      files.push_back(entry.path().string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The cut and damaged copies of one file, the same on every run.
std::vector<std::vector<uint8_t>> variants_of(const std::vector<uint8_t>& whole, uint32_t seed, int mutations) {
  std::vector<std::vector<uint8_t>> variants;
  for (int i = 0; i < kCuts; ++i) {
    variants.emplace_back(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() * i / kCuts));
  }
  std::mt19937 random(seed);
  for (int i = 0; i < mutations && !whole.empty(); ++i) {
    std::vector<uint8_t> damaged = whole;
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int c = 0; c < changes; ++c) damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
    variants.push_back(std::move(damaged));
  }
  return variants;
}

class Sweeping : public ::testing::Test {
 protected:
  ScratchFolder scratch_;
  TempFolder files_;

  // Converts `bytes` with every command and checks what each leaves.
  void convert_everywhere(const std::vector<uint8_t>& bytes, const std::string& what) {
    const std::string source = files_.file("source");
    write_bytes(source, bytes);
    // The picture's size, for reading outputs back; its buffer (a
    // temporary file) is gone before the commands run.
    int width = 0, height = 0;
    bool loads = false;
    {
      engine::ImageBuffer loaded;
      loads = engine::load_picture(source, loaded) == engine::kLoaded;
      width = loaded.width(), height = loaded.height();
    }
    for (const engine::TargetFormatName& target : engine::command_formats()) {
      const std::string destination = files_.file("out." + std::string(target.extension));
      const int code = convert_with_command(target.format, source, destination);
      SCOPED_TRACE(what + " to " + std::string(target.name));
      // Both paths are given and every option is in range, so neither a
      // missing source (-1) nor bad arguments (-7) can be the answer.
      ASSERT_TRUE(code == 1 || code == -3 || code == -4) << code;
      ASSERT_TRUE(scratch_.files().empty()) << "a temporary file is left: " << scratch_.files().front();
      if (code == 1) {
        ASSERT_TRUE(loads) << "written from a file the loader refuses";
        EXPECT_EQ(check_written_file(target.format, destination, width, height), "");
      } else {
        ASSERT_FALSE(file_exists(destination)) << "a refused conversion left its output";
      }
      fs::remove(destination);
    }
  }
};

// A corpus file's folder and name as one identifier.
std::string corpus_name(const std::string& path) {
  std::string name = fs::path(path).parent_path().filename().string() + "_" + fs::path(path).filename().string();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

// One test per corpus file, so that CTest spreads them over the cores.
class Sweep : public Sweeping, public ::testing::WithParamInterface<std::string> {};

TEST_P(Sweep, CutAndDamagedCopies) {
  const std::vector<uint8_t> whole = read_bytes(GetParam());
  ASSERT_FALSE(whole.empty());
  size_t pixels = 0;
  {
    engine::ImageBuffer picture;
    if (engine::load_picture(GetParam(), picture) == engine::kLoaded) pixels = picture.pixel_count();
  }
  const int mutations = pixels > kLargePicture ? kMutationsOfLargePictures : kMutations;
  // Seeded by the name inside the corpus, not the whole path, so that every
  // checkout damages the same bytes.
  const auto variants =
      variants_of(whole, static_cast<uint32_t>(std::hash<std::string>()(corpus_name(GetParam()))), mutations);
  for (size_t i = 0; i < variants.size(); ++i) {
    convert_everywhere(variants[i], "variant " + std::to_string(i));
    if (HasFatalFailure()) return;
  }
}

std::string test_name(const ::testing::TestParamInfo<std::string>& file) { return corpus_name(file.param); }

std::vector<std::string> corpus_files() {
  std::vector<std::string> files;
  for (const char* folder : {"jpeg", "pngsuite", "tiff"}) {
    for (const std::string& file : files_in(corpus(folder))) files.push_back(file);
  }
  return files;
}

INSTANTIATE_TEST_SUITE_P(Corpus, Sweep, ::testing::ValuesIn(corpus_files()), test_name);

// A 24-bit bitmap of `width` x `height` grey pixels.
std::vector<uint8_t> grey_bitmap(int width, int height) {
  const size_t row = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> bmp(54 + row * static_cast<size_t>(height), 0x80);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  std::fill(bmp.begin(), bmp.begin() + 54, 0);
  bmp[0] = 'B', bmp[1] = 'M';
  put32(2, static_cast<uint32_t>(bmp.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  bmp[26] = 1, bmp[28] = 24;
  return bmp;
}

// One-pixel strips longer than a signed 16-bit size: every writer whose
// header has 16-bit fields must store them unsigned and whole.
TEST_F(Sweeping, StripsOfOnePixelBeyond32767) {
  convert_everywhere(grey_bitmap(1, 40000), "1 x 40000");
  if (HasFatalFailure()) return;
  convert_everywhere(grey_bitmap(40000, 1), "40000 x 1");
}

TEST_F(Sweeping, KeptFuzzingFindings) {
  const std::vector<std::string> findings = files_in(QUORVANT_REGRESSIONS "/loader");
  if (findings.empty()) GTEST_SKIP() << "no findings of the loader's fuzzer are kept";
  for (const std::string& file : findings) {
    const long before = peak_megabytes();
    fuzz::load_and_read_picture(file);
    convert_everywhere(read_bytes(file), fs::path(file).filename().string());
    if (HasFatalFailure()) return;
    // Some findings are files that made a library ask for gigabytes.
    EXPECT_LT(peak_megabytes() - before, 256) << file;
  }
}

}  // namespace
}  // namespace quorvant::testing
