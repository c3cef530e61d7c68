// SuperBtn: a push button drawn entirely by itself, in three looks (flat,
// classic 3-D, rounded "XP"), with colours for the pointer-outside,
// pointer-inside and focused states, up to three pictures with transparent
// colours, four arrangements of picture and caption, a pressed offset,
// check-box behaviour, a tooltip and hover and click sounds. Qt's push
// button keeps the keyboard, focus and click behaviour.
#include <QEnterEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include <array>
#include <cstring>
#include <optional>

#include "platform/sound_player.h"
#include "ui/bag_control.h"
#include "ui/controls/widget_setup.h"
#include "ui/form_reader/ids.h"
#include "ui/pictures/picture_decoding.h"
#include "ui/skinned/click_sound.h"
#include "ui/skinned/colour_offset.h"
#include "ui/skinned/skinned_types.h"
#include "ui/skinned/super_button_look.h"

namespace quorvant::ui::skinned {

namespace {

enum Property {
  kStyle = 8,
  kCheckBox = 9,
  kChecked = 10,
  kAlign = 11,
  kPress = 12,
  kDrawBorder = 13,
  kDrawFocus = 14,
  kPicOut = 15,
  kTransOut = 16,
  kPicIn = 17,
  kTransIn = 18,
  kPicDisabled = 19,
  kTransDisabled = 20,
  kFont = 21,
  kCaption = 22,
  kDefaultColour = 23,
  kFgOut = 24,
  kBkOut = 25,
  kFgIn = 26,
  kBkIn = 27,
  kFgFocus = 28,
  kBkFocus = 29,
  kStandardSound = 30,
  kOverSound = 31,
  kClickSound = 32,
  kToolTip = 33,
  kDefaultStyle = 34,
};

class SuperButtonWidget final : public QPushButton {
 public:
  explicit SuperButtonWidget(QWidget* parent) : QPushButton(parent) { setAttribute(Qt::WA_Hover); }

  SuperLook look;
  std::function<void(int sound)> play;  // 0 hover, 1 click

  void end_hover() {
    if (look.pointer_over) {
      look.pointer_over = false;
      update();
    }
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    SuperState state;
    state.focused = hasFocus();
    state.focus_from_keyboard = focus_from_keyboard_;
    state.disabled = !isEnabled();
    state.pressed = isDown() || (look.check_box && look.checked);
    paint_super_button(painter, rect(), look, state, palette(), font(), text());
  }

  void enterEvent(QEnterEvent* event) override {
    QPushButton::enterEvent(event);
    track_hover(true, (event->buttons() & Qt::LeftButton) != 0);
  }

  // While the left button holds the button pressed, the moves come here
  // wherever the pointer goes: off the button, the hover ends.
  void mouseMoveEvent(QMouseEvent* event) override {
    QPushButton::mouseMoveEvent(event);
    track_hover(rect().contains(event->position().toPoint()), (event->buttons() & Qt::LeftButton) != 0);
  }

  void leaveEvent(QEvent* event) override {
    QPushButton::leaveEvent(event);
    end_hover();
  }

  void focusInEvent(QFocusEvent* event) override {
    QPushButton::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    // Focus that comes back with the window (after a dialog it opened)
    // keeps the frame it had when it left.
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      focus_from_keyboard_ =
          reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    }
    update();
  }

  void focusOutEvent(QFocusEvent* event) override {
    QPushButton::focusOutEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) focus_from_keyboard_ = false;
    end_hover();
  }

  // Hover belongs to the flat looks of an enabled button; a press started
  // elsewhere does not light the button up.
  void track_hover(bool over, bool left_button_down) {
    if (!look.flat || !isEnabled() || (left_button_down && !look.pointer_over)) return;
    if (!over) {
      end_hover();
      return;
    }
    if (look.pointer_over) return;
    look.pointer_over = true;
    update();
    if (play) play(0);
  }

  void changeEvent(QEvent* event) override {
    QPushButton::changeEvent(event);
    if ((event->type() == QEvent::EnabledChange && !isEnabled()) ||
        (event->type() == QEvent::ActivationChange && !isActiveWindow())) {
      end_hover();
    }
  }

 private:
  bool focus_from_keyboard_ = false;
};

class SuperButtonControl final : public BagControl {
 public:
  SuperButtonControl(const CreateParams& params, form::PropertyBag bag)
      : BagControl(params.type, nullptr, std::move(bag)), host_(params.host) {
    auto* button = controls::make_owned<SuperButtonWidget>(params.parent);
    controls::place_child(button, params);
    reset_widget(button);
    button->play = [this](int sound) { play(sound); };
    QObject::connect(button, &QPushButton::clicked, lifetime(), [this] { clicked(); });
    for (int index : {kStyle, kAlign, kPress, kDefaultStyle}) this->bag().set(index, clamped(index, integer(index)));
    SuperLook& look = button->look;
    look.check_box = flag(kCheckBox);
    look.checked = look.check_box && integer(kChecked) != 0;
    look.is_default = !look.check_box && integer(kDefaultStyle) == 1;
    for (int index : {kStyle, kAlign, kPress, kDrawBorder, kDrawFocus, kPicOut, kPicIn, kPicDisabled, kFont, kCaption,
                      kDefaultColour, kToolTip}) {
      refresh(index);
    }
  }

