// Turning the command line's inputs into the list of source files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvant::cli {

// True for the extensions of the formats the engine reads: jpg, jpeg, jpe,
// bmp, tif, tiff, png, pcx, pcd, in any case.
bool has_picture_extension(std::string_view file_name);

// A folder contributes its regular files with a picture extension, in name
// order (and, when `recursive`, those of its sub-folders, each folder's
// files before its sub-folders'). Anything else is taken as a file, even
// when it does not exist: the engine decides and reports. A file named
// twice is listed once.
std::vector<std::string> collect_sources(const std::vector<std::string>& inputs, bool recursive);

}  // namespace quorvant::cli
