// The window runtime's per-window state, shared by its source files.
#pragma once

#include <QEventLoop>
#include <QPointer>

#include <memory>
#include <vector>

#include "ui/window_input.h"
#include "ui/window_runtime.h"

namespace quorvant::ui {

// Keeps event dispatch off while a window is built or a control re-created.
class NestingGuard {
 public:
  explicit NestingGuard(WindowRuntime& runtime) : runtime_(runtime) { runtime_.raise_error_nesting(); }
  ~NestingGuard() { runtime_.lower_error_nesting(); }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;

 private:
  WindowRuntime& runtime_;
};

// The runtime side of one control: raises its events.
class WindowRuntime::ElementHost final : public ControlHost {
 public:
  ElementHost(WindowRuntime& runtime, uint32_t window_id, uint32_t element_id)
      : runtime_(runtime), window_id_(window_id), element_id_(element_id) {}
  bool raise(int32_t event, std::span<const int32_t> args, std::optional<int64_t>* result) override;
  platform::Dialogs& dialogs() override { return runtime_.dialogs(); }
  platform::SoundPlayer* sounds() override { return runtime_.sounds(); }

 private:
  WindowRuntime& runtime_;
  uint32_t window_id_;
  uint32_t element_id_;
};

struct WindowRuntime::LiveElement {
  std::unique_ptr<ElementHost> host;  // declared first: it outlives the control
  std::unique_ptr<Control> control;
  int child_id = 0;
};

struct WindowRuntime::LiveWindow {
  std::vector<form::ElementRecord> saved;  // the element body as it was before opening
  std::vector<LiveElement> elements;       // by element position
  bool loaded = false;
  bool modal = false;
  std::vector<QPointer<QWidget>> disabled_by_modal;
  QPointer<QEventLoop> modal_loop;  // the loop of a modal opening, while it runs
  std::unique_ptr<WindowInput> input;

  QWidget* top() const { return elements.empty() || !elements[0].control ? nullptr : elements[0].control->widget(); }
};

}  // namespace quorvant::ui
