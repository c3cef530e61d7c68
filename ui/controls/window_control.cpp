#include "ui/controls/window_control.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>

#include "platform/gbk.h"
#include "ui/controls/core_controls.h"
#include "ui/controls/widget_setup.h"
#include "ui/pictures/picture_decoding.h"

namespace quorvant::ui::controls {

namespace {

enum Property {
  kCaption = 8,
  kBorderStyle = 9,
  kBackground = 10,
  kPicture = 11,
  kPictureMode = 12,
  kControlBox = 15,
  kMaximiseBox = 16,
  kMinimiseBox = 17,
  kPosition = 18,
  kClosable = 19,
  kIcon = 20,
  kHelpFile = 24,
  kShape = 28,
  kAlwaysOnTop = 29,
};
enum Position { kNormal = 0, kCentred = 1, kMinimised = 2, kMaximised = 3 };
enum PictureMode { kTopLeft = 0, kTiled = 1, kStretched = 2, kCentredPicture = 3 };

bool sizable(int border) { return border == 1 || border == 3 || border == 5; }

}  // namespace

FormWindow::FormWindow(QWidget* owner) : QWidget(owner, Qt::Window) {}

void FormWindow::set_background(const QColor& colour, std::optional<QImage> picture, int mode) {
  colour_ = colour;
  picture_ = std::move(picture);
  picture_mode_ = mode;
  update();
}

void FormWindow::set_shape(int shape) {
  shape_ = shape;
  if (const auto region = window_shape(shape_, size())) {
    setMask(*region);
  } else {
    clearMask();
  }
}

void FormWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (shape_ != 0) set_shape(shape_);
}

void FormWindow::closeEvent(QCloseEvent* event) {
  if (on_close_request && !on_close_request()) {
    event->ignore();
    return;
  }
  event->accept();
}

void FormWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), colour_);
  if (!picture_) return;
  switch (picture_mode_) {
    case kTiled:
      painter.drawTiledPixmap(rect(), QPixmap::fromImage(*picture_));
      break;
    case kStretched:
      painter.drawImage(rect(), *picture_);
      break;
    case kCentredPicture:
      painter.drawImage((width() - picture_->width()) / 2, (height() - picture_->height()) / 2, *picture_);
      break;
    default:
      painter.drawImage(0, 0, *picture_);
      break;
  }
}

std::optional<QRegion> window_shape(int shape, QSize size) {
  const QRect all(QPoint(0, 0), size);
  switch (shape) {
    case 1:
      return QRegion(all, QRegion::Ellipse);
    case 2: {
      const qreal corner = std::min(size.width(), size.height()) / 5.0;
      QPainterPath path;
      path.addRoundedRect(all, corner / 2, corner / 2);
      return QRegion(path.toFillPolygon().toPolygon());
    }
    case 3: {
      const QRect middle(size.width() / 4, size.height() / 4, size.width() / 2, size.height() / 2);
      return QRegion(all, QRegion::Ellipse).subtracted(QRegion(middle, QRegion::Ellipse));
    }
    default:
      return std::nullopt;
  }
}

WindowControl::WindowControl(const CreateParams& params, form::PropertyBag bag)
    : BagControl(params.type, nullptr, std::move(bag)) {
  // Parented to its owner (if any) as a separate top-level window; without
  // an owner the runtime owns it.
  auto* window = make_owned<FormWindow>(params.parent);
  reset_widget(window);
  window->setEnabled(!params.disabled);
  window->resize(params.geometry.size());
  window->move(params.geometry.topLeft());
  apply_window_flags();
  refresh(kCaption);
  apply_background();
  apply_icon();
  apply_shape();
  place_by_position();
}

std::string WindowControl::help_file() const { return platform::gbk_to_utf8(bag().text(kHelpFile)); }

