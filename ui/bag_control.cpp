#include "ui/bag_control.h"

#include <QApplication>
#include <QColor>
#include <QPalette>

#include "platform/gbk.h"
#include "ui/form/ids.h"

namespace quorvant::ui {

using form::ValueKind;

std::optional<form::PropertyBag> read_bag(const CreateParams& params) {
  return form::read_properties(params.type.schema, params.blob);
}

QColor to_qcolor(uint32_t colour) {
  if (colour == form::kButtonFaceColour) return QApplication::palette().color(QPalette::Button);
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

QString BagControl::text(int index) const { return QString::fromStdString(platform::gbk_to_utf8(bag_.text(index))); }

PropertyValue BagControl::get(int own_index) {
  const int index = own_index + 8;
  if (index >= type().property_count()) return std::monostate{};
  capture();
  switch (type().kinds[static_cast<size_t>(index)]) {
    case ValueKind::kBoolean:
      return int32_t{bag_.integer(index) == 1};
    case ValueKind::kText:
    case ValueKind::kFileName:
    case ValueKind::kDataSource:
    case ValueKind::kDataColumn:
      return platform::gbk_to_utf8(bag_.text(index));
    case ValueKind::kFont:
      return font(index);
    case ValueKind::kPicture:
    case ValueKind::kIcon:
    case ValueKind::kSound:
    case ValueKind::kImageList:
    case ValueKind::kCustomData:
      return bag_.bytes(index);
    default:
      return bag_.integer(index);
  }
}

bool BagControl::set(int own_index, const PropertyValue& value) {
  const int index = own_index + 8;
  if (index >= type().property_count()) return false;
  capture();
  switch (type().kinds[static_cast<size_t>(index)]) {
    case ValueKind::kText:
    case ValueKind::kFileName:
    case ValueKind::kDataSource:
    case ValueKind::kDataColumn:
      bag_.set(index, platform::utf8_to_gbk(as_text(value)));
      break;
    case ValueKind::kFont:
      if (const auto* record = std::get_if<FontRecord>(&value)) bag_.set(index, encode_font(*record));
      break;
    case ValueKind::kPicture:
    case ValueKind::kIcon:
    case ValueKind::kSound:
    case ValueKind::kImageList:
    case ValueKind::kCustomData:
      bag_.set(index, as_bytes(value));
      break;
    default:
      bag_.set(index, as_int(value));
      break;
  }
  return refresh(index);
}

Bytes BagControl::all_properties() {
  capture();
  return form::write_properties(type().schema, bag_);
}

}  // namespace quorvant::ui
