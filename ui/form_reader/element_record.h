// One element record of a window's element body: the window's own element,
// a control or a menu item. The record is kept as its bytes; fields are
// found by walking the variable-length parts before them:
//
//   type id, event-source link, 16 zero bytes, name, comment (C strings),
//   geometry: object slot, Left, Top, Width, Height, pointer slot, parent
//     element id, child count, child ids,
//   mouse-pointer blob, Tag (C string), a zero word, state flags, focus
//   order, bindings (count, then event index and handler offset pairs),
//   20 zero bytes, and the type's property blob up to the record's end.
//
// Menu items have their own layout after the name and comment: shortcut
// key, nesting level, menu flags, caption (C string), click handler offset,
// 20 bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/form_reader/byte_io.h"

namespace quorvant::ui::form {

enum class Geometry { kLeft = 0, kTop = 1, kWidth = 2, kHeight = 3 };

namespace state_flag {
inline constexpr uint32_t kVisible = 0x1;
inline constexpr uint32_t kDisabled = 0x2;
inline constexpr uint32_t kTabStop = 0x4;
}  // namespace state_flag

namespace menu_flag {
inline constexpr uint32_t kHidden = 0x1;
inline constexpr uint32_t kDisabled = 0x2;
inline constexpr uint32_t kChecked = 0x4;
}  // namespace menu_flag

struct Binding {
  int32_t event;
  int32_t handler_offset;  // relative to the code base; -1: no handler
};

class ElementRecord {
 public:
  ElementRecord(uint32_t element_id, Bytes bytes);

  uint32_t element_id() const { return id_; }
  bool is_menu_item() const;
  // False when a walk runs past the record's end: such an element cannot be
  // created, though the template still loads.
  bool well_formed() const { return layout_.has_value(); }
  const Bytes& bytes() const { return bytes_; }

  uint32_t type_id() const;
  uint32_t event_source_link() const;
  std::string name() const;  // GBK

  // Controls and the window's own element.
  int32_t geometry(Geometry field) const;
  void set_geometry(Geometry field, int32_t value);
  uint32_t parent_id() const;
  std::vector<uint32_t> children() const;
  Bytes pointer_blob() const;
  void set_pointer_blob(const Bytes& blob);
  std::string tag() const;  // GBK
  void set_tag(const std::string& gbk);
  uint32_t state_flags() const;
  void set_state_flags(uint32_t flags);
  uint32_t focus_order() const;
  std::vector<Binding> bindings() const;
  std::span<const uint8_t> property_blob() const;

  // Menu items.
  uint32_t menu_flags() const;
  void set_menu_flags(uint32_t flags);
  std::string menu_caption() const;  // GBK
  void set_menu_caption(const std::string& gbk);
  int32_t menu_handler_offset() const;

 private:
  // Byte positions of the variable parts, found by one walk.
  struct Layout {
    size_t geometry = 0;      // object slot of the geometry block
    size_t pointer_blob = 0;  // its int32 count
    size_t tag = 0;
    size_t flags = 0;          // state flags (menu items: menu flags)
    size_t bindings = 0;       // binding count (menu items: caption)
    size_t property_blob = 0;  // (menu items: handler offset)
  };
  std::optional<Layout> walk() const;
  void rewalk() { layout_ = walk(); }
  uint32_t word_at(size_t at) const;
  void put_word(size_t at, uint32_t value);
  void replace(size_t at, size_t length, std::span<const uint8_t> with);

  uint32_t id_;
  Bytes bytes_;
  std::optional<Layout> layout_;
};

}  // namespace quorvant::ui::form
