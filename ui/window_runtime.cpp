#include "ui/window_runtime.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include "platform/window_thread.h"
#include "ui/accessible_names.h"
#include "ui/controls/window_control.h"
#include "ui/coordinates.h"
#include "ui/element_parents.h"
#include "ui/form_reader/ids.h"
#include "ui/keyboard_cues.h"
#include "ui/mouse_pointer.h"
#include "ui/window_runtime_internal.h"

namespace quorvant::ui {

using form::ElementRecord;
using form::Geometry;
using form::WindowTemplate;
namespace state_flag = form::state_flag;
namespace type_flag = form::type_flag;

namespace {

QRect stored_geometry(const ElementRecord& record) {
  return clamped_rect(record.geometry(Geometry::kLeft), record.geometry(Geometry::kTop),
                      record.geometry(Geometry::kWidth), record.geometry(Geometry::kHeight));
}

// Runs `work` once, after the platform has activated `window`: the focus
// goes to the window's control only after the activation itself, so the
// work waits for the activation's events to be done. Goes with the window.
class ActivationWatcher final : public QObject {
 public:
  ActivationWatcher(QWidget* window, std::function<void()> work) : QObject(window), work_(std::move(work)) {
    window->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::WindowActivate && watched == parent()) {
      watched->removeEventFilter(this);
      QMetaObject::invokeMethod(
          this,
          [this] {
            const std::function<void()> work = std::move(work_);
            deleteLater();
            work();
          },
          Qt::QueuedConnection);
    }
    return false;
  }

 private:
  std::function<void()> work_;
};

}  // namespace

bool WindowRuntime::ElementHost::raise(int32_t event, std::span<const int32_t> args, std::optional<int64_t>* result) {
  EventRecord record{window_id_, element_id_, event, {args.begin(), args.end()}};
  const bool handled = runtime_.raise_event(record);
  if (result != nullptr) *result = record.value_returned ? std::optional(record.result) : std::nullopt;
  return handled;
}

WindowRuntime::WindowRuntime(form::Form form, std::vector<EventHandler> handlers, std::vector<ControlType> types,
                             platform::Dialogs& dialogs)
    : form_(std::move(form)), handlers_(std::move(handlers)), dialogs_(dialogs) {
  for (ControlType& type : types) {
    if (type.info != nullptr) types_[type.info->type_id] = std::move(type);
  }
}

WindowRuntime::~WindowRuntime() {
  // Windows still open go with the runtime, without close queries.
  while (!live_.empty()) tear_down(live_.begin()->first, true);
}

void WindowRuntime::report(const char* message) {
  if (error_hook_) {
    raise_error_nesting();
    error_hook_(0, message);
    lower_error_nesting();
  }
}

WindowTemplate* WindowRuntime::find_template(uint32_t window_id) {
  for (WindowTemplate& window : form_.windows) {
    if (window.id == window_id) return &window;
  }
  return nullptr;
}

WindowRuntime::LiveWindow* WindowRuntime::find_live(uint32_t window_id) {
  const auto found = live_.find(window_id);
  return found == live_.end() ? nullptr : found->second.get();
}

const WindowRuntime::LiveWindow* WindowRuntime::find_live(uint32_t window_id) const {
  const auto found = live_.find(window_id);
  return found == live_.end() ? nullptr : found->second.get();
}

const ControlType* WindowRuntime::find_type(uint32_t type_id) const {
  const auto found = types_.find(type_id);
  return found == types_.end() ? nullptr : &found->second;
}

bool WindowRuntime::is_open(uint32_t window_id) const {
  return platform::call_on_window_thread([&] {
    const LiveWindow* live = find_live(window_id);
    return live != nullptr && live->loaded && live->top() != nullptr;
  });
}

bool WindowRuntime::any_window_open() const {
  return platform::call_on_window_thread([&] {
    for (const auto& [id, live] : live_) {
      if (live->top() != nullptr) return true;
    }
    return false;
  });
}

