// Converts one picture as the window's jobs do: through the engine's
// value-record command of the target format, with the options the jobs
// pass. bench/same-output sets two builds of it side by side, so that what
// the window writes is compared as the command line's output is.
//
//   window_convert FORMAT SOURCE DESTINATION   (FORMAT: JPG, BMP, ... TIF)
//
// Prints the command's result code; exits 0 when it is 1 (written).
#include <cstdio>
#include <string_view>
#include <vector>

#include "engine/commands.h"

namespace {

using quorvant::runtime::ValueRecord;

// The options each job passes after the two paths (JPG: colour, quality
// 75, optimised, no smoothing as the window starts).
std::vector<ValueRecord> job_options(std::string_view format) {
  if (format == "JPG") {
    return {ValueRecord::of_bool(false), ValueRecord::of_int(75), ValueRecord::of_bool(true), ValueRecord::of_int(0)};
  }
  if (format == "PNG") return {ValueRecord::of_int(24)};
  if (format == "PGM" || format == "PPM") return {ValueRecord::of_bool(true)};
  if (format == "TIF") return {ValueRecord::of_bool(false)};
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: window_convert FORMAT SOURCE DESTINATION\n");
    return 2;
  }
  const std::string_view format = argv[1];
  const quorvant::runtime::LibraryRecord& library = quorvant::engine::engine_library();
  for (int i = 0; i < library.command_count; ++i) {
    if (library.commands[i].name != format) continue;
    std::vector<ValueRecord> args = {ValueRecord::of_text(argv[2]), ValueRecord::of_text(argv[3])};
    const std::vector<ValueRecord> options = job_options(format);
    args.insert(args.end(), options.begin(), options.end());
    ValueRecord result;
    library.commands[i].entry(&result, static_cast<int32_t>(args.size()), args.data());
    std::printf("%d\n", result.as_int());
    return result.as_int() == 1 ? 0 : 1;
  }
  std::fprintf(stderr, "window_convert: no command %s\n", argv[1]);
  return 2;
}
