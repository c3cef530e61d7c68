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

// A program installed where its user may not write (/usr/bin) puts its
// output below the user's pictures folder; one run from a folder of the
// user's own keeps it beside itself.
TEST(OutputLocation, BesideTheProgramOnlyWhenItsFolderIsWritable) {
  testing::TempFolder home;
  const std::string config = home.file("config");
  std::filesystem::create_directory(config);
  const std::string dirs = "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n";
  testing::write_bytes(config + "/user-dirs.dirs", {dirs.begin(), dirs.end()});
  ::setenv("HOME", home.path().c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);

  EXPECT_EQ(output_parent(home.path()), home.path()) << "a folder the user may write";
  // A program folder that cannot be written (here: one that is not there,
  // since these tests may run as root, who may write anywhere).
  EXPECT_EQ(output_parent(home.file("not-there/bin")), home.path() + "/Pictures");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(output_parent(home.file("not-there/bin")), home.path()) << "no user-dirs.dirs under ~/.config";
}

}  // namespace
}  // namespace quorvant::app
