// Windows and controls built from templates: creation, properties, events,
// keyboard and mouse handling, closing, and access from another thread.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <atomic>
#include <thread>

#include "tests/ui/ui_test_support.h"
#include "ui/controls/common_dialog.h"
#include "ui/controls/list_box.h"

namespace quorvant::ui {
namespace {

using form::type_id::kCheckBox;
using form::type_id::kCommonDlg;
using form::type_id::kEditBox;
using form::type_id::kGroupBox;
using form::type_id::kListBox;
using form::type_id::kRadioBox;
using form::type_id::kShapeBox;
using form::type_id::kSliderBar;
using testing::control;
using testing::kOwnId;
using testing::kTabStop;
using testing::kWindowId;
using testing::props;
using testing::TestRuntime;

constexpr uint32_t kPanel = 0x16010288;
constexpr uint32_t kGroup = 0x1601028D;
constexpr uint32_t kEdit = 0x160102A8;
constexpr uint32_t kList = 0x16010289;
constexpr uint32_t kSlider = 0x16010291;
constexpr uint32_t kCheck = 0x16010292;
constexpr uint32_t kRadioA = 0x160102A3;
constexpr uint32_t kRadioB = 0x160102A2;
constexpr uint32_t kDialog = 0x160102A5;
constexpr uint32_t kBusy = 0x1601028B;

// Records the handler calls of a test.
struct Calls {
  std::vector<std::string> names;
  EventHandler record(const std::string& name, std::optional<int64_t> value = {}) {
    return [this, name, value](std::span<const int32_t>) {
      names.push_back(name);
      return value ? HandlerResult{true, *value} : HandlerResult{};
    };
  }
};

// A small window in the shape of the converter's: a panel with a group of
// two radio buttons, a check box and a slider, an edit box, a list, a busy
// box and a file dialog. Handler offsets: 0 created, 1 close query,
// 2 radio A, 3 slider, 4 radio B.
forms::ElementSpec bind(forms::ElementSpec spec, std::vector<form::Binding> bindings) {
  spec.bindings = std::move(bindings);
  return spec;
}

std::vector<forms::ElementSpec> controls() {
  return {
      bind(control(kRadioA, kRadioBox, "转换为JPG", {12, 16, 80, 24},
                   props({{11, std::string("转换为&JPG")}, {18, int32_t{1}}}), kGroup, kTabStop),
           {{0, 2}}),
      bind(control(kRadioB, kRadioBox, "转换为PNG", {12, 40, 80, 24}, props({{11, std::string("转换为PNG")}}), kGroup,
                   kTabStop),
           {{0, 4}}),
      control(kCheck, kCheckBox, "优化编码", {100, 16, 80, 16}, props({{11, std::string("优化&Q")}, {18, int32_t{1}}}),
              kGroup, kTabStop),
      bind(control(kSlider, kSliderBar, "品质条", {100, 40, 150, 32},
                   props({{17, int32_t{1}}, {18, int32_t{100}}, {19, int32_t{75}}}), kGroup, kTabStop),
           {{0, 3}}),
      control(kGroup, kGroupBox, "格式选择", {316, 80, 296, 120}, props({{8, std::string("格式选择")}}), kPanel),
      control(kEdit, kEditBox, "目录", {4, 16, 288, 20}, props({{18, int32_t{1}}, {19, int32_t{'*'}}}), kPanel,
              kTabStop),
      control(kList, kListBox, "文件列表", {8, 40, 300, 200}, props({{16, int32_t{-1}}}), kPanel, kTabStop),
      control(kBusy, kShapeBox, "外形框1", {208, 160, 176, 64}, props({{14, int32_t{0xFFFFFF}}}), kPanel, 0),
      control(kDialog, kCommonDlg, "通用对话框1", {180, 40, 26, 26}, props({{11, std::string("图片文件(*.*)")}}),
              kPanel, 0),
      control(kPanel, kShapeBox, "外形框2", {16, 32, 616, 344},
              props({{8, int32_t(0xFF000000)}, {11, int32_t{1}}, {13, int32_t{0xFF00FF}}, {14, int32_t(0xFF000000)}})),
  };
}

struct ConverterLikeWindow : ::testing::Test {
  Calls calls;
  TestRuntime runtime{bind(testing::window_element(647, 391), {{0, 0}, {1, 1}}),
                      controls(),
                      {calls.record("created"), calls.record("close query"), calls.record("radio A"),
                       calls.record("slider"), calls.record("radio B")}};

