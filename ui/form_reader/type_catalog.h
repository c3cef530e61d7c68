// What the form template and the window runtime know of each control type
// without a window system: names, flags, the value kind of every property
// index, and how the type's property blob is laid out.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "ui/form_reader/property_bag.h"

namespace quorvant::ui::form {

// Value kinds of properties: how a property's value looks to the program.
enum class ValueKind : int32_t {
  kInteger = 1000,
  kInteger2 = 1001,
  kReal = 1002,
  kBoolean = 1003,
  kDateTime = 1004,
  kText = 1005,
  kChoice = 1006,
  kPicture = 1009,
  kIcon = 1010,
  kMousePointer = 1011,
  kSound = 1012,
  kFont = 1013,
  kColour = 1014,
  kColourOrTransparent = 1015,
  kFileName = 1016,
  kBackgroundColour = 1017,
  kDataSource = 1018,
  kDataColumn = 1020,
  kImageList = 1023,
  kCustomData = 1024,
};

// Type flags.
namespace type_flag {
inline constexpr uint32_t kWindowUnit = 0x40;  // may raise events (0x04 means the same)
inline constexpr uint32_t kWindowUnitToo = 0x04;
inline constexpr uint32_t kNeverRecreated = 0x10;
inline constexpr uint32_t kMovesChildren = 0x80;  // its children follow it when it is re-created
inline constexpr uint32_t kHasPages = 0x100;
inline constexpr uint32_t kHiddenAtRunTime = 0x8000;  // created hidden, never shown
inline constexpr uint32_t kNotInTabOrder = 0x10000;
inline constexpr uint32_t kDragsWindow = 0x04000000;  // pressing on it moves its window (with window property 27)
}  // namespace type_flag

struct TypeInfo {
  uint32_t type_id;
  std::string_view name;
  std::string_view chinese_name;  // UTF-8
  uint32_t flags;
  std::vector<ValueKind> kinds;  // one per property index, from 0
  BlobSchema schema;

  int property_count() const { return static_cast<int>(kinds.size()); }
  bool is_window_unit() const { return (flags & (type_flag::kWindowUnit | type_flag::kWindowUnitToo)) != 0; }
};

// The types of the core control library: window, edit box, shape box,
// group box, check box, radio box, list box, slider bar, common dialog.
const std::vector<TypeInfo>& core_types();

// The core type with this id, or nullptr.
const TypeInfo* find_core_type(uint32_t type_id);

}  // namespace quorvant::ui::form
