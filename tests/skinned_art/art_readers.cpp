#include "tests/skinned_art/art_readers.h"

#include <gtest/gtest.h>

namespace quorvant::testing {

uint32_t le16_at(const std::vector<uint8_t>& bytes, size_t at) {
  return at + 2 <= bytes.size() ? static_cast<uint32_t>(bytes[at] | bytes[at + 1] << 8) : 0;
}

uint32_t le32_at(const std::vector<uint8_t>& bytes, size_t at) {
  return le16_at(bytes, at) | le16_at(bytes, at + 2) << 16;
}

Rgb DecodedBmp::at(int x, int y) const {
  const size_t pixel = static_cast<size_t>(y) * static_cast<size_t>(pnm.width) + static_cast<size_t>(x);
  if (pnm.channels == 1) {
    const int grey = pnm.samples[pixel];
    return {grey, grey, grey};
  }
  return {pnm.samples[pixel * 3], pnm.samples[pixel * 3 + 1], pnm.samples[pixel * 3 + 2]};
}

DecodedBmp decode_bmp_with_netpbm(const std::vector<uint8_t>& file) {
  TempFolder folder;
  const std::string path = folder.file("face.bmp");
  write_bytes(path, file);
  DecodedBmp decoded;
  decoded.pnm = decode_with_netpbm_bmp(path);
  const CommandResult report = run_command("bmptopnm -verbose " + shell_quote(path) + " 2>&1 >/dev/null");
  const std::string key = "Bits per pixel in raster: ";
  const size_t at = report.out.find(key);
  if (at != std::string::npos) decoded.bits_per_pixel = std::stoi(report.out.substr(at + key.size()));
  return decoded;
}

std::string identify(const std::vector<uint8_t>& file, const std::string& suffix, const std::string& format) {
  TempFolder folder;
  const std::string path = folder.file("picture." + suffix);
  write_bytes(path, file);
  const CommandResult result = run_command("identify-im6.q16 -format " + shell_quote(format) + " " + shell_quote(path));
  EXPECT_EQ(result.status, 0);
  return result.out;
}

std::vector<uint8_t> imagemagick_rgba(const std::vector<uint8_t>& file, const std::string& suffix, int index) {
  TempFolder folder;
  const std::string path = folder.file("picture." + suffix);
  write_bytes(path, file);
  return run_tool("convert-im6.q16 " + shell_quote(path + "[" + std::to_string(index) + "]") + " -depth 8 rgba:-");
}

}  // namespace quorvant::testing
