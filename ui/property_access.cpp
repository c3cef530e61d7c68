// Property access and control resolution of the window runtime.
#include <QApplication>
#include <QWidget>

#include <algorithm>

#include "platform/gbk.h"
#include "platform/window_thread.h"
#include "ui/controls/window_control.h"
#include "ui/coordinates.h"
#include "ui/form_reader/ids.h"
#include "ui/mouse_pointer.h"
#include "ui/window_runtime.h"
#include "ui/window_runtime_internal.h"

namespace quorvant::ui {

using form::ElementRecord;
using form::Geometry;
using form::WindowTemplate;
namespace state_flag = form::state_flag;
namespace menu_flag = form::menu_flag;

namespace {

enum FixedProperty {
  kLeft = 0,
  kTop = 1,
  kWidth = 2,
  kHeight = 3,
  kTag = 4,
  kVisible = 5,
  kDisabled = 6,
  kPointer = 7
};
enum MenuProperty { kMenuCaption = 0, kMenuChecked = 1, kMenuDisabled = 2, kMenuVisible = 3 };

int32_t boolean(bool value) { return value ? 1 : 0; }

}  // namespace

std::optional<std::pair<WindowTemplate*, size_t>> WindowRuntime::locate(uint32_t window_id, uint32_t element_id) {
  WindowTemplate* window = find_template(window_id);
  // An element that is not part of the window is reported like a window
  // that is not in the form.
  const auto position = window == nullptr ? std::nullopt : window->position_of(element_id);
  if (!position) {
    report(runtime_error::kWindowNotInForm);
    return std::nullopt;
  }
  return std::pair{window, *position};
}

PropertyValue WindowRuntime::get_property(uint32_t window_id, uint32_t element_id, int index, int font_field) {
  return platform::call_on_window_thread(
      [&] { return get_on_window_thread(window_id, element_id, index, font_field); });
}

WindowRuntime::TypedValue WindowRuntime::get_typed_property(uint32_t window_id, uint32_t element_id, int index,
                                                            int font_field) {
  return platform::call_on_window_thread([&] {
    TypedValue typed;
    typed.value = get_on_window_thread(window_id, element_id, index, font_field);
    typed.kind = property_kind(window_id, element_id, index);
    return typed;
  });
}

void WindowRuntime::set_property(uint32_t window_id, uint32_t element_id, int index, const PropertyValue& value,
                                 int font_field) {
  platform::run_on_window_thread([&] { set_on_window_thread(window_id, element_id, index, value, font_field); });
}

namespace {

PropertyValue get_menu_property(const ElementRecord& record, int index) {
  const uint32_t flags = record.menu_flags();
  switch (index) {
    case kMenuCaption:
      return platform::gbk_to_utf8(record.menu_caption());
    case kMenuChecked:
      return boolean((flags & menu_flag::kChecked) != 0);
    case kMenuDisabled:
      return boolean((flags & menu_flag::kDisabled) != 0);
    case kMenuVisible:
      return boolean((flags & menu_flag::kHidden) == 0);
    default:
      return std::monostate{};
  }
}

void set_menu_property(ElementRecord& record, int index, const PropertyValue& value) {
  const uint32_t flags = record.menu_flags();
  auto with = [&](uint32_t bit, bool on) { record.set_menu_flags(on ? (flags | bit) : (flags & ~bit)); };
  switch (index) {
    case kMenuCaption:
      record.set_menu_caption(platform::utf8_to_gbk(as_text(value)));
      break;
    case kMenuChecked:
      with(menu_flag::kChecked, as_int(value) == 1);
      break;
    case kMenuDisabled:
      with(menu_flag::kDisabled, as_int(value) == 1);
      break;
    case kMenuVisible:
      with(menu_flag::kHidden, as_int(value) != 1);
      break;
    default:
      break;
  }
}

// The fixed properties 0 to 7: the live widget's state where there is one,
// the element record's otherwise; Tag and the pointer always from the record.
PropertyValue get_fixed_property(const ElementRecord& record, const QWidget* widget, int index) {
  switch (index) {
    case kLeft:
      return widget != nullptr ? widget->x() : record.geometry(Geometry::kLeft);
    case kTop:
      return widget != nullptr ? widget->y() : record.geometry(Geometry::kTop);
    case kWidth:
      return widget != nullptr ? placed_size(*widget).width() : record.geometry(Geometry::kWidth);
    case kHeight:
      return widget != nullptr ? placed_size(*widget).height() : record.geometry(Geometry::kHeight);
    case kTag:
      return platform::gbk_to_utf8(record.tag());
    case kVisible:
      return boolean(widget != nullptr ? widget->isVisible() : (record.state_flags() & state_flag::kVisible) != 0);
    case kDisabled:
      // The control's own state, not one it takes from a disabled parent.
      return boolean(widget != nullptr ? widget->testAttribute(Qt::WA_ForceDisabled)
                                       : (record.state_flags() & state_flag::kDisabled) != 0);
    default: {
      const Bytes blob = record.pointer_blob();
      if (const auto number = pointer_number(blob)) return *number;
      return blob;
    }
  }
}

// A pointer number is stored as a 4-byte blob, a cursor file as is.
Bytes pointer_blob_of(const PropertyValue& value) {
  if (!std::holds_alternative<int32_t>(value)) return as_bytes(value);
  const auto number = static_cast<uint32_t>(as_int(value));
  return {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number >> 16),
          static_cast<uint8_t>(number >> 24)};
}

}  // namespace

