// A PNG file's signature and chunks: length, type, data and the CRC of the
// type and data.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/file.h"

namespace quorvant::engine::png {

bool write_signature(File& file);
// `type` is the chunk's four letters ("IHDR").
bool write_chunk(File& file, const char* type, std::span<const uint8_t> data);

// The data of an iCCP chunk: the profile's name (1 to 79 Latin-1
// characters), deflate as the method, the profile compressed by zlib.
// Empty when zlib fails.
std::vector<uint8_t> iccp_data(const std::string& name, std::span<const uint8_t> profile);
// The data of an uncompressed iTXt chunk with no language tag.
std::vector<uint8_t> itxt_data(const std::string& keyword, std::span<const uint8_t> text);

// The most data a chunk may hold.
inline constexpr size_t kLargestChunkData = 0x7FFFFFFF;

}  // namespace quorvant::engine::png
