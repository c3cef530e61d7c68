#include "runtime/file_search.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace quorvant::runtime {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

bool has_wildcards(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

}  // namespace

bool matches_pattern(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  // Iterative wildcard matching with one backtracking point for "*".
  size_t n = 0, p = 0, star = std::string::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::optional<FileSearch> FileSearch::start(const std::string& pattern) {
  const size_t slash = pattern.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : pattern.substr(0, slash);
  const std::string name_pattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  // A pattern that ends with the separator names no entry.
  if (name_pattern.empty()) return std::nullopt;

  FileSearch search;
  const std::string prefix = folder == "/" ? "/" : folder + "/";
  if (!has_wildcards(name_pattern)) {
    // A plain path: the one entry of that name, if it exists.
    struct stat info {};
    if (::lstat((prefix + name_pattern).c_str(), &info) != 0) return std::nullopt;
  }
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) return std::nullopt;
  for (const dirent* entry = ::readdir(dir.get()); entry != nullptr; entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (!matches_pattern(name, name_pattern)) continue;
    const std::string path = prefix + name;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 && ::lstat(path.c_str(), &info) != 0) continue;
    uint32_t attributes = 0;
    if (S_ISDIR(info.st_mode)) attributes |= attribute::kDirectory;
    if (S_ISREG(info.st_mode)) attributes |= attribute::kArchive;
    if (name.front() == '.' && name != "." && name != "..") attributes |= attribute::kHidden;
    if (::access(path.c_str(), W_OK) != 0) attributes |= attribute::kReadOnly;
    search.entries_.push_back({name, attributes});
  }
  if (search.entries_.empty()) return std::nullopt;
  std::sort(search.entries_.begin(), search.entries_.end(),
            [](const FoundEntry& a, const FoundEntry& b) { return a.name < b.name; });
  return search;
}

std::optional<FoundEntry> FileSearch::next() {
  if (next_ >= entries_.size()) return std::nullopt;
  return entries_[next_++];
}

}  // namespace quorvant::runtime
