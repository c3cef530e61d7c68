// What windows and dialogs are like once the runtime runs: Qt's standard
// dialogs speak Chinese, and a window that opens raises its focus event
// when the platform has activated it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "forms/form_writer.h"
#include "platform/dialogs.h"
#include "tests/runtime/runtime_test_support.h"
#include "tests/support/test_support.h"
#include "ui/form_reader/ids.h"
#include "ui/program_controls.h"
#include "ui/window_runtime.h"

namespace quorvant::runtime {
namespace {

TEST(QtTranslations, StandardButtonsAndDialogsSpeakChinese) {
  QMessageBox box;
  box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(box.button(QMessageBox::Ok)->text().toStdString(), "确定");
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text().toStdString(), "取消");

  // The folder browser is Qt's own file dialog in directory mode.
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::Directory);
  std::vector<std::string> labels;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) labels.push_back(label->text().toStdString());
  EXPECT_NE(std::find(labels.begin(), labels.end(), "查找范围："), labels.end()) << ::testing::PrintToString(labels);
  const auto* buttons = dialog.findChild<QDialogButtonBox*>();
  ASSERT_NE(buttons, nullptr);
  EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text().toStdString(), "取消");
}

constexpr uint32_t kFocusWindow = 0x52010002;
constexpr uint32_t kOwnElement = 0x06010000;
constexpr uint32_t kFirstEdit = 0x160102A8;
constexpr uint32_t kSecondEdit = 0x160102A9;

forms::ElementSpec element(uint32_t id, uint32_t type_id, int top, uint32_t flags, std::vector<ui::form::Binding> on) {
  forms::ElementSpec spec;
  spec.id = id;
  spec.type_id = type_id;
  spec.top = top;
  spec.width = type_id == ui::form::type_id::kWindow ? 200 : 120;
  spec.height = type_id == ui::form::type_id::kWindow ? 120 : 24;
  spec.state_flags = flags;
  spec.bindings = std::move(on);
  spec.property_blob = forms::core_properties(type_id, {});
  return spec;
}

// A window of its own with two edit boxes; the second is no tab stop, so
// the activation gives the focus to the first. Each element reports its
// focus event (-7) through the handler bound to it.
struct FocusWindow {
  platform::ScriptedDialogs dialogs;
  std::vector<uint32_t> focus_events;
  std::unique_ptr<ui::WindowRuntime> runtime;

  FocusWindow() {
    using ui::form::state_flag::kTabStop;
    using ui::form::state_flag::kVisible;
    constexpr int32_t kFocus = ui::window_event::kFocus;
    const auto bytes =
        forms::write_form({{kFocusWindow,
                            element(kOwnElement, ui::form::type_id::kWindow, 0, kVisible, {{kFocus, 0}}),
                            {element(kFirstEdit, ui::form::type_id::kEditBox, 10, kVisible | kTabStop, {{kFocus, 0}}),
                             element(kSecondEdit, ui::form::type_id::kEditBox, 50, kVisible, {{kFocus, 0}})},
                            {}}});
    std::vector<ui::EventHandler> handlers = {[this](std::span<const int32_t>) {
      focus_events.push_back(runtime->current_event_source().element_id);
      return ui::HandlerResult{};
    }};
    auto form = ui::form::load_form(bytes, static_cast<int32_t>(handlers.size()));
    if (form) {
      runtime = std::make_unique<ui::WindowRuntime>(std::move(*form), std::move(handlers), ui::program_control_types(),
                                                    dialogs);
    }
  }
};

TEST(OpeningAWindow, RaisesTheFocusEventOnceTheWindowIsActive) {
  FocusWindow window;
  ASSERT_NE(window.runtime, nullptr);
  ASSERT_TRUE(window.runtime->open_window(kFocusWindow));
  QWidget* top = window.runtime->widget_of(kFocusWindow, 0);
  ASSERT_NE(top, nullptr);
  EXPECT_TRUE(testing::eventually([&] {
    QApplication::processEvents();
    return !window.focus_events.empty();
  }));
  EXPECT_TRUE(top->isActiveWindow());
  EXPECT_EQ(QApplication::focusWidget(), window.runtime->widget_of(kFocusWindow, kFirstEdit));
  QApplication::processEvents();
  EXPECT_EQ(window.focus_events, std::vector<uint32_t>{kFirstEdit}) << "once, for the control with the focus";
}

}  // namespace
}  // namespace quorvant::runtime
