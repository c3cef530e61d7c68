// Fills the lists that come from the table of picture formats into a file
// of the package at build time: the bash completion's --to choices and the
// desktop entry's MIME types.
//
//   format_lists TEMPLATE OUTPUT
//
// @TARGETS@ becomes the target names, in lower case, separated by spaces;
// @WINDOW_MIME_TYPES@ the MIME types of what the window reads, each ended
// by ";" as a desktop entry lists them.
#include <cctype>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "engine/picture_formats.h"

namespace {

std::string target_names() {
  std::string names;
  for (const auto& target : quorvant::engine::target_formats()) {
    if (!names.empty()) names += ' ';
    for (char c : target.name) names += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return names;
}

std::string window_mime_types() {
  std::string types;
  for (const auto& format : quorvant::engine::picture_formats()) {
    if (!format.window_reads) continue;
    for (std::string_view type : format.mime_types) types += std::string(type) + ";";
  }
  return types;
}

void replace_all(std::string& text, const std::string& key, const std::string& value) {
  for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size())) {
    text.replace(at, key.size(), value);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: format_lists TEMPLATE OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in) {
    std::cerr << "format_lists: cannot read " << argv[1] << "\n";
    return 1;
  }
  replace_all(text, "@TARGETS@", target_names());
  replace_all(text, "@WINDOW_MIME_TYPES@", window_mime_types());
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << text;
  return out ? 0 : 1;
}
