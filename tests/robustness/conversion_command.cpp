#include "tests/robustness/conversion_command.h"

#include <gtest/gtest.h>

#include "engine/commands.h"

namespace quorvant::testing {

int convert_with_command(engine::TargetFormat format, const std::string& source, const std::string& destination) {
  using engine::TargetFormat;
  using runtime::ValueRecord;
  ValueRecord args[6] = {ValueRecord::of_text(source.c_str()), ValueRecord::of_text(destination.c_str())};
  int32_t count = 2;
  switch (format) {
    case TargetFormat::kJpg:
      args[2] = ValueRecord::of_bool(false);  // colour
      args[3] = ValueRecord::of_int(75);
      args[4] = ValueRecord::of_bool(true);  // optimised tables
      args[5] = ValueRecord::of_int(0);
      count = 6;
      break;
    case TargetFormat::kPng:
      args[2] = ValueRecord::of_int(24);
      count = 3;
      break;
    case TargetFormat::kPpm:
    case TargetFormat::kPgm:
      args[2] = ValueRecord::of_bool(true);  // binary
      count = 3;
      break;
    case TargetFormat::kTif:
      args[2] = ValueRecord::of_bool(false);  // colour
      count = 3;
      break;
    default:
      break;
  }
  const runtime::LibraryRecord& library = engine::engine_library();
  const std::string_view name = engine::describe(format).name;
  for (int32_t i = 0; i < library.command_count; ++i) {
    if (library.commands[i].name == name) {
      ValueRecord result;
      library.commands[i].entry(&result, count, args);
      EXPECT_EQ(result.tag, runtime::tag::kInt) << name << " answered a record that is not an int";
      return result.as_int();
    }
  }
  ADD_FAILURE() << "the engine's library has no command " << name;
  return 0;
}

}  // namespace quorvant::testing
