#include "ui/window_input.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <algorithm>

#include "ui/controls/window_control.h"
#include "ui/form_reader/ids.h"
#include "ui/window_runtime_internal.h"

namespace quorvant::ui {

namespace {

bool is_letter_or_digit(int key) {
  return (key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9);
}

// Whether the caption has "&" followed by the key's letter or digit.
bool caption_marks(const QString& caption, int key) {
  const QChar wanted = QChar(key).toLower();
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] == '&' && caption[i + 1].toLower() == wanted) return true;
  }
  return false;
}

// Whether moving a top-level widget moves it on the screen. On X11 it
// does, and the button's release always comes back to the program that
// saw the press (the server grabs the pointer for it), so the program
// moves the window itself and every release ends the drag. Elsewhere
// (Wayland) only the compositor may move a window.
bool places_own_windows() {
  static const bool own = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
  return own;
}

}  // namespace

void WindowInput::watch(QWidget* widget) {
  widget->installEventFilter(this);
  for (QWidget* inner : widget->findChildren<QWidget*>()) inner->installEventFilter(this);
}

bool WindowInput::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      return on_key(static_cast<QKeyEvent*>(event));
    case QEvent::ShortcutOverride: {
      // Alt shortcuts are the window's own: keep Qt's mnemonics out of it.
      const auto* key = static_cast<QKeyEvent*>(event);
      const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
      if (modifiers == Qt::AltModifier && is_letter_or_digit(key->key())) {
        event->accept();
        return true;
      }
      return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
      return watched->isWidgetType() &&
             on_mouse(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(event), event->type());
    default:
      return false;
  }
}

std::optional<size_t> WindowInput::position_of_widget(const QWidget* widget) const {
  const auto* live = runtime_.find_live(window_id_);
  if (live == nullptr) return std::nullopt;
  for (; widget != nullptr; widget = widget->parentWidget()) {
    for (size_t i = 0; i < live->elements.size(); ++i) {
      if (live->elements[i].control && live->elements[i].control->widget() == widget) return i;
    }
  }
  return std::nullopt;
}

std::optional<size_t> WindowInput::focused_position() const { return position_of_widget(QApplication::focusWidget()); }

std::vector<size_t> WindowInput::tab_order(std::optional<size_t> also) const {
  std::vector<size_t> order;
  const auto* live = runtime_.find_live(window_id_);
  const auto* window = runtime_.find_template(window_id_);
  if (live == nullptr || window == nullptr) return order;
  // Reverse list order first, so that the stable sort keeps it for equal words.
  for (size_t i = live->elements.size(); i-- > 1;) {
    const Control* control = live->elements[i].control.get();
    const QWidget* widget = control != nullptr ? control->widget() : nullptr;
    if (widget == nullptr) continue;
    const bool tab_stop = (window->elements[i].state_flags() & form::state_flag::kTabStop) != 0;
    const bool excluded =
        (control->type().flags & (form::type_flag::kHiddenAtRunTime | form::type_flag::kNotInTabOrder)) != 0;
    if (also == i || (tab_stop && !excluded && widget->isVisible() && widget->isEnabled())) order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return window->elements[a].focus_order() < window->elements[b].focus_order();
  });
  return order;
}

bool WindowInput::focus_position(size_t position) {
  const auto* live = runtime_.find_live(window_id_);
  if (live == nullptr || position >= live->elements.size() || !live->elements[position].control) return false;
  QWidget* widget = live->elements[position].control->widget();
  if (widget == nullptr) return false;
  widget->setFocus(Qt::TabFocusReason);
  return true;
}

void WindowInput::move_focus(bool forward) {
  const std::vector<size_t> order = tab_order();
  if (order.empty()) return;
  const auto current = focused_position();
  const auto at = current ? std::find(order.begin(), order.end(), *current) : order.end();
  size_t next = 0;
  if (at == order.end()) {
    next = forward ? 0 : order.size() - 1;
  } else {
    const auto index = static_cast<size_t>(at - order.begin());
    next = forward ? (index + 1) % order.size() : (index + order.size() - 1) % order.size();
  }
  focus_position(order[next]);
}

