// Runtime errors: conditions the program cannot handle. Raising one shows
// the runtime error box and ends the program with exit code -1.
#pragma once

#include <cstdint>
#include <string>

namespace quorvant::runtime {

// The message of a numbered runtime error (1 to 11); empty for others.
std::string runtime_error_message(int32_t code);

// The text of the runtime error box.
std::string runtime_error_box_text(int32_t code, const std::string& message);

// Code 0 takes the caller's message; codes 1 to 11 their own.
[[noreturn]] void raise_runtime_error(int32_t code, const std::string& message = {});

}  // namespace quorvant::runtime
