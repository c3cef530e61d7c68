// What the form template knows of the skinned control types without a
// window system: names, flags, property kinds and blob layouts.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/form_reader/type_catalog.h"

namespace quorvant::ui::skinned {

// The transparent label, the picture button and the super button.
const std::vector<form::TypeInfo>& skinned_types();
const form::TypeInfo* find_skinned_type(uint32_t type_id);

}  // namespace quorvant::ui::skinned
