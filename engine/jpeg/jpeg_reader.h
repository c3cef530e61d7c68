// Reads JPEG files through libjpeg into 24-bit colour or 8-bit grey; CMYK
// and YCCK files too, into 24-bit sRGB, when more kinds are asked for.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "codecs/jpeg_errors.h"
#include "engine/colour/cmyk_to_rgb.h"
#include "engine/file_reader.h"
#include "engine/jpeg/jpeg_bands.h"
#include "engine/unique_fd.h"

namespace quorvant::engine::jpeg {

// What the reader follows of a file's scans while libjpeg reads them.
struct ScanWatch {
  jpeg_progress_mgr manager{};  // first, so libjpeg's pointer to it is ours too
  int scan = 0;                 // the scan judged last
  uint64_t blocks = 0;          // the blocks the scans so far decode, each once a scan
  uint64_t most_blocks = 0;     // what all the scans together may decode
  // The lowest bit of each coefficient of each component that a scan has
  // carried so far; -1 while none has.
  std::array<std::array<int8_t, DCTSIZE2>, MAX_COMPONENTS> lowest_bit{};
};

class JpegReader final : public FileReader {
 public:
  ~JpegReader() override { close(); }
  // Its working memory is libjpeg's: the coefficients of every block, which
  // files of several scans (progressive ones among them) keep while they are
  // decoded, and the library's row buffers.
  PictureHeader header() const override;
  // Rows come out final from the top, and the notes are read with the
  // header.
  bool delivers_rows_in_order() const override { return true; }

 private:
  // Accepts files that start with 0xFF 0xD8, whose header libjpeg reads and
  // whose output has 1 (grey) or 3 (colour) components; CMYK and YCCK are
  // declined unless the read options ask for more kinds.
  bool open_format(const SourceFile& source) override;
  bool decode() override { return decode_rows(); }
  void close_format() override;
  // These two set the recovery point; see jpeg_errors.h for their rules.
  bool read_header();
  bool decode_rows();
  // Sets what libjpeg may allocate and what the scans may decode; false
  // when the file needs more than it may have. Calls no library function.
  bool set_limits(bool several_scans);
  // Makes the converter of a CMYK file's rows: through its own CMYK profile
  // (read here when the notes do not hold it) or by formula. A profile used
  // leaves sRGB pixels, so the notes then hold no profile. Calls libjpeg
  // only while no object with a destructor is alive.
  void prepare_cmyk();
  // Why the error that jumped to the recovery point ended the operation
  // (or the error of a band's decompressor).
  std::string refusal() const { return refusal_of(errors_); }
  std::string refusal_of(const codecs::JpegErrors& errors) const;
  // Whether the file may be decoded in bands on several threads: one
  // Huffman-coded scan, a picture large enough to gain from it.
  bool bands_pay_off();
  // Decodes the whole picture again in `bands` bands, each with a
  // decompressor of its own, once the file's own has stopped; false when a
  // band fails.
  bool decode_in_bands(const jpeg::ScanGeometry& geometry, unsigned bands);
  // Fails the operation when a file of several scans ended before its
  // last scan.
  void check_scans_complete();
  // Fails the operation when the arithmetic-coded data ended before the
  // picture did; called after row `row` has been decoded.
  void check_data_ending(int32_t row);
  j_common_ptr common() { return reinterpret_cast<j_common_ptr>(&decompress_); }

  codecs::JpegErrors errors_{};
  jpeg_decompress_struct decompress_{};
  ScanWatch scan_watch_{};
  bool created_ = false;
  bool colour_ = true;
  uint64_t working_bytes_ = 0;  // libjpeg's, at most
  // Files decoded in bands: the source for their streams, and the working
  // memory of the decompressors besides the file's own.
  UniqueFd band_source_;
  uint64_t band_working_bytes_ = 0;
  // CMYK files: the converter and the four-component row it reads from.
  std::optional<colour::CmykToRgb> cmyk_;
  std::vector<JSAMPLE> cmyk_row_;
  std::vector<JSAMPLE> first_row_;  // decoded before the picture's buffer is made
  // Where an arithmetic-coded scan met the end of its data: from this row
  // on, the rows must be what the decoder makes of no data (one flat
  // colour). -1 while the data has not ended.
  int32_t flat_from_row_ = -1;
};

}  // namespace quorvant::engine::jpeg