bool WindowInput::on_key(QKeyEvent* key) {
  auto* live = runtime_.find_live(window_id_);
  if (live == nullptr || runtime_.find_template(window_id_) == nullptr || !live->elements[0].control) return false;
  auto& window_control = *static_cast<controls::WindowControl*>(live->elements[0].control.get());
  const auto focused = focused_position();
  const Control* focused_control = focused && *focused > 0 ? live->elements[*focused].control.get() : nullptr;
  const int code = key->key();
  const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;

  if (focused_control != nullptr && focused_control->keeps_key(code)) return false;
  switch (code) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      if ((modifiers & (Qt::ControlModifier | Qt::AltModifier)) != 0) return false;
      move_focus(code == Qt::Key_Tab && (modifiers & Qt::ShiftModifier) == 0);
      return true;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
      if (focused_control == nullptr || focused_control->type().type_id != form::type_id::kRadioBox) return false;
      move_among_radios(*focused, code == Qt::Key_Right || code == Qt::Key_Down);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return on_enter(focused, window_control.enter_moves_focus());
    case Qt::Key_Escape:
      if (!window_control.escape_closes()) return false;
      window_control.window()->close();
      return true;
    case Qt::Key_F1:
      if (!window_control.help_on_f1()) return false;
      open_help(window_control);
      return true;
    default:
      break;
  }
  if (modifiers == Qt::AltModifier && is_letter_or_digit(code)) return on_shortcut(code);
  return false;
}

void WindowInput::move_among_radios(size_t focused, bool forward) {
  // Among the radio buttons of the focused one's parent only.
  const auto* live = runtime_.find_live(window_id_);
  const auto* window = runtime_.find_template(window_id_);
  const uint32_t parent = window->elements[focused].parent_id();
  std::vector<size_t> radios;
  for (size_t i : tab_order(focused)) {
    if (live->elements[i].control->type().type_id == form::type_id::kRadioBox &&
        window->elements[i].parent_id() == parent) {
      radios.push_back(i);
    }
  }
  const auto at = std::find(radios.begin(), radios.end(), focused);
  if (at == radios.end()) return;
  const auto index = static_cast<size_t>(at - radios.begin());
  focus_position(radios[forward ? (index + 1) % radios.size() : (index + radios.size() - 1) % radios.size()]);
}

bool WindowInput::on_enter(std::optional<size_t> focused, bool enter_moves_focus) {
  const auto* live = runtime_.find_live(window_id_);
  const auto* window = runtime_.find_template(window_id_);
  // The focused default-capable button, else the focus moves on, else the
  // first default-capable button in list order is clicked.
  if (focused && *focused > 0 && live->elements[*focused].control &&
      live->elements[*focused].control->acts_as_default_button()) {
    runtime_.raise_simple(window_id_, window->elements[*focused].element_id(), 0);
    return true;
  }
  if (enter_moves_focus) {
    move_focus(true);
    return true;
  }
  for (size_t i = 1; i < live->elements.size(); ++i) {
    const Control* control = live->elements[i].control.get();
    if (control != nullptr && control->acts_as_default_button()) {
      runtime_.raise_simple(window_id_, window->elements[i].element_id(), 0);
      return true;
    }
  }
  return false;
}

