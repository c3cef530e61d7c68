// The core commands on windows and controls. A control reference names a
// control by window id (value word) and element id (second word); a
// reference that cannot be resolved is a runtime error.
#include <string>

#include "platform/dialogs.h"
#include "platform/window_thread.h"
#include "runtime/core_commands.h"
#include "runtime/runtime_object.h"
#include "runtime/values.h"
#include "ui/controls/common_dialog.h"
#include "ui/controls/list_box.h"

namespace quorvant::runtime::core {

namespace {

// Runs `work` on the window thread with the referenced control, when it is
// of type `Control`.
template <class Control, class Work>
void with(const ValueRecord& reference, Work&& work) {
  window_runtime().with_control(reference.value, reference.second, [&](ui::Control& control) {
    if (auto* typed = dynamic_cast<Control*>(&control)) work(*typed);
  });
}

// A text argument; any other record counts as the empty text.
std::string text_argument(const ValueRecord& record) {
  return record.tag == tag::kText ? std::string(text_of(record.as_text())) : std::string{};
}

constexpr int kTaskModal = 0x2000;
constexpr int kSystemModal = 0x1000;

}  // namespace

void window_handle(ValueRecord* result, int32_t count, ValueRecord* args) {
  const ValueRecord reference = argument(count, args, 0);
  int32_t handle = 0;
  window_runtime().with_control(reference.value, reference.second, [&](ui::Control& control) {
    handle = window_runtime().handles().handle_of(control.widget());
  });
  *result = ValueRecord::of_int(handle);
}

void message_box(ValueRecord* result, int32_t count, ValueRecord* args) {
  const ValueRecord message = argument(count, args, 0);
  // Byte sets and arrays give an empty message.
  const bool blockish = message.tag == tag::kByteSet || (message.tag & tag::kArrayFlag) != 0;
  const ValueRecord title = argument(count, args, 2);
  platform::MessageBoxRequest request;
  request.text = blockish ? std::string{} : text_form(message);
  // The default title only for an omitted one; a record that is no text is
  // the empty title.
  request.title = title.tag == tag::kOmitted ? "信息：" : text_argument(title);
  request.style = argument(count, args, 1).as_int();
  if ((request.style & kSystemModal) == 0) request.style |= kTaskModal;
  *result = ValueRecord::of_int(static_cast<int32_t>(runtime_object().dialogs->message_box(request)));
}

void open_common_dialog(ValueRecord* result, int32_t count, ValueRecord* args) {
  bool confirmed = false;
  with<ui::controls::CommonDialogControl>(argument(count, args, 0), [&](auto& dialog) { confirmed = dialog.open(); });
  *result = ValueRecord::of_bool(confirmed);
}

void list_item_count(ValueRecord* result, int32_t count, ValueRecord* args) {
  int32_t items = 0;
  with<ui::controls::ListBoxControl>(argument(count, args, 0), [&](auto& list) { items = list.item_count(); });
  *result = ValueRecord::of_int(items);
}

void list_item_text(ValueRecord* result, int32_t count, ValueRecord* args) {
  std::string text;
  const int32_t index = argument(count, args, 1).as_int();
  with<ui::controls::ListBoxControl>(argument(count, args, 0), [&](auto& list) { text = list.item_text(index); });
  *result = text_record(text);
}

void add_list_item(ValueRecord* result, int32_t count, ValueRecord* args) {
  const std::string text = text_argument(argument(count, args, 1));
  const int32_t data = argument(count, args, 2).as_int();
  int32_t index = -1;
  with<ui::controls::ListBoxControl>(argument(count, args, 0), [&](auto& list) { index = list.add_item(text, data); });
  *result = ValueRecord::of_int(index);
}

void clear_list(ValueRecord* result, int32_t count, ValueRecord* args) {
  with<ui::controls::ListBoxControl>(argument(count, args, 0), [&](auto& list) { list.clear(); });
  *result = {};
}

}  // namespace quorvant::runtime::core
