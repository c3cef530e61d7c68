// Input lists read from files, and the parts of a list that several runs
// share out among themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "cli/input_list.h"
#include "tests/support/test_support.h"

namespace quorvant::cli {
namespace {

TEST(InputList, LinesOrNulEndedEntriesWithEmptyOnesSkipped) {
  testing::TempFolder files;
  const std::string lines = files.file("lines");
  const std::string text = "a.jpg\n\nfolder with space/b.png\nlast-without-newline.bmp";
  testing::write_bytes(lines, {text.begin(), text.end()});
  std::string why;
  EXPECT_EQ(read_input_list(lines, false, why),
            (std::vector<std::string>{"a.jpg", "folder with space/b.png", "last-without-newline.bmp"}));

  // Names may hold newlines when the list is NUL-separated.
  const std::string nul = files.file("nul");
  const std::string entries("one\nname.jpg\0\0two.png\0", 21);
  testing::write_bytes(nul, {entries.begin(), entries.end()});
  EXPECT_EQ(read_input_list(nul, true, why), (std::vector<std::string>{"one\nname.jpg", "two.png"}));

  EXPECT_FALSE(read_input_list(files.file("missing"), false, why));
  EXPECT_EQ(why, "No such file or directory");
}

TEST(Shards, ParsedOnlyAsKOfN) {
  const auto shard = parse_shard("3/8");
  ASSERT_TRUE(shard);
  EXPECT_EQ(shard->index, 3u);
  EXPECT_EQ(shard->count, 8u);
  for (const char* bad : {"0/4", "5/4", "1/0", "2", "/4", "2/", "a/4", "2/4x", "-1/4", "1//4", " 1/4"}) {
    EXPECT_FALSE(parse_shard(bad)) << bad;
  }
}

std::vector<std::string> many_sources() {
  std::vector<std::string> sources;
  for (int i = 0; i < 1000; ++i)
    sources.push_back("/pictures/day" + std::to_string(i % 7) + "/p" + std::to_string(i) + ".jpg");
  // Two sources that would write the same file.
  sources.push_back("/elsewhere/p5.png");
  return sources;
}

// The paths of the sources of `paths` that fall in `shard`.
std::vector<std::string> in_shard(const std::vector<std::string>& paths, Shard shard) {
  std::vector<Source> sources;
  for (const std::string& path : paths) sources.push_back({path, std::string()});
  std::vector<std::string> chosen;
  for (const Source& source : sources_in_shard(sources, engine::TargetFormat::kPng, shard, false)) {
    chosen.push_back(source.path);
  }
  return chosen;
}

TEST(Shards, TogetherTheyHoldEveryPictureOnceWhateverTheOrder) {
  const std::vector<std::string> sources = many_sources();
  std::vector<std::string> shuffled = sources;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(4));
  constexpr unsigned kParts = 4;
  std::multiset<std::string> all;
  for (unsigned k = 1; k <= kParts; ++k) {
    const auto part = in_shard(sources, {k, kParts});
    // A machine that lists the files in another order takes the same ones.
    auto from_shuffled = in_shard(shuffled, {k, kParts});
    std::vector<std::string> sorted_part = part;
    std::sort(sorted_part.begin(), sorted_part.end());
    std::sort(from_shuffled.begin(), from_shuffled.end());
    EXPECT_EQ(sorted_part, from_shuffled);
    // Each part keeps its pictures in the list's order, and has its share.
    EXPECT_TRUE(std::is_sorted(part.begin(), part.end(), [&](const std::string& a, const std::string& b) {
      return std::find(sources.begin(), sources.end(), a) < std::find(sources.begin(), sources.end(), b);
    }));
    EXPECT_GT(part.size(), sources.size() / kParts / 2) << "part " << k;
    all.insert(part.begin(), part.end());
    const bool has_jpg = std::count(part.begin(), part.end(), "/pictures/day5/p5.jpg") == 1;
    const bool has_png = std::count(part.begin(), part.end(), "/elsewhere/p5.png") == 1;
    EXPECT_EQ(has_jpg, has_png) << "two sources of p5.png in different parts";
  }
  EXPECT_EQ(all, std::multiset<std::string>(sources.begin(), sources.end()));
  EXPECT_EQ(in_shard(sources, {1, 1}), sources);
}

}  // namespace
}  // namespace quorvant::cli
