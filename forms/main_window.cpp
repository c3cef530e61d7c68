#include "forms/main_window.h"

#include <string>

#include "forms/artwork/artwork.h"
#include "ui/form_reader/element_record.h"
#include "ui/form_reader/ids.h"
#include "ui/skinned/skinned_catalog.h"

namespace quorvant::forms {

namespace {

using ui::form::Bytes;
using ui::form::PropertyBag;
using namespace ui::form::type_id;
using ui::form::state_flag::kTabStop;
using ui::form::state_flag::kVisible;

constexpr int32_t kButtonFace = static_cast<int32_t>(ui::form::kButtonFaceColour);
constexpr uint32_t kShown = kVisible;
constexpr uint32_t kShownTab = kVisible | kTabStop;

using element_id::kBatch;
using element_id::kBusyBox;
using element_id::kFormats;
using element_id::kJpegOptions;
using element_id::kPanel;

PropertyBag props(std::initializer_list<std::pair<int, ui::form::FieldValue>> values) {
  PropertyBag bag;
  for (const auto& [index, value] : values) bag.set(index, value);
  return bag;
}

ElementSpec element(uint32_t id, uint32_t type, const char* name, uint32_t parent, int left, int top, int width,
                    int height, uint32_t flags, Bytes blob, std::vector<ui::form::Binding> bindings = {}) {
  ElementSpec spec;
  spec.id = id;
  spec.type_id = type;
  spec.name = name;
  spec.parent = parent;
  spec.left = left;
  spec.top = top;
  spec.width = width;
  spec.height = height;
  spec.state_flags = flags;
  spec.property_blob = std::move(blob);
  spec.bindings = std::move(bindings);
  return spec;
}

// A property blob of a skinned type, texts given in UTF-8.
Bytes skinned(uint32_t type, const PropertyBag& utf8) {
  return typed_properties(*ui::skinned::find_skinned_type(type), utf8);
}

Bytes label(const std::string& caption, int32_t colour = 0, bool wrap = false) {
  return skinned(
      kTransLabel,
      props({{8, caption}, {9, int32_t{0}}, {11, colour}, {12, int32_t{0}}, {13, int32_t{wrap}}, {14, int32_t{1}}}));
}

Bytes super_button(const std::string& caption) {
  using artwork::SuperFace;
  return skinned(kSuperBtn, props({{8, int32_t{0}},
                                   {11, int32_t{3}},  // the caption over the face
                                   {13, int32_t{1}},
                                   {15, artwork::super_button_face(SuperFace::kOut)},
                                   {16, kButtonFace},
                                   {17, artwork::super_button_face(SuperFace::kIn)},
                                   {18, kButtonFace},
                                   {19, artwork::super_button_face(SuperFace::kDisabled)},
                                   {20, kButtonFace},
                                   {22, caption},
                                   {23, int32_t{1}},
                                   {24, int32_t{0}},
                                   {25, int32_t{0xD8E9EC}},
                                   {26, int32_t{0}},
                                   {27, int32_t{0xEBFCFF}},
                                   {28, int32_t{0}},
                                   {29, int32_t{0xD8E9EC}},
                                   {30, int32_t{1}}}));
}

Bytes picture_button(std::vector<uint8_t> (*face)(artwork::FaceState)) {
  using artwork::FaceState;
  return skinned(kPicBtn, props({{8, int32_t{0}},
                                 {9, int32_t{0}},
                                 {10, face(FaceState::kNormal)},
                                 {11, face(FaceState::kHover)},
                                 {12, face(FaceState::kPressed)},
                                 {14, kButtonFace}}));
}

Bytes group(const std::string& caption) {
  return core_properties(kGroupBox, props({{8, caption}, {9, int32_t{0}}, {10, int32_t{0}}, {11, kButtonFace}}));
}

Bytes choice_box(uint32_t type, const std::string& caption, bool checked) {
  return core_properties(type, props({{11, caption},
                                      {13, int32_t{0}},
                                      {14, int32_t{1}},
                                      {15, int32_t{0}},
                                      {16, kButtonFace},
                                      {18, int32_t{checked}}}));
}

Bytes slider(int32_t minimum, int32_t maximum, int32_t position) {
  return core_properties(kSliderBar, props({{8, int32_t{0}},
                                            {9, int32_t{0}},
                                            {10, int32_t{2}},
                                            {11, int32_t{3}},
                                            {12, int32_t{0}},
                                            {13, int32_t{0}},
                                            {14, int32_t{0}},
                                            {15, int32_t{1}},
                                            {16, int32_t{1}},
                                            {17, minimum},
                                            {18, maximum},
                                            {19, position}}));
}

Bytes shape(int32_t background, int32_t line_colour, int32_t fill) {
  return core_properties(kShapeBox, props({{8, background},
                                           {9, int32_t{0}},
                                           {10, int32_t{0}},
                                           {11, int32_t{1}},
                                           {12, int32_t{1}},
                                           {13, line_colour},
                                           {14, fill}}));
}

Bytes own_window() {
  const std::string caption = std::string(kBrandPrefix) + ".Quorvant V 1.1.0";
  return core_properties(kWindow,
                         props({{9, int32_t{0}},
                                {12, int32_t{1}},
                                {10, int32_t{0x000000}},
                                {16, int32_t{0}},
                                {17, int32_t{1}},
                                {15, int32_t{1}},
                                {18, int32_t{1}},
                                {19, int32_t{1}},
                                {14, int32_t{0}},
                                {21, int32_t{0}},
                                {22, int32_t{1}},
                                {23, int32_t{0}},
                                {25, int32_t{0}},
                                {26, int32_t{1}},
                                {27, int32_t{1}},
                                {28, int32_t{0}},
                                {29, int32_t{0}},
                                {30, int32_t{0}},
                                {20, artwork::window_icon()},
                                {8, caption}}),
                         5);
}

}  // namespace

WindowSpec main_window() {
  const std::string title = std::string("Quorvant [官方网站: ") + kWebSiteHost + " 官方论坛: " + kForumHost + "]";
  const std::string credit = std::string("作者:") + kAuthor + " 用心做好每个软件!";
  const auto disable_options = std::vector<ui::form::Binding>{{0, kDisableJpegOptions}};

  WindowSpec window;
  window.id = kMainWindowId;
  window.own = element(element_id::kWindowItself, kWindow, "", 0, 50, 50, 647, 391, kShown, own_window(),
                       {{0, kShapeWindow}, {1, kQueryClose}});
  window.controls = {
      element(element_id::kChooseFolder, kSuperBtn, "查找文件", kBatch, 194, 40, 98, 24, kShownTab,
              super_button("转换多个图片"), {{0, kChooseFolder}}),
      element(element_id::kAddFile, kSuperBtn, "查找单个文件", kBatch, 3, 40, 98, 24, kShownTab,
              super_button("转换单个图片"), {{0, kAddFile}}),
      element(element_id::kConvert, kSuperBtn, "格式转换", kPanel, 514, 312, 98, 24, kShownTab,
              super_button("格式转换"), {{0, kStartConversion}}),
      element(0x160102B2, kTransLabel, "透明标签7", 0, 16, 8, 368, 16, kShown, label(title, 0xFFFFFF)),
      element(0x160102A9, kPicBtn, "控件_图形按钮_关闭", 0, 588, 0, 44, 18, kShown,
              picture_button(artwork::close_button_face), {{0, kCloseButton}}),
      element(0x160102AA, kPicBtn, "控件_图形按钮_最小化", 0, 562, 0, 27, 18, kShown,
              picture_button(artwork::minimise_button_face), {{0, kMinimiseButton}}),
      element(0x1601028A, kTransLabel, "透明标签6", kPanel, 315, 318, 197, 18, kShown, label(credit, 0, true)),
      element(kBusyBox, kShapeBox, "外形框1", kPanel, 208, 160, 176, 64, 0, shape(0xFFFFFF, 0x000000, 0xFFFFFF)),
      element(0x1601028C, kTransLabel, "透明标签1", kBusyBox, 10, 7, 160, 52, kShown,
              label("格式转换中! 请稍候......\r\n\r\n提示: \r\n转换完成后,将会打开文件夹", 0, true)),
      element(kJpegOptions, kGroupBox, "质量选择", kPanel, 316, 200, 296, 112, kShown, group("转换选择")),
      element(0x1601028E, kTransLabel, "透明标签5", kJpegOptions, 8, 56, 84, 56, kShown,
              label("提示信息:\r\n采用柔化后,\r\n图片质量好!\r\n图片体积大!", 0xFF0000, true)),
      element(element_id::kSmoothingLabel, kTransLabel, "柔化标签", kJpegOptions, 252, 88, 32, 16, kShown,
              label("0 度")),
      element(0x16010290, kTransLabel, "透明标签4", kJpegOptions, 100, 88, 152, 16, kShown,
              label("请选择柔化质量! 当前选择: ")),
      element(element_id::kSmoothing, kSliderBar, "柔化条", kJpegOptions, 100, 56, 192, 32, kShownTab,
              slider(0, 100, 0), {{0, kShowSmoothing}}),
      element(element_id::kColour, kCheckBox, "转换为彩色", kJpegOptions, 8, 16, 80, 16, kShownTab,
              choice_box(kCheckBox, "转换为彩色", true)),
      element(element_id::kOptimise, kCheckBox, "优化编码", kJpegOptions, 8, 36, 80, 16, kShownTab,
              choice_box(kCheckBox, "优化编码", true)),
      element(element_id::kQualityLabel, kTransLabel, "质量标签", kJpegOptions, 252, 40, 32, 16, kShown,
              label("75 度")),
      element(0x16010295, kTransLabel, "透明标签3", kJpegOptions, 100, 40, 152, 16, kShown,
              label("请选择画面质量! 当前选择: ")),
      element(element_id::kQuality, kSliderBar, "品质条", kJpegOptions, 100, 9, 192, 32, kShownTab, slider(1, 100, 75),
              {{0, kShowQuality}}),
      element(kFormats, kGroupBox, "格式选择", kPanel, 316, 80, 296, 120, kShown, group("格式选择")),
      element(0x16010299, kTransLabel, "透明标签2", kFormats, 98, 90, 178, 16, kShown,
              label("提示: 请按照您的需要选择格式")),
      element(element_id::kToSgi, kRadioBox, "转换为SGI", kFormats, 13, 88, 80, 24, kShownTab,
              choice_box(kRadioBox, "转换为SGI", false), disable_options),
      element(element_id::kToPic, kRadioBox, "转换为PIC", kFormats, 184, 64, 80, 24, kShownTab,
              choice_box(kRadioBox, "转换为PIC", false), disable_options),
      element(element_id::kToPcx, kRadioBox, "转换为PCX", kFormats, 96, 64, 80, 24, kShownTab,
              choice_box(kRadioBox, "转换为PCX", false), disable_options),
      element(element_id::kToPbm, kRadioBox, "转换为PBM", kFormats, 12, 64, 80, 24, kShownTab,
              choice_box(kRadioBox, "转换为PBM", false), disable_options),
      element(element_id::kToPgm, kRadioBox, "转换为PGM", kFormats, 184, 40, 80, 24, kShownTab,
              choice_box(kRadioBox, "转换为PGM", false), disable_options),
      element(element_id::kToPpm, kRadioBox, "转换为PPM", kFormats, 96, 40, 80, 24, kShownTab,
              choice_box(kRadioBox, "转换为PPM", false), disable_options),
      element(element_id::kToTif, kRadioBox, "转换为TIF", kFormats, 184, 16, 80, 24, kShownTab,
              choice_box(kRadioBox, "转换为TIF", false), disable_options),
      element(element_id::kToBmp, kRadioBox, "转换为BMP", kFormats, 96, 16, 80, 24, kShownTab,
              choice_box(kRadioBox, "转换为BMP", false), disable_options),
      element(element_id::kToPng, kRadioBox, "转换为PNG", kFormats, 12, 40, 80, 24, kShownTab,
              choice_box(kRadioBox, "转换为PNG", false), disable_options),
      element(element_id::kToJpg, kRadioBox, "转换为JPG", kFormats, 12, 16, 80, 24, kShownTab,
              choice_box(kRadioBox, "转换为JPG", true), {{0, kEnableJpegOptions}}),
      element(kBatch, kGroupBox, "批量转换", kPanel, 316, 8, 296, 72, kShown, group("批量转换")),
      element(element_id::kFileDialog, kCommonDlg, "通用对话框1", kBatch, 180, 40, 26, 26, 0,
              core_properties(kCommonDlg, props({{8, int32_t{0}}, {11, std::string("图片文件(*.*)")}}))),
      element(
          element_id::kFolderBox, kEditBox, "目录", kBatch, 4, 16, 288, 20, kShownTab,
          core_properties(
              kEditBox,
              props(
                  {{9, int32_t{5}}, {10, int32_t{0}}, {11, int32_t{0xFFFFFF}}, {18, int32_t{1}}, {19, int32_t{'*'}}}))),
      element(element_id::kFileList, kListBox, "文件列表", kPanel, 8, 8, 304, 330, kShownTab,
              core_properties(kListBox,
                              props({{8, int32_t{5}}, {12, int32_t{0}}, {13, int32_t{0xFFFFFF}}, {16, int32_t{-1}}}))),
      element(kPanel, kShapeBox, "外形框2", 0, 16, 32, 616, 344, kShown, shape(kButtonFace, 0xFF00FF, kButtonFace)),
  };
  return window;
}

}  // namespace quorvant::forms
