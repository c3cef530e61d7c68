// A file written for a path has no name until it is complete: nobody sees a
// half-written picture under the path, the file that was there stays until
// the new one replaces it, and a process that ends part-way leaves nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "engine/bmp/bmp_writer.h"
#include "engine/convert.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using Bytes = std::vector<uint8_t>;

struct DestinationTest : ::testing::Test {
  testing::ScratchFolder scratch;
  testing::TempFolder folder;
  const ImageBuffer picture = testing::make_rgb_picture(64, 48, testing::gradient);
};

// In an ordinary folder, and on a FAT file system (USB sticks, SD cards),
// which has neither unnamed files nor hard links.
TEST_F(DestinationTest, TheFileThatWasThereStaysUntilTheNewOneIsWhole) {
  const testing::FatFolder fat;
  std::vector<std::string> folders = {folder.path()};
  if (fat.mounted()) {
    folders.push_back(fat.path());
  } else if (!fat.fuse_unusable()) {
    ADD_FAILURE() << fat.why();
  }
  for (const std::string& where : folders) {
    SCOPED_TRACE(where);
    const std::string path = where + "/out.bmp";
    std::filesystem::remove(path);
    testing::write_bytes(path, {'o', 'l', 'd'});
    bmp::BmpWriter writer;
    int rows = 0;
    bool old_file_seen_throughout = true;
    ASSERT_TRUE(writer.open(path, picture, {}, [&](int32_t, int32_t, int32_t, int32_t) {
      ++rows;
      old_file_seen_throughout = old_file_seen_throughout && testing::read_bytes(path) == Bytes{'o', 'l', 'd'};
    }));
    ASSERT_TRUE(writer.write());
    EXPECT_GT(rows, 1);
    EXPECT_TRUE(old_file_seen_throughout) << "a half-written file showed under the name";
    EXPECT_EQ(testing::decode_with_netpbm_bmp(path).width, 64);
    // Nothing but the picture is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(where), {}), 1);
    std::filesystem::remove(path);
  }
}

TEST_F(DestinationTest, AProcessThatEndsPartWayLeavesNothingUnderTheName) {
  for (const bool existed : {false, true}) {
    const std::string path = folder.file(existed ? "kept.bmp" : "new.bmp");
    if (existed) testing::write_bytes(path, {'o', 'l', 'd'});
    const pid_t child = ::fork();
    if (child == 0) {
      bmp::BmpWriter writer;
      if (!writer.open(path, picture, {}, [](int32_t, int32_t, int32_t row, int32_t) {
            if (row == 20) ::_exit(0);  // the end of the process, half way
          })) {
        ::_exit(2);
      }
      writer.write();
      ::_exit(3);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the writer did not reach row 20";
    if (existed) {
      EXPECT_EQ(testing::read_bytes(path), (Bytes{'o', 'l', 'd'}));
    } else {
      EXPECT_FALSE(testing::file_exists(path));
    }
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "only kept.bmp";
}

TEST_F(DestinationTest, WhatAPathNamesThatIsNotAFileIsWrittenThrough) {
  // A link keeps leading where it led: its target gets the picture.
  const std::string target = folder.file("target.bmp");
  testing::write_bytes(target, {'o', 'l', 'd'});
  const std::string link = folder.file("link.bmp");
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  ASSERT_EQ(convert_picture(TargetFormat::kBmp, testing::corpus("jpeg/testorig.jpg"), link).code, kWritten);
  struct stat info {};
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(testing::decode_with_netpbm_bmp(target).width, 227);
}

}  // namespace
}  // namespace quorvant::engine
