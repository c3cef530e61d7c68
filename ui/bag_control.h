// The common ground of the control types: the own properties are kept in
// the type's property bag, exactly as the blob stores them, and converted
// to and from the program's values by each property's value kind. A type
// overrides refresh() to show a changed property, and live_value() for the
// properties the user changes on screen (text typed, boxes checked).
#pragma once

#include "ui/control.h"
#include "ui/form_reader/property_bag.h"

namespace quorvant::ui {

class BagControl : public Control {
 public:
  BagControl(const form::TypeInfo& type, QWidget* widget, form::PropertyBag bag)
      : Control(type, widget), bag_(std::move(bag)) {}

  PropertyValue get(int own_index) override;
  bool set(int own_index, const PropertyValue& value) override;
  Bytes all_properties() override;

 protected:
  // Brings the widget in line with property `index` (absolute, 8 and up).
  // Returns true when only a new control can show it.
  virtual bool refresh(int /*index*/) { return false; }
  // Copies what the user changed on screen back into the bag (before a read
  // or a save).
  virtual void capture() {}

  form::PropertyBag& bag() { return bag_; }
  const form::PropertyBag& bag() const { return bag_; }
  // Convenience readers of stored values, texts in UTF-8.
  int32_t integer(int index) const { return bag_.integer(index); }
  bool flag(int index) const { return bag_.integer(index) == 1; }
  QString text(int index) const;
  FontRecord font(int index) const { return font_or_default(bag_.bytes(index)); }
  // How the blob stores property `index`.
  form::FieldCoding coding(int index) const;

 private:
  form::PropertyBag bag_;
};

// Reads a type's blob into a bag, or nothing (version too high, too short).
std::optional<form::PropertyBag> read_bag(const CreateParams& params);

// A text property stored as a 16-bit number holds the code of one
// character: a GBK byte, or a double-byte character with its lead byte in
// the high half. 0 is no character (an empty text).
std::string character_text(int32_t code);
int32_t character_code(const std::string& text);

// Colours: 0x00BBGGRR, and 0xFF000000 for the system's button-face colour.
QColor to_qcolor(uint32_t colour);

}  // namespace quorvant::ui
