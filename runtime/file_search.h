// Searching a folder for names that match a pattern, with the attribute
// words a program written for the original platform expects:
//   0x01 read-only (the user may not write it), 0x02 hidden (the name starts
//   with "."), 0x10 directory, 0x20 archive (every regular file); 0x04
//   system is never set.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvant::runtime {

namespace attribute {
inline constexpr uint32_t kReadOnly = 0x01;
inline constexpr uint32_t kHidden = 0x02;
inline constexpr uint32_t kSystem = 0x04;
inline constexpr uint32_t kDirectory = 0x10;
inline constexpr uint32_t kArchive = 0x20;
}  // namespace attribute

struct FoundEntry {
  std::string name;
  uint32_t attributes;
};

// A search over the entries of one folder whose names match a pattern; "*"
// and "?" are wildcards and "*.*" matches every name. Entries come in name
// order, "." and ".." included for a folder that has them.
class FileSearch {
 public:
  // Nothing when the folder cannot be read or nothing matches.
  static std::optional<FileSearch> start(const std::string& pattern);
  std::optional<FoundEntry> next();

 private:
  std::vector<FoundEntry> entries_;
  size_t next_ = 0;
};

// Whether a name matches a pattern of "*" and "?" wildcards.
bool matches_pattern(const std::string& name, const std::string& pattern);

}  // namespace quorvant::runtime
