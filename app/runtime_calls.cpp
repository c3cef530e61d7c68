#include "app/runtime_calls.h"

#include <string>
#include <vector>

#include "app/ids.h"

namespace quorvant::app {

namespace {

std::vector<ValueRecord> records(std::initializer_list<ValueRecord> arguments) { return {arguments}; }

}  // namespace

ValueRecord control(uint32_t element_id, uint32_t type_id) {
  ValueRecord reference;
  reference.value = kMainWindow;
  reference.second = element_id;
  reference.tag = type_id;
  return reference;
}

ValueRecord core(runtime::CoreCommand command, std::initializer_list<ValueRecord> arguments) {
  std::vector<ValueRecord> args = records(arguments);
  return runtime::call_core_command(command, static_cast<int32_t>(args.size()), args.data());
}

Text core_text(runtime::CoreCommand command, std::initializer_list<ValueRecord> arguments) {
  return Text(static_cast<char*>(core(command, arguments).as_pointer()));
}

ValueRecord library_command(int32_t library, int32_t command, std::initializer_list<ValueRecord> arguments) {
  std::vector<ValueRecord> args = records(arguments);
  return runtime::call_library_command(library, command, static_cast<int32_t>(args.size()), args.data());
}

int32_t read_int(uint32_t element_id, int32_t index) {
  return runtime::read_property(kMainWindow, element_id, index).as_int();
}

bool read_bool(uint32_t element_id, int32_t index) {
  return runtime::read_property(kMainWindow, element_id, index).is_true();
}

Text read_text(uint32_t element_id, int32_t index) {
  return Text(static_cast<char*>(runtime::read_property(kMainWindow, element_id, index).as_pointer()));
}

void write(uint32_t element_id, int32_t index, const ValueRecord& value) {
  runtime::write_property(kMainWindow, element_id, index, -1, value);
}

Text joined(std::initializer_list<std::string_view> parts) {
  std::string whole;
  for (std::string_view part : parts) whole += part;
  return Text(runtime::make_text(whole));
}

}  // namespace quorvant::app
