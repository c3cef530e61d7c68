#include "ui/program_controls.h"

#include "ui/controls/core_controls.h"
#include "ui/skinned/skinned_types.h"

namespace quorvant::ui {

std::vector<ControlType> program_control_types() {
  std::vector<ControlType> types = controls::core_control_types();
  for (ControlType& type : skinned::skinned_control_types()) types.push_back(std::move(type));
  return types;
}

}  // namespace quorvant::ui