PropertyValue WindowRuntime::get_on_window_thread(uint32_t window_id, uint32_t element_id, int index, int font_field) {
  const auto located = locate(window_id, element_id);
  if (!located) return std::monostate{};
  auto [window, position] = *located;
  const ElementRecord& record = window->elements[position];
  if (record.is_menu_item()) return get_menu_property(record, index);

  Control* control = live_control(window_id, position);
  if (index >= 0 && index < 8)
    return get_fixed_property(record, control != nullptr ? control->widget() : nullptr, index);
  if (control == nullptr) {
    report(runtime_error::kWindowNotOpen);
    return std::monostate{};
  }
  PropertyValue value = control->get(index - 8);
  if (const auto* font = std::get_if<FontRecord>(&value); font != nullptr && font_field >= 0) {
    return font_field_of(*font, font_field);
  }
  return value;
}

void WindowRuntime::set_on_window_thread(uint32_t window_id, uint32_t element_id, int index, const PropertyValue& value,
                                         int font_field) {
  const auto located = locate(window_id, element_id);
  if (!located) return;
  auto [window, position] = *located;
  ElementRecord& record = window->elements[position];
  if (record.is_menu_item()) {
    set_menu_property(record, index, value);
    return;
  }

  Control* control = live_control(window_id, position);
  if (index >= 0 && index < 8) {
    set_fixed_property(record, control, position == 0, index, value);
    return;
  }
  if (control == nullptr) {
    report(runtime_error::kWindowNotOpen);
    return;
  }
  PropertyValue stored = value;
  if (font_field >= 0) {
    // One field of a font: the others come from the control's current font.
    const PropertyValue current = control->get(index - 8);
    const auto* font = std::get_if<FontRecord>(&current);
    if (font == nullptr) return;
    stored = with_font_field(*font, font_field, value);
  }
  if (control->set(index - 8, stored)) recreate(*find_live(window_id), *window, position);
}

Control* WindowRuntime::live_control(uint32_t window_id, size_t position) {
  LiveWindow* live = find_live(window_id);
  return live != nullptr && position < live->elements.size() ? live->elements[position].control.get() : nullptr;
}

void WindowRuntime::set_fixed_property(ElementRecord& record, Control* control, bool is_window, int index,
                                       const PropertyValue& value) {
  QWidget* widget = control != nullptr ? control->widget() : nullptr;
  switch (index) {
    case kLeft:
    case kTop:
    case kWidth:
    case kHeight:
      set_geometry(record, control, is_window, index, as_int(value));
      break;
    case kTag:
      record.set_tag(platform::utf8_to_gbk(as_text(value)));
      break;
    case kVisible:
      set_visible(record, control, is_window, as_int(value) == 1);
      break;
    case kDisabled: {
      const bool disabled = as_int(value) == 1;
      const uint32_t flags = record.state_flags();
      record.set_state_flags(disabled ? (flags | state_flag::kDisabled) : (flags & ~state_flag::kDisabled));
      if (widget != nullptr) widget->setEnabled(!disabled);
      break;
    }
    default: {
      const Bytes blob = pointer_blob_of(value);
      record.set_pointer_blob(blob);
      apply_pointer(widget, blob);
      break;
    }
  }
}