  bool set(int own_index, const PropertyValue& value) override {
    const int index = own_index + 8;
    const bool recreate = (index == kCheckBox && (as_int(value) == 1) != flag(kCheckBox)) || index == kDefaultStyle;
    const bool choice = index == kStyle || index == kAlign || index == kPress || index == kDefaultStyle;
    BagControl::set(own_index, choice ? PropertyValue{clamped(index, as_int(value))} : value);
    return recreate;
  }

  bool acts_as_default_button() const override { return button() != nullptr && button()->look.is_default; }
  ShortcutRole shortcut_role() const override { return ShortcutRole::kButton; }
  QString shortcut_caption() const override { return text(kCaption); }

 protected:
  void capture() override {
    if (const auto* button = this->button(); button != nullptr && button->look.check_box) {
      bag().set(kChecked, int32_t{button->look.checked});
    }
  }

  bool refresh(int index) override {
    auto* button = this->button();
    if (button == nullptr) return false;
    SuperLook& look = button->look;
    switch (index) {
      case kStyle:
        look.flat = integer(kStyle) != 1;
        look.xp = integer(kStyle) == 2;
        break;
      case kChecked:
        if (look.check_box) look.checked = integer(kChecked) != 0;
        break;
      case kAlign:
        look.align = integer(kAlign);
        break;
      case kPress:
        look.press_offset = integer(kPress) == 1 ? QPoint(0, 2) : QPoint(1, 1);
        break;
      case kDrawBorder:
        look.draw_border = flag(kDrawBorder);
        break;
      case kDrawFocus:
        look.draw_focus = flag(kDrawFocus);
        break;
      case kPicIn:
      case kTransIn:
        set_slot(look.pictures[0], kPicIn, kTransIn);
        break;
      case kPicOut:
      case kTransOut:
        set_slot(look.pictures[1], kPicOut, kTransOut);
        break;
      case kPicDisabled:
      case kTransDisabled:
        set_slot(look.pictures[2], kPicDisabled, kTransDisabled);
        break;
      case kFont:
        button->setFont(to_qfont(font(kFont)));
        break;
      case kCaption:
        button->setText(text(kCaption));
        break;
      case kDefaultColour:
      case kFgOut:
      case kBkOut:
      case kFgIn:
      case kBkIn:
      case kFgFocus:
      case kBkFocus:
        look.default_colours = flag(kDefaultColour);
        look.colours = {
            to_qcolor(static_cast<uint32_t>(integer(kFgOut))),   to_qcolor(static_cast<uint32_t>(integer(kBkOut))),
            to_qcolor(static_cast<uint32_t>(integer(kFgIn))),    to_qcolor(static_cast<uint32_t>(integer(kBkIn))),
            to_qcolor(static_cast<uint32_t>(integer(kFgFocus))), to_qcolor(static_cast<uint32_t>(integer(kBkFocus)))};
        // Stored colours matter only without the default scheme.
        if (index != kDefaultColour && look.default_colours) return false;
        break;
      case kToolTip:
        button->setToolTip(text(kToolTip));
        return false;
      case kStandardSound:
      case kOverSound:
      case kClickSound:
        return false;
      default:
        break;
    }
    button->update();
    return false;
  }

 private:
  static int32_t clamped(int index, int32_t value) {
    switch (index) {
      case kStyle:
        return std::clamp(value, 0, 2);
      case kAlign:
        return std::clamp(value, 0, 3);
      case kPress:
      case kDefaultStyle:
        return std::clamp(value, 0, 1);
      default:
        return value;
    }
  }

  // A picture slot: the picture with its transparent pixels (the given
  // colour, or the top-left pixel's) made clear. A picture that does not
  // decode empties the slot.
  void set_slot(std::optional<QImage>& slot, int picture, int transparent) {
    const auto decoded = pictures::decode_picture(bag().bytes(picture));
    slot = decoded ? std::optional(with_transparent_colour(*decoded, static_cast<uint32_t>(integer(transparent))))
                   : std::nullopt;
  }

  void clicked() {
    play(1);
    if (auto* button = this->button(); button != nullptr && button->look.check_box) {
      button->look.checked = !button->look.checked;
      button->update();
    }
    host_.raise(0);
  }

  void play(int sound) {
    platform::SoundPlayer* player = host_.sounds();
    if (player == nullptr) return;
    if (flag(kStandardSound)) {
      player->play(click_sound());
    } else {
      const Bytes& bytes = bag().bytes(sound == 0 ? kOverSound : kClickSound);
      // The hover sound belongs to the flat and XP looks.
      if (!bytes.empty() && (sound == 1 || integer(kStyle) != 1)) player->play(bytes);
    }
  }

  SuperButtonWidget* button() const { return static_cast<SuperButtonWidget*>(widget()); }

  ControlHost& host_;
};

}  // namespace

std::unique_ptr<Control> create_super_button(const CreateParams& params) {
  auto bag = read_bag(params);
  if (!bag) return nullptr;
  // Blobs before version 2 have no disabled picture and leave its
  // transparent colour at the default.
  int32_t version = 0;
  if (params.blob.size() >= 4) std::memcpy(&version, params.blob.data(), 4);
  if (version < 2) bag->set(kTransDisabled, static_cast<int32_t>(form::kButtonFaceColour));
  return std::make_unique<SuperButtonControl>(params, std::move(*bag));
}

}  // namespace quorvant::ui::skinned
