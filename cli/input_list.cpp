#include "cli/input_list.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/plan.h"

namespace quorvant::cli {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != stdin) std::fclose(f);
  }
};

// FNV-1a over the bytes: fixed by its definition, so every machine and
// every build splits a list alike.
uint64_t stable_hash(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace

std::optional<std::vector<std::string>> read_input_list(const std::string& path, bool nul_separated, std::string& why) {
  std::unique_ptr<std::FILE, FileCloser> file(path == "-" ? stdin : std::fopen(path.c_str(), "rb"));
  if (!file) {
    why = std::strerror(errno);
    return std::nullopt;
  }
  const int separator = nul_separated ? '\0' : '\n';
  std::vector<std::string> inputs;
  std::string entry;
  for (int c = std::getc(file.get()); c != EOF; c = std::getc(file.get())) {
    if (c != separator) {
      entry.push_back(static_cast<char>(c));
      continue;
    }
    if (!entry.empty()) inputs.push_back(std::move(entry));
    entry.clear();
  }
  if (std::ferror(file.get())) {
    why = std::strerror(errno);
    return std::nullopt;
  }
  if (!entry.empty()) inputs.push_back(std::move(entry));
  return inputs;
}

std::optional<Shard> parse_shard(const std::string& text) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return std::nullopt;
  Shard shard;
  const char* end = text.data() + text.size();
  const auto [index_end, index_error] = std::from_chars(text.data(), text.data() + slash, shard.index);
  const auto [count_end, count_error] = std::from_chars(text.data() + slash + 1, end, shard.count);
  if (index_error != std::errc() || count_error != std::errc() || index_end != text.data() + slash ||
      count_end != end || shard.count == 0 || shard.index == 0 || shard.index > shard.count) {
    return std::nullopt;
  }
  return shard;
}

std::vector<Source> sources_in_shard(const std::vector<Source>& sources, engine::TargetFormat format, Shard shard,
                                     bool keep_folders) {
  std::vector<Source> chosen;
  for (const Source& source : sources) {
    std::string name = output_name(source.path, format);
    if (keep_folders && source.folder && !source.folder->empty()) name = *source.folder + "/" + name;
    if (stable_hash(name) % shard.count == shard.index - 1) chosen.push_back(source);
  }
  return chosen;
}

}  // namespace quorvant::cli
