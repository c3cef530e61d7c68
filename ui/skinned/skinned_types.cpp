#include "ui/skinned/skinned_types.h"

#include "ui/form_reader/ids.h"
#include "ui/skinned/skinned_catalog.h"

namespace quorvant::ui::skinned {

std::vector<ControlType> skinned_control_types() {
  return {{find_skinned_type(form::type_id::kTransLabel), create_trans_label},
          {find_skinned_type(form::type_id::kPicBtn), create_pic_button},
          {find_skinned_type(form::type_id::kSuperBtn), create_super_button}};
}

}  // namespace quorvant::ui::skinned
