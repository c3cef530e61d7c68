// Conversions on two threads at once, as the command line runs them: they
// never share a temporary file and never spoil each other's output.
#include <gtest/gtest.h>

#include <thread>

#include "engine/convert.h"
#include "engine/target_format.h"
#include "tests/support/test_support.h"

namespace quorvant::testing {
namespace {

using engine::TargetFormat;

TEST(TwoThreads, EveryOutputMatchesTheSameConversionDoneAlone) {
  ScratchFolder scratch;
  TempFolder files;
  const std::vector<std::string> sources = {corpus("jpeg/testorig.jpg"), corpus("pngsuite/basn3p08.png"),
                                            corpus("tiff/palette-1c-4b.tiff"), corpus("jpeg/testimgint.jpg")};
  // The expected bytes of every source in every format, converted alone.
  std::vector<std::vector<uint8_t>> expected;
  for (const std::string& source : sources) {
    for (const auto& target : engine::command_formats()) {
      const std::string path = files.file("alone");
      ASSERT_EQ(engine::convert_picture(target.format, source, path).code, engine::kWritten) << source;
      expected.push_back(read_bytes(path));
    }
  }
  constexpr int kRounds = 8;  // 8 x 40 conversions on each thread
  std::vector<std::string> wrong[2];
  auto work = [&](int thread) {
    for (int round = 0; round < kRounds; ++round) {
      for (size_t job = 0; job < expected.size(); ++job) {
        const auto format = engine::command_formats()[job % 10].format;
        const std::string path = files.file("t" + std::to_string(thread) + "_" + std::to_string(job));
        const bool same = engine::convert_picture(format, sources[job / 10], path).code == engine::kWritten &&
                          read_bytes(path) == expected[job];
        if (!same) wrong[thread].push_back(path);
      }
    }
  };
  std::thread first(work, 0), second(work, 1);
  first.join();
  second.join();
  EXPECT_TRUE(wrong[0].empty()) << wrong[0].size() << " outputs differ, the first " << wrong[0].front();
  EXPECT_TRUE(wrong[1].empty()) << wrong[1].size() << " outputs differ";
  EXPECT_TRUE(scratch.files().empty());
}

}  // namespace
}  // namespace quorvant::testing
