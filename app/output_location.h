// Where the converted pictures go: the folder 保存文件 below the program's
// own folder when the user may write there (the program run from its build
// folder or unpacked somewhere of the user's own), otherwise below the
// user's pictures folder (an installed program, in /usr/bin).
#pragma once

#include <string>

namespace quorvant::app {

// The folder that holds 保存文件, without a trailing separator.
std::string output_parent(const std::string& program_directory);

// The user's pictures folder as xdg-user-dir PICTURES gives it: the
// XDG_PICTURES_DIR line of `user_dirs` (the text of user-dirs.dirs, with
// "$HOME" standing for `home`), else `home`.
std::string pictures_folder(const std::string& user_dirs, const std::string& home);

}  // namespace quorvant::app
