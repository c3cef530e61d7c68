#include "cli/inputs.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>

#include "engine/picture_formats.h"

namespace quorvant::cli {

namespace fs = std::filesystem;

namespace {

// The folder part of a name, as --keep-folders places it below the output
// folder; nothing when it climbs out with "..".
std::optional<std::string> kept_folder(const fs::path& relative) {
  const fs::path folder = relative.lexically_normal().relative_path();
  for (const fs::path& part : folder) {
    if (part == "..") return std::nullopt;
  }
  const std::string text = folder.string();
  if (text == ".") return std::string();
  return text.ends_with('/') ? text.substr(0, text.size() - 1) : text;
}

void collect_folder(const fs::path& root, const fs::path& folder, bool recursive, std::vector<Source>& out) {
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
  const std::optional<std::string> below = kept_folder(folder.lexically_relative(root));
  for (const fs::path& f : files) out.push_back({f.string(), below});
  if (recursive) {
    for (const fs::path& sub : folders) collect_folder(root, sub, recursive, out);
  }
}

}  // namespace

bool has_picture_extension(std::string_view file_name) { return engine::has_readable_extension(file_name); }

std::vector<Source> collect_sources(const std::vector<Input>& inputs, bool recursive) {
  std::vector<Source> found;
  for (const Input& input : inputs) {
    std::error_code error;
    if (fs::is_directory(input.path, error)) {
      collect_folder(input.path, input.path, recursive, found);
    } else {
      found.push_back({input.path, kept_folder(fs::path(input.given).parent_path())});
    }
  }
  // The same file reached twice (named and inside a named folder, say).
  std::vector<Source> unique;
  std::set<std::string> seen;
  for (Source& source : found) {
    if (seen.insert(fs::path(source.path).lexically_normal().string()).second) unique.push_back(std::move(source));
  }
  return unique;
}

}  // namespace quorvant::cli
