#include "forms/form_writer.h"

#include <stdexcept>

#include "platform/gbk.h"
#include "ui/form_reader/ids.h"
#include "ui/form_reader/type_catalog.h"

namespace quorvant::forms {

using ui::form::ByteWriter;

namespace {

void write_header(ByteWriter& out, uint32_t type_id, uint32_t link, const std::string& name) {
  out.u32(type_id);
  out.u32(link);
  out.zeros(16);
  out.c_string(platform::utf8_to_gbk(name));
  out.c_string("");  // comment
}

}  // namespace

Bytes element_record(const ElementSpec& element, const std::vector<ElementSpec>& siblings) {
  ByteWriter out;
  write_header(out, element.type_id, element.event_source_link, element.name);
  out.u32(0);  // object slot
  out.i32(element.left);
  out.i32(element.top);
  out.i32(element.width);
  out.i32(element.height);
  out.u32(0);  // pointer slot
  out.u32(element.parent);
  std::vector<uint32_t> children;
  for (const ElementSpec& other : siblings) {
    if (other.parent == element.id && element.id != 0) children.push_back(other.id);
  }
  out.i32(static_cast<int32_t>(children.size()));
  for (uint32_t child : children) out.u32(child);
  out.counted(element.pointer_blob);
  out.c_string(platform::utf8_to_gbk(element.tag));
  out.u32(0);
  out.u32(element.state_flags);
  out.u32(element.focus_order);
  out.i32(static_cast<int32_t>(element.bindings.size()));
  for (const auto& binding : element.bindings) {
    out.i32(binding.event);
    out.i32(binding.handler_offset);
  }
  out.zeros(20);
  out.bytes(element.property_blob);
  return out.take();
}

Bytes menu_item_record(const MenuItemSpec& item) {
  ByteWriter out;
  write_header(out, ui::form::type_id::kMenuItem, 0, item.name);
  out.i32(item.shortcut);
  out.i32(item.level);
  out.u32(item.flags);
  out.c_string(platform::utf8_to_gbk(item.caption));
  out.i32(item.handler_offset);
  out.zeros(20);
  return out.take();
}

Bytes write_form(const std::vector<WindowSpec>& windows) {
  ByteWriter out;
  out.i32(static_cast<int32_t>(8 * windows.size()));
  for (const WindowSpec& window : windows) out.u32(window.id);
  for (size_t i = 0; i < windows.size(); ++i) out.u32(0);  // slots

  for (const WindowSpec& window : windows) {
    std::vector<uint32_t> ids = {window.own.id};
    std::vector<Bytes> records = {element_record(window.own, window.controls)};
    for (const ElementSpec& control : window.controls) {
      ids.push_back(control.id);
      records.push_back(element_record(control, window.controls));
    }
    for (const MenuItemSpec& item : window.menu_items) {
      ids.push_back(item.id);
      records.push_back(menu_item_record(item));
    }

    ByteWriter body;
    for (uint32_t id : ids) body.u32(id);
    int32_t offset = 0;
    for (const Bytes& record : records) {
      body.i32(offset);
      offset += static_cast<int32_t>(4 + record.size());
    }
    for (const Bytes& record : records) body.counted(record);

    out.u32(0);  // the two words kept with the window
    out.u32(0);
    out.counted_text("");  // name
    out.counted_text("");  // comment
    out.i32(static_cast<int32_t>(ids.size()));
    out.counted(body.data());
  }
  return out.take();
}

Bytes core_properties(uint32_t type_id, const ui::form::PropertyBag& utf8_properties, std::optional<int32_t> version) {
  const ui::form::TypeInfo* type = ui::form::find_core_type(type_id);
  if (type == nullptr) throw std::invalid_argument("not a core control type");
  return typed_properties(*type, utf8_properties, version);
}

Bytes typed_properties(const ui::form::TypeInfo& type, const ui::form::PropertyBag& utf8_properties,
                       std::optional<int32_t> version) {
  ui::form::PropertyBag stored = ui::form::empty_properties(type.schema);
  for (const auto& [index, value] : utf8_properties.values()) {
    if (const auto* text = std::get_if<std::string>(&value)) {
      stored.set(index, platform::utf8_to_gbk(*text));
    } else if (const auto* texts = std::get_if<std::vector<std::string>>(&value)) {
      std::vector<std::string> converted;
      for (const std::string& t : *texts) converted.push_back(platform::utf8_to_gbk(t));
      stored.set(index, converted);
    } else {
      stored.set(index, value);
    }
  }
  return ui::form::write_properties(type.schema, stored, version);
}

}  // namespace quorvant::forms
