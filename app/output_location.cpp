#include "app/output_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace quorvant::app {

namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string read_text(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

std::string pictures_folder(const std::string& user_dirs, const std::string& home) {
  std::istringstream lines(user_dirs);
  for (std::string line; std::getline(lines, line);) {
    // XDG_PICTURES_DIR="$HOME/Pictures", or an absolute path in quotes.
    const std::string key = "XDG_PICTURES_DIR=\"";
    if (line.rfind(key, 0) != 0) continue;
    const size_t end = line.find('"', key.size());
    if (end == std::string::npos) continue;
    std::string folder = line.substr(key.size(), end - key.size());
    if (folder.rfind("$HOME", 0) == 0) folder = home + folder.substr(5);
    // A pictures folder that is the home folder itself, or none, gives home.
    if (!folder.empty() && folder.front() == '/') return folder;
  }
  return home;
}

bool is_within(const std::string& path, const std::string& folder) {
  std::string prefix = folder;
  while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
  if (prefix.empty() || path.rfind(prefix, 0) != 0) return false;
  return path.size() == prefix.size() || prefix == "/" || path[prefix.size()] == '/';
}

std::string output_parent(const std::string& program_directory, const std::string& install_prefix) {
  const bool installed = is_within(program_directory, "/usr") || is_within(program_directory, install_prefix);
  // A program folder of the user's own that the user may not write (an
  // unpacked package run by another user) also sends the output home.
  if (!installed && ::access(program_directory.c_str(), W_OK) == 0) return program_directory;
  const std::string home = environment("HOME");
  std::string config = environment("XDG_CONFIG_HOME");
  if (config.empty()) config = home + "/.config";
  const std::string pictures = pictures_folder(read_text(config + "/user-dirs.dirs"), home);
  // A pictures folder that is named but missing (deleted, or named in
  // another locale's language) is what xdg-user-dirs-update resets to the
  // home folder; the output goes there rather than nowhere.
  struct stat status {};
  if (::stat(pictures.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return home;
  return pictures;
}

}  // namespace quorvant::app
