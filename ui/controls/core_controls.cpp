#include "ui/controls/core_controls.h"

#include "ui/form_reader/ids.h"

namespace quorvant::ui::controls {

std::vector<ControlType> core_control_types() {
  using namespace form::type_id;
  const std::pair<uint32_t, ControlFactory> factories[] = {
      {kWindow, create_window},      {kEditBox, create_edit_box},     {kShapeBox, create_shape_box},
      {kGroupBox, create_group_box}, {kCheckBox, create_check_box},   {kRadioBox, create_radio_box},
      {kListBox, create_list_box},   {kSliderBar, create_slider_bar}, {kCommonDlg, create_common_dialog},
  };
  std::vector<ControlType> types;
  for (const auto& [id, factory] : factories) types.push_back({form::find_core_type(id), factory});
  return types;
}

}  // namespace quorvant::ui::controls
