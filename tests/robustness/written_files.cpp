#include "tests/robustness/written_files.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

#include "engine/loader.h"
#include "tests/support/test_support.h"

namespace quorvant::testing {

namespace {

using engine::TargetFormat;

std::string size_mismatch(int width, int height, int expected_width, int expected_height) {
  if (width == expected_width && height == expected_height) return {};
  std::ostringstream out;
  out << width << " x " << height << " instead of " << expected_width << " x " << expected_height;
  return out.str();
}

// Plain PBM: "P1", the size, then one digit a pixel; comments run from
// "#" to the end of their line.
std::string check_plain_pbm(const std::vector<uint8_t>& bytes, int width, int height) {
  size_t at = 0;
  auto skip_space = [&] {
    while (at < bytes.size() && (std::isspace(bytes[at]) || bytes[at] == '#')) {
      if (bytes[at] == '#') {
        while (at < bytes.size() && bytes[at] != '\n') ++at;
      } else {
        ++at;
      }
    }
  };
  auto number = [&] {
    skip_space();
    long value = 0;
    while (at < bytes.size() && std::isdigit(bytes[at]) && value < 1000000) value = value * 10 + (bytes[at++] - '0');
    return static_cast<int>(value);
  };
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '1') return "not a plain PBM file";
  at = 2;
  const int w = number();
  const int h = number();
  const size_t digits =
      static_cast<size_t>(std::count(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end(), '0') +
                          std::count(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end(), '1'));
  if (digits != static_cast<size_t>(w) * static_cast<size_t>(h)) return "PBM pixels missing";
  return size_mismatch(w, h, width, height);
}

// Uncompressed files whose size follows from a header and the picture size.
std::string check_uncompressed(const std::vector<uint8_t>& bytes, size_t header, int w, int h, int width, int height) {
  if (bytes.size() != header + static_cast<size_t>(w) * static_cast<size_t>(h) * 3) return "pixels missing";
  return size_mismatch(w, h, width, height);
}

int big16(const std::vector<uint8_t>& bytes, size_t at) { return bytes[at] << 8 | bytes[at + 1]; }

int little16(const std::vector<uint8_t>& bytes, size_t at) { return bytes[at] | bytes[at + 1] << 8; }

// A 24-bit PCX file decoded scan line by scan line: the header's window
// gives the size, and the run-length data must hold exactly `height` lines
// of three planes.
std::string check_pcx_lines(const std::vector<uint8_t>& bytes, int width, int height) {
  if (bytes.size() < 128 || bytes[0] != 10 || bytes[65] != 3 || bytes[3] != 8) return "not a 24-bit PCX file";
  const int w = little16(bytes, 8) - little16(bytes, 4) + 1;
  const int h = little16(bytes, 10) - little16(bytes, 6) + 1;
  const size_t line = 3 * static_cast<size_t>(little16(bytes, 66));
  size_t at = 128;
  for (int row = 0; row < h; ++row) {
    for (size_t filled = 0; filled < line;) {
      if (at >= bytes.size()) return "scan lines missing";
      const uint8_t b = bytes[at++];
      if (b < 0xC0) {
        ++filled;
        continue;
      }
      if (at >= bytes.size()) return "scan lines missing";
      ++at;
      filled += b & 0x3F;
      if (filled > line) return "a run crosses the end of a scan line";
    }
  }
  if (at != bytes.size()) return "bytes after the last scan line";
  return size_mismatch(w, h, width, height);
}

}  // namespace

std::string check_written_file(TargetFormat format, const std::string& path, int width, int height) {
  const std::vector<uint8_t> bytes = read_bytes(path);
  switch (format) {
    case TargetFormat::kPbm:
      return check_plain_pbm(bytes, width, height);
    case TargetFormat::kPgm:
    case TargetFormat::kPpm: {
      const Pnm pnm = parse_pnm(bytes);
      return size_mismatch(pnm.width, pnm.height, width, height);
    }
    case TargetFormat::kSgi:
      if (bytes.size() < 512 || big16(bytes, 0) != 474) return "not an SGI file";
      return check_uncompressed(bytes, 512, big16(bytes, 6), big16(bytes, 8), width, height);
    case TargetFormat::kPic:
      if (bytes.size() < 108 || std::memcmp(&bytes[88], "PICT", 4) != 0) return "not a PIC file";
      return check_uncompressed(bytes, 108, big16(bytes, 92), big16(bytes, 94), width, height);
    case TargetFormat::kPcx:
      if (width == 1 || height == 1) {
        // Our reader declines single-row and single-column PCX files, as
        // designed; netpbm reads them, but takes the header's window as
        // signed, so longer ones are decoded here.
        if (std::max(width, height) > 32767) return check_pcx_lines(bytes, width, height);
        const Pnm pnm = parse_pnm(run_tool("pcxtoppm " + shell_quote(path) + " 2>/dev/null"));
        return size_mismatch(pnm.width, pnm.height, width, height);
      }
      [[fallthrough]];
    default: {
      // The engine reads its other five targets itself.
      engine::ImageBuffer picture;
      if (engine::load_picture(path, picture) != engine::kLoaded) return "does not load";
      return size_mismatch(picture.width(), picture.height(), width, height);
    }
  }
}

}  // namespace quorvant::testing