  void SetUp() override { ASSERT_TRUE(runtime->open_start_window(kWindowId)); }
  int32_t integer(uint32_t element, int index) { return as_int(runtime->get_property(kWindowId, element, index)); }
};

TEST_F(ConverterLikeWindow, BuildsControlsLastFirstWithChildIdentifiersFrom100) {
  // Ten controls: the last-listed gets 100, the first-listed 190.
  EXPECT_EQ(runtime->child_id_of(kWindowId, kPanel), 100);
  EXPECT_EQ(runtime->child_id_of(kWindowId, kRadioA), 190);
  EXPECT_EQ(runtime->child_id_of(kWindowId, kGroup), 150);
  EXPECT_TRUE(runtime.errors().empty());
}

TEST_F(ConverterLikeWindow, ControlsSitInsideTheirParentsWithTheFirstListedOnTop) {
  QWidget* group = runtime.widget(kGroup);
  QWidget* radio = runtime.widget(kRadioA);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(radio->parentWidget(), group);
  EXPECT_EQ(radio->pos(), QPoint(12, 16)) << "positions are relative to the parent";
  EXPECT_EQ(group->parentWidget(), runtime.widget(kPanel));
  // Qt stacks later children over earlier ones.
  const auto stack = group->children();
  const auto index = [&](uint32_t id) { return stack.indexOf(runtime.widget(id)); };
  EXPECT_GT(index(kRadioA), index(kRadioB));
  EXPECT_GT(index(kRadioB), index(kCheck));
  EXPECT_GT(index(kCheck), index(kSlider));
}

TEST_F(ConverterLikeWindow, VisibilityFollowsTheStoredFlagsAndTheDialogNeverShows) {
  EXPECT_TRUE(runtime.widget(kOwnId)->isVisible());
  EXPECT_EQ(integer(kBusy, 5), 0);
  EXPECT_EQ(integer(kList, 5), 1);
  EXPECT_FALSE(runtime.widget(kDialog)->isVisible());
  runtime->set_property(kWindowId, kDialog, 5, int32_t{1});
  EXPECT_FALSE(runtime.widget(kDialog)->isVisible());
  runtime->set_property(kWindowId, kBusy, 5, int32_t{1});
  EXPECT_TRUE(runtime.widget(kBusy)->isVisible());
}

TEST_F(ConverterLikeWindow, FixedPropertiesAreClamped) {
  runtime->set_property(kWindowId, kList, 0, int32_t{40000});
  EXPECT_EQ(integer(kList, 0), 32627);
  runtime->set_property(kWindowId, kList, 1, int32_t{-40000});
  EXPECT_EQ(integer(kList, 1), -32627);
  runtime->set_property(kWindowId, kList, 2, int32_t{-5});
  EXPECT_EQ(integer(kList, 2), 0);
  EXPECT_EQ(runtime.widget(kList)->width(), 0);
  runtime->set_property(kWindowId, kList, 3, int32_t{50000});
  EXPECT_EQ(integer(kList, 3), 32627);
  runtime->set_property(kWindowId, kList, 4, std::string("标签"));
  EXPECT_EQ(as_text(runtime->get_property(kWindowId, kList, 4)), "标签");
  runtime->set_property(kWindowId, kList, 6, int32_t{1});
  EXPECT_EQ(integer(kList, 6), 1);
  EXPECT_FALSE(runtime.widget(kList)->isEnabled());
  EXPECT_EQ(integer(kList, 7), 0) << "no pointer of its own";
  runtime->set_property(kWindowId, kList, 7, int32_t{14});
  EXPECT_EQ(integer(kList, 7), 14);
  EXPECT_EQ(runtime.widget(kList)->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(ConverterLikeWindow, DisablingAGroupLeavesItsChildrensOwnStateAlone) {
  runtime->set_property(kWindowId, kGroup, 6, int32_t{1});
  EXPECT_FALSE(runtime.widget(kCheck)->isEnabled()) << "children of a disabled group cannot be used";
  EXPECT_EQ(integer(kCheck, 6), 0) << "but their own Disabled stays off";
}

TEST_F(ConverterLikeWindow, OwnPropertiesReadAndWriteByKind) {
  EXPECT_EQ(integer(kSlider, 19), 75);
  runtime->set_property(kWindowId, kSlider, 19, int32_t{30});
  EXPECT_EQ(static_cast<QSlider*>(runtime.widget(kSlider))->value(), 30);
  EXPECT_EQ(integer(kCheck, 18), 1);
  static_cast<QCheckBox*>(runtime.widget(kCheck))->setChecked(false);
  EXPECT_EQ(integer(kCheck, 18), 0) << "read from the live box";
  runtime->set_property(kWindowId, kEdit, 8, std::string("/home/用户/图片/"));
  EXPECT_EQ(as_text(runtime->get_property(kWindowId, kEdit, 8)), "/home/用户/图片/");
  EXPECT_TRUE(static_cast<QLineEdit*>(runtime.widget(kEdit))->isReadOnly());
  EXPECT_EQ(as_text(runtime->get_property(kWindowId, kGroup, 8)), "格式选择");
  EXPECT_EQ(integer(kList, 16), -1);
  // Booleans count as true only when they are exactly 1.
  runtime->set_property(kWindowId, kCheck, 18, int32_t{2});
  EXPECT_EQ(integer(kCheck, 18), 0);
}

TEST_F(ConverterLikeWindow, FontsAreReadWholeOrByField) {
  const auto font = std::get<FontRecord>(runtime->get_property(kWindowId, kGroup, 12));
  EXPECT_FALSE(font.face.empty()) << "the default interface font";
  runtime->set_property(kWindowId, kGroup, 12, int32_t{1}, 1);  // bold
  runtime->set_property(kWindowId, kGroup, 12, int32_t{3700}, 0);
  const auto changed = std::get<FontRecord>(runtime->get_property(kWindowId, kGroup, 12));
  EXPECT_TRUE(changed.bold);
  EXPECT_EQ(changed.angle, 100) << "angles are taken modulo 3600";
  EXPECT_EQ(changed.face, font.face) << "the other fields stay";
  EXPECT_EQ(as_int(runtime->get_property(kWindowId, kGroup, 12, 1)), 1);
  EXPECT_TRUE(runtime.widget(kGroup)->font().bold());
}

TEST_F(ConverterLikeWindow, EventsReachTheirHandlersButNotWhileTheCounterIsRaised) {
  EXPECT_EQ(calls.names, (std::vector<std::string>{"created"}));
  calls.names.clear();
  QTest::mouseClick(runtime.widget(kRadioB), Qt::LeftButton);
  EXPECT_EQ(calls.names, (std::vector<std::string>{"radio B"}));
  EXPECT_EQ(integer(kRadioA, 18), 0) << "radio buttons of one parent are one group";
  static_cast<QSlider*>(runtime.widget(kSlider))->triggerAction(QSlider::SliderSingleStepAdd);
  EXPECT_EQ(calls.names.back(), "slider");
  EXPECT_EQ(integer(kSlider, 19), 76) << "stored before the handler runs";

  calls.names.clear();
  runtime->raise_error_nesting();
  QTest::mouseClick(runtime.widget(kRadioA), Qt::LeftButton);
  runtime->lower_error_nesting();
  EXPECT_TRUE(calls.names.empty());
  runtime->set_property(kWindowId, kSlider, 19, int32_t{50});
  EXPECT_TRUE(calls.names.empty()) << "a position the program sets raises nothing";
}

TEST_F(ConverterLikeWindow, EventSourceIsKnownWhileAHandlerRuns) {
  EventRecord record{kWindowId, kRadioB, 0, {}};
  EXPECT_TRUE(runtime->raise_event(record));
  EXPECT_EQ(runtime->current_event_source().window_id, 0u);
  EventRecord unbound{kWindowId, kList, 0, {}};
  EXPECT_FALSE(runtime->raise_event(unbound)) << "no binding: not handled";
}

TEST_F(ConverterLikeWindow, ClosingRestoresTheStoredValues) {
  runtime->set_property(kWindowId, kList, 0, int32_t{99});
  runtime->set_property(kWindowId, kGroup, 8, std::string("changed"));
  runtime.close();
  EXPECT_FALSE(runtime->is_open(kWindowId));
  EXPECT_EQ(integer(kList, 0), 8) << "fixed properties read from the record while closed";
  runtime->get_property(kWindowId, kGroup, 8);
  EXPECT_EQ(runtime.errors().back(), "指定窗口尚未载入");
  ASSERT_TRUE(runtime->open_window(kWindowId));
  EXPECT_EQ(integer(kList, 0), 8);
  EXPECT_EQ(as_text(runtime->get_property(kWindowId, kGroup, 8)), "格式选择");
}

TEST_F(ConverterLikeWindow, OpeningAnOpenWindowCreatesNothing) {
  QWidget* before = runtime.widget(kList);
  calls.names.clear();
  ASSERT_TRUE(runtime->open_window(kWindowId));
  EXPECT_EQ(runtime.widget(kList), before);
  EXPECT_TRUE(calls.names.empty());
}

TEST_F(ConverterLikeWindow, RuntimeErrorsCarryTheirTexts) {
  runtime->get_property(0x52019999, kList, 0);
  EXPECT_EQ(runtime.errors().back(), "未载入欲访问窗口组件所在的窗口");
  runtime->set_property(kWindowId, 0x16019999, 0, int32_t{1});
  EXPECT_EQ(runtime.errors().back(), "未载入欲访问窗口组件所在的窗口") << "a control outside the window";
  EventRecord unknown_window{0x52019999, 0, 0, {}};
  runtime->raise_event(unknown_window);
  EXPECT_EQ(runtime.errors().back(), "未找到引发事件的窗口");
  EventRecord unknown_element{kWindowId, 0x16019999, 0, {}};
  runtime->raise_event(unknown_element);
  EXPECT_EQ(runtime.errors().back(), "未找到引发事件的窗口组件");
  EventRecord dialog_event{kWindowId, kDialog, 0, {}};
  runtime->raise_event(dialog_event);
  EXPECT_EQ(runtime.errors().back(), "引发事件的窗口组件无效") << "the dialog is not a window unit";
  runtime.close();
  EXPECT_EQ(runtime->resolve_control(kWindowId, kList), nullptr);
  EXPECT_EQ(runtime.errors().back(), "指定窗口或窗口组件不存在或尚未载入");
  EXPECT_FALSE(runtime->open_start_window(0x52019999));
  EXPECT_EQ(runtime.errors().back(), "载入启动窗口失败");
}

TEST_F(ConverterLikeWindow, TabFollowsReverseListOrderAndArrowsStayAmongRadios) {
  QWidget* window = runtime.widget(kOwnId);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  runtime.widget(kList)->setFocus();
  // Tab stops in reverse list order: list, edit, slider, check, radio B, radio A.
  const uint32_t expected[] = {kEdit, kSlider, kCheck, kRadioB, kRadioA, kList};
  for (uint32_t next : expected) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), runtime.widget(next));
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), runtime.widget(kRadioA));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
  EXPECT_EQ(QApplication::focusWidget(), runtime.widget(kRadioB));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), runtime.widget(kRadioA)) << "arrows wrap among the radios only";
}

