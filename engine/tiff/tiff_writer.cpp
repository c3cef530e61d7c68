#include "engine/tiff/tiff_writer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "engine/tiff/tiff_support.h"

namespace quorvant::engine::tiff {

bool TiffWriter::open(const std::string& path, const ImageBuffer& source, const WriteSettings& settings,
                      ProgressCallback progress) {
  close();
  if ((settings.bits != 8 && settings.bits != 24) || source.width() < 1 || source.height() < 1) return false;
  silence_libtiff();
  // Little-endian byte order. (libtiff's "H" flag, the host's bit fill
  // order, would make it reverse the bits of every byte on Intel machines
  // without recording that in the file, so every reader would see noise.)
  tiff_ = output_.open(path, "wl");
  if (tiff_ == nullptr) return false;
  bits_ = settings.bits;
  source_ = &source;
  progress_ = std::move(progress);
  return true;
}

bool TiffWriter::write() {
  if (source_ == nullptr) return false;
  // 8 bits wants grey levels; 24 bits wants red, green, blue.
  ImageBuffer converted;
  const ImageBuffer* picture = in_form(*source_, bits_, 0, converted);
  if (picture == nullptr) {
    close();
    return false;
  }
  bool ok = write_rows(*picture);
  report_progress(progress_, kPhaseWriting, source_->height() - 1, source_->height());
  // Flushing writes the directory; doing it here lets a full disk show.
  ok = ok && TIFFFlush(tiff_) == 1 && output_.flush();
  close();
  return ok;
}

bool TiffWriter::write_rows(const ImageBuffer& picture) {
  const bool grey = bits_ == 8;
  const auto width = static_cast<uint32_t>(picture.width());
  const auto height = static_cast<uint32_t>(picture.height());
  // The tags, in the order the format's readers have always seen them.
  TIFFSetField(tiff_, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff_, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff_, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff_, TIFFTAG_SAMPLESPERPIXEL, grey ? 1 : 3);
  TIFFSetField(tiff_, TIFFTAG_BITSPERSAMPLE, 8);
  if (grey) {
    // Grey levels are stored as indices into a grey ramp.
    std::array<uint16_t, 256> ramp{};
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint16_t>(i * 256);
    TIFFSetField(tiff_, TIFFTAG_COLORMAP, ramp.data(), ramp.data(), ramp.data());
  }
  TIFFSetField(tiff_, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_PALETTE : PHOTOMETRIC_RGB);
  TIFFSetField(tiff_, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tiff_, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tiff_, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff_, 0xFFFFFFFFu));

  const size_t stride = picture.stride();
  const auto scanline_size = static_cast<size_t>(std::max<tmsize_t>(TIFFScanlineSize(tiff_), 0));
  std::vector<uint8_t> scanline;
  try {
    scanline.assign(std::max(scanline_size, stride) + 4, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (uint32_t y = 0; y < height; ++y) {
    std::memcpy(scanline.data(), picture.row(static_cast<int32_t>(y)), stride);
    if (TIFFWriteScanline(tiff_, scanline.data(), y, 0) < 0) return false;
    report_progress(progress_, kPhaseWriting, static_cast<int32_t>(y), static_cast<int32_t>(height));
  }
  return true;
}

void TiffWriter::close() {
  if (tiff_ != nullptr) TIFFClose(tiff_);
  tiff_ = nullptr;
  output_.close();
  bits_ = 24;
  source_ = nullptr;
  progress_ = nullptr;
}

}  // namespace quorvant::engine::tiff
