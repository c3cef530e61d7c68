// Every control type the program's windows are made of.
#pragma once

#include <vector>

#include "ui/control.h"

namespace quorvant::ui {

// The core types followed by the skinned ones.
std::vector<ControlType> program_control_types();

}  // namespace quorvant::ui
