// What the user asked quorvant-convert to do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/input_list.h"
#include "cli/inputs.h"
#include "engine/convert.h"
#include "engine/target_format.h"

namespace quorvant::cli {

struct CliOptions {
  engine::TargetFormat format = engine::TargetFormat::kJpg;
  engine::ConvertOptions convert;
  std::vector<Input> inputs;        // the command line's, then those --files-from lists
  std::optional<Shard> shard;       // only this part of the sources
  std::string output_folder = "converted";
  bool recursive = false;
  unsigned jobs = 1;  // by default, the cores this process may run on
  uint64_t memory = 0;  // bytes the conversions running at once may use; 0: what the machine has available
  bool overwrite = false;
  bool skip_existing = false;  // an output that exists already counts as done
  bool keep_folders = false;   // each picture below -o in the folder it has below its input
  bool json = false;
  bool quiet = false;
};

enum ExitStatus : int { kAllWritten = 0, kSomeFailed = 1, kUsageError = 2 };

// A colour as --background takes it: white, black, #RRGGBB or RRGGBB; as
// 0xRRGGBB.
std::optional<uint32_t> parse_colour(const std::string& text);

// Parses the command line and reads a --files-from list. Returns the
// options, or the exit status to end with at once (0 after --help or
// --version, kUsageError after a usage message).
std::variant<CliOptions, int> parse_command_line(int argc, const char* const* argv);

}  // namespace quorvant::cli
