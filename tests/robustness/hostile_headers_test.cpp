// Headers that claim enormous pictures end quickly with a refusal, without
// touching gigabytes of memory or disk.
#include <gtest/gtest.h>

#include "engine/convert.h"
#include "tests/support/test_support.h"

namespace quorvant::testing {
namespace {

using engine::TargetFormat;

void put16le(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v), b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32le(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  put16le(b, at, v & 0xFFFF), put16le(b, at + 2, v >> 16);
}

struct HostileHeaders : ::testing::Test {
  ScratchFolder scratch;
  TempFolder files;

  // Every target refuses the file, no temporary file is left and the
  // process never grows by more than a few megabytes.
  void expect_refused(const std::vector<uint8_t>& bytes) {
    const std::string source = files.file("huge");
    write_bytes(source, bytes);
    const long before = peak_megabytes();
    for (TargetFormat format : {TargetFormat::kBmp, TargetFormat::kPng, TargetFormat::kPcx, TargetFormat::kTif}) {
      const int code = engine::convert_picture(format, source, files.file("out")).code;
      EXPECT_TRUE(code == engine::kUnreadable || code == engine::kWriteFailed) << code;
      EXPECT_TRUE(scratch.files().empty());
    }
    EXPECT_LT(peak_megabytes() - before, 64);
  }
};

TEST_F(HostileHeaders, Bmp65535Squared) {
  std::vector<uint8_t> bmp(54 + 4096, 0x55);
  bmp[0] = 'B', bmp[1] = 'M';
  put32le(bmp, 2, static_cast<uint32_t>(bmp.size()));
  put32le(bmp, 10, 54);
  put32le(bmp, 14, 40);
  put32le(bmp, 18, 65535);
  put32le(bmp, 22, 65535);
  put16le(bmp, 26, 1);
  put16le(bmp, 28, 24);
  put32le(bmp, 30, 0);
  expect_refused(bmp);
}

TEST_F(HostileHeaders, Pcx65535Squared) {
  for (uint8_t planes : {uint8_t{1}, uint8_t{3}}) {
    std::vector<uint8_t> pcx(128 + 4096, 0xC1);  // runs of one
    pcx[0] = 0x0A, pcx[1] = 5, pcx[2] = 1, pcx[3] = 8;
    put16le(pcx, 4, 0), put16le(pcx, 6, 0), put16le(pcx, 8, 65534), put16le(pcx, 10, 65534);
    pcx[65] = planes;
    put16le(pcx, 66, 65535);  // bytes per plane line (even in the format, odd here on purpose)
    put16le(pcx, 68, 1);
    expect_refused(pcx);
  }
}

TEST_F(HostileHeaders, Tiff2To31Squared) {
  // A little-endian TIFF with one directory: width and height 2^31, 8-bit
  // RGB, one strip of a few bytes.
  std::vector<uint8_t> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
  struct Entry {
    uint16_t tag, type;
    uint32_t count, value;
  };
  const Entry entries[] = {{256, 4, 1, 0x80000000u}, {257, 4, 1, 0x80000000u}, {258, 3, 1, 8},
                           {259, 3, 1, 1},           {262, 3, 1, 2},           {273, 4, 1, 200},
                           {277, 3, 1, 3},           {278, 4, 1, 0x80000000u}, {279, 4, 1, 16}};
  std::vector<uint8_t> directory(2 + sizeof(entries) / sizeof(Entry) * 12 + 4, 0);
  put16le(directory, 0, sizeof(entries) / sizeof(Entry));
  size_t at = 2;
  for (const Entry& e : entries) {
    put16le(directory, at, e.tag), put16le(directory, at + 2, e.type), put32le(directory, at + 4, e.count);
    put32le(directory, at + 8, e.value);
    at += 12;
  }
  tiff.insert(tiff.end(), directory.begin(), directory.end());
  tiff.resize(216, 0x80);
  expect_refused(tiff);
}

}  // namespace
}  // namespace quorvant::testing