TEST_F(ConverterLikeWindow, AltShortcutsAndEscape) {
  QWidget* window = runtime.widget(kOwnId);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  runtime.widget(kList)->setFocus();
  calls.names.clear();
  QTest::keyClick(runtime.widget(kList), Qt::Key_Q, Qt::AltModifier);
  EXPECT_EQ(integer(kCheck, 18), 0) << "Alt+Q toggles the check box captioned 优化&Q";
  QTest::keyClick(runtime.widget(kList), Qt::Key_J, Qt::AltModifier);
  EXPECT_EQ(calls.names, (std::vector<std::string>{"radio A"}));

  QTest::keyClick(runtime.widget(kList), Qt::Key_Escape);
  testing::settle();
  EXPECT_FALSE(runtime->is_open(kWindowId)) << "Escape closes through the close query";
  EXPECT_EQ(calls.names.back(), "close query");
}

TEST_F(ConverterLikeWindow, DraggingThePanelMovesTheWindow) {
  QWidget* window = runtime.widget(kOwnId);
  const QPoint start = window->pos();
  QWidget* panel = runtime.widget(kPanel);
  QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(5, 5));
  QMouseEvent move(QEvent::MouseMove, QPointF(35, 25), panel->mapToGlobal(QPointF(35, 25)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(panel, &move);
  QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(35, 25));
  EXPECT_EQ(window->pos(), start + QPoint(30, 20));
  const QPoint moved = window->pos();
  QWidget* list = static_cast<QListWidget*>(runtime.widget(kList))->viewport();
  QTest::mousePress(list, Qt::LeftButton, {}, QPoint(5, 5));
  QMouseEvent list_move(QEvent::MouseMove, QPointF(45, 45), list->mapToGlobal(QPointF(45, 45)), Qt::NoButton,
                        Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list, &list_move);
  QTest::mouseRelease(list, Qt::LeftButton, {}, QPoint(45, 45));
  EXPECT_EQ(window->pos(), moved) << "a list does not move the window";
}

