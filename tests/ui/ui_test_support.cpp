#include "tests/ui/ui_test_support.h"

#include <QCoreApplication>

#include "ui/form_reader/type_catalog.h"
#include "ui/program_controls.h"
#include "ui/skinned/skinned_catalog.h"

namespace quorvant::testing {

using ui::form::PropertyBag;

PropertyBag props(std::initializer_list<std::pair<int, ui::form::FieldValue>> values) {
  PropertyBag bag;
  for (const auto& [index, value] : values) bag.set(index, value);
  return bag;
}

forms::ElementSpec window_element(int width, int height, PropertyBag extra) {
  PropertyBag bag = props({{22, int32_t{1}}, {27, int32_t{1}}, {19, int32_t{1}}, {8, std::string("测试窗口")}});
  for (const auto& [index, value] : extra.values()) bag.set(index, value);
  forms::ElementSpec own;
  own.id = kOwnId;
  own.type_id = ui::form::type_id::kWindow;
  own.left = 10;
  own.top = 20;
  own.width = width;
  own.height = height;
  own.property_blob = forms::core_properties(own.type_id, bag);
  return own;
}

forms::ElementSpec control(uint32_t id, uint32_t type_id, const std::string& name, QRect geometry,
                           PropertyBag properties, uint32_t parent, uint32_t flags) {
  forms::ElementSpec spec;
  spec.id = id;
  spec.type_id = type_id;
  spec.name = name;
  spec.left = geometry.x();
  spec.top = geometry.y();
  spec.width = geometry.width();
  spec.height = geometry.height();
  spec.parent = parent;
  spec.state_flags = flags;
  const ui::form::TypeInfo* type = ui::form::find_core_type(type_id);
  if (type == nullptr) type = ui::skinned::find_skinned_type(type_id);
  spec.property_blob = forms::typed_properties(*type, properties);
  return spec;
}

TestRuntime::TestRuntime(forms::ElementSpec own, std::vector<forms::ElementSpec> controls,
                         std::vector<ui::EventHandler> handlers) {
  forms::WindowSpec window{kWindowId, std::move(own), std::move(controls), {}};
  const auto bytes = forms::write_form({window});
  auto form = ui::form::load_form(bytes, static_cast<int32_t>(handlers.size()));
  if (!form) throw std::runtime_error("the test template does not load");
  runtime_ =
      std::make_unique<ui::WindowRuntime>(std::move(*form), std::move(handlers), ui::program_control_types(), dialogs_);
  runtime_->set_error_hook([this](int32_t, const std::string& message) { errors_.push_back(message); });
}

TestRuntime::~TestRuntime() {
  runtime_.reset();
  settle();
}

void TestRuntime::close() {
  runtime_->close_window(kWindowId);
  settle();
}

void settle() {
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace quorvant::testing
