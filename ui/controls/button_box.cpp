// CheckBox and RadioBox: automatic check boxes and radio buttons, or, with
// the push-button look, buttons that stay pressed. Radio buttons with the
// same parent form one group. A click raises event 0.
#include <QAbstractButton>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include "ui/bag_control.h"
#include "ui/controls/core_controls.h"
#include "ui/controls/widget_setup.h"
#include "ui/pictures/picture_decoding.h"

namespace quorvant::ui::controls {

namespace {

// On the platform these imitate, the whole rectangle of a check box or
// radio button is the button, not only its box and the letters of its
// caption.
template <class Button>
class WholeAreaButton final : public Button {
 public:
  using Button::Button;

 protected:
  bool hitButton(const QPoint& position) const override { return this->rect().contains(position); }
};

enum Property {
  kPicture = 8,
  kPushLook = 9,
  kFlat = 10,
  kCaption = 11,
  kTextLeft = 12,
  kHorizontalAlignment = 13,
  kVerticalAlignment = 14,
  kTextColour = 15,
  kBackground = 16,
  kFont = 17,
  kChecked = 18,
};

class ButtonBoxControl final : public BagControl {
 public:
  ButtonBoxControl(const CreateParams& params, form::PropertyBag bag, bool radio)
      : BagControl(params.type, nullptr, std::move(bag)), radio_(radio) {
    QAbstractButton* button = nullptr;
    if (flag(kPushLook)) {
      auto* push = make_owned<QPushButton>(params.parent);
      push->setCheckable(true);
      push->setAutoExclusive(radio);
      push->setFlat(flag(kFlat));
      button = push;
    } else if (radio) {
      button = make_owned<WholeAreaButton<QRadioButton>>(params.parent);
    } else {
      button = make_owned<WholeAreaButton<QCheckBox>>(params.parent);
    }
    place_child(button, params);
    reset_widget(button);
    for (int index : {kPicture, kTextLeft, kHorizontalAlignment, kTextColour, kFont, kChecked}) refresh(index);
    ControlHost* host = &params.host;
    QObject::connect(button, &QAbstractButton::clicked, lifetime(), [host] { host->raise(0); });
  }

  ShortcutRole shortcut_role() const override { return radio_ ? ShortcutRole::kRadioButton : ShortcutRole::kCheckBox; }
  QString shortcut_caption() const override { return text(kCaption); }
  void take_shortcut() override {
    if (auto* button = this->button()) button->setChecked(radio_ ? true : !button->isChecked());
  }

 protected:
  void capture() override {
    if (auto* button = this->button()) bag().set(kChecked, int32_t{button->isChecked()});
  }

  bool refresh(int index) override {
    auto* button = this->button();
    if (button == nullptr) return false;
    switch (index) {
      case kPushLook:
        return true;  // a different kind of button
      case kFlat:
        if (auto* push = qobject_cast<QPushButton*>(button)) push->setFlat(flag(kFlat));
        break;
      case kPicture:
      case kCaption: {
        // A picture is shown instead of the caption.
        const auto picture = pictures::decode_picture(bag().bytes(kPicture));
        if (picture) {
          button->setIcon(QPixmap::fromImage(*picture));
          button->setIconSize(picture->size());
          button->setText({});
        } else {
          button->setIcon({});
          button->setText(text(kCaption));
        }
        break;
      }
      case kTextLeft:
        button->setLayoutDirection(flag(kTextLeft) ? Qt::RightToLeft : Qt::LeftToRight);
        break;
      case kHorizontalAlignment:
      case kVerticalAlignment:
        // Only a push button can place its caption; a check box keeps its
        // caption beside the box, centred in height.
        if (qobject_cast<QPushButton*>(button) != nullptr) {
          const char* align[] = {"left", "center", "right"};
          button->setStyleSheet(
              QStringLiteral("text-align: %1").arg(align[std::clamp(integer(kHorizontalAlignment), 0, 2)]));
        }
        break;
      case kTextColour:
      case kBackground:
        apply_colours(button, static_cast<uint32_t>(integer(kTextColour)), static_cast<uint32_t>(integer(kBackground)),
                      QPalette::ButtonText, QPalette::Window);
        {
          QPalette palette = button->palette();
          palette.setColor(QPalette::WindowText, to_qcolor(static_cast<uint32_t>(integer(kTextColour))));
          button->setPalette(palette);
        }
        break;
      case kFont:
        button->setFont(to_qfont(font(kFont)));
        break;
      case kChecked:
        if (radio_ && !flag(kChecked)) {
          // An exclusive radio button refuses to be unchecked directly.
          button->setAutoExclusive(false);
          button->setChecked(false);
          button->setAutoExclusive(true);
        } else {
          button->setChecked(flag(kChecked));
        }
        break;
      default:
        break;
    }
    return false;
  }

 private:
  QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
  const bool radio_;
};

std::unique_ptr<Control> create_button_box(const CreateParams& params, bool radio) {
  auto bag = read_bag(params);
  if (!bag) return nullptr;
  return std::make_unique<ButtonBoxControl>(params, std::move(*bag), radio);
}

}  // namespace

std::unique_ptr<Control> create_check_box(const CreateParams& params) { return create_button_box(params, false); }
std::unique_ptr<Control> create_radio_box(const CreateParams& params) { return create_button_box(params, true); }

}  // namespace quorvant::ui::controls
