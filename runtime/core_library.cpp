// The core library: its command table in CoreCommand order.
#include "runtime/core_commands.h"
#include "runtime/runtime.h"

namespace quorvant::runtime {

namespace {

constexpr CommandEntry kCoreCommands[] = {
    core::run_program,       core::window_handle,  core::text_length,
    core::program_directory, core::left_text,      core::right_text,
    core::to_upper,          core::to_integer,     core::split_text,
    core::blank_text,        core::to_text,        core::create_directory,
    core::file_exists,       core::message_box,    core::open_common_dialog,
    core::list_item_count,   core::list_item_text, core::add_list_item,
    core::clear_list,
};
static_assert(std::size(kCoreCommands) == static_cast<size_t>(CoreCommand::kClearList) + 1);

}  // namespace

ValueRecord call_core_command(CoreCommand command, int32_t argument_count, ValueRecord* arguments) {
  ValueRecord result;
  const auto index = static_cast<size_t>(command);
  if (index < std::size(kCoreCommands)) kCoreCommands[index](&result, argument_count, arguments);
  return result;
}

}  // namespace quorvant::runtime
