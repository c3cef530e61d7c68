// The one table of the picture formats the programs know: per format, its
// names, the file name extensions and MIME types it goes by, whether the
// window's readers take it, whether the command line reads it, and the
// target it is written as. The command line's extensions and --to choices,
// the bash completion and the desktop entry's MIME types are made from it;
// a test holds the README and the manual page to it. The window's own
// folder listing and file dialog keep their fixed lists.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "engine/target_format.h"

namespace quorvant::engine {

struct PictureFormat {
  std::string_view name;                          // "JPEG"
  std::span<const std::string_view> extensions;  // lower case, without the dot
  std::span<const std::string_view> mime_types;  // the first is the format's own
  bool window_reads;                              // the window's readers take it
  bool read;                                      // the command line reads it
  std::optional<TargetFormat> target;             // written as this target
};

// In the loader's order of probing.
std::span<const PictureFormat> picture_formats();

// Whether `file_name` ends in the extension of a format the command line
// reads (in any case).
bool has_readable_extension(std::string_view file_name);

}  // namespace quorvant::engine
