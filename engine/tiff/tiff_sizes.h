// What a TIFF header's claims cost: whether the file can hold the picture
// it claims, and the buffers libtiff sets aside while the RGBA interface
// reads it.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <string>

namespace quorvant::engine::tiff {

// Empty when `file_size` bytes can hold the picture the open directory
// claims (`width` x `height`, already known to fit the engine), compressed
// as its Compression tag says; otherwise why not. Compressions that no
// ratio bounds are never refused.
std::string claimed_picture_refusal(TIFF* tiff, uint32_t width, uint32_t height, uint64_t file_size);

// The strip or tile buffers the RGBA interface, begun as `image`, unpacks
// into at once.
uint64_t unpacked_block_bytes(TIFF* tiff, const TIFFRGBAImage& image);

// The compressed bytes libtiff reads one strip or tile into before it
// unpacks it: the largest block's byte count, and never more than the file.
uint64_t packed_block_bytes(TIFF* tiff, uint64_t file_size);

}  // namespace quorvant::engine::tiff
