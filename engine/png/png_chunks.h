// A PNG file's signature and chunks: length, type, data and the CRC of the
// type and data.
#pragma once

#include <cstdint>
#include <span>

#include "engine/file.h"

namespace quorvant::engine::png {

bool write_signature(File& file);
// `type` is the chunk's four letters ("IHDR").
bool write_chunk(File& file, const char* type, std::span<const uint8_t> data);

}  // namespace quorvant::engine::png