void WindowControl::apply_window_flags() {
  auto* window = this->window();
  const bool was_visible = window->isVisible();
  const int border = integer(kBorderStyle);
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
  if (border == 0) {
    // No frame and no caption bar, although it is an ordinary window.
    flags |= Qt::FramelessWindowHint;
  } else {
    if (border == 3 || border == 4) flags |= Qt::Tool;
    if (!text(kCaption).isEmpty() || flag(kControlBox)) flags |= Qt::WindowTitleHint;
    // The boxes and Close live in the system menu, which only the control
    // box gives.
    if (flag(kControlBox)) {
      flags |= Qt::WindowSystemMenuHint;
      if (flag(kMinimiseBox)) flags |= Qt::WindowMinimizeButtonHint;
      if (flag(kMaximiseBox)) flags |= Qt::WindowMaximizeButtonHint;
      if (flag(kClosable)) flags |= Qt::WindowCloseButtonHint;
    }
  }
  if (flag(kAlwaysOnTop)) flags |= Qt::WindowStaysOnTopHint;
  window->setWindowFlags(flags);
  if (sizable(border) || border == 0) {
    window->setMinimumSize(0, 0);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  } else {
    window->setFixedSize(window->size());
  }
  if (was_visible) window->show();  // changing the flags hides a window
}

void WindowControl::apply_shape() { window()->set_shape(integer(kShape)); }

void WindowControl::apply_background() {
  window()->set_background(to_qcolor(static_cast<uint32_t>(integer(kBackground))),
                           pictures::decode_picture(bag().bytes(kPicture)), integer(kPictureMode));
}

void WindowControl::apply_icon() {
  // The desktop picks the size it needs (task bar, switcher, title bar):
  // it gets every image of the icon, not only the one a window shows.
  const Bytes& stored = bag().bytes(kIcon);
  QIcon icon;
  for (const QImage& image : pictures::decode_icon_images(stored)) icon.addPixmap(QPixmap::fromImage(image));
  if (icon.isNull()) {
    if (const auto picture = pictures::decode_picture(stored)) icon.addPixmap(QPixmap::fromImage(*picture));
  }
  window()->setWindowIcon(icon);
}

void WindowControl::place_by_position() {
  if (integer(kPosition) != kCentred) return;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  // Integer arithmetic: a 647 x 391 window on a 1024 x 768 screen goes to (188, 188).
  window()->move(area.x() + (area.width() - window()->width()) / 2,
                 area.y() + (area.height() - window()->height()) / 2);
}

void WindowControl::resize_window(QSize size) {
  auto* window = this->window();
  if (window->minimumSize() == window->maximumSize()) {
    window->setFixedSize(size);
  } else {
    window->resize(size);
  }
}

void WindowControl::show_by_position() {
  switch (integer(kPosition)) {
    case kMaximised:
      window()->showMaximized();
      break;
    case kMinimised:
      window()->showMinimized();
      break;
    default:
      window()->show();
      break;
  }
}

PropertyValue WindowControl::get(int own_index) {
  if (own_index + 8 == kPosition && window() != nullptr) {
    if (window()->isMinimized()) return int32_t{kMinimised};
    if (window()->isMaximized()) return int32_t{kMaximised};
    return int32_t{kNormal};
  }
  return BagControl::get(own_index);
}

bool WindowControl::refresh(int index) {
  auto* window = this->window();
  if (window == nullptr) return false;
  switch (index) {
    case kCaption:
      window->setWindowTitle(text(kCaption));
      if (integer(kBorderStyle) != 0) apply_window_flags();
      break;
    case kBorderStyle:
    case kControlBox:
    case kMaximiseBox:
    case kMinimiseBox:
    case kClosable:
    case kAlwaysOnTop:
      apply_window_flags();
      break;
    case kBackground:
    case kPicture:
    case kPictureMode:
      apply_background();
      break;
    case kIcon:
      apply_icon();
      break;
    case kShape:
      apply_shape();
      break;
    case kPosition:
      // A visible window follows at once.
      if (window->isVisible() || window->isMinimized()) {
        const int position = integer(kPosition);
        if (position == kMinimised) {
          window->showMinimized();
        } else if (position == kMaximised) {
          window->showMaximized();
        } else {
          window->showNormal();
          if (position == kCentred) place_by_position();
        }
      }
      break;
    default:
      break;
  }
  return false;
}

std::unique_ptr<Control> create_window(const CreateParams& params) {
  auto bag = read_bag(params);
  if (!bag) return nullptr;
  return std::make_unique<WindowControl>(params, std::move(*bag));
}

}  // namespace quorvant::ui::controls