TEST_F(ConverterLikeWindow, ListAndDialogMethods) {
  auto* list = dynamic_cast<controls::ListBoxControl*>(runtime->resolve_control(kWindowId, kList));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->add_item("/a/一.jpg", 7), 0);
  EXPECT_EQ(list->add_item("/a/二.png", 0), 1);
  EXPECT_EQ(list->item_text(1), "/a/二.png");
  EXPECT_EQ(list->add_item("/a/\xb1\xa3.jpg", 0), 2) << "a name that is not UTF-8";
  EXPECT_EQ(list->item_text(2), "/a/\xb1\xa3.jpg") << "its bytes, not the text shown";
  EXPECT_EQ(list->item_count(), 3);
  EXPECT_EQ(list->item_text(3), "");
  EXPECT_EQ(list->item_text(-1), "");
  list->clear();
  EXPECT_EQ(list->item_count(), 0);
}

TEST_F(ConverterLikeWindow, PropertiesFromAnotherThreadAreCarriedToTheWindowThread) {
  std::atomic<int> position{0};
  std::atomic<bool> done{false};
  std::thread job([&] {
    runtime->set_property(kWindowId, kBusy, 5, int32_t{1});
    runtime->set_property(kWindowId, kOwnId, 6, int32_t{1});
    position = as_int(runtime->get_property(kWindowId, kSlider, 19));
    done = true;
  });
  while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  job.join();
  EXPECT_EQ(position, 75);
  EXPECT_TRUE(runtime.widget(kBusy)->isVisible());
  EXPECT_FALSE(runtime.widget(kOwnId)->isEnabled());
}

