// Writes form templates from a description in code: windows, their
// elements with geometry, parents, states, bindings and property blobs.
// Texts are given in UTF-8 and stored as GBK, as the template format wants.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/form_reader/byte_io.h"
#include "ui/form_reader/element_record.h"
#include "ui/form_reader/property_bag.h"
#include "ui/form_reader/type_catalog.h"

namespace quorvant::forms {

using ui::form::Bytes;

struct ElementSpec {
  uint32_t id = 0;
  uint32_t type_id = 0;
  std::string name;  // UTF-8
  int32_t left = 0, top = 0, width = 0, height = 0;
  uint32_t parent = 0;  // element id; 0: the window itself
  uint32_t state_flags = ui::form::state_flag::kVisible;
  uint32_t focus_order = 0;
  uint32_t event_source_link = 0;
  std::string tag;                    // UTF-8
  Bytes pointer_blob = {0, 0, 0, 0};  // no pointer of its own
  std::vector<ui::form::Binding> bindings;
  Bytes property_blob;
};

struct MenuItemSpec {
  uint32_t id = 0;
  std::string name;
  int32_t shortcut = 0;
  int32_t level = 0;
  uint32_t flags = 0;
  std::string caption;
  int32_t handler_offset = -1;
};

struct WindowSpec {
  uint32_t id = 0;
  ElementSpec own;  // the window's own element
  std::vector<ElementSpec> controls;
  std::vector<MenuItemSpec> menu_items;  // stored after the controls
};

// One element record (without its length prefix). A control's child list is
// made from the elements of `siblings` that name it as their parent.
Bytes element_record(const ElementSpec& element, const std::vector<ElementSpec>& siblings);
Bytes menu_item_record(const MenuItemSpec& item);

// The whole template block.
Bytes write_form(const std::vector<WindowSpec>& windows);

// A property blob for a type, from properties given by index (texts in
// UTF-8), written in `version` (the type's highest when none is given).
// Fields not given are stored empty (0, empty text or block).
Bytes typed_properties(const ui::form::TypeInfo& type, const ui::form::PropertyBag& utf8_properties,
                       std::optional<int32_t> version = {});
// The same for a core type by its id.
Bytes core_properties(uint32_t type_id, const ui::form::PropertyBag& utf8_properties,
                      std::optional<int32_t> version = {});

}  // namespace quorvant::forms
