#include <QApplication>
#include <QWidget>

#include <utility>
#include <vector>

#include "fuzz/targets/fuzz_targets.h"
#include "platform/dialogs.h"
#include "ui/form_reader/form_template.h"
#include "ui/form_reader/type_catalog.h"
#include "ui/program_controls.h"
#include "ui/window_runtime.h"

namespace quorvant::fuzz {

namespace {

// Showing a window costs its pixels; beyond this the window is built but
// kept hidden, so that one input cannot ask for gigabytes of screen.
constexpr int32_t kLargestShownSide = 2048;

struct ElementNames {
  uint32_t window_id;
  std::vector<uint32_t> element_ids;
};

std::vector<ElementNames> names_and_limits(ui::form::Form& form) {
  std::vector<ElementNames> names;
  for (ui::form::WindowTemplate& window : form.windows) {
    ElementNames entry{window.id, {}};
    for (ui::form::ElementRecord& element : window.elements) {
      entry.element_ids.push_back(element.element_id());
      if (&element != &window.elements.front() || !element.well_formed()) continue;
      using ui::form::Geometry;
      if (element.geometry(Geometry::kWidth) > kLargestShownSide ||
          element.geometry(Geometry::kHeight) > kLargestShownSide) {
        element.set_state_flags(element.state_flags() & ~ui::form::state_flag::kVisible);
      }
    }
    names.push_back(std::move(entry));
  }
  return names;
}

// Reads every property of every element and writes the value read back,
// as a program handing values from one control to another would.
void read_and_write_back(ui::WindowRuntime& runtime, const ElementNames& window) {
  for (const uint32_t element_id : window.element_ids) {
    for (int index = 0; index < 40; ++index) {
      const ui::PropertyValue value = runtime.get_property(window.window_id, element_id, index);
      if (index != 5) runtime.set_property(window.window_id, element_id, index, value);  // Visible stays
    }
  }
}

}  // namespace

size_t open_every_window(std::span<const uint8_t> bytes) {
  std::optional<ui::form::Form> form = ui::form::load_form(bytes, 16);
  if (!form) return 0;
  const std::vector<ElementNames> names = names_and_limits(*form);
  platform::ScriptedDialogs dialogs;
  size_t opened = 0;
  {
    ui::WindowRuntime runtime(std::move(*form), {}, ui::program_control_types(), dialogs);
    runtime.set_error_hook([](int32_t, const std::string&) {});
    for (const ElementNames& window : names) {
      if (!runtime.open_window(window.window_id)) continue;
      ++opened;
      QCoreApplication::processEvents();
      if (QWidget* top = runtime.widget_of(window.window_id, 0); top != nullptr && top->isVisible()) {
        (void)top->grab();  // paints every control
      }
      read_and_write_back(runtime, window);
    }
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return opened;
}

}  // namespace quorvant::fuzz
