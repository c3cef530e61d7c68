// The core control library: window, edit box, shape box, group box, check
// box, radio box, list box, slider bar and common dialog.
#pragma once

#include <memory>
#include <vector>

#include "ui/control.h"

namespace quorvant::ui::controls {

std::vector<ControlType> core_control_types();

// The factories, one per type; each gives nothing when the blob cannot be
// read.
std::unique_ptr<Control> create_window(const CreateParams& params);
std::unique_ptr<Control> create_edit_box(const CreateParams& params);
std::unique_ptr<Control> create_shape_box(const CreateParams& params);
std::unique_ptr<Control> create_group_box(const CreateParams& params);
std::unique_ptr<Control> create_check_box(const CreateParams& params);
std::unique_ptr<Control> create_radio_box(const CreateParams& params);
std::unique_ptr<Control> create_list_box(const CreateParams& params);
std::unique_ptr<Control> create_slider_bar(const CreateParams& params);
std::unique_ptr<Control> create_common_dialog(const CreateParams& params);

}  // namespace quorvant::ui::controls
