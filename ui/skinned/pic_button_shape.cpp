#include "ui/skinned/pic_button_shape.h"

#include <vector>

namespace quorvant::ui::skinned {

namespace {
constexpr size_t kBatch = 2000;
}  // namespace

std::optional<QRegion> shape_without_colour(const QImage& face, const QColor& transparent) {
  const QImage pixels = face.convertToFormat(QImage::Format_RGB32);
  // The colour as this image really holds it.
  const QRgb cut = transparent.rgb() | 0xFF000000u;
  QRegion shape;
  std::vector<QRect> runs;
  runs.reserve(kBatch);
  auto join = [&] {
    QRegion batch;
    batch.setRects(runs.data(), static_cast<int>(runs.size()));
    shape = shape.united(batch);
    runs.clear();
  };
  for (int y = 0; y < pixels.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
    for (int x = 0; x < pixels.width();) {
      if ((row[x] | 0xFF000000u) == cut) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < pixels.width() && (row[x] | 0xFF000000u) != cut) ++x;
      runs.emplace_back(start, y, x - start, 1);
      if (runs.size() == kBatch) join();
    }
  }
  if (!runs.empty()) join();
  if (shape.isEmpty()) return std::nullopt;
  return shape;
}

}  // namespace quorvant::ui::skinned
