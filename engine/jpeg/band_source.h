// The stream one band's decompressor reads. A band that starts at the top
// reads the file as it is. A band that starts at a restart marker reads the
// file's headers (with the frame's height cut to the rows from there on)
// and then the entropy-coded data that follows the marker: after a restart
// marker the decoder needs nothing of the data before it. The markers after
// it are renumbered as if the scan began there, since the decoder expects
// RST0 first.
#pragma once

#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <vector>

#include <jpeglib.h>

#include "engine/file.h"
#include "engine/jpeg/restart_markers.h"

namespace quorvant::engine::jpeg {

class BandSource {
 public:
  // The whole file, read from its start.
  explicit BandSource(PositionedReader file) : file_(std::move(file)) {}
  // `headers` (the file's bytes before its scan's data, the height already
  // cut), then the file from `data_offset`, its restart markers taken back
  // by `markers_passed`.
  BandSource(PositionedReader file, std::vector<uint8_t> headers, uint64_t data_offset, uint64_t markers_passed);
  BandSource(const BandSource&) = delete;
  BandSource& operator=(const BandSource&) = delete;

  // Hands this source to `decompress`, which must not outlive it.
  void attach(jpeg_decompress_struct& decompress);

 private:
  static boolean fill(j_decompress_ptr decompress);
  static void skip(j_decompress_ptr decompress, long count);
  static void nothing(j_decompress_ptr) {}
  boolean fill_from_file(j_decompress_ptr decompress);
  void renumber_restarts(uint8_t* bytes, size_t count);

  jpeg_source_mgr manager_{};  // first, so libjpeg's pointer to it is ours too
  PositionedReader file_;
  std::vector<uint8_t> headers_;
  bool headers_given_ = false;
  bool anything_given_ = false;
  uint8_t shift_ = 0;  // taken from each restart marker's number, modulo 8
  MarkerCodes markers_;
  std::vector<uint8_t> buffer_ = std::vector<uint8_t>(uint64_t{64} << 10);
};

}  // namespace quorvant::engine::jpeg
