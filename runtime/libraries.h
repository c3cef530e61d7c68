// The runtime's libraries besides the core: the thread library and the
// application-interface library, each a library record of commands.
#pragma once

#include "runtime/value_record.h"

namespace quorvant::runtime {

// Command 0: start thread(subroutine pointer, [parameter (int)], [handle
// variable (int, by reference)]) -> bool.
const LibraryRecord& thread_library();

// Command 0: open web address([address (text)]) -> none.
const LibraryRecord& interface_library();

// The address opened when the web-address command is given none.
inline constexpr const char* kDefaultWebAddress = "https://velk.example/";

// A thread's entry: the application subroutine, given the thread parameter.
using ThreadEntry = void (*)(intptr_t parameter);

}  // namespace quorvant::runtime
