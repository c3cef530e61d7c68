// Short forms of the runtime calls the handlers and jobs make. Everything
// still goes through the runtime's entry points with value records; these
// only spell the records out once.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "runtime/memory.h"
#include "runtime/runtime.h"
#include "runtime/values.h"

namespace quorvant::app {

using runtime::ValueRecord;

// A text the runtime handed over: released when the holder goes.
class Text {
 public:
  Text() = default;
  explicit Text(char* owned) : text_(owned) {}
  Text(Text&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
  Text& operator=(Text&& other) noexcept {
    std::swap(text_, other.text_);
    return *this;
  }
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  ~Text() { runtime::release(text_); }

  const char* get() const { return text_; }
  // For a system function that writes into the text (a buffer of spaces).
  char* buffer() { return text_; }
  std::string_view view() const { return runtime::text_of(text_); }
  bool empty() const { return view().empty(); }
  // For an argument: the runtime's empty text is null, but commands get a
  // real empty string.
  ValueRecord record() const { return ValueRecord::of_text(text_ != nullptr ? text_ : ""); }

 private:
  char* text_ = nullptr;
};

// A text array the runtime handed over: released with its texts.
class TextArray {
 public:
  explicit TextArray(void* owned = nullptr) : block_(owned) {}
  TextArray(TextArray&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  TextArray& operator=(TextArray&& other) noexcept {
    std::swap(block_, other.block_);
    return *this;
  }
  TextArray(const TextArray&) = delete;
  TextArray& operator=(const TextArray&) = delete;
  ~TextArray() { runtime::release_text_array(block_); }

  int32_t count() const { return block_ == nullptr ? 0 : static_cast<int32_t>(runtime::element_count(block_)); }
  // Element `number`, counted from 1; out of range is a runtime error.
  const char* element(int32_t number) const {
    return *static_cast<char**>(runtime::array_element(block_, number, sizeof(char*)));
  }

 private:
  void* block_ = nullptr;
};

// A borrowed literal or text as an argument record.
inline ValueRecord text_arg(const char* text) { return ValueRecord::of_text(text != nullptr ? text : ""); }
// A control of the main window as a control reference record.
ValueRecord control(uint32_t element_id, uint32_t type_id);

ValueRecord core(runtime::CoreCommand command, std::initializer_list<ValueRecord> arguments);
// A core command whose result is a text.
Text core_text(runtime::CoreCommand command, std::initializer_list<ValueRecord> arguments);
ValueRecord library_command(int32_t library, int32_t command, std::initializer_list<ValueRecord> arguments);

// Properties of the main window's controls.
int32_t read_int(uint32_t element_id, int32_t index);
bool read_bool(uint32_t element_id, int32_t index);
Text read_text(uint32_t element_id, int32_t index);
void write(uint32_t element_id, int32_t index, const ValueRecord& value);

// Texts joined into a new runtime text.
Text joined(std::initializer_list<std::string_view> parts);

}  // namespace quorvant::app
