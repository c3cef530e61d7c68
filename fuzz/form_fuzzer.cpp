// Feeds arbitrary bytes to the form template reader, reads every field of
// every element it accepts, and decodes each property blob the way the
// element's control type would.
#include <cstdint>

#include "ui/form/form_template.h"
#include "ui/form/property_bag.h"
#include "ui/form/type_catalog.h"
#include "ui/skinned/skinned_catalog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quorvant::ui;
  const auto form = form::load_form({data, size}, 16);
  if (!form) return 0;
  for (const auto& window : form->windows) {
    for (const auto& element : window.elements) {
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
  return 0;
}