void WindowInput::open_help(const controls::WindowControl& window_control) {
  QString file = QString::fromStdString(window_control.help_file());
  if (file.isEmpty()) {
    const QFileInfo program(QCoreApplication::applicationFilePath());
    file = program.absolutePath() + '/' + program.completeBaseName() + QStringLiteral(".hlp");
  }
  if (QFileInfo::exists(file)) QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

bool WindowInput::on_shortcut(int key) {
  auto* live = runtime_.find_live(window_id_);
  auto* window = runtime_.find_template(window_id_);
  for (size_t i = 1; i < live->elements.size(); ++i) {
    Control* control = live->elements[i].control.get();
    QWidget* widget = control != nullptr ? control->widget() : nullptr;
    if (widget == nullptr || !widget->isVisible() || !widget->isEnabled()) continue;
    const ShortcutRole role = control->shortcut_role();
    if (role == ShortcutRole::kNone || !caption_marks(control->shortcut_caption(), key)) continue;
    const uint32_t element_id = window->elements[i].element_id();
    switch (role) {
      case ShortcutRole::kCheckBox:
      case ShortcutRole::kRadioButton:
        control->take_shortcut();
        runtime_.raise_simple(window_id_, element_id, 0);
        break;
      case ShortcutRole::kButton:
        runtime_.raise_simple(window_id_, element_id, 0);
        break;
      case ShortcutRole::kLabel:
        focus_after_label(i);
        break;
      case ShortcutRole::kGroupBox:
        focus_into_group(*widget);
        break;
      default:
        break;
    }
    return true;
  }
  return false;
}

void WindowInput::focus_after_label(size_t label) {
  // The focus goes to the control that follows the label in Tab order.
  const std::vector<size_t> order = tab_order(label);
  const auto at = std::find(order.begin(), order.end(), label);
  if (at != order.end() && order.size() > 1) focus_position(*(at + 1 == order.end() ? order.begin() : at + 1));
}

void WindowInput::focus_into_group(const QWidget& group) {
  // The focus goes to the first control inside the group.
  const auto* live = runtime_.find_live(window_id_);
  for (size_t inner : tab_order()) {
    if (group.isAncestorOf(live->elements[inner].control->widget())) {
      focus_position(inner);
      return;
    }
  }
}

bool WindowInput::on_mouse(QWidget* widget, QMouseEvent* mouse, int type) {
  auto* live = runtime_.find_live(window_id_);
  if (live == nullptr || !live->elements[0].control) return false;
  auto* window_control = static_cast<controls::WindowControl*>(live->elements[0].control.get());
  QWidget* top = window_control->window();
  if (type == QEvent::MouseButtonRelease) {
    const bool was = dragging_ || drag_pending_;
    dragging_ = false;
    drag_pending_ = false;
    return was;
  }
  if (type == QEvent::MouseMove) {
    if (!dragging_ && !drag_pending_) return false;
    if ((mouse->buttons() & Qt::LeftButton) == 0) {
      // The release went elsewhere (a grab, a dialog): the drag is over.
      dragging_ = false;
      drag_pending_ = false;
      return false;
    }
    if (drag_pending_) {
      drag_pending_ = false;
      // Where the program cannot place its own windows, the desktop moves
      // it. Asked only now, with the button known to be held: asked on the
      // press, the window manager may take the pointer after a quick
      // release has already gone by and then follow the pointer until the
      // next click.
      if (!places_own_windows() && top->windowHandle() != nullptr && top->windowHandle()->startSystemMove())
        return true;
      dragging_ = true;
    }
    top->move((mouse->globalPosition().toPoint() - drag_offset_));
    return true;
  }
  if (mouse->button() != Qt::LeftButton || !window_control->drag_moves_window()) return false;
  // The window's own background, or a panel type that moves its window.
  bool grips = widget == top;
  if (!grips) {
    const auto position = position_of_widget(widget);
    const Control* control = position ? live->elements[*position].control.get() : nullptr;
    grips = control != nullptr && control->widget() == widget &&
            (control->type().flags & form::type_flag::kDragsWindow) != 0;
  }
  if (!grips) return false;
  // Nothing moves until the pointer does; a press and release in place
  // leaves the window where it is.
  drag_pending_ = true;
  dragging_ = false;
  drag_offset_ = mouse->globalPosition().toPoint() - top->pos();
  return true;
}

}  // namespace quorvant::ui
