// The program's form template, written at build time and embedded in the
// program.
#pragma once

#include <cstdint>
#include <span>

namespace quorvant::forms {

std::span<const uint8_t> embedded_form();

}  // namespace quorvant::forms
