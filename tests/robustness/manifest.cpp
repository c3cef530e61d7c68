#include "tests/robustness/manifest.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quorvant::testing {

std::vector<ManifestLine> read_manifest(const std::string& path) {
  std::vector<ManifestLine> lines;
  std::ifstream in(path);
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    const size_t hash = text.find('#');
    std::istringstream words(text.substr(0, hash));
    ManifestLine line;
    if (!(words >> line.file)) continue;
    for (std::string field; words >> field;) line.fields.push_back(field);
    if (hash != std::string::npos) {
      line.why = text.substr(hash + 1);
      line.why.erase(0, line.why.find_first_not_of(' '));
    }
    line.number = number;
    line.text = text;
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> files_beside_manifest(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name != "cases.txt") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> field_value(const std::string& field, const std::string& name) {
  if (field.size() <= name.size() || field.compare(0, name.size(), name) != 0 || field[name.size()] != '=') {
    return std::nullopt;
  }
  return field.substr(name.size() + 1);
}

std::optional<unsigned long long> whole_number(const std::string& text) {
  unsigned long long value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<std::pair<int, int>> picture_size(const std::string& text) {
  const size_t x = text.find('x');
  if (x == std::string::npos) return std::nullopt;
  const auto width = whole_number(text.substr(0, x));
  const auto height = whole_number(text.substr(x + 1));
  if (!width || !height || *width == 0 || *height == 0 || *width > 1u << 30 || *height > 1u << 30) return std::nullopt;
  return std::pair{static_cast<int>(*width), static_cast<int>(*height)};
}

}  // namespace quorvant::testing
