// PicBtn: a button drawn from pictures. One face for each of the normal,
// hover, pressed and disabled looks; a transparent colour cuts the button
// to the shape of the face it shows. It works as a push button or as a
// toggle button that stays down.
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QWidget>

#include <array>
#include <optional>

#include "ui/bag_control.h"
#include "ui/controls/widget_setup.h"
#include "ui/form_reader/ids.h"
#include "ui/pictures/picture_decoding.h"
#include "ui/skinned/pic_button_shape.h"
#include "ui/skinned/skinned_types.h"

namespace quorvant::ui::skinned {

namespace {

enum Property {
  kButtonType = 8,
  kChecked = 9,
  kNormal = 10,
  kHover = 11,
  kPressed = 12,
  kDisabled = 13,
  kTransparent = 14
};
enum VisualState { kStateNormal = 0, kStateHover = 1, kStatePressed = 2 };
enum Face { kFaceNormal, kFaceHover, kFacePressed, kFaceDisabled };

class PicButtonWidget final : public QWidget {
 public:
  explicit PicButtonWidget(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

  std::function<void()> on_click;

  void set_toggle(bool toggle) { toggle_ = toggle; }
  bool toggle() const { return toggle_; }
  bool checked() const { return checked_; }
  int state() const { return state_; }

  // Applies `Checked`: a toggle button shows it at once; a push button
  // ignores it.
  void apply_checked(bool checked) {
    if (!toggle_) return;
    checked_ = checked;
    set_state(checked ? kStatePressed : kStateNormal);
  }

  void set_face(Face face, std::optional<QImage> image) {
    faces_[face] = std::move(image);
    // Only a change to the face being shown needs a new shape and paint.
    const bool shown = face == kFaceNormal || (face == kFaceHover && state_ == kStateHover) ||
                       (face == kFacePressed && state_ == kStatePressed) || (face == kFaceDisabled && !isEnabled());
    if (shown) update_shape_and_paint();
  }

  void set_transparent(uint32_t colour) {
    if (colour == transparent_) return;
    transparent_ = colour;
    update_shape_and_paint();
  }

  // The face shown: the disabled face when disabled (if any), else the face
  // of the visual state (if any), else the normal face.
  const std::optional<QImage>& current_face() const {
    if (!isEnabled() && faces_[kFaceDisabled]) return faces_[kFaceDisabled];
    if (state_ == kStateHover && faces_[kFaceHover]) return faces_[kFaceHover];
    if (state_ == kStatePressed && faces_[kFacePressed]) return faces_[kFacePressed];
    return faces_[kFaceNormal];
  }

  void update_shape_and_paint() {
    const auto& face = current_face();
    std::optional<QRegion> shape;
    if (transparent_ != form::kButtonFaceColour && face) shape = shape_without_colour(*face, to_qcolor(transparent_));
    if (shape) {
      setMask(*shape);
    } else {
      clearMask();
    }
    repaint();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    // On black; the face at its own size in the top-left corner.
    QImage surface(size(), QImage::Format_RGB32);
    surface.fill(Qt::black);
    if (const auto& face = current_face()) {
      QPainter on_surface(&surface);
      on_surface.drawImage(0, 0, *face);
    }
    QPainter painter(this);
    painter.drawImage(0, 0, surface);
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && isEnabled() && !toggle_) {
      set_state(kStatePressed);
    }
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    if (!rect().contains(event->position().toPoint()) || !isEnabled()) return;
    if (toggle_) {
      checked_ = !checked_;
      set_state(checked_ ? kStatePressed : kStateNormal);
    } else {
      set_state(kStateNormal);
    }
    if (on_click) on_click();
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    if (toggle_ || !isEnabled()) return;
    const bool left_down = (event->buttons() & Qt::LeftButton) != 0;
    const QPoint at = event->position().toPoint();
    const QWidget* under = QApplication::widgetAt(event->globalPosition().toPoint());
    if (under == this || (under == nullptr && rect().contains(at)) || (left_down && rect().contains(at))) {
      set_state(left_down ? kStatePressed : kStateHover);
    } else {
      set_state(kStateNormal);
    }
  }

  void leaveEvent(QEvent*) override {
    // Leaving without the mouse button held ends the hover.
    if (!toggle_ && (QApplication::mouseButtons() & Qt::LeftButton) == 0) set_state(kStateNormal);
  }

  void changeEvent(QEvent* event) override {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) update_shape_and_paint();
  }

 private:
  void set_state(int state) {
    if (state == state_) return;
    state_ = state;
    update_shape_and_paint();
  }

  bool toggle_ = false;
  bool checked_ = false;
  int state_ = kStateNormal;
  uint32_t transparent_ = form::kButtonFaceColour;
  std::array<std::optional<QImage>, 4> faces_;
};

class PicButtonControl final : public BagControl {
 public:
  PicButtonControl(const CreateParams& params, form::PropertyBag bag)
      : BagControl(params.type, nullptr, std::move(bag)) {
    auto* button = controls::make_owned<PicButtonWidget>(params.parent);
    controls::place_child(button, params);
    button->setFocusPolicy(Qt::NoFocus);
    reset_widget(button);
    ControlHost* host = &params.host;
    button->on_click = [host] { host->raise(0); };
    this->bag().set(kButtonType, std::clamp(integer(kButtonType), 0, 1));
    button->set_toggle(integer(kButtonType) == 1);
    button->set_transparent(static_cast<uint32_t>(integer(kTransparent)));
    for (int index : {kNormal, kHover, kPressed, kDisabled}) {
      button->set_face(static_cast<Face>(index - kNormal), pictures::decode_picture(this->bag().bytes(index)));
    }
    button->apply_checked(flag(kChecked));
    button->update_shape_and_paint();
  }

  bool set(int own_index, const PropertyValue& value) override {
    if (own_index + 8 == kButtonType) return BagControl::set(own_index, std::clamp(as_int(value), 0, 1));
    return BagControl::set(own_index, value);
  }

 protected:
  void capture() override {
    // Reading Checked gives the live state, which clicks change.
    if (const auto* button = this->button(); button != nullptr && button->toggle()) {
      bag().set(kChecked, int32_t{button->checked()});
    }
  }

  bool refresh(int index) override {
    auto* button = this->button();
    if (button == nullptr) return false;
    switch (index) {
      case kButtonType:
        button->set_toggle(integer(kButtonType) == 1);  // no repaint
        break;
      case kChecked:
        button->apply_checked(flag(kChecked));
        break;
      case kNormal:
      case kHover:
      case kPressed:
      case kDisabled:
        button->set_face(static_cast<Face>(index - kNormal), pictures::decode_picture(bag().bytes(index)));
        break;
      case kTransparent:
        button->set_transparent(static_cast<uint32_t>(integer(kTransparent)));
        break;
      default:
        break;
    }
    return false;
  }

 private:
  PicButtonWidget* button() const { return static_cast<PicButtonWidget*>(widget()); }
};

}  // namespace

std::unique_ptr<Control> create_pic_button(const CreateParams& params) {
  auto bag = read_bag(params);
  if (!bag) return nullptr;
  return std::make_unique<PicButtonControl>(params, std::move(*bag));
}

}  // namespace quorvant::ui::skinned
