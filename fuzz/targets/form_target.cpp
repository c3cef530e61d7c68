#include "fuzz/targets/fuzz_targets.h"
#include "ui/form_reader/form_template.h"
#include "ui/form_reader/property_bag.h"
#include "ui/form_reader/type_catalog.h"
#include "ui/skinned/skinned_catalog.h"

namespace quorvant::fuzz {

size_t read_whole_form(std::span<const uint8_t> bytes) {
  using namespace ui;
  const auto form = form::load_form(bytes, 16);
  if (!form) return 0;
  size_t elements = 0;
  for (const auto& window : form->windows) {
    for (const auto& element : window.elements) {
      ++elements;
      (void)element.name();
      (void)element.tag();
      (void)element.children();
      (void)element.bindings();
      const form::TypeInfo* type = form::find_core_type(element.type_id());
      if (type == nullptr) type = skinned::find_skinned_type(element.type_id());
      if (type != nullptr) {
        if (auto bag = form::read_properties(type->schema, element.property_blob())) {
          (void)form::write_properties(type->schema, *bag);
        }
      }
    }
  }
  return elements;
}

}  // namespace quorvant::fuzz
