// The form template: the stored description of every window of the program.
//
//   window table: int32 size in bytes (8 per window), the window ids, then
//     one slot word per window;
//   per window: two words, name and comment (counted texts), the element
//     count n, the element body's length and the body: n element ids (the
//     window's own element first), n offsets into the entry area, and the
//     entry area of n entries, each an int32 length and an element record.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/form_reader/element_record.h"

namespace quorvant::ui::form {

// An element's event bindings after the handler pass: each event index with
// the number of the handler routine it calls (the stored offset), or none.
struct ResolvedBinding {
  int32_t event;
  std::optional<int32_t> handler;
};

struct WindowTemplate {
  uint32_t id = 0;
  uint32_t words[2] = {0, 0};                          // kept with the window; nothing reads them
  std::string name;                                    // GBK
  std::string comment;                                 // GBK
  std::vector<ElementRecord> elements;                 // the window's own element first
  std::vector<std::vector<ResolvedBinding>> bindings;  // per element

  // The position of an element id, or nothing; the window's own element is
  // position 0, and so is element id 0 (the window itself).
  std::optional<size_t> position_of(uint32_t element_id) const;
};

struct Form {
  std::vector<WindowTemplate> windows;
  const WindowTemplate* find(uint32_t window_id) const;
};

// The message of the runtime error for a template that cannot be loaded.
inline constexpr const char* kTemplateLoadError = "载入窗口模板数据段出错!";

// Loads a template. Handler offsets select routines of the program's handler
// table, offset 0 the first: -1 and offsets past the table's `handler_count`
// bind nothing. Nothing when any read runs past the end of the block.
std::optional<Form> load_form(std::span<const uint8_t> block, int32_t handler_count);

}  // namespace quorvant::ui::form