form::ValueKind WindowRuntime::property_kind(uint32_t window_id, uint32_t element_id, int index) const {
  for (const WindowTemplate& window : form_.windows) {
    if (window.id != window_id) continue;
    const auto position = window.position_of(element_id);
    if (!position || window.elements[*position].is_menu_item()) break;
    const auto type = types_.find(window.elements[*position].type_id());
    if (type == types_.end() || index < 0 || index >= type->second.info->property_count()) break;
    return type->second.info->kinds[static_cast<size_t>(index)];
  }
  // Menu items: 1 checked, 2 disabled and 3 visible are booleans.
  return index >= 1 && index <= 3 ? form::ValueKind::kBoolean : form::ValueKind::kInteger;
}

QWidget* WindowRuntime::widget_of(uint32_t window_id, uint32_t element_id) {
  return platform::call_on_window_thread([&]() -> QWidget* {
    LiveWindow* live = find_live(window_id);
    const WindowTemplate* window = find_template(window_id);
    if (live == nullptr || window == nullptr) return nullptr;
    const auto position = window->position_of(element_id);
    if (!position || *position >= live->elements.size() || !live->elements[*position].control) return nullptr;
    return live->elements[*position].control->widget();
  });
}

int WindowRuntime::child_id_of(uint32_t window_id, uint32_t element_id) const {
  return platform::call_on_window_thread([&] {
    const auto found = live_.find(window_id);
    if (found == live_.end()) return 0;
    for (const WindowTemplate& window : form_.windows) {
      if (window.id != window_id) continue;
      const auto position = window.position_of(element_id);
      return position && *position < found->second->elements.size() ? found->second->elements[*position].child_id : 0;
    }
    return 0;
  });
}

bool WindowRuntime::open_start_window(uint32_t window_id) {
  if (open_window(window_id)) return true;
  report(runtime_error::kStartWindowFailed);
  return false;
}

bool WindowRuntime::open_window(uint32_t window_id, bool modal, uint32_t owner_window_id) {
  return platform::call_on_window_thread([&] { return open_on_window_thread(window_id, modal, owner_window_id); });
}

bool WindowRuntime::open_on_window_thread(uint32_t window_id, bool modal, uint32_t owner_window_id) {
  WindowTemplate* window = find_template(window_id);
  if (window == nullptr || window->elements.empty()) return false;
  if (bring_forward(window_id)) return true;
  QWidget* owner = nullptr;
  if (!modal && owner_window_id != 0) {
    owner = widget_of(owner_window_id, 0);
    if (owner == nullptr) return false;
  }

  QCoreApplication::sendPostedEvents();
  auto live = std::make_unique<LiveWindow>();
  live->saved = window->elements;
  live->modal = modal;
  {
    NestingGuard building(*this);
    // A failed element abandons the whole window; its body never changed.
    if (!build(*live, *window, owner)) return false;
    QCoreApplication::sendPostedEvents();
  }
  live_[window_id] = std::move(live);

  // Handlers run from here on and may close the window again, so each step
  // looks the live state up afresh and stops when the window has gone.
  if (!raise_opening_events(window_id) || !show_opened(window_id)) return true;
  LiveWindow* opened = find_live(window_id);
  if (modal) disable_other_windows(window_id, *opened);
  opened->loaded = true;
  if (modal) {
    QEventLoop loop;
    opened->modal_loop = &loop;
    loop.exec();  // until the window closes
  }
  return true;
}

bool WindowRuntime::bring_forward(uint32_t window_id) {
  LiveWindow* open = find_live(window_id);
  QWidget* top = open != nullptr ? open->top() : nullptr;
  if (top == nullptr) return false;
  if (top->isMinimized()) {
    top->showNormal();
  } else {
    top->activateWindow();
    top->raise();
  }
  return true;
}

bool WindowRuntime::raise_opening_events(uint32_t window_id) {
  const uint32_t own_id = find_template(window_id)->elements[0].element_id();
  for (const int32_t event : {window_event::kCreated, window_event::kAfterCreated, window_event::kAfterCreated2}) {
    raise_simple(window_id, own_id, event);
    if (find_live(window_id) == nullptr) return false;
  }
  return true;
}

bool WindowRuntime::show_opened(uint32_t window_id) {
  const WindowTemplate* window = find_template(window_id);
  if ((window->elements[0].state_flags() & state_flag::kVisible) == 0) return true;
  LiveWindow* opened = find_live(window_id);
  static_cast<controls::WindowControl*>(opened->elements[0].control.get())->show_by_position();
  raise_focus_event_when_active(window_id);
  return find_live(window_id) != nullptr;
}

