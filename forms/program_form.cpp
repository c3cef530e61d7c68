#include "forms/program_form.h"

#include "forms/main_window.h"

namespace quorvant::forms {

std::vector<WindowSpec> program_windows() { return {main_window()}; }

}  // namespace quorvant::forms
