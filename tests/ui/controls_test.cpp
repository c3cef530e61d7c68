// The core control types: each type's own properties, painting and saving.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>

#include "platform/gbk.h"
#include "tests/ui/ui_test_support.h"
#include "ui/controls/common_dialog.h"
#include "ui/controls/window_control.h"
#include "ui/form_reader/type_catalog.h"

namespace quorvant::ui {
namespace {

using namespace form::type_id;
using testing::control;
using testing::kOwnId;
using testing::kWindowId;
using testing::props;
using testing::TestRuntime;

constexpr uint32_t kFirst = 0x16010300;

// One window with one control of the given type.
struct Single {
  TestRuntime runtime;
  Single(uint32_t type, form::PropertyBag properties, QRect geometry = {10, 10, 120, 40}, form::PropertyBag window = {})
      : runtime(testing::window_element(300, 200, std::move(window)),
                {control(kFirst, type, "c", geometry, std::move(properties))}) {
    EXPECT_TRUE(runtime->open_window(kWindowId));
  }
  QWidget* widget() { return runtime.widget(kFirst); }
  PropertyValue get(int index) { return runtime->get_property(kWindowId, kFirst, index); }
  void set(int index, PropertyValue value) { runtime->set_property(kWindowId, kFirst, index, value); }
  QImage rendered() {
    QImage image(widget()->size(), QImage::Format_RGB32);
    widget()->render(&image);
    return image;
  }
};

TEST(ShapeBox, UnfilledShapesShowTheirBackgroundAndOutlinesDrawInside) {
  Single box(kShapeBox, props({{8, int32_t{0x00FF00}},
                               {9, int32_t{0}},
                               {11, int32_t{1}},
                               {12, int32_t{3}},
                               {13, int32_t{0x0000FF}},
                               {14, int32_t(0xFF000000)}}));
  QImage image = box.rendered();
  EXPECT_EQ(image.pixelColor(60, 20), QColor(0, 255, 0)) << "not filled: the background shows";
  EXPECT_EQ(image.pixelColor(0, 0), QColor(255, 0, 0)) << "a 3-pixel red outline inside the edge";
  EXPECT_EQ(image.pixelColor(2, 20), QColor(255, 0, 0));
  EXPECT_EQ(image.pixelColor(3, 20), QColor(0, 255, 0));
  box.set(14, int32_t{0xFFFFFF});
  EXPECT_EQ(box.rendered().pixelColor(60, 20), QColor(255, 255, 255)) << "filled white";
  box.set(9, int32_t{3});  // a circle in a centred square
  image = box.rendered();
  EXPECT_EQ(image.pixelColor(2, 20), QColor(0, 255, 0)) << "outside the circle";
}

TEST(ShapeBox, SunkenOutlinesAreWhiteBelowRightAndBlackInPlace) {
  Single box(kShapeBox, props({{8, int32_t{0x808080}}, {10, int32_t{1}}, {11, int32_t{1}}, {14, int32_t(0xFF000000)}}));
  const QImage image = box.rendered();
  EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(119, 39), QColor(Qt::white));
}

TEST(EditBox, ModesAndSelectionInBytes) {
  Single edit(kEditBox, props({{8, std::string("一二三abc")}, {14, int32_t{20}}, {18, int32_t{2}}, {20, int32_t{2}}}));
  auto* line = qobject_cast<QLineEdit*>(edit.widget());
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->echoMode(), QLineEdit::Password);
  EXPECT_EQ(line->text(), "一二三ABC") << "upper case conversion";
  edit.set(24, int32_t{3});
  edit.set(25, int32_t{6});
  EXPECT_EQ(as_text(edit.get(26)), "二三") << "positions count UTF-8 bytes";
  edit.set(18, int32_t{1});
  EXPECT_TRUE(line->isReadOnly());
  EXPECT_EQ(line->echoMode(), QLineEdit::Normal);
}

TEST(EditBox, SpinButtonsStepTheNumberWithinTheRange) {
  Single edit(kEditBox, props({{8, std::string("9")}, {21, int32_t{1}}, {22, int32_t{10}}, {23, int32_t{0}}}));
  auto buttons = edit.widget()->findChildren<QToolButton*>();
  ASSERT_EQ(buttons.size(), 2);
  buttons[0]->click();
  buttons[0]->click();
  EXPECT_EQ(as_text(edit.get(8)), "10");
  edit.set(6, int32_t{1});
  EXPECT_FALSE(buttons[0]->isEnabled()) << "disabled with the box";
}

TEST(CheckAndRadioBoxes, CaptionsPictureAndPushLook) {
  Single check(kCheckBox, props({{11, std::string("优化编码")}, {18, int32_t{1}}}));
  auto* button = qobject_cast<QAbstractButton*>(check.widget());
  EXPECT_EQ(button->text(), "优化编码");
  EXPECT_TRUE(button->isChecked());
  // A picture takes the caption's place.
  const Bytes bmp = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0,   24,
                     0,   0,   0,  0, 0, 4, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0};
  check.set(8, bmp);
  EXPECT_TRUE(button->text().isEmpty());
  EXPECT_FALSE(button->icon().isNull());
  QWidget* before = check.widget();
  check.set(9, int32_t{1});  // push-button look: a new control
  EXPECT_NE(check.widget(), before);
  EXPECT_NE(qobject_cast<QPushButton*>(check.widget()), nullptr);
  EXPECT_EQ(as_int(check.get(18)), 1) << "the state survives the change";
}

