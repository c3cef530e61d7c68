#include "ui/mouse_pointer.h"

#include <QPixmap>

#include "ui/pictures/picture_decoding.h"

namespace quorvant::ui {

namespace {

int32_t first_word(const form::Bytes& blob) {
  if (blob.size() < 4) return blob.empty() ? 0 : blob[0];
  return static_cast<int32_t>(uint32_t{blob[0]} | uint32_t{blob[1]} << 8 | uint32_t{blob[2]} << 16 |
                              uint32_t{blob[3]} << 24);
}

// The system's own cursor identifiers, in pointer-number order from 1.
constexpr int32_t kSystemCursorIds[] = {32512, 32515, 32513, 32514, 32651, 32650, 32648,
                                        32646, 32643, 32645, 32642, 32644, 32516, 32649};

int32_t normalised(int32_t number) {
  for (int32_t i = 0; i < static_cast<int32_t>(std::size(kSystemCursorIds)); ++i) {
    if (kSystemCursorIds[i] == number) return i + 1;
  }
  return number;
}

// A cursor or icon file keeps its transparency and points with its hot
// spot; any other picture is drawn whole and points with its centre.
std::optional<QCursor> from_file(std::span<const uint8_t> bytes) {
  if (const auto cursor = pictures::decode_cursor(bytes)) {
    return QCursor(QPixmap::fromImage(cursor->image), cursor->hot_spot.x(), cursor->hot_spot.y());
  }
  const auto picture = pictures::decode_picture(bytes);
  if (!picture) return std::nullopt;
  return QCursor(QPixmap::fromImage(*picture));
}

std::optional<QCursor> stock(int32_t number) {
  constexpr Qt::CursorShape kShapes[] = {
      Qt::ArrowCursor,     Qt::CrossCursor,     Qt::IBeamCursor,   Qt::WaitCursor,        Qt::WhatsThisCursor,
      Qt::BusyCursor,      Qt::ForbiddenCursor, Qt::SizeAllCursor, Qt::SizeBDiagCursor,   Qt::SizeVerCursor,
      Qt::SizeFDiagCursor, Qt::SizeHorCursor,   Qt::UpArrowCursor, Qt::PointingHandCursor};
  if (number < 1 || number > static_cast<int32_t>(std::size(kShapes))) return std::nullopt;
  return QCursor(kShapes[number - 1]);
}

}  // namespace

std::optional<int32_t> pointer_number(const form::Bytes& pointer_blob) {
  if (pointer_blob.size() != 4) return std::nullopt;
  const int32_t number = normalised(first_word(pointer_blob));
  if (number < 0 || number > 14) return std::nullopt;
  return number;
}

std::optional<QCursor> cursor_for(const form::Bytes& pointer_blob) {
  if (pointer_blob.empty()) return std::nullopt;
  const int32_t first = first_word(pointer_blob);
  if (first == -1) return pointer_blob.size() > 4 ? from_file(std::span(pointer_blob).subspan(4)) : std::nullopt;
  if (pointer_blob.size() > 10) {
    if (auto cursor = from_file(pointer_blob)) return cursor;
  }
  return stock(normalised(first));
}

}  // namespace quorvant::ui
