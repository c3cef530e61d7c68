// Choosing a folder with the converter's folder browser: any folder the
// file system can name comes back whole, and listing it works, through the
// system shim and the application's own buffers.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>

#include "tests/support/test_support.h"

namespace quorvant::runtime {
namespace {

// `base` made `length` bytes long with sub-folders of Chinese names (85
// characters of three bytes, letters where one no longer fits).
std::string deep_folder(const std::string& base, size_t length) {
  std::string path = base;
  while (path.size() < length) {
    std::string name;
    while (name.size() + 3 <= 255 && path.size() + 1 + name.size() + 3 <= length) name += "图";
    while (name.size() < 255 && path.size() + 1 + name.size() < length) name += 'x';
    path += "/" + name;
  }
  return path;
}

testing::CommandResult choose(const std::string& folder) {
  return testing::run_command("QT_QPA_PLATFORM=offscreen " + testing::shell_quote(QUORVANT_FOLDER_BROWSER) + " " +
                              testing::shell_quote(folder));
}

TEST(FolderBrowser, LongFoldersAreChosenAndListed) {
  testing::TempFolder root;
  // 256 to 259 bytes fitted the original platform's limit but not the
  // browser's status buffer; 300 bytes (100 characters) fitted neither.
  for (const size_t length : {size_t{258}, size_t{300}}) {
    const std::string folder = deep_folder(root.path(), length);
    ASSERT_EQ(folder.size(), length);
    std::filesystem::create_directories(folder);
    testing::write_bytes(folder + "/photo.jpg", {1});
    testing::write_bytes(folder + "/notes.txt", {1});
    const testing::CommandResult run = choose(folder);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "folder " + folder + "/\nitem " + folder + "/photo.jpg\n") << length;
  }
}

TEST(FolderBrowser, TheLongestPathTheFileSystemAllowsIsChosen) {
  testing::TempFolder root;
  const std::string folder = deep_folder(root.path(), PATH_MAX - 1);
  ASSERT_TRUE(std::filesystem::create_directories(folder));
  const testing::CommandResult run = choose(folder);
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "folder " + folder + "/\n") << "nothing inside can be named, so nothing is listed";
}

}  // namespace
}  // namespace quorvant::runtime
