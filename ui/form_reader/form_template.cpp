#include "ui/form_reader/form_template.h"

#include <new>

namespace quorvant::ui::form {

namespace {

constexpr int32_t kWindowTableEntry = 8;  // id and slot

std::optional<int32_t> resolve(int32_t offset, int32_t handler_count) {
  if (offset < 0 || offset >= handler_count) return std::nullopt;
  return offset;
}

std::optional<WindowTemplate> read_window(ByteReader& in, uint32_t id, int32_t handler_count) {
  WindowTemplate window;
  window.id = id;
  window.words[0] = in.u32();
  window.words[1] = in.u32();
  window.name = in.counted_text();
  window.comment = in.counted_text();
  const int32_t count = in.i32();
  const int32_t body_length = in.i32();
  if (!in.ok() || count < 0 || body_length < 0) return std::nullopt;
  const std::span<const uint8_t> body = in.take(static_cast<size_t>(body_length));
  if (!in.ok() || static_cast<size_t>(count) > body.size() / 8) return std::nullopt;

  const auto n = static_cast<size_t>(count);
  ByteReader table(body);
  std::vector<uint32_t> ids(n);
  std::vector<int32_t> offsets(n);
  for (uint32_t& element_id : ids) element_id = table.u32();
  for (int32_t& offset : offsets) offset = table.i32();
  // Records are found through the offset table, not by reading on, so the
  // entry area may hold gaps between them.
  const std::span<const uint8_t> entries = body.subspan(table.position());
  for (size_t i = 0; i < n; ++i) {
    if (offsets[i] < 0 || static_cast<size_t>(offsets[i]) > entries.size()) return std::nullopt;
    ByteReader entry(entries.subspan(static_cast<size_t>(offsets[i])));
    const int32_t length = entry.i32();
    if (length < 0) return std::nullopt;
    const std::span<const uint8_t> record = entry.take(static_cast<size_t>(length));
    if (!entry.ok()) return std::nullopt;
    window.elements.emplace_back(ids[i], Bytes(record.begin(), record.end()));
  }

  // The handler pass: every stored offset becomes a routine of the handler
  // table, or none.
  for (const ElementRecord& element : window.elements) {
    std::vector<ResolvedBinding> resolved;
    if (element.is_menu_item()) {
      resolved.push_back({0, resolve(element.menu_handler_offset(), handler_count)});
    } else {
      for (const Binding& binding : element.bindings()) {
        resolved.push_back({binding.event, resolve(binding.handler_offset, handler_count)});
      }
    }
    window.bindings.push_back(std::move(resolved));
  }
  return window;
}

}  // namespace

std::optional<size_t> WindowTemplate::position_of(uint32_t element_id) const {
  if (element_id == 0 && !elements.empty()) return 0;
  for (size_t i = 0; i < elements.size(); ++i) {
    if (elements[i].element_id() == element_id) return i;
  }
  return std::nullopt;
}

const WindowTemplate* Form::find(uint32_t window_id) const {
  for (const WindowTemplate& window : windows) {
    if (window.id == window_id) return &window;
  }
  return nullptr;
}

std::optional<Form> load_form(std::span<const uint8_t> block, int32_t handler_count) try {
  ByteReader in(block);
  const int32_t table_size = in.i32();
  if (!in.ok() || table_size < 0) return std::nullopt;
  const auto count = static_cast<size_t>(table_size / kWindowTableEntry);
  if (count > in.remaining() / kWindowTableEntry) return std::nullopt;
  std::vector<uint32_t> ids(count);
  for (uint32_t& id : ids) id = in.u32();
  in.skip(4 * count);  // slots: filled by the runtime, not read
  Form form;
  for (uint32_t id : ids) {
    std::optional<WindowTemplate> window = read_window(in, id, handler_count);
    if (!window) return std::nullopt;
    form.windows.push_back(std::move(*window));
  }
  return form;
} catch (const std::bad_alloc&) {
  return std::nullopt;
}

}  // namespace quorvant::ui::form
