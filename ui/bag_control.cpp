#include "ui/bag_control.h"

#include <QApplication>
#include <QColor>
#include <QPalette>

#include "platform/gbk.h"
#include "ui/form_reader/ids.h"

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

namespace {

// A property stored as a text list reaches the program as the stored bytes
// of the list, its texts in the program's encoding.
Bytes program_text_list(const std::vector<std::string>& stored) {
  std::vector<std::string> texts;
  texts.reserve(stored.size());
  for (const std::string& text : stored) texts.push_back(platform::gbk_to_utf8(text));
  return form::encode_text_list(texts);
}

std::optional<std::vector<std::string>> stored_text_list(const Bytes& program) {
  auto texts = form::decode_text_list(program);
  if (texts) {
    for (std::string& text : *texts) text = platform::utf8_to_gbk(text);
  }
  return texts;
}

}  // namespace

std::string character_text(int32_t code) {
  const auto bits = static_cast<uint16_t>(code);
  if (bits == 0) return {};
  std::string gbk;
  if (bits > 0xFF) gbk.push_back(static_cast<char>(bits >> 8));
  gbk.push_back(static_cast<char>(bits & 0xFF));
  return platform::gbk_to_utf8(gbk);
}

int32_t character_code(const std::string& text) {
  const std::string gbk = platform::utf8_to_gbk(text);
  if (gbk.empty()) return 0;
  const auto lead = static_cast<uint8_t>(gbk[0]);
  // GBK lead bytes are 0x81 and up; a double-byte character keeps its lead
  // byte in the high half.
  if (lead < 0x81 || gbk.size() < 2) return lead;
  return static_cast<int16_t>(lead << 8 | static_cast<uint8_t>(gbk[1]));
}

form::FieldCoding BagControl::coding(int index) const {
  for (const form::FieldSpec& field : type().schema.fields) {
    if (field.index == index) return field.coding;
  }
  return form::FieldCoding::kInt32;
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
      if (coding(index) == form::FieldCoding::kInt16) return character_text(bag_.integer(index));
      return platform::gbk_to_utf8(bag_.text(index));
    case ValueKind::kFont:
      return font(index);
    case ValueKind::kPicture:
    case ValueKind::kIcon:
    case ValueKind::kSound:
    case ValueKind::kImageList:
    case ValueKind::kCustomData:
      if (coding(index) == form::FieldCoding::kTextList) return program_text_list(bag_.texts(index));
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
      if (coding(index) == form::FieldCoding::kInt16) {
        bag_.set(index, character_code(as_text(value)));
      } else {
        bag_.set(index, platform::utf8_to_gbk(as_text(value)));
      }
      break;
    case ValueKind::kFont:
      // The program holds a whole font as the stored 60-byte record, so a
      // font read from one control arrives whole at another; an empty block
      // means no font of its own.
      if (const auto* record = std::get_if<FontRecord>(&value)) {
        bag_.set(index, encode_font(*record));
      } else if (const auto* stored = std::get_if<Bytes>(&value);
                 stored != nullptr && (stored->empty() || decode_font(*stored))) {
        bag_.set(index, *stored);
      } else {
        return false;
      }
      break;
    case ValueKind::kPicture:
    case ValueKind::kIcon:
    case ValueKind::kSound:
    case ValueKind::kImageList:
    case ValueKind::kCustomData:
      if (coding(index) != form::FieldCoding::kTextList) {
        bag_.set(index, as_bytes(value));
      } else if (auto texts = stored_text_list(as_bytes(value))) {
        bag_.set(index, std::move(*texts));
      } else {
        return false;  // not a text list: the items stay
      }
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
