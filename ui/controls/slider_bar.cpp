// SliderBar: a horizontal track bar. Every move of the thumb stores the new
// position and raises event 0, so a handler follows a drag step by step.
#include <QSlider>

#include "ui/bag_control.h"
#include "ui/controls/core_controls.h"
#include "ui/controls/widget_setup.h"

namespace quorvant::ui::controls {

namespace {

enum Property { kMinimum = 17, kMaximum = 18, kPosition = 19 };

class SliderBarControl final : public BagControl {
 public:
  SliderBarControl(const CreateParams& params, form::PropertyBag bag)
      : BagControl(params.type, nullptr, std::move(bag)) {
    auto* slider = make_owned<QSlider>(params.parent);
    slider->setOrientation(Qt::Horizontal);
    place_child(slider, params);
    reset_widget(slider);
    refresh(kMinimum);
    ControlHost* host = &params.host;
    QObject::connect(slider, &QSlider::valueChanged, lifetime(), [this, host](int position) {
      if (setting_) return;  // the program moved it
      this->bag().set(kPosition, int32_t{position});
      host->raise(0);
    });
  }

 protected:
  void capture() override {
    if (const auto* slider = static_cast<QSlider*>(widget())) bag().set(kPosition, int32_t{slider->value()});
  }

  bool refresh(int index) override {
    auto* slider = static_cast<QSlider*>(widget());
    if (slider == nullptr || (index != kMinimum && index != kMaximum && index != kPosition)) return false;
    setting_ = true;
    const int low = std::min(integer(kMinimum), integer(kMaximum));
    const int high = std::max(integer(kMinimum), integer(kMaximum));
    slider->setRange(low, high);
    slider->setValue(integer(kPosition));
    setting_ = false;
    bag().set(kPosition, int32_t{slider->value()});  // clamped into the range
    return false;
  }

 private:
  bool setting_ = false;
};

}  // namespace

std::unique_ptr<Control> create_slider_bar(const CreateParams& params) {
  auto bag = read_bag(params);
  if (!bag) return nullptr;
  return std::make_unique<SliderBarControl>(params, std::move(*bag));
}

}  // namespace quorvant::ui::controls
