#include "engine/tiff/tiff_writer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "engine/tiff/tiff_metadata.h"
#include "engine/tiff/tiff_support.h"

namespace quorvant::engine::tiff {

WriterNeeds TiffWriter::needs(const WriteSettings& settings) const {
  WriterNeeds needs;
  needs.valid = settings.bits == 8 || settings.bits == 24 || settings.bits == 32;
  // 8 bits wants grey levels; 24 bits red, green, blue; 32 bits alpha too.
  needs.bits = settings.bits;
  return needs;
}

bool TiffWriter::start(UniqueFd file, const ImageBuffer& picture, const WriteSettings& settings,
                       ProgressCallback progress) {
  silence_libtiff();
  // Little-endian byte order. (libtiff's "H" flag, the host's bit fill
  // order, would make it reverse the bits of every byte on Intel machines
  // without recording that in the file, so every reader would see noise.)
  tiff_ = output_.open(std::move(file), destination_name(), "wl");
  if (tiff_ == nullptr) return fail("cannot write " + destination_name() + ": libtiff cannot start the file");
  picture_ = &picture;
  progress_ = std::move(progress);
  if (settings.embedded != nullptr) embedded_ = *settings.embedded;
  return true;
}

bool TiffWriter::write_format() {
  bool ok = write_rows();
  report_progress(progress_, kPhaseWriting, picture_->height() - 1, picture_->height());
  // Flushing writes the directory; doing it here lets a full disk show.
  ok = ok && TIFFFlush(tiff_) == 1 && output_.flush();
  if (!ok && output_.error() != 0) {
    fail("cannot write " + destination_name() + ": " + std::strerror(output_.error()));
  }
  close_format();
  return ok || fail("cannot write " + destination_name());
}

// The tags, in the order the format's readers have always seen them.
void TiffWriter::set_picture_tags() {
  const ImageBuffer& picture = *picture_;
  const bool grey = picture.bits() == 8;
  const bool alpha = picture.bits() == 32;
  TIFFSetField(tiff_, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(picture.height()));
  TIFFSetField(tiff_, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(picture.width()));
  TIFFSetField(tiff_, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff_, TIFFTAG_SAMPLESPERPIXEL, grey ? 1 : alpha ? 4 : 3);
  TIFFSetField(tiff_, TIFFTAG_BITSPERSAMPLE, 8);
  if (alpha) {
    const uint16_t straight = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tiff_, TIFFTAG_EXTRASAMPLES, 1, &straight);
  }
  if (grey) {
    // Grey levels are stored as indices into a grey ramp.
    std::array<uint16_t, 256> ramp{};
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint16_t>(i * 256);
    TIFFSetField(tiff_, TIFFTAG_COLORMAP, ramp.data(), ramp.data(), ramp.data());
  }
  TIFFSetField(tiff_, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_PALETTE : PHOTOMETRIC_RGB);
  // Carried metadata says how the pixels, as written, are to be shown.
  const int orientation = embedded_ ? embedded_->orientation : ORIENTATION_TOPLEFT;
  TIFFSetField(tiff_, TIFFTAG_ORIENTATION, orientation >= 1 && orientation <= 8 ? orientation : ORIENTATION_TOPLEFT);
  TIFFSetField(tiff_, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tiff_, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff_, 0xFFFFFFFFu));
}

bool TiffWriter::write_rows() {
  const ImageBuffer& picture = *picture_;
  const auto height = static_cast<uint32_t>(picture.height());
  // libtiff writes a custom directory where the file ends, so the EXIF and
  // GPS directories go first, before the picture's own tags are set.
  MetadataDirectories directories;
  if (embedded_) directories = write_metadata_directories(tiff_, *embedded_);
  set_picture_tags();
  if (embedded_) set_embedded_tags(tiff_, *embedded_, directories);

  const bool alpha = picture.bits() == 32;
  const size_t stride = picture.stride();
  const auto scanline_size = static_cast<size_t>(std::max<tmsize_t>(TIFFScanlineSize(tiff_), 0));
  std::vector<uint8_t> scanline(std::max(scanline_size, stride) + 4, 0);
  for (uint32_t y = 0; y < height; ++y) {
    if (!picture.rows_ready(static_cast<int32_t>(y) + 1)) return fail(kRowsNeverCame);
    const uint8_t* row = picture.row(static_cast<int32_t>(y));
    if (alpha) {
      // Alpha, red, green, blue in memory; red, green, blue, alpha in the file.
      for (size_t x = 0; x < stride; x += 4) {
        scanline[x] = row[x + 1];
        scanline[x + 1] = row[x + 2];
        scanline[x + 2] = row[x + 3];
        scanline[x + 3] = row[x];
      }
    } else {
      std::memcpy(scanline.data(), row, stride);
    }
    if (TIFFWriteScanline(tiff_, scanline.data(), y, 0) < 0) return false;
    report_progress(progress_, kPhaseWriting, static_cast<int32_t>(y), static_cast<int32_t>(height));
  }
  return true;
}

void TiffWriter::close_format() {
  if (tiff_ != nullptr) TIFFClose(tiff_);
  tiff_ = nullptr;
  output_.close();
  picture_ = nullptr;
  progress_ = nullptr;
  embedded_.reset();
}

}  // namespace quorvant::engine::tiff
