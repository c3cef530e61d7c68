#include "engine/pcx/pcx_writer.h"

#include <cstdio>
#include <new>
#include <vector>

#include "engine/byte_order.h"
#include "engine/pcx/pcx_layout.h"
#include "engine/pcx/pcx_run_length.h"

namespace quorvant::engine::pcx {

namespace {

// The header's 16-bit fields cannot describe larger pictures.
constexpr int32_t kLargestSide = 65535;

}  // namespace

bool PcxWriter::open(const std::string& path, const ImageBuffer& source, const WriteSettings&,
                     ProgressCallback progress) {
  close();
  file_ = File::open_write(path);
  if (!file_ || source.width() < 1 || source.height() < 1) {
    close();
    return false;
  }
  path_ = path;
  source_ = &source;
  progress_ = std::move(progress);
  return true;
}

bool PcxWriter::write() {
  if (source_ == nullptr) return false;
  ImageBuffer converted;
  const ImageBuffer* picture = in_form(*source_, 24, 0, converted);
  bool ok = picture != nullptr && write_file(*picture);
  report_progress(progress_, kPhaseWriting, source_->height() - 1, source_->height());
  ok = file_.close() && ok;
  // A PCX file that failed part-way is removed rather than left broken.
  if (!ok) std::remove(path_.c_str());
  close();
  return ok;
}

bool PcxWriter::write_file(const ImageBuffer& picture) {
  const int32_t width = picture.width();
  const int32_t height = picture.height();
  if (width > kLargestSide || height > kLargestSide) return false;
  const auto bytes_per_line = static_cast<uint16_t>((width + 1) & ~1);  // even

  uint8_t header[kHeaderSize] = {};
  header[kManufacturerAt] = kManufacturer;
  header[kVersionAt] = 5;
  header[kEncodingAt] = 1;  // run-length
  header[kBitsPerPlaneAt] = 8;
  store_le16(header + kXMaxAt, static_cast<uint16_t>(width - 1));
  store_le16(header + kYMaxAt, static_cast<uint16_t>(height - 1));
  store_le16(header + kHorizontalDpiAt, 300);
  store_le16(header + kVerticalDpiAt, 300);
  header[kPlanesAt] = 3;
  store_le16(header + kBytesPerLineAt, bytes_per_line);
  store_le16(header + kScreenWidthAt, 800);
  store_le16(header + kScreenHeightAt, 600);
  if (!file_.seek(0) || !file_.write_all(header, sizeof header)) return false;

  std::vector<uint8_t> line;
  std::vector<uint8_t> encoded;
  try {
    line.assign(3 * size_t{bytes_per_line}, 0);  // pad bytes of odd widths stay 0
    encoded.resize(max_encoded_size(line.size()));
  } catch (const std::bad_alloc&) {
    return false;
  }
  uint8_t* red = line.data();
  uint8_t* green = red + bytes_per_line;
  uint8_t* blue = green + bytes_per_line;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = picture.row(y);
    for (int32_t x = 0; x < width; ++x, in += 3) {
      red[x] = in[0];
      green[x] = in[1];
      blue[x] = in[2];
    }
    const size_t used = encode_line(line, encoded.data());
    if (!file_.write_all(encoded.data(), used)) return false;
    report_progress(progress_, kPhaseWriting, y, height);
  }
  return true;
}

void PcxWriter::close() {
  file_.close();
  path_.clear();
  source_ = nullptr;
  progress_ = nullptr;
}

}  // namespace quorvant::engine::pcx
