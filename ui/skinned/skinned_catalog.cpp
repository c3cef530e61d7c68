#include "ui/skinned/skinned_catalog.h"

#include "ui/form_reader/ids.h"

namespace quorvant::ui::skinned {

namespace {

using K = form::ValueKind;
using C = form::FieldCoding;

std::vector<form::ValueKind> with_fixed(std::initializer_list<form::ValueKind> own) {
  std::vector<form::ValueKind> kinds = {K::kInteger, K::kInteger, K::kInteger, K::kInteger,
                                        K::kText,    K::kBoolean, K::kBoolean, K::kMousePointer};
  kinds.insert(kinds.end(), own);
  return kinds;
}

std::vector<form::TypeInfo> make_types() {
  std::vector<form::TypeInfo> types;
  types.push_back({form::type_id::kTransLabel,
                   "TransLabel",
                   "透明标签",
                   form::type_flag::kWindowUnit,
                   with_fixed({K::kText, K::kChoice, K::kFont, K::kColour, K::kChoice, K::kBoolean, K::kChoice}),
                   {1,
                    {{9, C::kInt32},
                     {11, C::kInt32},
                     {12, C::kInt32},
                     {14, C::kInt32},
                     {13, C::kInt32},
                     {10, C::kBlob},
                     {8, C::kText}}}});
  types.push_back(
      {form::type_id::kPicBtn,
       "PicBtn",
       "图形按钮",
       form::type_flag::kWindowUnit | form::type_flag::kNotInTabOrder,
       with_fixed({K::kChoice, K::kBoolean, K::kPicture, K::kPicture, K::kPicture, K::kPicture, K::kColour}),
       {1,
        {{8, C::kInt32},
         {9, C::kInt32},
         {14, C::kInt32},
         {10, C::kBlob},
         {11, C::kBlob},
         {12, C::kBlob},
         {13, C::kBlob}}}});
  types.push_back(
      {form::type_id::kSuperBtn,
       "SuperBtn",
       "超级按钮",
       form::type_flag::kWindowUnit,
       with_fixed({K::kChoice,  K::kBoolean, K::kBoolean, K::kChoice, K::kChoice,  K::kBoolean, K::kBoolean,
                   K::kPicture, K::kColour,  K::kPicture, K::kColour, K::kPicture, K::kColour,  K::kFont,
                   K::kText,    K::kBoolean, K::kColour,  K::kColour, K::kColour,  K::kColour,  K::kColour,
                   K::kColour,  K::kBoolean, K::kSound,   K::kSound,  K::kText,    K::kChoice}),
       {2, {{8, C::kInt32},  {9, C::kInt32},     {10, C::kInt32},  {11, C::kInt32}, {12, C::kInt32}, {13, C::kInt32},
            {14, C::kInt32}, {18, C::kInt32},    {16, C::kInt32},  {23, C::kInt32}, {30, C::kInt32}, {34, C::kInt32},
            {24, C::kInt32}, {25, C::kInt32},    {26, C::kInt32},  {27, C::kInt32}, {28, C::kInt32}, {29, C::kInt32},
            {17, C::kBlob},  {15, C::kBlob},     {21, C::kBlob},   {31, C::kBlob},  {32, C::kBlob},  {22, C::kText},
            {33, C::kText},  {20, C::kInt32, 2}, {19, C::kBlob, 2}}}});
  return types;
}

}  // namespace

const std::vector<form::TypeInfo>& skinned_types() {
  static const std::vector<form::TypeInfo> kTypes = make_types();
  return kTypes;
}

const form::TypeInfo* find_skinned_type(uint32_t type_id) {
  for (const form::TypeInfo& type : skinned_types()) {
    if (type.type_id == type_id) return &type;
  }
  return nullptr;
}

}  // namespace quorvant::ui::skinned
