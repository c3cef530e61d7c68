#include "cli/inputs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <system_error>

namespace quorvant::cli {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPictureExtensions[] = {"jpg", "jpeg", "jpe", "bmp", "tif", "tiff", "png", "pcx", "pcd"};

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

void collect_folder(const fs::path& folder, bool recursive, std::vector<std::string>& out) {
  std::vector<fs::path> files;
  std::vector<fs::path> folders;
  std::error_code error;
  for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
       !error && it != end; it.increment(error)) {
    const fs::directory_entry& entry = *it;
    std::error_code ignored;
    if (entry.is_symlink(ignored) && entry.is_directory(ignored)) continue;  // no loops through links
    if (entry.is_directory(ignored)) {
      folders.push_back(entry.path());
    } else if (entry.is_regular_file(ignored) && has_picture_extension(entry.path().filename().string())) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  std::sort(folders.begin(), folders.end());
  for (const fs::path& f : files) out.push_back(f.string());
  if (recursive) {
    for (const fs::path& sub : folders) collect_folder(sub, recursive, out);
  }
}

}  // namespace

bool has_picture_extension(std::string_view file_name) {
  const size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  const std::string extension = lower(file_name.substr(dot + 1));
  return std::find(std::begin(kPictureExtensions), std::end(kPictureExtensions), extension) !=
         std::end(kPictureExtensions);
}

std::vector<std::string> collect_sources(const std::vector<std::string>& inputs, bool recursive) {
  std::vector<std::string> found;
  for (const std::string& input : inputs) {
    std::error_code error;
    if (fs::is_directory(input, error)) {
      collect_folder(input, recursive, found);
    } else {
      found.push_back(input);
    }
  }
  // The same file reached twice (named and inside a named folder, say).
  std::vector<std::string> unique;
  std::set<std::string> seen;
  for (std::string& path : found) {
    if (seen.insert(fs::path(path).lexically_normal().string()).second) unique.push_back(std::move(path));
  }
  return unique;
}

}  // namespace quorvant::cli
