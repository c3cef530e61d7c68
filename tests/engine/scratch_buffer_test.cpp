#include "engine/scratch_buffer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using testing::ScratchFolder;

// The file behind the mapping that holds `address`, as the process's memory
// map shows it: its name and its status.
struct MappedFile {
  std::string name;  // ends in " (deleted)" once the name is gone
  struct stat info {};
};
std::optional<MappedFile> mapped_file(const void* address) {
  std::ifstream maps("/proc/self/maps");
  const auto at = reinterpret_cast<uintptr_t>(address);
  for (std::string line; std::getline(maps, line);) {
    std::istringstream fields(line);
    std::string range, permissions, offset, device, inode;
    fields >> range >> permissions >> offset >> device >> inode;
    const size_t dash = range.find('-');
    const uintptr_t start = std::stoull(range.substr(0, dash), nullptr, 16);
    const uintptr_t end = std::stoull(range.substr(dash + 1), nullptr, 16);
    if (at < start || at >= end) continue;
    MappedFile file;
    std::getline(fields >> std::ws, file.name);
    if (::stat(("/proc/self/map_files/" + range).c_str(), &file.info) != 0) return std::nullopt;
    return file;
  }
  return std::nullopt;
}

TEST(ScratchBuffer, IsAZeroFilledPrivateFileWithoutAName) {
  ScratchFolder scratch;
  ScratchBuffer block;
  ASSERT_TRUE(block.create(5000, "CSWCLASS"));
  EXPECT_EQ(block.size(), 5000u);
  for (size_t i = 0; i < block.size(); ++i) ASSERT_EQ(block.data()[i], 0);
  EXPECT_EQ(block.name(), scratch.path() + "/CSWCLASS0.tmp");

  // The name is gone at once, so no picture-sized file outlives a process
  // that is killed; the mapping keeps the file.
  EXPECT_TRUE(scratch.files().empty());
  const auto file = mapped_file(block.data());
  ASSERT_TRUE(file);
  EXPECT_EQ(file->name, block.name() + " (deleted)");
  EXPECT_EQ(file->info.st_mode & 0777, 0600u) << "only the owner may read a picture in progress";
  EXPECT_EQ(file->info.st_size, 5000);

  block.data()[4999] = 0x5A;
  EXPECT_TRUE(block.flush());
  block.release();
  EXPECT_TRUE(block.empty());
  EXPECT_FALSE(mapped_file(nullptr));
}

// Ordinary buffers get their zeros written in pieces, the last one short;
// buffers above 256 MiB are allocated instead. Either way the file holds its
// space from the start, so a full disk fails creation, not a later write.
TEST(ScratchBuffer, ReservesItsSpaceWhateverItsSize) {
  ScratchFolder scratch;
  for (const size_t size : {size_t{9} * 1024 * 1024 + 12345, (size_t{256} << 20) + 4096}) {
    ScratchBuffer block;
    ASSERT_TRUE(block.create(size, "CSWCLASS"));
    const auto file = mapped_file(block.data());
    ASSERT_TRUE(file);
    EXPECT_EQ(static_cast<size_t>(file->info.st_size), size);
    EXPECT_GE(static_cast<size_t>(file->info.st_blocks) * 512, size) << "the file is sparse";
    for (size_t i = 0; i < size; i += 4093) ASSERT_EQ(block.data()[i], 0) << i;
    EXPECT_EQ(block.data()[size - 1], 0);
  }
  EXPECT_TRUE(scratch.files().empty());
}

TEST(ScratchBuffer, SizeZeroFailsAndKeepsNoFile) {
  ScratchFolder scratch;
  ScratchBuffer block;
  EXPECT_FALSE(block.create(0, "CSWCLASS"));
  EXPECT_FALSE(block.failure().empty());
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
  EXPECT_EQ(block.name(), scratch.path() + "/CSWCLASS2.tmp");
  block.release();

  EXPECT_EQ(testing::read_bytes(scratch.path() + "/CSWCLASS0.tmp"), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(testing::read_bytes(elsewhere.file("victim")), (std::vector<uint8_t>{9, 9}));
  EXPECT_EQ(std::filesystem::read_symlink(scratch.path() + "/CSWCLASS1.tmp"), elsewhere.file("victim"))
      << "the planted link stays as it was";
}

TEST(ScratchBuffer, ReleasingNeverRemovesAFileOfTheSameNameMadeSince) {
  ScratchFolder scratch;
  ScratchBuffer block;
  ASSERT_TRUE(block.create(100, "CSWCLASS"));
  // The name is free again: another process may take it meanwhile.
  testing::write_bytes(block.name(), {4, 2});
  const std::string name = block.name();
  block.release();
  EXPECT_EQ(testing::read_bytes(name), (std::vector<uint8_t>{4, 2}));
}

TEST(ScratchBuffer, SaysWhyItFailsWithoutATemporaryFolder) {
  ScratchFolder scratch;
  const std::string missing = scratch.path() + "/missing";
  ::setenv("TMPDIR", missing.c_str(), 1);
  ScratchBuffer block;
  EXPECT_FALSE(block.create(100, "CSWCLASS"));
  EXPECT_EQ(block.failure(), "cannot make scratch space in " + missing + ": No such file or directory");
  testing::write_bytes(scratch.path() + "/plain-file", {1});
  ::setenv("TMPDIR", (scratch.path() + "/plain-file").c_str(), 1);
  EXPECT_FALSE(block.create(100, "CSWCLASS"));
  EXPECT_NE(block.failure().find("Not a directory"), std::string::npos) << block.failure();
}

TEST(ScratchBuffer, AcceptsAFolderWithATrailingSeparator) {
  ScratchFolder scratch;
  ::setenv("TMPDIR", (scratch.path() + "/").c_str(), 1);
  ScratchBuffer block;
  ASSERT_TRUE(block.create(1, "CSWCLASS"));
  EXPECT_EQ(block.name(), scratch.path() + "/CSWCLASS0.tmp");
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
  EXPECT_TRUE(mapped_file(third.data()));
}

}  // namespace
}  // namespace quorvant::engine
