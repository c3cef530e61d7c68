// Window, element and type identifiers of the form template.
//
// An identifier's bits 31-28 give its kind (5 window, 1 control, 2 menu
// item, 0 the window's own element), bits 27-24 are 2 for a window and 6
// for any element, bits 23-0 a serial number that is never 0.
#pragma once

#include <cstdint>

namespace quorvant::ui::form {

constexpr uint32_t id_kind(uint32_t id) { return id >> 28; }
constexpr bool is_valid_element_id(uint32_t id) { return ((id >> 24) & 0xF) != 0 && (id & 0xFFFFFF) != 0; }
constexpr bool is_menu_item_id(uint32_t id) { return id_kind(id) == 2 && ((id >> 24) & 0xF) == 6; }

// Type ids: control library number in the high 16 bits, the type's number
// within its library in the low 16 bits.
namespace type_id {
inline constexpr uint32_t kWindow = 0x00010001;
inline constexpr uint32_t kMenuItem = 0x00010003;
inline constexpr uint32_t kEditBox = 0x00010005;
inline constexpr uint32_t kShapeBox = 0x00010007;
inline constexpr uint32_t kGroupBox = 0x00010009;
inline constexpr uint32_t kCheckBox = 0x0001000C;
inline constexpr uint32_t kRadioBox = 0x0001000D;
inline constexpr uint32_t kListBox = 0x0001000F;
inline constexpr uint32_t kSliderBar = 0x00010014;
inline constexpr uint32_t kCommonDlg = 0x0001001F;
inline constexpr uint32_t kPicBtn = 0x0001002D;
inline constexpr uint32_t kTransLabel = 0x00040005;
inline constexpr uint32_t kSuperBtn = 0x00050001;
}  // namespace type_id

// The colour that stands for the system's button-face colour.
inline constexpr uint32_t kButtonFaceColour = 0xFF000000;

}  // namespace quorvant::ui::form
