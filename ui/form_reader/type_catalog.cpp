#include "ui/form_reader/type_catalog.h"

#include "ui/form_reader/ids.h"

namespace quorvant::ui::form {

namespace {

using K = ValueKind;
using C = FieldCoding;

// Indices 0 to 7: Left, Top, Width, Height, Tag, Visible, Disabled,
// MousePointer, the same for every type.
std::vector<ValueKind> with_fixed(std::initializer_list<ValueKind> own) {
  std::vector<ValueKind> kinds = {K::kInteger, K::kInteger, K::kInteger, K::kInteger,
                                  K::kText,    K::kBoolean, K::kBoolean, K::kMousePointer};
  kinds.insert(kinds.end(), own);
  return kinds;
}

std::vector<FieldSpec> ints(std::initializer_list<int> indices) {
  std::vector<FieldSpec> fields;
  for (int index : indices) fields.push_back({index, C::kInt32});
  return fields;
}

std::vector<FieldSpec> joined(std::initializer_list<std::vector<FieldSpec>> parts) {
  std::vector<FieldSpec> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

constexpr uint32_t kUnit = type_flag::kWindowUnit;

std::vector<TypeInfo> make_core_types() {
  std::vector<TypeInfo> types;
  types.push_back({type_id::kWindow,
                   "window",
                   "窗口",
                   kUnit | type_flag::kNeverRecreated,
                   with_fixed({K::kText,    K::kChoice,  K::kBackgroundColour, K::kPicture, K::kChoice,   K::kSound,
                               K::kChoice,  K::kBoolean, K::kBoolean,          K::kBoolean, K::kChoice,   K::kBoolean,
                               K::kIcon,    K::kBoolean, K::kBoolean,          K::kBoolean, K::kFileName, K::kInteger,
                               K::kBoolean, K::kBoolean, K::kChoice,           K::kBoolean, K::kBoolean,  K::kText}),
                   {6, joined({ints({9, 12, 10, 16, 17, 15, 18, 19, 14, 21, 22, 23, 25}),
                               {{26, C::kInt32, 2},
                                {27, C::kInt32, 3},
                                {28, C::kInt32, 3},
                                {29, C::kInt32, 4},
                                {30, C::kInt32, 5},
                                {31, C::kText, 6}},
                               {{11, C::kBlob}, {20, C::kBlob}, {13, C::kBlob}, {8, C::kText}, {24, C::kText}}})}});
  types.push_back(
      {type_id::kEditBox,
       "EditBox",
       "编辑框",
       kUnit,
       with_fixed({K::kText,    K::kChoice,     K::kColour,    K::kBackgroundColour, K::kFont,    K::kBoolean,
                   K::kInteger, K::kBoolean,    K::kChoice,    K::kChoice,           K::kChoice,  K::kText,
                   K::kChoice,  K::kChoice,     K::kInteger,   K::kInteger,          K::kInteger, K::kInteger,
                   K::kText,    K::kDataSource, K::kDataColumn}),
       {2, joined({ints({9, 10, 11, 13, 14, 15, 16, 17, 18}),
                   {{19, C::kInt16}},
                   ints({20, 21, 22, 23, 24, 25}),
                   {{12, C::kBlob}, {8, C::kText}, {27, C::kText, 2}, {28, C::kText, 2}}})}});
  types.push_back({type_id::kShapeBox,
                   "ShapeBox",
                   "外形框",
                   kUnit | type_flag::kMovesChildren | type_flag::kDragsWindow,
                   with_fixed({K::kBackgroundColour, K::kChoice, K::kChoice, K::kChoice, K::kInteger, K::kColour,
                               K::kColourOrTransparent}),
                   {1, ints({8, 9, 10, 11, 12, 13, 14})}});
  types.push_back({type_id::kGroupBox,
                   "GroupBox",
                   "分组框",
                   kUnit | type_flag::kMovesChildren | type_flag::kDragsWindow,
                   with_fixed({K::kText, K::kChoice, K::kColour, K::kBackgroundColour, K::kFont}),
                   {1, joined({ints({9, 10, 11}), {{12, C::kBlob}, {8, C::kText}}})}});
  const std::vector<FieldSpec> button_fields =
      joined({ints({9, 10, 12, 13, 14, 15, 16, 18}), {{8, C::kBlob}, {17, C::kBlob}, {11, C::kText}}});
  const std::initializer_list<ValueKind> button_kinds = {K::kPicture,          K::kBoolean, K::kBoolean, K::kText,
                                                         K::kBoolean,          K::kChoice,  K::kChoice,  K::kColour,
                                                         K::kBackgroundColour, K::kFont,    K::kBoolean};
  std::vector<ValueKind> check_kinds = with_fixed(button_kinds);
  check_kinds.push_back(K::kDataSource);
  check_kinds.push_back(K::kDataColumn);
  types.push_back({type_id::kCheckBox,
                   "CheckBox",
                   "选择框",
                   kUnit,
                   check_kinds,
                   {2, joined({button_fields, {{19, C::kText, 2}, {20, C::kText, 2}}})}});
  types.push_back({type_id::kRadioBox, "RadioBox", "单选框", kUnit, with_fixed(button_kinds), {1, button_fields}});
  types.push_back({type_id::kListBox,
                   "ListBox",
                   "列表框",
                   kUnit,
                   with_fixed({K::kChoice, K::kInteger, K::kInteger, K::kInteger, K::kColour, K::kBackgroundColour,
                               K::kFont, K::kBoolean, K::kInteger, K::kCustomData, K::kCustomData, K::kDataSource,
                               K::kDataColumn, K::kInteger}),
                   {3, joined({ints({8, 9, 10, 11, 12, 13, 15, 16}),
                               {{14, C::kBlob}, {18, C::kBlob}, {17, C::kTextList}},
                               {{19, C::kText, 2}, {20, C::kText, 2}, {21, C::kInt32, 3}}})}});
  types.push_back({type_id::kSliderBar,
                   "SliderBar",
                   "滑块条",
                   kUnit,
                   with_fixed({K::kInteger, K::kInteger, K::kInteger, K::kInteger, K::kInteger, K::kInteger,
                               K::kInteger, K::kInteger, K::kInteger, K::kInteger, K::kInteger, K::kInteger}),
                   {1, ints({8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19})}});
  types.push_back({type_id::kCommonDlg,
                   "CommonDlg",
                   "通用对话框",
                   type_flag::kHiddenAtRunTime,
                   with_fixed({K::kChoice,  K::kText,    K::kText,    K::kText,    K::kInteger, K::kText,
                               K::kText,    K::kBoolean, K::kInteger, K::kInteger, K::kInteger, K::kInteger,
                               K::kInteger, K::kInteger, K::kInteger, K::kInteger, K::kInteger, K::kText,
                               K::kInteger, K::kText,    K::kInteger, K::kInteger}),
                   {1, joined({ints({8, 12, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 26, 28, 29}),
                               {{9, C::kText},
                                {10, C::kText},
                                {11, C::kText},
                                {13, C::kText},
                                {14, C::kText},
                                {25, C::kText},
                                {27, C::kText}}})}});
  return types;
}

}  // namespace

const std::vector<TypeInfo>& core_types() {
  static const std::vector<TypeInfo> kTypes = make_core_types();
  return kTypes;
}

const TypeInfo* find_core_type(uint32_t id) {
  for (const TypeInfo& info : core_types()) {
    if (info.type_id == id) return &info;
  }
  return nullptr;
}

}  // namespace quorvant::ui::form
