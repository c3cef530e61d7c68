// A live window or control, as the window runtime sees it. Each control
// type provides one Control subclass and a factory that makes it from the
// element's property blob.
//
// Ownership: the widgets belong to Qt's parent tree (the window's widget
// owns every control widget); a Control object holds its widget by a
// guarded pointer and owns nothing Qt owns.
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/form_reader/type_catalog.h"
#include "ui/property_value.h"

namespace quorvant::platform {
class Dialogs;
class SoundPlayer;
}  // namespace quorvant::platform

namespace quorvant::ui {

// What a control may ask of the runtime.
class ControlHost {
 public:
  virtual ~ControlHost() = default;
  // Raises one of the control's events; true when a handler ran. `result`
  // receives the handler's value when it returned one.
  virtual bool raise(int32_t event, std::span<const int32_t> args = {}, std::optional<int64_t>* result = nullptr) = 0;
  virtual platform::Dialogs& dialogs() = 0;
  // Where sounds play; nullptr: the program plays none.
  virtual platform::SoundPlayer* sounds() { return nullptr; }
};

// How a control takes Alt + letter shortcuts from an "&" in its caption.
enum class ShortcutRole { kNone, kCheckBox, kRadioButton, kButton, kLabel, kGroupBox };

class Control {
 public:
  Control(const form::TypeInfo& type, QWidget* widget) : type_(type), widget_(widget) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const form::TypeInfo& type() const { return type_; }
  QWidget* widget() const { return widget_.data(); }
  // The context of the control's signal connections: they end when the
  // control does, even if its widget lives on for a moment.
  QObject* lifetime() { return &lifetime_; }

  // Own properties; `own_index` counts from property 8.
  virtual PropertyValue get(int own_index) = 0;
  // Returns true when the control must be re-created to show the change.
  virtual bool set(int own_index, const PropertyValue& value) = 0;
  // A fresh property blob of the live control, in the type's highest version.
  virtual Bytes all_properties() = 0;

  // Keyboard behaviour (defaults: none of it).
  virtual bool keeps_key(int /*qt_key*/) const { return false; }
  virtual bool acts_as_default_button() const { return false; }
  virtual ShortcutRole shortcut_role() const { return ShortcutRole::kNone; }
  virtual QString shortcut_caption() const { return {}; }
  // Alt + the caption's letter: toggles a check box, checks a radio button;
  // the caller then raises event 0.
  virtual void take_shortcut() {}

 protected:
  void reset_widget(QWidget* widget) { widget_ = widget; }

 private:
  const form::TypeInfo& type_;
  QPointer<QWidget> widget_;
  QObject lifetime_;
};

// Everything a type's factory needs to make a control.
struct CreateParams {
  const form::TypeInfo& type;
  std::span<const uint8_t> blob;
  QWidget* parent;  // the window's widget for controls; the owner (or nullptr) for a window
  QRect geometry;   // Left, Top, Width, Height
  bool disabled;
  bool tab_stop;
  int child_id;  // 100, 110, ... in creation order
  ControlHost& host;
};

// Makes a control, or nothing when its blob cannot be read.
using ControlFactory = std::function<std::unique_ptr<Control>(const CreateParams&)>;

struct ControlType {
  const form::TypeInfo* info;
  ControlFactory create;
};

}  // namespace quorvant::ui
