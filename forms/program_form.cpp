#include "forms/program_form.h"

namespace quorvant::forms {

std::vector<WindowSpec> program_windows() {
  // The main window's description is added with the main window itself;
  // until then the program's template holds no window.
  return {};
}

}  // namespace quorvant::forms