TEST(SliderBar, RangeAndPositionAreClampedTogether) {
  Single slider(kSliderBar, props({{17, int32_t{1}}, {18, int32_t{100}}, {19, int32_t{75}}}));
  slider.set(19, int32_t{500});
  EXPECT_EQ(as_int(slider.get(19)), 100);
  slider.set(17, int32_t{200});  // the ends may come in either order
  EXPECT_EQ(as_int(slider.get(19)), 100);
}

TEST(CommonDialog, FilterRuleAndOpenThroughTheDialogs) {
  using controls::parse_filter;
  EXPECT_EQ(parse_filter("图片文件(*.*)"), (std::vector<std::pair<std::string, std::string>>{{"图片文件(*.*)", ""}}));
  EXPECT_EQ(parse_filter("JPEG|*.jpg|All|*.*"),
            (std::vector<std::pair<std::string, std::string>>{{"JPEG", "*.jpg"}, {"All", "*.*"}}));
  EXPECT_EQ(parse_filter("JPEG|*.jpg||"), (std::vector<std::pair<std::string, std::string>>{{"JPEG", "*.jpg"}}));
  EXPECT_TRUE(parse_filter("").empty());

  Single dialog(kCommonDlg, props({{11, std::string("图片文件(*.*)")}, {9, std::string("选择")}, {12, int32_t{-3}}}));
  auto* common = dynamic_cast<controls::CommonDialogControl*>(dialog.runtime->resolve_control(kWindowId, kFirst));
  ASSERT_NE(common, nullptr);
  EXPECT_FALSE(common->open()) << "cancelled";
  EXPECT_EQ(as_text(dialog.get(10)), "");
  dialog.runtime.dialogs().answer_file("/图片/一.jpg");
  EXPECT_TRUE(common->open());
  EXPECT_EQ(as_text(dialog.get(10)), "/图片/一.jpg");
  const platform::FileDialogRequest& request = dialog.runtime.dialogs().file_requests().back();
  EXPECT_EQ(request.title, "选择");
  EXPECT_EQ(request.initial_filter, 0) << "a negative entry selects the first";
  EXPECT_FALSE(request.save);
}

TEST(Window, BorderStyleZeroHasNoFrameAndPositionOneCentres) {
  Single window(kShapeBox, {}, {10, 10, 20, 20}, props({{9, int32_t{0}}, {18, int32_t{1}}}));
  QWidget* top = window.runtime.widget(kOwnId);
  EXPECT_TRUE(top->windowFlags().testFlag(Qt::FramelessWindowHint));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(top->pos(), QPoint((screen.width() - 300) / 2, (screen.height() - 200) / 2));
  EXPECT_EQ(as_text(window.runtime->get_property(kWindowId, kOwnId, 8)), "测试窗口");
  window.runtime->set_property(kWindowId, kOwnId, 18, int32_t{2});
  EXPECT_EQ(as_int(window.runtime->get_property(kWindowId, kOwnId, 18)), 2) << "minimised";
}

TEST(Window, ShapesBecomeMasks) {
  using controls::window_shape;
  const QSize size(200, 100);
  EXPECT_FALSE(window_shape(0, size));
  EXPECT_FALSE(window_shape(7, size));
  const QRegion ellipse = *window_shape(1, size);
  EXPECT_TRUE(ellipse.contains(QPoint(100, 50)));
  EXPECT_FALSE(ellipse.contains(QPoint(2, 2)));
  const QRegion rounded = *window_shape(2, size);
  EXPECT_FALSE(rounded.contains(QPoint(0, 0)));
  EXPECT_TRUE(rounded.contains(QPoint(25, 1)));
  const QRegion ring = *window_shape(3, size);
  EXPECT_FALSE(ring.contains(QPoint(100, 50))) << "the middle half is cut out";
  EXPECT_TRUE(ring.contains(QPoint(30, 50)));

  Single shaped(kShapeBox, {}, {10, 10, 20, 20}, props({{28, int32_t{1}}}));
  EXPECT_FALSE(shaped.runtime.widget(kOwnId)->mask().isEmpty());
}

TEST(SavingControls, AllPropertiesRoundTripThroughTheStoredFormat) {
  Single list(kListBox, props({{17, std::vector<std::string>{"甲", "乙"}}, {12, int32_t{0x123456}}, {9, int32_t{7}}}));
  Control* control = list.runtime->resolve_control(kWindowId, kFirst);
  const auto bag = form::read_properties(form::find_core_type(kListBox)->schema, control->all_properties());
  ASSERT_TRUE(bag);
  EXPECT_EQ(bag->integer(12), 0x123456);
  EXPECT_EQ(bag->integer(9), 7) << "unnamed properties are carried unchanged";
  ASSERT_EQ(bag->texts(17).size(), 2u);
  EXPECT_EQ(platform::gbk_to_utf8(bag->texts(17)[1]), "乙");
}

}  // namespace
}  // namespace quorvant::ui
