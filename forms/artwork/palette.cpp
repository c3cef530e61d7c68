#include "forms/artwork/palette.h"

#include <limits>
#include <unordered_map>

namespace quorvant::forms::artwork {

namespace {

constexpr size_t kMaxColours = 256;
// Green gets the extra level because the eye tells its steps apart best.
constexpr int kRedLevels = 6;
constexpr int kGreenLevels = 7;
constexpr int kBlueLevels = 6;

int level_value(int level, int levels) { return (level * 255 + (levels - 1) / 2) / (levels - 1); }

std::vector<QRgb> colour_cube() {
  std::vector<QRgb> cube;
  for (int r = 0; r < kRedLevels; ++r) {
    for (int g = 0; g < kGreenLevels; ++g) {
      for (int b = 0; b < kBlueLevels; ++b) {
        cube.push_back(qRgb(level_value(r, kRedLevels), level_value(g, kGreenLevels), level_value(b, kBlueLevels)));
      }
    }
  }
  return cube;
}

int distance(QRgb a, QRgb b) {
  const int dr = qRed(a) - qRed(b);
  const int dg = qGreen(a) - qGreen(b);
  const int db = qBlue(a) - qBlue(b);
  return dr * dr + dg * dg + db * db;
}

// First entry at `from` or after with the least distance; ties go to the
// earlier entry so the result never depends on anything but the input.
uint8_t nearest(const std::vector<QRgb>& palette, size_t from, QRgb colour) {
  size_t best = from;
  int best_distance = std::numeric_limits<int>::max();
  for (size_t i = from; i < palette.size(); ++i) {
    const int d = distance(palette[i], colour);
    if (d < best_distance) {
      best_distance = d;
      best = i;
    }
  }
  return static_cast<uint8_t>(best);
}

QRgb opaque(QRgb colour) { return colour | 0xFF000000u; }

}  // namespace

IndexedImage index_colours(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  IndexedImage out;
  out.width = rgb.width();
  out.height = rgb.height();
  out.indices.reserve(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));

  std::unordered_map<QRgb, uint8_t> seen;
  bool exact = true;
  for (int y = 0; y < out.height && exact; ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < out.width; ++x) {
      const QRgb colour = opaque(row[x]);
      auto found = seen.find(colour);
      if (found == seen.end()) {
        if (out.palette.size() == kMaxColours) {
          exact = false;
          break;
        }
        found = seen.emplace(colour, static_cast<uint8_t>(out.palette.size())).first;
        out.palette.push_back(colour);
      }
      out.indices.push_back(found->second);
    }
  }
  if (exact) return out;

  // Too many colours: entry 0 stays the top-left colour, the rest is the cube.
  // Other pixels never map to entry 0, so they never become transparent.
  const QRgb key = opaque(rgb.pixel(0, 0));
  out.palette.assign(1, key);
  const std::vector<QRgb> cube = colour_cube();
  out.palette.insert(out.palette.end(), cube.begin(), cube.end());
  out.indices.clear();
  std::unordered_map<QRgb, uint8_t> mapped;
  for (int y = 0; y < out.height; ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < out.width; ++x) {
      const QRgb colour = opaque(row[x]);
      if (colour == key) {
        out.indices.push_back(0);
        continue;
      }
      auto found = mapped.find(colour);
      if (found == mapped.end()) found = mapped.emplace(colour, nearest(out.palette, 1, colour)).first;
      out.indices.push_back(found->second);
    }
  }
  return out;
}

}  // namespace quorvant::forms::artwork