TEST(WindowClosing, AHandlerReturningFalseKeepsTheWindowOpen) {
  bool allow = false;
  std::vector<EventHandler> handlers = {[&](std::span<const int32_t>) { return HandlerResult{true, allow ? 1 : 0}; }};
  forms::ElementSpec own = testing::window_element(200, 100);
  own.bindings = {{1, 0}};
  TestRuntime runtime(own, {}, handlers);
  ASSERT_TRUE(runtime->open_window(kWindowId));
  runtime.close();
  EXPECT_TRUE(runtime->is_open(kWindowId));
  allow = true;
  runtime.close();
  EXPECT_FALSE(runtime->is_open(kWindowId));
}

TEST(WindowClosing, AHandlerReturningNothingLetsItClose) {
  std::vector<EventHandler> handlers = {[](std::span<const int32_t>) { return HandlerResult{}; }};
  forms::ElementSpec own = testing::window_element(200, 100);
  own.bindings = {{1, 0}};
  TestRuntime runtime(own, {}, handlers);
  ASSERT_TRUE(runtime->open_window(kWindowId));
  runtime.close();
  EXPECT_FALSE(runtime->is_open(kWindowId));
}

TEST(WindowOpening, AnElementThatCannotBeCreatedAbandonsTheWindow) {
  forms::ElementSpec broken = control(kList, kListBox, "文件列表", {0, 0, 10, 10});
  broken.property_blob[0] = 9;  // version too high
  TestRuntime runtime(testing::window_element(200, 100), {broken});
  EXPECT_FALSE(runtime->open_window(kWindowId));
  EXPECT_FALSE(runtime->is_open(kWindowId));
  EXPECT_EQ(runtime->error_nesting(), 0) << "event dispatch resumes";
}

