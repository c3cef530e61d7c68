// Forms built for the window runtime tests, and a runtime that records its
// runtime errors instead of ending the program.
#pragma once

#include <QApplication>

#include <memory>
#include <string>
#include <vector>

#include "forms/form_writer.h"
#include "platform/dialogs.h"
#include "ui/form_reader/ids.h"
#include "ui/form_reader/property_bag.h"
#include "ui/window_runtime.h"

namespace quorvant::testing {

inline constexpr uint32_t kWindowId = 0x52010001;
inline constexpr uint32_t kOwnId = 0x06010000;
inline constexpr uint32_t kTabStop = ui::form::state_flag::kVisible | ui::form::state_flag::kTabStop;

// Properties given by index, texts in UTF-8.
ui::form::PropertyBag props(std::initializer_list<std::pair<int, ui::form::FieldValue>> values);

// A window's own element of the given size, with Escape closing and drag
// moving on (window properties 22 and 27), plus any further properties.
forms::ElementSpec window_element(int width, int height, ui::form::PropertyBag extra = {});
forms::ElementSpec control(uint32_t id, uint32_t type_id, const std::string& name, QRect geometry,
                           ui::form::PropertyBag properties = {}, uint32_t parent = 0,
                           uint32_t flags = ui::form::state_flag::kVisible);

// A runtime over one window made of `own` and `controls`, with the handler
// table `handlers`, scripted dialogs, and the runtime errors collected.
class TestRuntime {
 public:
  TestRuntime(forms::ElementSpec own, std::vector<forms::ElementSpec> controls,
              std::vector<ui::EventHandler> handlers = {});
  ~TestRuntime();
  ui::WindowRuntime& operator*() { return *runtime_; }
  ui::WindowRuntime* operator->() { return runtime_.get(); }
  platform::ScriptedDialogs& dialogs() { return dialogs_; }
  const std::vector<std::string>& errors() const { return errors_; }
  QWidget* widget(uint32_t element_id) { return runtime_->widget_of(kWindowId, element_id); }
  // Closes the window and lets Qt delete what it deferred.
  void close();

 private:
  platform::ScriptedDialogs dialogs_;
  std::vector<std::string> errors_;
  std::unique_ptr<ui::WindowRuntime> runtime_;
};

// Lets Qt deliver what is waiting, deferred deletions included.
void settle();

}  // namespace quorvant::testing