void WindowRuntime::disable_other_windows(uint32_t window_id, LiveWindow& opened) {
  // Every other open window without a parent waits until this one closes.
  for (const auto& [other_id, other] : live_) {
    QWidget* top = other->top();
    if (other_id != window_id && top != nullptr && top->parentWidget() == nullptr && top->isEnabled()) {
      top->setEnabled(false);
      opened.disabled_by_modal.emplace_back(top);
    }
  }
}

bool WindowRuntime::create_element(LiveWindow& live, WindowTemplate& window, size_t position, QWidget* parent,
                                   int child_id) {
  ElementRecord& record = window.elements[position];
  if (record.is_menu_item()) return true;  // menus are not built
  const ControlType* type = record.well_formed() ? find_type(record.type_id()) : nullptr;
  if (type == nullptr || !type->create) return false;
  LiveElement& element = live.elements[position];
  element.host = std::make_unique<ElementHost>(*this, window.id, record.element_id());
  const bool hidden_type = (type->info->flags & type_flag::kHiddenAtRunTime) != 0;
  const uint32_t flags = record.state_flags();
  const CreateParams params{*type->info,
                            record.property_blob(),
                            parent,
                            stored_geometry(record),
                            !hidden_type && (flags & state_flag::kDisabled) != 0,
                            !hidden_type && (flags & state_flag::kTabStop) != 0,
                            child_id,
                            *element.host};
  element.control = type->create(params);
  if (!element.control || element.control->widget() == nullptr) return false;
  element.child_id = child_id;
  return true;
}

bool WindowRuntime::build(LiveWindow& live, WindowTemplate& window, QWidget* owner) {
  live.elements.resize(window.elements.size());
  live.input = std::make_unique<WindowInput>(*this, window.id);
  if (window.elements[0].type_id() != form::type_id::kWindow || !create_element(live, window, 0, owner, 0)) {
    return false;
  }
  watch_window(live, window.id);
  if (!create_controls(live, window)) {
    QWidget* top = live.top();
    live.elements.clear();
    delete top;  // the window was never shown; its controls go with it
    return false;
  }
  move_into_containers(live, window);
  stack_in_list_order(live, window);
  describe_for_screen_readers(live, window);
  watch_keyboard_use();
  for (size_t position = 0; position < window.elements.size(); ++position) {
    if (live.elements[position].control)
      apply_pointer(live.elements[position].control->widget(), window.elements[position].pointer_blob());
  }
  // Controls bound to a data source would load their values here; no
  // control type of this program has one.
  show_controls(live, window);
  live.input->watch(live.top());
  return true;
}

void WindowRuntime::watch_window(LiveWindow& live, uint32_t window_id) {
  QWidget* top = live.top();
  auto* window_control = static_cast<controls::WindowControl*>(live.elements[0].control.get());
  window_control->window()->on_close_request = [this, window_id] { return request_close(window_id); };
  QObject::connect(top, &QObject::destroyed, live.input.get(), [this, window_id] {
    // Destroyed from outside (with its owner, say): forget it quietly.
    if (live_.contains(window_id)) tear_down(window_id, false);
  });
}

bool WindowRuntime::create_controls(LiveWindow& live, WindowTemplate& window) {
  // From the last listed to the first; child identifiers count from 100 in
  // steps of 10 in that order.
  int child_id = 100;
  for (size_t position = window.elements.size(); position-- > 1;) {
    if (!create_element(live, window, position, live.top(), child_id)) return false;
    if (!window.elements[position].is_menu_item()) child_id += 10;
  }
  return true;
}

void WindowRuntime::show_controls(LiveWindow& live, const WindowTemplate& window) {
  for (size_t position = 1; position < window.elements.size(); ++position) {
    const LiveElement& element = live.elements[position];
    if (!element.control) continue;
    const bool hidden_type = (element.control->type().flags & type_flag::kHiddenAtRunTime) != 0;
    const bool visible = (window.elements[position].state_flags() & state_flag::kVisible) != 0;
    element.control->widget()->setVisible(visible && !hidden_type);
  }
}

