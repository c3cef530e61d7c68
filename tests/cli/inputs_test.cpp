#include "cli/inputs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/test_support.h"

namespace quorvant::cli {
namespace {

TEST(PictureExtension, KnowsTheReadableFormatsInAnyCase) {
  for (const char* name : {"a.jpg", "a.JPEG", "a.jpe", "b.Bmp", "c.tif", "c.TIFF", "d.png", "e.pcx", "f.PCD",
                           "archive.tar.jpg", "g.webp", "h.AVIF", "i.heic", "i.heif", "j.gif", "k.jxl"}) {
    EXPECT_TRUE(has_picture_extension(name)) << name;
  }
  for (const char* name : {"a.ppm", "a.sgi", "jpg", ".jpg", "a.jpg.txt", "a.", "a.jp"}) {
    EXPECT_FALSE(has_picture_extension(name)) << name;
  }
}

class CollectTest : public ::testing::Test {
 protected:
  testing::TempFolder root_;
  // The paths found for inputs given on the command line.
  static std::vector<std::string> paths(const std::vector<std::string>& given, bool recursive) {
    std::vector<Input> inputs;
    for (const std::string& input : given) inputs.push_back({input, input});
    std::vector<std::string> found;
    for (const Source& source : collect_sources(inputs, recursive)) found.push_back(source.path);
    return found;
  }
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
  EXPECT_EQ(paths({root_.path()}, false), (std::vector<std::string>{root_.file("a.JPG"), root_.file("b.png")}));
}

TEST_F(CollectTest, RecursiveDescendsIntoSubFoldersButNotThroughLinks) {
  touch("a.jpg");
  touch("sub/b.tif");
  touch("sub/deeper/c.pcx");
  std::filesystem::create_directory_symlink(root_.path(), root_.file("sub/loop"));
  EXPECT_EQ(paths({root_.path()}, true),
            (std::vector<std::string>{root_.file("a.jpg"), root_.file("sub/b.tif"), root_.file("sub/deeper/c.pcx")}));
}

TEST_F(CollectTest, NamedFilesAreTakenAsTheyAreAndOnlyOnce) {
  touch("a.jpg");
  touch("data.bin");
  const auto found = paths(
      {root_.file("data.bin"), root_.file("missing.jpg"), root_.file("a.jpg"), root_.path(), root_.path() + "/./a.jpg"},
      false);
  EXPECT_EQ(found, (std::vector<std::string>{root_.file("data.bin"), root_.file("missing.jpg"), root_.file("a.jpg")}));
}

// Where --keep-folders puts each picture: below the folder given as input,
// or the folder part of a name as it was given (a list's names are found
// below the list's folder but keep their own); never above the output.
TEST_F(CollectTest, KeptFoldersAreWhereEachPictureIsBelowItsInput) {
  touch("top.jpg");
  touch("a/b/deep.png");
  const std::vector<Input> inputs = {{root_.path(), root_.path()},
                                     {root_.file("x/listed.jpg"), "x/./listed.jpg"},
                                     {"/abs/given.jpg", "/abs/given.jpg"},
                                     {root_.file("up.jpg"), "../up.jpg"}};
  std::vector<std::pair<std::string, std::optional<std::string>>> found;
  for (const Source& source : collect_sources(inputs, true)) found.emplace_back(source.path, source.folder);
  const std::vector<std::pair<std::string, std::optional<std::string>>> expected = {
      {root_.file("top.jpg"), ""},           {root_.file("a/b/deep.png"), "a/b"}, {root_.file("x/listed.jpg"), "x"},
      {"/abs/given.jpg", "abs"},             {root_.file("up.jpg"), std::nullopt}};
  EXPECT_EQ(found, expected);
}

}  // namespace
}  // namespace quorvant::cli
