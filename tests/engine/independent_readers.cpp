#include "tests/engine/independent_readers.h"

#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <cstring>

namespace quorvant::testing {

Pnm as_rgb(const Pnm& picture) {
  if (picture.channels != 1) return picture;
  Pnm rgb = picture;
  rgb.channels = 3;
  rgb.samples.clear();
  for (uint8_t v : picture.samples) rgb.samples.insert(rgb.samples.end(), {v, v, v});
  return rgb;
}

Pnm read_png_with_libpng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Pnm out;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
    ADD_FAILURE() << "libpng cannot read " << path << ": " << image.message;
    return out;
  }
  image.format = PNG_FORMAT_RGB;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.channels = 3;
  out.samples.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, out.samples.data(), 0, nullptr) == 0) {
    ADD_FAILURE() << "libpng cannot decode " << path << ": " << image.message;
    return {};
  }
  return out;
}

Pnm read_tiff_with_libtiff(const std::string& path) {
  Pnm out;
  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  if (tiff == nullptr) {
    ADD_FAILURE() << "libtiff cannot open " << path;
    return out;
  }
  uint32_t width = 0;
  uint32_t height = 0;
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
  uint16_t extra_count = 0;
  uint16_t* extra = nullptr;
  if (TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extra_count, &extra) == 1 && extra_count > 0) {
    std::vector<uint16_t> associated(extra_count, EXTRASAMPLE_ASSOCALPHA);
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, extra_count, associated.data());
  }
  std::vector<uint32_t> raster(size_t{width} * height);
  if (TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 1) == 0) {
    ADD_FAILURE() << "libtiff cannot decode " << path;
  } else {
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.channels = 3;
    for (uint32_t word : raster) {
      out.samples.insert(out.samples.end(), {static_cast<uint8_t>(TIFFGetR(word)), static_cast<uint8_t>(TIFFGetG(word)),
                                             static_cast<uint8_t>(TIFFGetB(word))});
    }
  }
  TIFFClose(tiff);
  return out;
}

Pnm read_with_imagemagick(const std::string& path) {
  return as_rgb(parse_pnm(run_tool("convert-im6.q16 " + shell_quote(path) + " -depth 8 ppm:-")));
}

Pnm read_pcx_with_netpbm(const std::string& path) {
  return as_rgb(parse_pnm(run_tool("pcxtoppm " + shell_quote(path) + " 2>/dev/null")));
}

Pnm read_sgi_with_netpbm(const std::string& path) {
  return as_rgb(parse_pnm(run_tool("sgitopnm " + shell_quote(path) + " 2>/dev/null")));
}

Pnm read_pic(const std::string& path) {
  // A 104-byte header (big-endian width at 92, height at 94), one 4-byte
  // channel packet, then uncompressed RGB rows, top row first.
  const std::vector<uint8_t> bytes = read_bytes(path);
  Pnm out;
  if (bytes.size() < 108 || bytes[0] != 0x53 || bytes[1] != 0x80 || bytes[2] != 0xF6 || bytes[3] != 0x34 ||
      std::memcmp(&bytes[88], "PICT", 4) != 0 || bytes[104] != 0 || bytes[105] != 8 || bytes[106] != 0 ||
      bytes[107] != 0xE0) {
    ADD_FAILURE() << path << " is not an uncompressed 24-bit PIC file";
    return out;
  }
  out.width = bytes[92] << 8 | bytes[93];
  out.height = bytes[94] << 8 | bytes[95];
  out.channels = 3;
  out.samples.assign(bytes.begin() + 108, bytes.end());
  EXPECT_EQ(out.samples.size(), static_cast<size_t>(out.width) * static_cast<size_t>(out.height) * 3) << path;
  return out;
}

}  // namespace quorvant::testing