std::vector<std::optional<size_t>> WindowRuntime::container_links(const LiveWindow& live,
                                                                  const WindowTemplate& window) const {
  std::vector<std::optional<size_t>> links(window.elements.size());
  for (size_t position = 1; position < window.elements.size(); ++position) {
    const uint32_t parent_id = window.elements[position].parent_id();
    if (!live.elements[position].control || parent_id == 0) continue;
    const auto parent = window.position_of(parent_id);
    // Only the container types hold controls; a control naming anything
    // else, the window or itself stays on the window.
    if (!parent || *parent == 0 || *parent == position || !live.elements[*parent].control) continue;
    if ((live.elements[*parent].control->type().flags & type_flag::kMovesChildren) == 0) continue;
    links[position] = *parent;
  }
  return without_parent_loops(std::move(links));
}

void WindowRuntime::move_into_containers(LiveWindow& live, const WindowTemplate& window) {
  // Controls with a parent element move under that element's widget, where
  // their stored position is relative to it.
  const std::vector<std::optional<size_t>> links = container_links(live, window);
  for (size_t position = 1; position < links.size(); ++position) {
    if (!links[position]) continue;
    QWidget* widget = live.elements[position].control->widget();
    widget->setParent(live.elements[*links[position]].control->widget());
    const ElementRecord& record = window.elements[position];
    widget->move(clamped_position(record.geometry(Geometry::kLeft)), clamped_position(record.geometry(Geometry::kTop)));
  }
}

void WindowRuntime::describe_for_screen_readers(LiveWindow& live, const WindowTemplate& window) {
  std::vector<accessibility::FormElement> elements;
  elements.reserve(window.elements.size());
  for (size_t position = 0; position < window.elements.size(); ++position) {
    const std::unique_ptr<Control>& control = live.elements[position].control;
    elements.push_back({&window.elements[position], control ? control->widget() : nullptr});
  }
  accessibility::describe_form_window(elements);
}

void WindowRuntime::stack_in_list_order(LiveWindow& live, const WindowTemplate& window) {
  // Within each parent the first-listed control is the top-most: each one
  // goes directly below the nearest earlier sibling.
  for (size_t position = 1; position < window.elements.size(); ++position) {
    if (!live.elements[position].control) continue;
    QWidget* widget = live.elements[position].control->widget();
    const uint32_t parent = window.elements[position].parent_id();
    QWidget* above = nullptr;
    for (size_t earlier = position; earlier-- > 1;) {
      if (live.elements[earlier].control && window.elements[earlier].parent_id() == parent &&
          live.elements[earlier].control->widget()->parentWidget() == widget->parentWidget()) {
        above = live.elements[earlier].control->widget();
        break;
      }
    }
    if (above != nullptr) {
      widget->stackUnder(above);
    } else {
      widget->raise();
    }
  }
}

void WindowRuntime::apply_pointer(QWidget* widget, const Bytes& pointer_blob) {
  if (widget == nullptr) return;
  if (const std::optional<QCursor> cursor = cursor_for(pointer_blob)) {
    widget->setCursor(*cursor);
  } else {
    widget->unsetCursor();
  }
}

void WindowRuntime::close_window(uint32_t window_id) {
  platform::run_on_window_thread([&] {
    if (QWidget* top = widget_of(window_id, 0)) top->close();
  });
}

bool WindowRuntime::request_close(uint32_t window_id) {
  LiveWindow* live = find_live(window_id);
  WindowTemplate* window = find_template(window_id);
  if (live == nullptr || window == nullptr) return true;
  const uint32_t own_id = window->elements[0].element_id();
  EventRecord query{window_id, own_id, window_event::kCloseQuery, {}};
  // A handler that returns false refuses; no handler, or one that returns
  // nothing, lets the window close.
  if (raise_event(query) && query.value_returned && query.result == 0) return false;
  live = find_live(window_id);
  if (live == nullptr) return true;
  raise_simple(window_id, own_id, window_event::kDestroying);
  if (find_live(window_id) != nullptr) tear_down(window_id, false);
  return true;
}

