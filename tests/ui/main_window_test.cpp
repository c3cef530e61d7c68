// The main window as the program stores it: every control against the
// layout the converter was designed with.
#include <gtest/gtest.h>

#include <QApplication>

#include "forms/embedded_form.h"
#include "forms/main_window.h"
#include "platform/dialogs.h"
#include "platform/gbk.h"
#include "tests/ui/ui_test_support.h"
#include "ui/coordinates.h"
#include "ui/form_reader/form_template.h"
#include "ui/form_reader/ids.h"
#include "ui/program_controls.h"

namespace quorvant::ui {
namespace {

using namespace form::type_id;

struct Expected {
  uint32_t id;
  uint32_t type;
  const char* name;
  uint32_t parent;
  QRect geometry;
  const char* caption;  // nullptr: none to check
  bool visible;
  bool tab;
};

constexpr uint32_t kPanel = 0x16010288;
constexpr uint32_t kBusy = 0x1601028B;
constexpr uint32_t kOptions = 0x1601028D;
constexpr uint32_t kFormats = 0x16010298;
constexpr uint32_t kBatch = 0x160102A4;

// The controls in their stored order.
const Expected kControls[] = {
    {0x160102B8, kSuperBtn, "查找文件", kBatch, {194, 40, 98, 24}, "转换多个图片", true, true},
    {0x160102B7, kSuperBtn, "查找单个文件", kBatch, {3, 40, 98, 24}, "转换单个图片", true, true},
    {0x160102B6, kSuperBtn, "格式转换", kPanel, {514, 312, 98, 24}, "格式转换", true, true},
    {0x160102B2, kTransLabel, "透明标签7", 0, {16, 8, 368, 16}, nullptr, true, false},
    {0x160102A9, kPicBtn, "控件_图形按钮_关闭", 0, {588, 0, 44, 18}, nullptr, true, false},
    {0x160102AA, kPicBtn, "控件_图形按钮_最小化", 0, {562, 0, 27, 18}, nullptr, true, false},
    {0x1601028A, kTransLabel, "透明标签6", kPanel, {315, 318, 197, 18}, nullptr, true, false},
    {kBusy, kShapeBox, "外形框1", kPanel, {208, 160, 176, 64}, nullptr, false, false},
    {0x1601028C,
     kTransLabel,
     "透明标签1",
     kBusy,
     {10, 7, 160, 52},
     "格式转换中! 请稍候......\r\n\r\n提示: \r\n转换完成后,将会打开文件夹",
     true,
     false},
    {kOptions, kGroupBox, "质量选择", kPanel, {316, 200, 296, 112}, "转换选择", true, false},
    {0x1601028E,
     kTransLabel,
     "透明标签5",
     kOptions,
     {8, 56, 84, 56},
     "提示信息:\r\n采用柔化后,\r\n图片质量好!\r\n图片体积大!",
     true,
     false},
    {0x1601028F, kTransLabel, "柔化标签", kOptions, {252, 88, 32, 16}, "0 度", true, false},
    {0x16010290, kTransLabel, "透明标签4", kOptions, {100, 88, 152, 16}, "请选择柔化质量! 当前选择: ", true, false},
    {0x16010291, kSliderBar, "柔化条", kOptions, {100, 56, 192, 32}, nullptr, true, true},
    {0x16010292, kCheckBox, "转换为彩色", kOptions, {8, 16, 80, 16}, "转换为彩色", true, true},
    {0x16010293, kCheckBox, "优化编码", kOptions, {8, 36, 80, 16}, "优化编码", true, true},
    {0x16010294, kTransLabel, "质量标签", kOptions, {252, 40, 32, 16}, "75 度", true, false},
    {0x16010295, kTransLabel, "透明标签3", kOptions, {100, 40, 152, 16}, "请选择画面质量! 当前选择: ", true, false},
    {0x16010296, kSliderBar, "品质条", kOptions, {100, 9, 192, 32}, nullptr, true, true},
    {kFormats, kGroupBox, "格式选择", kPanel, {316, 80, 296, 120}, "格式选择", true, false},
    {0x16010299, kTransLabel, "透明标签2", kFormats, {98, 90, 178, 16}, "提示: 请按照您的需要选择格式", true, false},
    {0x1601029A, kRadioBox, "转换为SGI", kFormats, {13, 88, 80, 24}, "转换为SGI", true, true},
    {0x1601029B, kRadioBox, "转换为PIC", kFormats, {184, 64, 80, 24}, "转换为PIC", true, true},
    {0x1601029C, kRadioBox, "转换为PCX", kFormats, {96, 64, 80, 24}, "转换为PCX", true, true},
    {0x1601029D, kRadioBox, "转换为PBM", kFormats, {12, 64, 80, 24}, "转换为PBM", true, true},
    {0x1601029E, kRadioBox, "转换为PGM", kFormats, {184, 40, 80, 24}, "转换为PGM", true, true},
    {0x1601029F, kRadioBox, "转换为PPM", kFormats, {96, 40, 80, 24}, "转换为PPM", true, true},
    {0x160102A0, kRadioBox, "转换为TIF", kFormats, {184, 16, 80, 24}, "转换为TIF", true, true},
    {0x160102A1, kRadioBox, "转换为BMP", kFormats, {96, 16, 80, 24}, "转换为BMP", true, true},
    {0x160102A2, kRadioBox, "转换为PNG", kFormats, {12, 40, 80, 24}, "转换为PNG", true, true},
    {0x160102A3, kRadioBox, "转换为JPG", kFormats, {12, 16, 80, 24}, "转换为JPG", true, true},
    {kBatch, kGroupBox, "批量转换", kPanel, {316, 8, 296, 72}, "批量转换", true, false},
    {0x160102A5, kCommonDlg, "通用对话框1", kBatch, {180, 40, 26, 26}, nullptr, false, false},
    {0x160102A8, kEditBox, "目录", kBatch, {4, 16, 288, 20}, "", true, true},
    {0x16010289, kListBox, "文件列表", kPanel, {8, 8, 304, 330}, nullptr, true, true},
    {kPanel, kShapeBox, "外形框2", 0, {16, 32, 616, 344}, nullptr, true, false},
};

// The property index that holds a type's caption.
int caption_index(uint32_t type) {
  switch (type) {
    case kSuperBtn:
      return 22;
    case kCheckBox:
    case kRadioBox:
      return 11;
    default:
      return 8;
  }
}

struct MainWindow : ::testing::Test {
  platform::ScriptedDialogs dialogs;
  std::vector<EventHandler> handlers = std::vector<EventHandler>(forms::kHandlerCount);
  std::unique_ptr<WindowRuntime> runtime;