TEST(WindowOpening, OpenAndCloseCyclesLeaveNothingBehind) {
  TestRuntime runtime(testing::window_element(300, 200), controls());
  for (int cycle = 0; cycle < 200; ++cycle) {
    ASSERT_TRUE(runtime->open_window(kWindowId));
    runtime->set_property(kWindowId, kEdit, 15, int32_t{1});  // re-creates the edit box
    runtime.close();
  }
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()) << "every window widget was deleted";
}

TEST(ControlRecreation, ChangingTheKindOfEditBoxMakesANewOneWithTheSameText) {
  TestRuntime runtime(testing::window_element(300, 200), {control(kEdit, kEditBox, "目录", {4, 16, 200, 60},
                                                                  props({{8, std::string("一行")}}), 0, kTabStop)});
  ASSERT_TRUE(runtime->open_window(kWindowId));
  ASSERT_NE(qobject_cast<QLineEdit*>(runtime.widget(kEdit)), nullptr);
  runtime->set_property(kWindowId, kEdit, 15, int32_t{1});
  auto* multi = qobject_cast<QPlainTextEdit*>(runtime.widget(kEdit));
  ASSERT_NE(multi, nullptr);
  EXPECT_EQ(multi->toPlainText(), "一行");
  EXPECT_EQ(multi->geometry(), QRect(4, 16, 200, 60));
  EXPECT_EQ(runtime->child_id_of(kWindowId, kEdit), 100);
}

}  // namespace
}  // namespace quorvant::ui

namespace quorvant::ui {
namespace {

TEST(WindowKeys, EnterMovesLikeTabWhenTheWindowSaysSoButNotInAMultiLineBox) {
  TestRuntime runtime(testing::window_element(300, 200, props({{21, int32_t{1}}})),
                      {control(kEdit, kEditBox, "一", {4, 4, 100, 20}, {}, 0, kTabStop),
                       control(kList, kEditBox, "二", {4, 40, 100, 60}, props({{15, int32_t{1}}}), 0, kTabStop)});
  ASSERT_TRUE(runtime->open_window(kWindowId));
  QWidget* window = runtime.widget(kOwnId);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  runtime.widget(kList)->setFocus();
  QTest::keyClick(runtime.widget(kList), Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), runtime.widget(kList)) << "the multi-line box keeps Enter";
  EXPECT_EQ(as_text(runtime->get_property(kWindowId, kList, 8)), "\n");
  runtime.widget(kEdit)->setFocus();
  QTest::keyClick(runtime.widget(kEdit), Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), runtime.widget(kList));
}

}  // namespace
}  // namespace quorvant::ui
