// Inputs listed in a file, and the share of a list that one of several runs
// converts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/inputs.h"
#include "engine/target_format.h"

namespace quorvant::cli {

// The inputs named in `path` ("-": standard input), one a line, or each
// ended by a NUL byte when `nul_separated` (as `find -print0` writes).
// Empty entries are skipped; a line's carriage return before its end is
// part of the name. Nothing, with `why` set, when the file cannot be read.
std::optional<std::vector<std::string>> read_input_list(const std::string& path, bool nul_separated, std::string& why);

// Part `index` (1 to `count`) of `count` disjoint parts.
struct Shard {
  unsigned index = 1;
  unsigned count = 1;
};

// "K/N" with 1 <= K <= N; nothing for anything else.
std::optional<Shard> parse_shard(const std::string& text);

// The sources of `sources` that fall in `shard`, in their order. A source
// belongs to the part its output file's name gives (a hash of the name, the
// same on every machine; with `keep_folders`, of its folder and name below
// the output folder), so the parts are disjoint whatever order each machine
// lists the files in, and sources that would write the same file stay in
// one part.
std::vector<Source> sources_in_shard(const std::vector<Source>& sources, engine::TargetFormat format, Shard shard,
                                     bool keep_folders);

}  // namespace quorvant::cli
