#include "ui/form_reader/property_bag.h"

namespace quorvant::ui::form {

namespace {

FieldValue empty_value(FieldCoding coding) {
  switch (coding) {
    case FieldCoding::kText:
      return std::string{};
    case FieldCoding::kBlob:
      return Bytes{};
    case FieldCoding::kTextList:
      return std::vector<std::string>{};
    default:
      return int32_t{0};
  }
}

template <class T>
const T& value_or_empty(const std::map<int, FieldValue>& values, int index) {
  static const T kEmpty{};
  const auto found = values.find(index);
  if (found == values.end()) return kEmpty;
  const T* value = std::get_if<T>(&found->second);
  return value != nullptr ? *value : kEmpty;
}

}  // namespace

int32_t PropertyBag::integer(int index) const { return value_or_empty<int32_t>(values_, index); }
const std::string& PropertyBag::text(int index) const { return value_or_empty<std::string>(values_, index); }
const Bytes& PropertyBag::bytes(int index) const { return value_or_empty<Bytes>(values_, index); }
const std::vector<std::string>& PropertyBag::texts(int index) const {
  return value_or_empty<std::vector<std::string>>(values_, index);
}

PropertyBag empty_properties(const BlobSchema& schema) {
  PropertyBag bag;
  for (const FieldSpec& field : schema.fields) bag.set(field.index, empty_value(field.coding));
  return bag;
}

std::optional<PropertyBag> read_properties(const BlobSchema& schema, std::span<const uint8_t> blob) {
  ByteReader in(blob);
  const int32_t version = in.i32();
  if (!in.ok() || version < 0 || version > schema.highest_version) return std::nullopt;
  PropertyBag bag = empty_properties(schema);
  for (const FieldSpec& field : schema.fields) {
    if (version < field.since_version) continue;
    switch (field.coding) {
      case FieldCoding::kInt32:
        bag.set(field.index, in.i32());
        break;
      case FieldCoding::kInt16:
        bag.set(field.index, int32_t{in.i16()});
        break;
      case FieldCoding::kText:
        bag.set(field.index, in.counted_text());
        break;
      case FieldCoding::kBlob:
        bag.set(field.index, in.counted_bytes());
        break;
      case FieldCoding::kTextList:
        bag.set(field.index, in.text_list());
        break;
    }
  }
  if (!in.ok()) return std::nullopt;
  return bag;
}

Bytes write_properties(const BlobSchema& schema, const PropertyBag& bag, std::optional<int32_t> version) {
  const int32_t written = version.value_or(schema.highest_version);
  ByteWriter out;
  out.i32(written);
  for (const FieldSpec& field : schema.fields) {
    if (written < field.since_version) continue;
    switch (field.coding) {
      case FieldCoding::kInt32:
        out.i32(bag.integer(field.index));
        break;
      case FieldCoding::kInt16:
        out.i16(static_cast<int16_t>(bag.integer(field.index)));
        break;
      case FieldCoding::kText:
        out.counted_text(bag.text(field.index));
        break;
      case FieldCoding::kBlob:
        out.counted(bag.bytes(field.index));
        break;
      case FieldCoding::kTextList:
        out.text_list(bag.texts(field.index));
        break;
    }
  }
  return out.take();
}

}  // namespace quorvant::ui::form
