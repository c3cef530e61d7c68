#include "engine/tiff/tiff_reader.h"

#include <vector>

#include "engine/scratch_buffer.h"
#include "engine/tiff/tiff_support.h"

namespace quorvant::engine::tiff {

namespace {

// libtiff's RGBA interface multiplies the colours of a picture with
// unassociated alpha by their alpha, which blends them against black. The
// picture's alpha is dropped instead, so its colours are kept as stored:
// the alpha is declared associated (already multiplied) for this reading.
// Only the open handle changes, never the file.
void keep_colours_as_stored(TIFF* tiff) {
  uint16_t count = 0;
  uint16_t* kinds = nullptr;
  if (TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) != 1 || count == 0) return;
  std::vector<uint16_t> declared(kinds, kinds + count);
  for (uint16_t& kind : declared) {
    if (kind == EXTRASAMPLE_UNASSALPHA) kind = EXTRASAMPLE_ASSOCALPHA;
  }
  TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, count, declared.data());
}

}  // namespace

bool TiffReader::open(const std::string& path, ImageBuffer& target, ProgressCallback progress) {
  close();
  silence_libtiff();
  tiff_ = TIFFOpen(path.c_str(), "r");
  uint32_t width = 0;
  uint32_t height = 0;
  if (tiff_ == nullptr || TIFFGetField(tiff_, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
      TIFFGetField(tiff_, TIFFTAG_IMAGELENGTH, &height) != 1 || width == 0 || height == 0 ||
      // The picture and libtiff's 4-byte-per-pixel raster must both fit the
      // 32-bit limit.
      checked_pixel_bytes(width, height, 32) == 0) {
    close();
    return false;
  }
  width_ = static_cast<int32_t>(width);
  height_ = static_cast<int32_t>(height);
  target_ = &target;
  progress_ = std::move(progress);
  return true;
}

bool TiffReader::read() {
  const bool ok = target_ != nullptr && decode();
  if (target_ != nullptr) report_progress(progress_, kPhaseReading, height_ - 1, height_);
  close();
  return ok;
}

bool TiffReader::decode() {
  if ((target_->bits() != 24 || target_->width() != width_ || target_->height() != height_) &&
      !target_->create(width_, height_, 24, 0)) {
    return false;
  }
  ScratchBuffer raster;
  if (!raster.create(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4, "CSWCLASS")) return false;
  auto* words = reinterpret_cast<uint32_t*>(raster.data());
  keep_colours_as_stored(tiff_);
  // Asked for top row first, libtiff turns the raster upright whatever the
  // file's orientation. A strip or tile that cannot be read fails the whole
  // picture rather than leaving a hole in it.
  if (TIFFReadRGBAImageOriented(tiff_, static_cast<uint32_t>(width_), static_cast<uint32_t>(height_), words,
                                ORIENTATION_TOPLEFT, 1) == 0) {
    return false;
  }
  for (int32_t y = 0; y < height_; ++y) {
    const uint32_t* in = words + static_cast<size_t>(y) * static_cast<size_t>(width_);
    uint8_t* out = target_->row(y);
    for (int32_t x = 0; x < width_; ++x, out += 3) {
      const uint32_t abgr = in[x];
      out[0] = static_cast<uint8_t>(TIFFGetR(abgr));
      out[1] = static_cast<uint8_t>(TIFFGetG(abgr));
      out[2] = static_cast<uint8_t>(TIFFGetB(abgr));
    }
    report_progress(progress_, kPhaseReading, y, height_);
  }
  return true;
}

void TiffReader::close() {
  if (tiff_ != nullptr) TIFFClose(tiff_);
  tiff_ = nullptr;
  width_ = 0;
  height_ = 0;
  target_ = nullptr;
  progress_ = nullptr;
}

}  // namespace quorvant::engine::tiff
