// The cases.txt manifests kept beside crafted bad files and fuzzing
// findings: one case a line, "FILE FIELD...  # what it catches".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvant::testing {

struct ManifestLine {
  int number = 0;  // counted from 1
  std::string file;
  std::vector<std::string> fields;  // what follows the file name, split at spaces
  std::string why;                  // the comment, without its '#'
  std::string text;                 // the whole line, for messages
};

// The cases of a manifest; blank lines and lines that start with '#' are
// left out. Nothing when the file cannot be read.
std::vector<ManifestLine> read_manifest(const std::string& path);

// The names of the regular files of `folder` other than its cases.txt,
// sorted.
std::vector<std::string> files_beside_manifest(const std::string& folder);

// "value" of a field "name=value", or nothing when `field` is not one.
std::optional<std::string> field_value(const std::string& field, const std::string& name);

// The whole of `text` as a non-negative number, or nothing.
std::optional<unsigned long long> whole_number(const std::string& text);

// "WxH" as two positive sides, or nothing.
std::optional<std::pair<int, int>> picture_size(const std::string& text);

}  // namespace quorvant::testing
