#include "engine/sgi/sgi_writer.h"

#include <cstring>
#include <vector>

#include "engine/byte_order.h"

namespace quorvant::engine::sgi {

namespace {

constexpr size_t kHeaderSize = 512;
constexpr uint16_t kMagic = 474;
constexpr char kImageName[] = "Imvolta SGI Exports";

}  // namespace

WriterNeeds SgiWriter::needs(const WriteSettings&) const { return sixteen_bit_sizes("SGI stores sizes in 16 bits"); }

bool SgiWriter::write_body(File& file, const ImageBuffer& picture) {
  const int32_t width = picture.width();
  const int32_t height = picture.height();

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
  if (!file.seek(0) || !file.write_all(header, sizeof header)) return false;

  std::vector<uint8_t> samples(static_cast<size_t>(width));
  for (int channel = 0; channel < 3; ++channel) {
    for (int32_t k = 0; k < height; ++k) {
      const uint8_t* in = picture.row(height - 1 - k) + channel;
      for (int32_t x = 0; x < width; ++x, in += 3) samples[static_cast<size_t>(x)] = *in;
      if (!file.write_all(samples.data(), samples.size())) return false;
      row_written(k);
    }
  }
  return true;
}

}  // namespace quorvant::engine::sgi
