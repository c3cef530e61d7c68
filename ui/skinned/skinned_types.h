// The skinned control types: transparent label, picture button and super
// button, owner-drawn controls of the main window.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/control.h"
#include "ui/form_reader/type_catalog.h"
#include "ui/skinned/skinned_catalog.h"

namespace quorvant::ui::skinned {

// The types with their factories, for the window runtime.
std::vector<ControlType> skinned_control_types();

std::unique_ptr<Control> create_trans_label(const CreateParams& params);
std::unique_ptr<Control> create_pic_button(const CreateParams& params);
std::unique_ptr<Control> create_super_button(const CreateParams& params);

}  // namespace quorvant::ui::skinned
