// GroupBox: a captioned frame that other controls sit in.
#include <QGroupBox>

#include "ui/bag_control.h"
#include "ui/controls/core_controls.h"
#include "ui/controls/widget_setup.h"

namespace quorvant::ui::controls {

namespace {

enum Property { kCaption = 8, kAlignment = 9, kTextColour = 10, kBackground = 11, kFont = 12 };

class GroupBoxControl final : public BagControl {
 public:
  GroupBoxControl(const CreateParams& params, form::PropertyBag bag)
      : BagControl(params.type, nullptr, std::move(bag)) {
    auto* box = make_owned<QGroupBox>(params.parent);
    place_child(box, params);
    box->setFocusPolicy(Qt::NoFocus);
    reset_widget(box);
    for (int index : {kCaption, kAlignment, kTextColour, kFont}) refresh(index);
  }

  ShortcutRole shortcut_role() const override { return ShortcutRole::kGroupBox; }
  QString shortcut_caption() const override { return text(kCaption); }

 protected:
  bool refresh(int index) override {
    auto* box = static_cast<QGroupBox*>(widget());
    if (box == nullptr) return false;
    switch (index) {
      case kCaption:
        box->setTitle(text(kCaption));
        break;
      case kAlignment: {
        const int alignment = integer(kAlignment);
        box->setAlignment(alignment == 1 ? Qt::AlignHCenter : alignment == 2 ? Qt::AlignRight : Qt::AlignLeft);
        break;
      }
      case kTextColour:
      case kBackground:
        apply_colours(box, static_cast<uint32_t>(integer(kTextColour)), static_cast<uint32_t>(integer(kBackground)));
        break;
      case kFont:
        box->setFont(to_qfont(font(kFont)));
        break;
      default:
        break;
    }
    return false;
  }
};

}  // namespace

std::unique_ptr<Control> create_group_box(const CreateParams& params) {
  auto bag = read_bag(params);
  if (!bag) return nullptr;
  return std::make_unique<GroupBoxControl>(params, std::move(*bag));
}

}  // namespace quorvant::ui::controls
