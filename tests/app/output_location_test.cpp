// Where the converted pictures go when the program's own folder is, or is
// not, the user's to write.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/output_location.h"
#include "tests/support/test_support.h"

namespace quorvant::app {
namespace {

TEST(OutputLocation, PicturesFolderAsXdgUserDirGivesIt) {
  EXPECT_EQ(pictures_folder("# comment\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n", "/home/li"), "/home/li/Bilder");
  EXPECT_EQ(pictures_folder("XDG_DESKTOP_DIR=\"$HOME/桌面\"\nXDG_PICTURES_DIR=\"/data/图片\"\n", "/home/li"),
            "/data/图片");
  EXPECT_EQ(pictures_folder("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", "/home/li"), "/home/li") << "none set";
  EXPECT_EQ(pictures_folder("", "/home/li"), "/home/li") << "no user-dirs.dirs";
  EXPECT_EQ(pictures_folder("XDG_PICTURES_DIR=\"relative\"\n", "/home/li"), "/home/li");
}

// An installed program (below /usr, or below the prefix it was built for)
// puts its output below the user's pictures folder, even when its user may
// write beside it (root); one run from a folder of the user's own keeps it
// beside itself unless that folder cannot be written. A pictures folder
// that does not exist gives the home folder.
TEST(OutputLocation, BesideTheProgramOnlyWhenNotInstalledAndWritable) {
  testing::TempFolder home;
  const std::string config = home.file("config");
  const std::string pictures = home.file("Pictures");
  std::filesystem::create_directory(config);
  std::filesystem::create_directory(pictures);
  auto set_user_dirs = [&](const std::string& dirs) {
    testing::write_bytes(config + "/user-dirs.dirs", {dirs.begin(), dirs.end()});
  };
  set_user_dirs("XDG_PICTURES_DIR=\"$HOME/Pictures\"\n");
  ::setenv("HOME", home.path().c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  const std::string elsewhere = "/opt/elsewhere";

  EXPECT_EQ(output_parent(home.path(), elsewhere), home.path()) << "a folder the user may write";
  EXPECT_EQ(output_parent(home.path(), home.path()), pictures) << "installed below the build's own prefix";
  EXPECT_EQ(output_parent("/usr/bin", elsewhere), pictures) << "installed below /usr, even when writable";
  // A program folder that cannot be written (here: one that is not there,
  // since these tests may run as root, who may write anywhere).
  EXPECT_EQ(output_parent(home.file("not-there/bin"), elsewhere), pictures);

  set_user_dirs("XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
  EXPECT_EQ(output_parent("/usr/bin", elsewhere), home.path()) << "a named pictures folder that is missing";
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(output_parent("/usr/bin", elsewhere), home.path()) << "no user-dirs.dirs under ~/.config";
}

TEST(OutputLocation, WithinMeansBelowAWholeFolderName) {
  EXPECT_TRUE(is_within("/usr/bin", "/usr"));
  EXPECT_TRUE(is_within("/usr/local/bin", "/usr/local/"));
  EXPECT_TRUE(is_within("/usr", "/usr"));
  EXPECT_FALSE(is_within("/usrdata/bin", "/usr"));
  EXPECT_FALSE(is_within("/home/li/bin", "/usr"));
  EXPECT_FALSE(is_within("/home/li/bin", "")) << "no prefix";
}

}  // namespace
}  // namespace quorvant::app
