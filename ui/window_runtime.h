// The window runtime: opens windows from the loaded form template, gives the
// program property access and control methods by (window id, element id),
// and dispatches the events controls raise to the handlers the template
// binds. The program never holds a window or control; it names them by id.
//
// Windows open and events run on the window thread. Property access and
// control resolution may be called from any thread: the work is carried to
// the window thread and the caller waits.
#pragma once

#include <QPointer>

#include <atomic>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/window_handles.h"
#include "ui/control.h"
#include "ui/form_reader/form_template.h"

class QEventLoop;

namespace quorvant::platform {
class SoundPlayer;
}

namespace quorvant::ui {

namespace runtime_error {
inline constexpr const char* kWindowNotInForm = "未载入欲访问窗口组件所在的窗口";
inline constexpr const char* kWindowNotOpen = "指定窗口尚未载入";
inline constexpr const char* kNoSuchControl = "指定窗口或窗口组件不存在或尚未载入";
inline constexpr const char* kStartWindowFailed = "载入启动窗口失败";
inline constexpr const char* kEventWindowUnknown = "未找到引发事件的窗口";
inline constexpr const char* kEventElementUnknown = "未找到引发事件的窗口组件";
inline constexpr const char* kEventElementInvalid = "引发事件的窗口组件无效";
}  // namespace runtime_error

// What a handler gives back: a value, or nothing at all.
struct HandlerResult {
  bool returned = false;
  int64_t value = 0;
};
using EventHandler = std::function<HandlerResult(std::span<const int32_t> args)>;

struct EventRecord {
  uint32_t window_id = 0;
  uint32_t element_id = 0;  // the window's own element for window events
  int32_t event = 0;        // the type's own events; negative: shared ones (-7 focus)
  std::vector<int32_t> args;
  bool value_returned = false;
  int64_t result = 0;
};

struct EventSource {
  uint32_t window_id = 0;
  uint32_t element_id = 0;
};

// Window events.
namespace window_event {
inline constexpr int32_t kCreated = 0;
inline constexpr int32_t kCloseQuery = 1;
inline constexpr int32_t kDestroying = 2;
inline constexpr int32_t kAfterCreated = 3;
inline constexpr int32_t kAfterCreated2 = 4;
inline constexpr int32_t kFocus = -7;
}  // namespace window_event

class WindowInput;

class WindowRuntime {
 public:
  // `handlers` is the program's handler table: a stored handler offset k
  // calls handlers[k].
  WindowRuntime(form::Form form, std::vector<EventHandler> handlers, std::vector<ControlType> types,
                platform::Dialogs& dialogs);
  ~WindowRuntime();
  WindowRuntime(const WindowRuntime&) = delete;
  WindowRuntime& operator=(const WindowRuntime&) = delete;

  // Runtime errors (code 0 and a message) go to this hook, which normally
  // shows them and ends the program. If it returns, the operation that
  // failed answers an empty value and does nothing more.
  using ErrorHook = std::function<void(int32_t code, const std::string& message)>;
  void set_error_hook(ErrorHook hook) { error_hook_ = std::move(hook); }
  // Called when the last window has gone after the message loop started.
  void set_last_window_hook(std::function<void()> hook) { last_window_hook_ = std::move(hook); }
  void set_message_loop_started(bool started) { loop_started_ = started; }

  // Opens the start window; failure is the runtime error "载入启动窗口失败".
  bool open_start_window(uint32_t window_id);
  // Opens a window (restores or activates it when it is open already). A
  // modal window returns when it has closed.
  bool open_window(uint32_t window_id, bool modal = false, uint32_t owner_window_id = 0);
  bool is_open(uint32_t window_id) const;
  // Whether any window of the program exists.
  bool any_window_open() const;
  // Asks the window to close (it raises its close query).
  void close_window(uint32_t window_id);

  // Property access; `font_field` -1 means the whole value.
  PropertyValue get_property(uint32_t window_id, uint32_t element_id, int index, int font_field = -1);
  // The same with the property's value kind, for turning the value into a
  // record; both are read on the window thread, in one visit.
  struct TypedValue {
    PropertyValue value;
    form::ValueKind kind = form::ValueKind::kInteger;
  };
  TypedValue get_typed_property(uint32_t window_id, uint32_t element_id, int index, int font_field = -1);
  void set_property(uint32_t window_id, uint32_t element_id, int index, const PropertyValue& value,
                    int font_field = -1);

  // The live control for a control method (element id 0: the window), or
  // nullptr after the runtime error "指定窗口或窗口组件不存在或尚未载入". Use the
  // control on the window thread only; with_control carries the work there.
  Control* resolve_control(uint32_t window_id, uint32_t element_id);
  void with_control(uint32_t window_id, uint32_t element_id, const std::function<void(Control&)>& work);

