// What a conversion command answers.
#pragma once

#include <cstdint>

namespace quorvant::engine {

enum ResultCode : int32_t {
  kWritten = 1,         // the destination file was written
  kLoaded = 1,          // (loader) the picture is in the buffer
  kSourceMissing = -1,  // the source file does not exist
  kUnreadable = -3,     // no reader accepted the source, or its reader failed to decode it
  kWriteFailed = -4,    // the destination could not be written
  kBadArguments = -7,   // a required argument is missing or out of range; nothing was touched
};

// The reason given for kUnreadable when no reader accepts a file.
inline constexpr const char* kNotAPicture = "not a picture this program can read";

}  // namespace quorvant::engine
