#include "engine/sgi/sgi_writer.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "engine/byte_order.h"

namespace quorvant::engine::sgi {

namespace {

constexpr size_t kHeaderSize = 512;
constexpr uint16_t kMagic = 474;
constexpr char kImageName[] = "Imvolta SGI Exports";
// The header's 16-bit size fields cannot describe larger pictures.
constexpr int32_t kLargestSide = 65535;

}  // namespace

bool SgiWriter::open(const std::string& path, const ImageBuffer& source, const WriteSettings&,
                     ProgressCallback progress) {
  close();
  file_ = File::open_write(path);
  if (!file_) return false;
  path_ = path;
  source_ = &source;
  progress_ = std::move(progress);
  return true;
}

bool SgiWriter::write() {
  if (source_ == nullptr) return false;
  ImageBuffer converted;
  const ImageBuffer* picture = in_form(*source_, 24, 0, converted);
  bool ok = picture != nullptr && write_file(*picture);
  ok = file_.close() && ok;
  // An SGI file that failed part-way is removed rather than left broken.
  if (!ok) std::remove(path_.c_str());
  close();
  return ok;
}

bool SgiWriter::write_file(const ImageBuffer& picture) {
  const int32_t width = picture.width();
  const int32_t height = picture.height();
  if (width > kLargestSide || height > kLargestSide) return false;

  uint8_t header[kHeaderSize] = {};
  store_be16(header + 0, kMagic);
  header[2] = 0;              // storage: verbatim
  header[3] = 1;              // bytes per sample
  store_be16(header + 4, 3);  // dimensions
  store_be16(header + 6, static_cast<uint16_t>(width));
  store_be16(header + 8, static_cast<uint16_t>(height));
  store_be16(header + 10, 3);    // channels
  store_be32(header + 12, 0);    // minimum sample
  store_be32(header + 16, 255);  // maximum sample
  std::memcpy(header + 24, kImageName, sizeof kImageName - 1);
  store_be32(header + 104, 0);  // colour map: normal
  if (!file_.seek(0) || !file_.write_all(header, sizeof header)) return false;

  std::vector<uint8_t> samples;
  try {
    samples.resize(static_cast<size_t>(width));
  } catch (const std::bad_alloc&) {
    return false;
  }
  // Progress runs through the rows once per channel, with phase 1 (the
  // phase this writer has always reported).
  for (int channel = 0; channel < 3; ++channel) {
    for (int32_t k = 0; k < height; ++k) {
      const uint8_t* in = picture.row(height - 1 - k) + channel;
      for (int32_t x = 0; x < width; ++x, in += 3) samples[static_cast<size_t>(x)] = *in;
      if (!file_.write_all(samples.data(), samples.size())) return false;
      report_progress(progress_, kPhaseReading, k, height);
    }
  }
  report_progress(progress_, kPhaseReading, height - 1, height);
  return true;
}

void SgiWriter::close() {
  file_.close();
  path_.clear();
  source_ = nullptr;
  progress_ = nullptr;
}

}  // namespace quorvant::engine::sgi