  // Dispatches an event to its bound handler; true when a handler ran.
  bool raise_event(EventRecord& event);
  EventSource current_event_source() const { return source_; }

  // Events are not dispatched while this counter is above zero: while a
  // runtime error is reported, a window is built or a control re-created.
  void raise_error_nesting() { ++error_nesting_; }
  void lower_error_nesting() { --error_nesting_; }
  int error_nesting() const { return error_nesting_; }

  platform::WindowHandles& handles() { return handles_; }
  platform::Dialogs& dialogs() { return dialogs_; }
  // Where controls play their sounds; none by default.
  void set_sound_player(platform::SoundPlayer* player) { sounds_ = player; }
  platform::SoundPlayer* sounds() { return sounds_; }
  // The widget of a live window or control, or nullptr.
  QWidget* widget_of(uint32_t window_id, uint32_t element_id);
  // The child identifier a live control was created with (0 for none).
  int child_id_of(uint32_t window_id, uint32_t element_id) const;

 private:
  friend class WindowInput;
  struct LiveElement;
  struct LiveWindow;
  class ElementHost;

  void report(const char* message);
  form::WindowTemplate* find_template(uint32_t window_id);
  LiveWindow* find_live(uint32_t window_id);
  const LiveWindow* find_live(uint32_t window_id) const;
  const ControlType* find_type(uint32_t type_id) const;

  bool open_on_window_thread(uint32_t window_id, bool modal, uint32_t owner_window_id);
  // The value kind of a property. Element records change on the window
  // thread only, so this reads them there.
  form::ValueKind property_kind(uint32_t window_id, uint32_t element_id, int index) const;
  // Opening, step by step; the steps after building answer false when a
  // handler closed the window again.
  bool bring_forward(uint32_t window_id);
  bool raise_opening_events(uint32_t window_id);
  bool show_opened(uint32_t window_id);
  void disable_other_windows(uint32_t window_id, LiveWindow& opened);
  bool build(LiveWindow& live, form::WindowTemplate& window, QWidget* owner);
  bool create_element(LiveWindow& live, form::WindowTemplate& window, size_t position, QWidget* parent, int child_id);
  void watch_window(LiveWindow& live, uint32_t window_id);
  bool create_controls(LiveWindow& live, form::WindowTemplate& window);
  void show_controls(LiveWindow& live, const form::WindowTemplate& window);
  std::vector<std::optional<size_t>> container_links(const LiveWindow& live, const form::WindowTemplate& window) const;
  void move_into_containers(LiveWindow& live, const form::WindowTemplate& window);
  void describe_for_screen_readers(LiveWindow& live, const form::WindowTemplate& window);
  void stack_in_list_order(LiveWindow& live, const form::WindowTemplate& window);
  void apply_pointer(QWidget* widget, const Bytes& pointer_blob);
  bool request_close(uint32_t window_id);
  void tear_down(uint32_t window_id, bool delete_now);
  void recreate(LiveWindow& live, form::WindowTemplate& window, size_t position);
  bool raise_simple(uint32_t window_id, uint32_t element_id, int32_t event);
  // Event -7 of a window just shown, for the control that holds the focus
  // (or the window), once the platform has activated the window.
  void raise_focus_event_when_active(uint32_t window_id);

  PropertyValue get_on_window_thread(uint32_t window_id, uint32_t element_id, int index, int font_field);
  void set_on_window_thread(uint32_t window_id, uint32_t element_id, int index, const PropertyValue& value,
                            int font_field);
  Control* live_control(uint32_t window_id, size_t position);
  void set_fixed_property(form::ElementRecord& record, Control* control, bool is_window, int index,
                          const PropertyValue& value);
  void set_geometry(form::ElementRecord& record, Control* control, bool is_window, int index, int32_t value);
  void set_visible(form::ElementRecord& record, Control* control, bool is_window, bool visible);
  // The window and the element position a property access names, or nothing
  // after reporting the error.
  std::optional<std::pair<form::WindowTemplate*, size_t>> locate(uint32_t window_id, uint32_t element_id);

  form::Form form_;
  std::vector<EventHandler> handlers_;
  std::map<uint32_t, ControlType> types_;
  platform::Dialogs& dialogs_;
  platform::SoundPlayer* sounds_ = nullptr;
  platform::WindowHandles handles_;
  std::map<uint32_t, std::unique_ptr<LiveWindow>> live_;
  ErrorHook error_hook_;
  std::function<void()> last_window_hook_;
  bool loop_started_ = false;
  std::atomic<int> error_nesting_{0};
  EventSource source_;
};

}  // namespace quorvant::ui
