// A control type's own properties (index 8 and up) as stored in its
// property blob, and the schema that says how each type stores them.
//
// Every blob starts with an int32 format version; the fields follow in the
// type's own order, some only from a certain version on. Texts stay in the
// template's encoding (GBK) here; they are converted where they meet the
// runtime or Qt.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "ui/form_reader/byte_io.h"

namespace quorvant::ui::form {

enum class FieldCoding { kInt32, kInt16, kText, kBlob, kTextList };

struct FieldSpec {
  int index;  // the property index
  FieldCoding coding;
  int32_t since_version = 0;
};

struct BlobSchema {
  int32_t highest_version = 0;
  std::vector<FieldSpec> fields;  // in stored order
};

using FieldValue = std::variant<int32_t, std::string, Bytes, std::vector<std::string>>;

class PropertyBag {
 public:
  bool has(int index) const { return values_.contains(index); }
  int32_t integer(int index) const;
  const std::string& text(int index) const;
  const Bytes& bytes(int index) const;
  const std::vector<std::string>& texts(int index) const;

  void set(int index, FieldValue value) { values_[index] = std::move(value); }
  const std::map<int, FieldValue>& values() const { return values_; }

 private:
  std::map<int, FieldValue> values_;
};

// The bag a blob holds, or nothing when its version is negative or above
// the schema's highest, or when it ends early. Fields the version does not
// carry get their empty value.
std::optional<PropertyBag> read_properties(const BlobSchema& schema, std::span<const uint8_t> blob);

// A blob in `version`'s layout (the highest when none is given).
Bytes write_properties(const BlobSchema& schema, const PropertyBag& bag, std::optional<int32_t> version = {});

// A bag with every field of the schema at its empty value.
PropertyBag empty_properties(const BlobSchema& schema);

}  // namespace quorvant::ui::form
