// Turning the command line's inputs into the list of source files.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvant::cli {

// True for the extensions of the formats the engine reads: jpg, jpeg, jpe,
// bmp, tif, tiff, png, pcx, pcd, in any case.
bool has_picture_extension(std::string_view file_name);

// An input as the user gave it: where it is, and how it was written. They
// differ for a relative name in a list file, which is found below the list
// file's folder but keeps its own name for --keep-folders.
struct Input {
  std::string path;
  std::string given;
};

// A picture to convert, and the folder below the output folder where
// --keep-folders puts it: the folder it is in below the folder that was
// given as input, or, for a file given by name, the folder part of that
// name (without a leading '/'). Nothing when that folder would climb out
// of the output folder ("../x.jpg").
struct Source {
  std::string path;
  std::optional<std::string> folder;
};

// A folder contributes its regular files with a picture extension, in name
// order (and, when `recursive`, those of its sub-folders, each folder's
// files before its sub-folders'). Anything else is taken as a file, even
// when it does not exist: the engine decides and reports. A file named
// twice is listed once.
std::vector<Source> collect_sources(const std::vector<Input>& inputs, bool recursive);

}  // namespace quorvant::cli
