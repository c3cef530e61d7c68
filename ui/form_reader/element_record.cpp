#include "ui/form_reader/element_record.h"

#include "ui/form_reader/ids.h"

namespace quorvant::ui::form {

namespace {

constexpr size_t kHeaderSize = 24;    // type id, link, 16 zero bytes
constexpr size_t kGeometrySize = 32;  // up to and including the child count
constexpr size_t kChildCountAt = 28;  // within the geometry block
constexpr size_t kParentAt = 24;
constexpr size_t kTrailingZeros = 20;

}  // namespace

ElementRecord::ElementRecord(uint32_t element_id, Bytes bytes) : id_(element_id), bytes_(std::move(bytes)) { rewalk(); }

bool ElementRecord::is_menu_item() const { return is_menu_item_id(id_); }

std::optional<ElementRecord::Layout> ElementRecord::walk() const {
  ByteReader in(bytes_);
  in.skip(kHeaderSize);
  in.c_string();  // name
  in.c_string();  // comment
  Layout layout;
  if (is_menu_item()) {
    in.skip(8);  // shortcut key, nesting level
    layout.flags = in.position();
    in.skip(4);
    layout.bindings = in.position();  // the caption
    in.c_string();
    layout.property_blob = in.position();  // the click handler
    in.skip(4 + kTrailingZeros);
    return in.ok() ? std::optional(layout) : std::nullopt;
  }
  layout.geometry = in.position();
  in.skip(kChildCountAt);
  const int32_t children = in.i32();
  if (children < 0 || static_cast<size_t>(children) > in.remaining() / 4) return std::nullopt;
  in.skip(4 * static_cast<size_t>(children));
  layout.pointer_blob = in.position();
  in.counted_bytes();
  layout.tag = in.position();
  in.c_string();
  in.skip(4);  // zero word
  layout.flags = in.position();
  in.skip(8);  // state flags, focus order
  layout.bindings = in.position();
  const int32_t bindings = in.i32();
  if (bindings < 0 || static_cast<size_t>(bindings) > in.remaining() / 8) return std::nullopt;
  in.skip(8 * static_cast<size_t>(bindings) + kTrailingZeros);
  layout.property_blob = in.position();
  return in.ok() ? std::optional(layout) : std::nullopt;
}

uint32_t ElementRecord::word_at(size_t at) const {
  if (at + 4 > bytes_.size()) return 0;
  return uint32_t{bytes_[at]} | uint32_t{bytes_[at + 1]} << 8 | uint32_t{bytes_[at + 2]} << 16 |
         uint32_t{bytes_[at + 3]} << 24;
}

void ElementRecord::put_word(size_t at, uint32_t value) {
  if (at + 4 > bytes_.size()) return;
  for (size_t i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void ElementRecord::replace(size_t at, size_t length, std::span<const uint8_t> with) {
  bytes_.erase(bytes_.begin() + static_cast<std::ptrdiff_t>(at),
               bytes_.begin() + static_cast<std::ptrdiff_t>(at + length));
  bytes_.insert(bytes_.begin() + static_cast<std::ptrdiff_t>(at), with.begin(), with.end());
  rewalk();
}

uint32_t ElementRecord::type_id() const { return word_at(0); }
uint32_t ElementRecord::event_source_link() const { return word_at(4); }

std::string ElementRecord::name() const {
  ByteReader in(bytes_);
  in.skip(kHeaderSize);
  return in.c_string();
}

int32_t ElementRecord::geometry(Geometry field) const {
  if (!layout_) return 0;
  return static_cast<int32_t>(word_at(layout_->geometry + 4 + 4 * static_cast<size_t>(field)));
}

void ElementRecord::set_geometry(Geometry field, int32_t value) {
  if (layout_) put_word(layout_->geometry + 4 + 4 * static_cast<size_t>(field), static_cast<uint32_t>(value));
}

uint32_t ElementRecord::parent_id() const { return layout_ ? word_at(layout_->geometry + kParentAt) : 0; }

std::vector<uint32_t> ElementRecord::children() const {
  std::vector<uint32_t> ids;
  if (!layout_ || is_menu_item()) return ids;
  const auto count = static_cast<size_t>(word_at(layout_->geometry + kChildCountAt));
  for (size_t i = 0; i < count; ++i) ids.push_back(word_at(layout_->geometry + kGeometrySize + 4 * i));
  return ids;
}

Bytes ElementRecord::pointer_blob() const {
  if (!layout_ || is_menu_item()) return {};
  ByteReader in{std::span<const uint8_t>(bytes_).subspan(layout_->pointer_blob)};
  return in.counted_bytes();
}

void ElementRecord::set_pointer_blob(const Bytes& blob) {
  if (!layout_ || is_menu_item()) return;
  const size_t old_length = layout_->tag - layout_->pointer_blob;
  ByteWriter out;
  out.counted(blob);
  replace(layout_->pointer_blob, old_length, out.data());
}

std::string ElementRecord::tag() const {
  if (!layout_ || is_menu_item()) return {};
  ByteReader in{std::span<const uint8_t>(bytes_).subspan(layout_->tag)};
  return in.c_string();
}

void ElementRecord::set_tag(const std::string& gbk) {
  if (!layout_ || is_menu_item()) return;
  const size_t old_length = layout_->flags - 4 - layout_->tag;
  ByteWriter out;
  out.c_string(gbk);
  replace(layout_->tag, old_length, out.data());
}

uint32_t ElementRecord::state_flags() const { return layout_ && !is_menu_item() ? word_at(layout_->flags) : 0; }

void ElementRecord::set_state_flags(uint32_t flags) {
  if (layout_ && !is_menu_item()) put_word(layout_->flags, flags);
}

uint32_t ElementRecord::focus_order() const { return layout_ && !is_menu_item() ? word_at(layout_->flags + 4) : 0; }

std::vector<Binding> ElementRecord::bindings() const {
  std::vector<Binding> result;
  if (!layout_ || is_menu_item()) return result;
  const auto count = static_cast<size_t>(word_at(layout_->bindings));
  for (size_t i = 0; i < count; ++i) {
    const size_t at = layout_->bindings + 4 + 8 * i;
    result.push_back({static_cast<int32_t>(word_at(at)), static_cast<int32_t>(word_at(at + 4))});
  }
  return result;
}

std::span<const uint8_t> ElementRecord::property_blob() const {
  if (!layout_ || is_menu_item()) return {};
  return std::span(bytes_).subspan(layout_->property_blob);
}

uint32_t ElementRecord::menu_flags() const { return layout_ && is_menu_item() ? word_at(layout_->flags) : 0; }

void ElementRecord::set_menu_flags(uint32_t flags) {
  if (layout_ && is_menu_item()) put_word(layout_->flags, flags);
}

std::string ElementRecord::menu_caption() const {
  if (!layout_ || !is_menu_item()) return {};
  ByteReader in{std::span<const uint8_t>(bytes_).subspan(layout_->bindings)};
  return in.c_string();
}

void ElementRecord::set_menu_caption(const std::string& gbk) {
  if (!layout_ || !is_menu_item()) return;
  ByteWriter out;
  out.c_string(gbk);
  replace(layout_->bindings, layout_->property_blob - layout_->bindings, out.data());
}

int32_t ElementRecord::menu_handler_offset() const {
  return layout_ && is_menu_item() ? static_cast<int32_t>(word_at(layout_->property_blob)) : -1;
}

}  // namespace quorvant::ui::form
