// Where the converted pictures go: the folder 保存文件 beside the program
// when it runs from a folder of its own (its build folder, or unpacked
// somewhere of the user's), otherwise below the user's pictures folder. An
// installed program (below /usr or the prefix it was built for) never
// writes beside itself, whoever runs it: root may write into /usr/bin, but
// nothing there would ever remove the folder.
#pragma once

#include <string>

namespace quorvant::app {

// The folder that holds 保存文件, without a trailing separator.
// `install_prefix` is where the program was built to be installed.
std::string output_parent(const std::string& program_directory, const std::string& install_prefix);

// Whether `path` is `folder` itself or lies below it.
bool is_within(const std::string& path, const std::string& folder);

// The user's pictures folder as xdg-user-dir PICTURES gives it: the
// XDG_PICTURES_DIR line of `user_dirs` (the text of user-dirs.dirs, with
// "$HOME" standing for `home`), else `home`.
std::string pictures_folder(const std::string& user_dirs, const std::string& home);

}  // namespace quorvant::app