void WindowRuntime::tear_down(uint32_t window_id, bool delete_now) {
  auto found = live_.find(window_id);
  if (found == live_.end()) return;
  std::unique_ptr<LiveWindow> live = std::move(found->second);
  live_.erase(found);
  for (const QPointer<QWidget>& other : live->disabled_by_modal) {
    if (other) other->setEnabled(true);
  }
  QPointer<QWidget> top = live->top();
  // The controls go first; their widgets go with the window's widget.
  for (auto it = live->elements.rbegin(); it != live->elements.rend(); ++it) it->control.reset();
  if (top) {
    top->disconnect(live->input.get());
    if (delete_now) {
      delete top.data();
    } else {
      // Called from the window's own close: it may not be deleted under it.
      top->hide();
      top->deleteLater();
    }
  }
  // The next opening starts from the stored values again.
  if (WindowTemplate* window = find_template(window_id)) window->elements = std::move(live->saved);
  if (live->modal_loop) live->modal_loop->quit();
  if (live_.empty() && loop_started_ && last_window_hook_) last_window_hook_();
}

void WindowRuntime::raise_focus_event_when_active(uint32_t window_id) {
  LiveWindow* live = find_live(window_id);
  QPointer<QWidget> top = live != nullptr ? live->top() : nullptr;
  if (!top) return;
  auto raise_if_focused = [this, window_id, top] {
    LiveWindow* opened = find_live(window_id);
    const WindowTemplate* window = find_template(window_id);
    if (!top || opened == nullptr || opened->top() != top || window == nullptr) return;
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || (focus != top && !top->isAncestorOf(focus))) return;
    // The control holding the focus, or the window itself.
    uint32_t focused = window->elements[0].element_id();
    for (size_t i = 1; i < opened->elements.size(); ++i) {
      const QWidget* widget = opened->elements[i].control ? opened->elements[i].control->widget() : nullptr;
      if (widget != nullptr && (widget == focus || widget->isAncestorOf(focus))) {
        focused = window->elements[i].element_id();
      }
    }
    raise_simple(window_id, focused, window_event::kFocus);
  };
  if (top->isActiveWindow()) {
    raise_if_focused();
  } else {
    new ActivationWatcher(top, std::move(raise_if_focused));  // NOLINT: the window owns it
  }
}

bool WindowRuntime::raise_simple(uint32_t window_id, uint32_t element_id, int32_t event) {
  EventRecord record{window_id, element_id, event, {}};
  return raise_event(record);
}

bool WindowRuntime::raise_event(EventRecord& event) {
  if (error_nesting_ > 0) return false;
  WindowTemplate* window = find_template(event.window_id);
  if (window == nullptr) {
    report(runtime_error::kEventWindowUnknown);
    return false;
  }
  auto position = window->position_of(event.element_id);
  if (!position) {
    report(runtime_error::kEventElementUnknown);
    return false;
  }
  // An element may use the bindings of another element of its type.
  const uint32_t type_id = window->elements[*position].type_id();
  for (size_t steps = 0; steps < window->elements.size(); ++steps) {
    const uint32_t link = window->elements[*position].event_source_link();
    const auto linked = link == 0 ? std::nullopt : window->position_of(link);
    if (!linked || window->elements[*linked].type_id() != type_id) break;
    position = linked;
  }
  const ElementRecord& element = window->elements[*position];
  const ControlType* control_type = find_type(type_id);
  if (!element.is_menu_item() && (control_type == nullptr || !control_type->info->is_window_unit())) {
    report(runtime_error::kEventElementInvalid);
    return false;
  }
  std::optional<int32_t> handler;
  for (const form::ResolvedBinding& binding : window->bindings[*position]) {
    if (element.is_menu_item() || binding.event == event.event) {
      handler = binding.handler;
      break;
    }
  }
  if (!handler || static_cast<size_t>(*handler) >= handlers_.size() || !handlers_[static_cast<size_t>(*handler)]) {
    return false;
  }
  const EventSource previous = source_;
  source_ = {event.window_id, event.element_id};
  const HandlerResult result = handlers_[static_cast<size_t>(*handler)](event.args);
  source_ = previous;
  if (result.returned) {
    event.value_returned = true;
    event.result = result.value;
  }
  return true;
}

}  // namespace quorvant::ui