void WindowRuntime::set_geometry(ElementRecord& record, Control* control, bool is_window, int index, int32_t value) {
  QWidget* widget = control != nullptr ? control->widget() : nullptr;
  if (index == kLeft || index == kTop) {
    const int32_t clamped = clamped_position(value);
    record.set_geometry(index == kLeft ? Geometry::kLeft : Geometry::kTop, clamped);
    if (widget != nullptr) {
      widget->move(index == kLeft ? clamped : widget->x(), index == kTop ? clamped : widget->y());
      widget->update();
    }
    return;
  }
  const int32_t clamped = clamped_extent(value);
  record.set_geometry(index == kWidth ? Geometry::kWidth : Geometry::kHeight, clamped);
  if (widget == nullptr) return;
  const QSize placed = placed_size(*widget);
  const QSize size(index == kWidth ? clamped : placed.width(), index == kHeight ? clamped : placed.height());
  if (is_window) {
    static_cast<controls::WindowControl*>(control)->resize_window(size);
  } else {
    widget->resize(size);
  }
}

void WindowRuntime::set_visible(ElementRecord& record, Control* control, bool is_window, bool visible) {
  const uint32_t flags = record.state_flags();
  record.set_state_flags(visible ? (flags | state_flag::kVisible) : (flags & ~state_flag::kVisible));
  if (control == nullptr || control->widget() == nullptr) return;
  if (is_window && visible) {
    static_cast<controls::WindowControl*>(control)->show_by_position();
  } else if ((control->type().flags & form::type_flag::kHiddenAtRunTime) == 0) {
    control->widget()->setVisible(visible);
  }
}

Control* WindowRuntime::resolve_control(uint32_t window_id, uint32_t element_id) {
  return platform::call_on_window_thread([&]() -> Control* {
    LiveWindow* live = find_live(window_id);
    WindowTemplate* window = find_template(window_id);
    const auto position = window == nullptr ? std::nullopt : window->position_of(element_id);
    if (live != nullptr && position && *position < live->elements.size() &&
        !window->elements[*position].is_menu_item() && live->elements[*position].control &&
        live->elements[*position].control->widget() != nullptr) {
      return live->elements[*position].control.get();
    }
    report(runtime_error::kNoSuchControl);
    return nullptr;
  });
}

void WindowRuntime::with_control(uint32_t window_id, uint32_t element_id, const std::function<void(Control&)>& work) {
  platform::run_on_window_thread([&] {
    if (Control* control = resolve_control(window_id, element_id)) work(*control);
  });
}

void WindowRuntime::recreate(LiveWindow& live, WindowTemplate& window, size_t position) {
  LiveElement& element = live.elements[position];
  const ControlType* type = find_type(window.elements[position].type_id());
  QWidget* old_widget = element.control->widget();
  if (type == nullptr || old_widget == nullptr) return;
  NestingGuard rebuilding(*this);

  const Bytes blob = element.control->all_properties();
  const bool had_focus = old_widget->hasFocus() || old_widget->isAncestorOf(QApplication::focusWidget());
  auto host = std::make_unique<ElementHost>(*this, window.id, window.elements[position].element_id());
  const CreateParams params{*type->info,
                            blob,
                            old_widget->parentWidget(),
                            old_widget->geometry(),
                            old_widget->testAttribute(Qt::WA_ForceDisabled),
                            (window.elements[position].state_flags() & state_flag::kTabStop) != 0,
                            element.child_id,
                            *host};
  std::unique_ptr<Control> fresh = type->create(params);
  if (!fresh || fresh->widget() == nullptr) return;
  QWidget* new_widget = fresh->widget();

  // Container types take their children along.
  if ((type->info->flags & form::type_flag::kMovesChildren) != 0) {
    for (const LiveElement& other : live.elements) {
      QWidget* child = other.control ? other.control->widget() : nullptr;
      if (child != nullptr && child->parentWidget() == old_widget) {
        const QPoint at = child->pos();
        const bool shown = !child->isHidden();
        child->setParent(new_widget);
        child->move(at);
        child->setVisible(shown);
      }
    }
  }
  new_widget->stackUnder(old_widget);
  apply_pointer(new_widget, window.elements[position].pointer_blob());
  live.input->watch(new_widget);
  new_widget->setVisible(!old_widget->isHidden() && (type->info->flags & form::type_flag::kHiddenAtRunTime) == 0);
  element.control = std::move(fresh);
  element.host = std::move(host);
  old_widget->hide();
  old_widget->deleteLater();  // the change may come from one of its own signals
  if (had_focus) new_widget->setFocus();
}

}  // namespace quorvant::ui