  void SetUp() override {
    auto form = form::load_form(forms::embedded_form(), forms::kHandlerCount);
    ASSERT_TRUE(form);
    runtime = std::make_unique<WindowRuntime>(std::move(*form), handlers, program_control_types(), dialogs);
    ASSERT_TRUE(runtime->open_start_window(forms::kMainWindowId));
  }
  void TearDown() override {
    runtime.reset();
    testing::settle();
  }
  PropertyValue get(uint32_t element, int index) { return runtime->get_property(forms::kMainWindowId, element, index); }
};

TEST_F(MainWindow, TheTemplateStoresEveryControlInItsOrder) {
  const auto form = form::load_form(forms::embedded_form(), forms::kHandlerCount);
  const form::WindowTemplate* window = form->find(forms::kMainWindowId);
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(window->elements.size(), 37u);
  EXPECT_EQ(window->elements[0].element_id(), 0x06010000u);
  for (size_t i = 0; i < std::size(kControls); ++i) {
    const form::ElementRecord& record = window->elements[i + 1];
    SCOPED_TRACE(kControls[i].name);
    EXPECT_EQ(record.element_id(), kControls[i].id);
    EXPECT_EQ(record.type_id(), kControls[i].type);
    EXPECT_EQ(platform::gbk_to_utf8(record.name()), kControls[i].name);
    EXPECT_EQ(record.parent_id(), kControls[i].parent);
    EXPECT_EQ((record.state_flags() & form::state_flag::kTabStop) != 0, kControls[i].tab);
  }
}

TEST_F(MainWindow, EveryControlHasItsPlaceCaptionAndState) {
  const auto width = as_int(get(0x06010000, 2));
  EXPECT_EQ(width, 647);
  EXPECT_EQ(as_int(get(0x06010000, 3)), 391);
  int child_id = 100 + 10 * static_cast<int>(std::size(kControls) - 1);
  for (const Expected& control : kControls) {
    SCOPED_TRACE(control.name);
    QWidget* widget = runtime->widget_of(forms::kMainWindowId, control.id);
    ASSERT_NE(widget, nullptr);
    // Placed where the form says; a label's text may run on beyond.
    EXPECT_EQ(QRect(widget->pos(), placed_size(*widget)), control.geometry);
    EXPECT_EQ(widget->parentWidget(),
              runtime->widget_of(forms::kMainWindowId, control.parent == 0 ? 0x06010000 : control.parent));
    const bool own_flag_visible = !widget->isHidden();
    EXPECT_EQ(own_flag_visible, control.visible);
    EXPECT_EQ(as_int(get(control.id, 6)), 0) << "enabled";
    if (control.caption != nullptr) {
      EXPECT_EQ(as_text(get(control.id, caption_index(control.type))), control.caption);
    }
    EXPECT_EQ(runtime->child_id_of(forms::kMainWindowId, control.id), child_id);
    child_id -= 10;
  }
  EXPECT_EQ(as_int(get(0x160102A3, 18)), 1) << "转换为JPG starts checked";
  EXPECT_EQ(as_int(get(0x16010292, 18)), 1);
  EXPECT_EQ(as_int(get(0x16010296, 19)), 75);
  EXPECT_EQ(as_int(get(0x16010289, 16)), -1);
  EXPECT_EQ(as_text(get(0x160102A5, 11)), "图片文件(*.*)");
  EXPECT_EQ(as_int(get(0x160102A8, 18)), 1) << "目录 is read-only";
  const std::string title = as_text(get(0x160102B2, 8));
  EXPECT_EQ(title, std::string("Quorvant [官方网站: ") + forms::kWebSiteHost + " 官方论坛: " + forms::kForumHost + "]");
  EXPECT_EQ(as_text(get(0x06010000, 8)), std::string(forms::kBrandPrefix) + ".Quorvant V 1.1.0");
}

TEST_F(MainWindow, WithinEachParentTheFirstListedControlIsOnTop) {
  for (size_t i = 0; i < std::size(kControls); ++i) {
    for (size_t j = i + 1; j < std::size(kControls); ++j) {
      if (kControls[i].parent != kControls[j].parent) continue;
      QWidget* first = runtime->widget_of(forms::kMainWindowId, kControls[i].id);
      QWidget* later = runtime->widget_of(forms::kMainWindowId, kControls[j].id);
      const auto siblings = first->parentWidget()->children();
      ASSERT_GT(siblings.indexOf(first), siblings.indexOf(later)) << kControls[i].name << " over " << kControls[j].name;
    }
  }
}

TEST_F(MainWindow, IsBlackFramelessCentredAndPartlyEditable) {
  QWidget* window = runtime->widget_of(forms::kMainWindowId, 0);
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(window->grab().toImage().pixelColor(5, 200), QColor(0, 0, 0));
  EXPECT_FALSE(window->windowIcon().isNull());
}

}  // namespace
}  // namespace quorvant::ui
