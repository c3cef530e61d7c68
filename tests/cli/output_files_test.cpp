// Files published under their names only when complete, in the output
// folder and the folders below it.
#include "cli/output_folder.h"
#include "engine/output_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "engine/destination.h"
#include "tests/support/test_support.h"

namespace quorvant::cli {
namespace {

using Bytes = std::vector<uint8_t>;
using engine::OutputFile;
using engine::PrivateNames;

// Both ways of keeping a file pending: without a name (O_TMPFILE) and under
// a private name, for file systems without unnamed files.
class OutputFileTest : public ::testing::TestWithParam<bool> {
 protected:
  testing::TempFolder out_;
  testing::TempFolder elsewhere_;
  std::string why_;
  std::optional<OutputFolder> folder_ = OutputFolder::open(out_.path(), why_);
  PrivateNames names_;

  std::optional<OutputFile> pending(const std::string& name) {
    return OutputFile::create(folder_->descriptor(), name, &names_, GetParam());
  }
  // Writes through the descriptor, as the engine does.
  static void write(const OutputFile& pending, const Bytes& bytes) {
    const engine::UniqueFd fd = engine::Destination::open_file(pending.descriptor(), "x").create().fd;
    ASSERT_TRUE(fd);
    ASSERT_EQ(::write(fd.get(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(out_.path())) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }
};

TEST_P(OutputFileTest, PublishesOnlyWhereNothingIsInTheWay) {
  {
    auto file = pending("x.bmp");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->named(), !GetParam());
    write(*file, {7});
    EXPECT_EQ(file->publish(false), OutputFile::Published::kDone);
  }
  EXPECT_EQ(testing::read_bytes(out_.file("x.bmp")), (Bytes{7}));
  {
    auto file = pending("x.bmp");
    ASSERT_TRUE(file);
    write(*file, {8});
    EXPECT_EQ(file->publish(false), OutputFile::Published::kDestinationExists);
    EXPECT_EQ(testing::read_bytes(out_.file("x.bmp")), (Bytes{7}));
    EXPECT_EQ(file->publish(true), OutputFile::Published::kDone);
  }
  EXPECT_EQ(testing::read_bytes(out_.file("x.bmp")), (Bytes{8}));
  {
    auto abandoned = pending("y.bmp");
    ASSERT_TRUE(abandoned);
    write(*abandoned, {9});
  }
  EXPECT_EQ(entries(), (std::vector<std::string>{"x.bmp"})) << "an unpublished file leaves nothing";
}

TEST_P(OutputFileTest, NeverWritesOrPublishesThroughALink) {
  testing::write_bytes(elsewhere_.file("victim"), {1, 2, 3});
  ASSERT_EQ(::symlink(elsewhere_.file("victim").c_str(), out_.file("x.bmp").c_str()), 0);
  auto file = pending("x.bmp");
  ASSERT_TRUE(file);
  // Whoever can write the folder swaps every private name for a link.
  for (const std::string& name : entries()) {
    if (name[0] == '.') {
      std::filesystem::remove(out_.file(name));
      ASSERT_EQ(::symlink(elsewhere_.file("victim").c_str(), out_.file(name).c_str()), 0);
    }
  }
  write(*file, {4, 5});
  EXPECT_EQ(file->publish(false), OutputFile::Published::kDestinationExists) << "a link is in the way";
  struct stat info {};
  if (file->named()) {
    // The file whose name was taken away cannot get a name again: nothing
    // is published, and nothing is written anywhere else either.
    EXPECT_EQ(file->publish(true), OutputFile::Published::kFailed);
    file.reset();
    ASSERT_EQ(::lstat(out_.file("x.bmp").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
  } else {
    EXPECT_EQ(file->publish(true), OutputFile::Published::kDone);
    file.reset();
    ASSERT_EQ(::lstat(out_.file("x.bmp").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode)) << "the link itself was replaced";
    EXPECT_EQ(testing::read_bytes(out_.file("x.bmp")), (Bytes{4, 5}));
  }
  EXPECT_EQ(testing::read_bytes(elsewhere_.file("victim")), (Bytes{1, 2, 3}));
}

TEST_P(OutputFileTest, TakesTheLongestNamesAFolderHolds) {
  const std::string name = std::string(251, 'n') + ".png";  // 255 bytes
  auto file = pending(name);
  ASSERT_TRUE(file);
  write(*file, {6});
  EXPECT_EQ(file->publish(false), OutputFile::Published::kDone);
  EXPECT_EQ(testing::read_bytes(out_.file(name)), (Bytes{6}));
}

INSTANTIATE_TEST_SUITE_P(BothWays, OutputFileTest, ::testing::Values(true, false),
                         [](const auto& way) { return way.param ? "Unnamed" : "PrivateName"; });

TEST(PrivateNames, RemovingThemAllLeavesNothingAndStopsNewOnes) {
  testing::TempFolder out;
  std::string why;
  const auto folder = OutputFolder::open(out.path(), why);
  ASSERT_TRUE(folder) << why;
  PrivateNames names;
  auto first = OutputFile::create(folder->descriptor(), "a.png", &names, false);
  auto second = OutputFile::create(folder->descriptor(), "b.png", &names, false);
  ASSERT_TRUE(first && second);
  EXPECT_FALSE(std::filesystem::is_empty(out.path()));
  names.remove_all();
  EXPECT_TRUE(std::filesystem::is_empty(out.path()));
  EXPECT_FALSE(OutputFile::create(folder->descriptor(), "c.png", &names, false));
}

TEST(OutputFolderOpen, MakesMissingFoldersAndSaysWhyWhenItCannot) {
  testing::TempFolder root;
  std::string why;
  EXPECT_TRUE(OutputFolder::open(root.file("a/b/c"), why));
  testing::write_bytes(root.file("plain"), {1});
  EXPECT_FALSE(OutputFolder::open(root.file("plain"), why));
  EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace quorvant::cli
