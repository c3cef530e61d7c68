#include "engine/scratch_buffer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using testing::ScratchFolder;

TEST(ScratchBuffer, IsAZeroFilledPrivateFileUntilReleased) {
  ScratchFolder scratch;
  ScratchBuffer block;
  ASSERT_TRUE(block.create(5000, "CSWCLASS"));
  EXPECT_EQ(block.size(), 5000u);
  for (size_t i = 0; i < block.size(); ++i) ASSERT_EQ(block.data()[i], 0);

  struct stat info {};
  ASSERT_EQ(::stat(block.path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "only the owner may read a picture in progress";
  EXPECT_EQ(info.st_size, 5000);

  block.data()[4999] = 0x5A;
  EXPECT_TRUE(block.flush());
  EXPECT_EQ(testing::read_bytes(block.path()).back(), 0x5A) << "the mapping is the file";

  const std::string path = block.path();
  block.release();
  EXPECT_TRUE(block.empty());
  EXPECT_FALSE(testing::file_exists(path));
}

// Ordinary buffers get their zeros written in pieces, the last one short;
// buffers above 256 MiB are allocated instead. Either way the file holds its
// space from the start, so a full disk fails creation, not a later write.
TEST(ScratchBuffer, ReservesItsSpaceWhateverItsSize) {
  ScratchFolder scratch;
  for (const size_t size : {size_t{9} * 1024 * 1024 + 12345, (size_t{256} << 20) + 4096}) {
    ScratchBuffer block;
    ASSERT_TRUE(block.create(size, "CSWCLASS"));
    struct stat info {};
    ASSERT_EQ(::stat(block.path().c_str(), &info), 0);
    EXPECT_EQ(static_cast<size_t>(info.st_size), size);
    EXPECT_GE(static_cast<size_t>(info.st_blocks) * 512, size) << "the file is sparse";
    for (size_t i = 0; i < size; i += 4093) ASSERT_EQ(block.data()[i], 0) << i;
    EXPECT_EQ(block.data()[size - 1], 0);
  }
  EXPECT_TRUE(scratch.files().empty());
}

TEST(ScratchBuffer, SizeZeroFailsAndKeepsNoFile) {
  ScratchFolder scratch;
  ScratchBuffer block;
  EXPECT_FALSE(block.create(0, "CSWCLASS"));
  EXPECT_TRUE(scratch.files().empty());
}

TEST(ScratchBuffer, DestructionDeletesTheFile) {
  ScratchFolder scratch;
  {
    ScratchBuffer block;
    ASSERT_TRUE(block.create(10, "CSWCLASS"));
  }
  EXPECT_TRUE(scratch.files().empty());
}

TEST(ScratchBuffer, SkipsNamesThatOthersHoldAndNeverTouchesThem) {
  ScratchFolder scratch;
  // Another process's scratch file, and a planted link to a file that must
  // not be truncated through it.
  testing::write_bytes(scratch.path() + "/CSWCLASS0.tmp", {1, 2, 3});
  testing::TempFolder elsewhere;
  testing::write_bytes(elsewhere.file("victim"), {9, 9});
  ASSERT_EQ(::symlink(elsewhere.file("victim").c_str(), (scratch.path() + "/CSWCLASS1.tmp").c_str()), 0);

  ScratchBuffer block;
  ASSERT_TRUE(block.create(100, "CSWCLASS"));
  EXPECT_EQ(block.path(), scratch.path() + "/CSWCLASS2.tmp");
  block.release();

  EXPECT_EQ(testing::read_bytes(scratch.path() + "/CSWCLASS0.tmp"), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(testing::read_bytes(elsewhere.file("victim")), (std::vector<uint8_t>{9, 9}));
}

TEST(ScratchBuffer, FailsWithoutATemporaryFolder) {
  ScratchFolder scratch;
  ::setenv("TMPDIR", (scratch.path() + "/missing").c_str(), 1);
  ScratchBuffer block;
  EXPECT_FALSE(block.create(100, "CSWCLASS"));
  testing::write_bytes(scratch.path() + "/plain-file", {1});
  ::setenv("TMPDIR", (scratch.path() + "/plain-file").c_str(), 1);
  EXPECT_FALSE(block.create(100, "CSWCLASS"));
}

TEST(ScratchBuffer, AcceptsAFolderWithATrailingSeparator) {
  ScratchFolder scratch;
  ::setenv("TMPDIR", (scratch.path() + "/").c_str(), 1);
  ScratchBuffer block;
  ASSERT_TRUE(block.create(1, "CSWCLASS"));
  EXPECT_EQ(block.path(), scratch.path() + "/CSWCLASS0.tmp");
}

TEST(ScratchBuffer, MovesOwnership) {
  ScratchFolder scratch;
  ScratchBuffer first;
  ASSERT_TRUE(first.create(8, "CSWCLASS"));
  first.data()[0] = 7;
  ScratchBuffer second(std::move(first));
  EXPECT_TRUE(first.empty());
  EXPECT_EQ(second.data()[0], 7);
  ScratchBuffer third;
  third = std::move(second);
  EXPECT_EQ(third.data()[0], 7);
  EXPECT_EQ(scratch.files().size(), 1u);
}

}  // namespace
}  // namespace quorvant::engine
