#include "app/output_location.h"

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

std::string output_parent(const std::string& program_directory) {
  if (::access(program_directory.c_str(), W_OK) == 0) return program_directory;
  const std::string home = environment("HOME");
  std::string config = environment("XDG_CONFIG_HOME");
  if (config.empty()) config = home + "/.config";
  return pictures_folder(read_text(config + "/user-dirs.dirs"), home);
}

}  // namespace quorvant::app
