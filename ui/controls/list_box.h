// ListBox: a list of text items. Besides its properties it offers the item
// operations of the program's list commands; call them on the window thread.
#pragma once

#include <string>

#include "ui/bag_control.h"

namespace quorvant::ui::controls {

class ListBoxControl final : public BagControl {
 public:
  ListBoxControl(const CreateParams& params, form::PropertyBag bag);

  int item_count() const;
  // UTF-8; empty for an index outside the list.
  std::string item_text(int index) const;
  // Appends the item and returns its index (-1 when refused).
  int add_item(const std::string& text, int32_t data);
  void clear();

  PropertyValue get(int own_index) override;

 protected:
  void capture() override;
  bool refresh(int index) override;
};

}  // namespace quorvant::ui::controls
