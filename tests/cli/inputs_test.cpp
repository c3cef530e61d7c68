#include "cli/inputs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/test_support.h"

namespace quorvant::cli {
namespace {

TEST(PictureExtension, KnowsTheReadableFormatsInAnyCase) {
  for (const char* name :
       {"a.jpg", "a.JPEG", "a.jpe", "b.Bmp", "c.tif", "c.TIFF", "d.png", "e.pcx", "f.PCD", "archive.tar.jpg"}) {
    EXPECT_TRUE(has_picture_extension(name)) << name;
  }
  for (const char* name : {"a.gif", "a.ppm", "jpg", ".jpg", "a.jpg.txt", "a.", "a.jp"}) {
    EXPECT_FALSE(has_picture_extension(name)) << name;
  }
}

class CollectTest : public ::testing::Test {
 protected:
  testing::TempFolder root_;
  void touch(const std::string& relative) {
    std::filesystem::create_directories(std::filesystem::path(root_.file(relative)).parent_path());
    testing::write_bytes(root_.file(relative), {0});
  }
};

TEST_F(CollectTest, FolderGivesItsPicturesInNameOrder) {
  touch("b.png");
  touch("a.JPG");
  touch("notes.txt");
  touch("sub/c.bmp");
  std::filesystem::create_directories(root_.file("folder.jpg"));  // a folder with a picture's name
  const auto found = collect_sources({root_.path()}, false);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0], root_.file("a.JPG"));
  EXPECT_EQ(found[1], root_.file("b.png"));
}

TEST_F(CollectTest, RecursiveDescendsIntoSubFoldersButNotThroughLinks) {
  touch("a.jpg");
  touch("sub/b.tif");
  touch("sub/deeper/c.pcx");
  std::filesystem::create_directory_symlink(root_.path(), root_.file("sub/loop"));
  const auto found = collect_sources({root_.path()}, true);
  EXPECT_EQ(found,
            (std::vector<std::string>{root_.file("a.jpg"), root_.file("sub/b.tif"), root_.file("sub/deeper/c.pcx")}));
}

TEST_F(CollectTest, NamedFilesAreTakenAsTheyAreAndOnlyOnce) {
  touch("a.jpg");
  touch("data.bin");
  const auto found = collect_sources(
      {root_.file("data.bin"), root_.file("missing.jpg"), root_.file("a.jpg"), root_.path(), root_.path() + "/./a.jpg"},
      false);
  EXPECT_EQ(found, (std::vector<std::string>{root_.file("data.bin"), root_.file("missing.jpg"), root_.file("a.jpg")}));
}

}  // namespace
}  // namespace quorvant::cli
