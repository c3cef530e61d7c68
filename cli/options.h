// What the user asked quorvant-convert to do.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "engine/convert.h"
#include "engine/target_format.h"

namespace quorvant::cli {

struct CliOptions {
  engine::TargetFormat format = engine::TargetFormat::kJpg;
  engine::ConvertOptions convert;
  std::vector<std::string> inputs;
  std::string output_folder = "converted";
  bool recursive = false;
  unsigned jobs = 1;
  uint64_t memory = 0;  // bytes the conversions running at once may use; 0: what the machine has available
  bool overwrite = false;
  bool json = false;
  bool quiet = false;
};

enum ExitStatus : int { kAllWritten = 0, kSomeFailed = 1, kUsageError = 2 };

// Parses the command line. Returns the options, or the exit status to end
// with at once (0 after --help, kUsageError after a usage message).
std::variant<CliOptions, int> parse_command_line(int argc, const char* const* argv);

}  // namespace quorvant::cli
