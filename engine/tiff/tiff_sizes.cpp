#include "engine/tiff/tiff_sizes.h"

#include <algorithm>

#include "engine/image_buffer.h"

namespace quorvant::engine::tiff {

namespace {

// The most bytes one byte of data compressed as `compression` unpacks to,
// for samples of `bits` bits, `samples` to a pixel; 0 where nothing bounds
// it (WebP, whose codes for a picture of one colour may take no bits at
// all, and kinds libtiff may not even know).
uint64_t largest_ratio(uint16_t compression, uint64_t bits, uint64_t samples) {
  switch (compression) {
    case COMPRESSION_NONE:
      return 1;  // the samples themselves are in the file
    case COMPRESSION_PACKBITS:
      return 64;  // a run of 128 bytes costs two
    case COMPRESSION_LZW:
      return 2731;  // a 12-bit code stands for at most 4096 bytes
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
      return kDeflateLargestRatio;
    case COMPRESSION_ZSTD:
      // A block unpacks to at most 128 KiB and takes at least four bytes
      // (its header and one byte repeated): 32768, with room to spare.
      return 65536;
    case COMPRESSION_LZMA:
      // The range coder's likeliest bit costs at least 0.022 bits (its
      // probabilities stop at 2017/2048), and the longest match, 273 bytes
      // at the last distance, takes 14 such bits: about 7100.
      return 16384;
    case COMPRESSION_JPEG:
    case COMPRESSION_OJPEG:
      // Huffman coding spends at least a bit on each 8 x 8 block, and any 8
      // x 8 pixels hold at least one block, however the colours are
      // subsampled: 64 pixels of `samples` samples of `bits` bits a bit.
      return 64 * bits * samples;
    default:
      return 0;
  }
}

bool is_fax(uint16_t compression) {
  return compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTRLEW ||
         compression == COMPRESSION_CCITTFAX3 || compression == COMPRESSION_CCITTFAX4;
}

// The fewest bytes `pixels` take as stored. YCbCr colours may be subsampled
// to next to nothing: only the other samples count.
uint64_t least_stored_bytes(TIFF* tiff, uint64_t pixels, uint64_t samples, uint64_t bits) {
  uint16_t photometric = 0;
  const bool ycbcr = TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) == 1 && photometric == PHOTOMETRIC_YCBCR;
  const uint64_t counted = ycbcr && samples >= 3 ? samples - 2 : samples;
  return pixels * counted * bits / 8;
}

}  // namespace

std::string claimed_picture_refusal(TIFF* tiff, uint32_t width, uint32_t height, uint64_t file_size) {
  uint16_t compression = COMPRESSION_NONE;
  uint16_t samples = 1;
  uint16_t bits = 1;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
  // The data is measured against the whole file, not the strips' byte
  // counts: those may be missing, or overlap and add up to more than the
  // file. A picture drawn again and again from the same few bytes is
  // damage as much as one whose data is missing.
  if (is_fax(compression)) {
    // Fax codes spend at least a bit on each row, however wide it is.
    return engine::claimed_size_refusal("TIFF", (uint64_t{height} + 7) / 8, file_size, 1);
  }
  const uint64_t ratio = largest_ratio(compression, bits, samples);
  if (ratio == 0) return {};
  const uint64_t pixels = uint64_t{width} * height;
  return engine::claimed_size_refusal("TIFF", least_stored_bytes(tiff, pixels, samples, bits), file_size, ratio);
}

uint64_t unpacked_block_bytes(TIFF* tiff, const TIFFRGBAImage& image) {
  const uint64_t block = TIFFIsTiled(tiff) ? TIFFTileSize64(tiff) : TIFFStripSize64(tiff);
  // Separate planes are read a block of each colour plane (and of the alpha
  // plane) at a time.
  return image.isContig ? block : block * (image.alpha != 0 ? 4 : 3);
}

uint64_t packed_block_bytes(TIFF* tiff, uint64_t file_size) {
  const uint32_t blocks = TIFFIsTiled(tiff) ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
  uint64_t largest = 0;
  for (uint32_t i = 0; i < blocks && largest < file_size; ++i) {
    largest = std::max(largest, TIFFGetStrileByteCount(tiff, i));
  }
  return std::min(largest, file_size);
}

}  // namespace quorvant::engine::tiff
