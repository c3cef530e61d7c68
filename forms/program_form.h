// The description of the program's own windows, from which the build writes
// the form template that the program embeds.
#pragma once

#include <vector>

#include "forms/form_writer.h"

namespace quorvant::forms {

std::vector<WindowSpec> program_windows();

}  // namespace quorvant::forms
