// The core library's commands. Each takes value records and fills one
// result record (the command shape of value_record.h).
#pragma once

#include <string>

#include "runtime/value_record.h"

namespace quorvant::runtime::core {

// Texts.
void text_length(ValueRecord* result, int32_t count, ValueRecord* args);
void left_text(ValueRecord* result, int32_t count, ValueRecord* args);
void right_text(ValueRecord* result, int32_t count, ValueRecord* args);
void to_upper(ValueRecord* result, int32_t count, ValueRecord* args);
void to_integer(ValueRecord* result, int32_t count, ValueRecord* args);
void split_text(ValueRecord* result, int32_t count, ValueRecord* args);
void blank_text(ValueRecord* result, int32_t count, ValueRecord* args);
void to_text(ValueRecord* result, int32_t count, ValueRecord* args);

// Files and processes.
void run_program(ValueRecord* result, int32_t count, ValueRecord* args);
void program_directory(ValueRecord* result, int32_t count, ValueRecord* args);
void create_directory(ValueRecord* result, int32_t count, ValueRecord* args);
void file_exists(ValueRecord* result, int32_t count, ValueRecord* args);

// Windows and controls.
void window_handle(ValueRecord* result, int32_t count, ValueRecord* args);
void message_box(ValueRecord* result, int32_t count, ValueRecord* args);
void open_common_dialog(ValueRecord* result, int32_t count, ValueRecord* args);
void list_item_count(ValueRecord* result, int32_t count, ValueRecord* args);
void list_item_text(ValueRecord* result, int32_t count, ValueRecord* args);
void add_list_item(ValueRecord* result, int32_t count, ValueRecord* args);
void clear_list(ValueRecord* result, int32_t count, ValueRecord* args);

// The value of an argument record as text, the way "to text" makes it.
std::string text_form(const ValueRecord& value);

// An argument by position; positions past the count read as omitted.
inline ValueRecord argument(int32_t count, const ValueRecord* args, int32_t index) {
  return args != nullptr && index < count ? args[index] : ValueRecord{};
}

}  // namespace quorvant::runtime::core
