// Loading any readable picture file into an image buffer.
#pragma once

#include <string>

#include "engine/image_buffer.h"
#include "engine/result_codes.h"

namespace quorvant::engine {

// Offers the file to each reader in turn (the order is in loader.cpp); the
// first that accepts it decodes it. Returns kLoaded (1) when the picture is
// in `target`, kSourceMissing when no file has that path, kUnreadable when
// no reader accepts the file or its reader fails.
ResultCode load_picture(const std::string& path, ImageBuffer& target);

}  // namespace quorvant::engine
