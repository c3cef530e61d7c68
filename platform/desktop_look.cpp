#include "platform/desktop_look.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

namespace quorvant::platform {

namespace {

// Qt's "Windows" style, with disabled group captions and sliders drawn as
// that desktop draws them: the caption grey over a white engraving (Qt
// keeps it black, and the engraving only makes it heavier), the slider's
// thumb filled with a light checker.
class DesktopStyle final : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override {
    const bool disabled = (option->state & State_Enabled) == 0;
    if (control == CC_GroupBox && disabled) {
      if (const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option)) {
        QStyleOptionGroupBox greyed(*box);
        greyed.textColor = system_colour::kShadow;
        QProxyStyle::drawComplexControl(control, &greyed, painter, widget);
        return;
      }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (control == CC_Slider && disabled) {
      // Inside the thumb's raised edges (two pixels each side).
      const QRect thumb = subControlRect(control, option, SC_SliderHandle, widget).adjusted(2, 2, -2, -2);
      painter->save();
      painter->setPen(Qt::NoPen);
      painter->setBrush(QBrush(system_colour::kHighlight3d, Qt::Dense4Pattern));
      painter->drawRect(thumb);
      painter->restore();
    }
  }
};

}  // namespace

void use_desktop_look() {
  if (QStyle* windows = QStyleFactory::create(QStringLiteral("Windows"))) {
    QApplication::setStyle(new DesktopStyle(windows));  // NOLINT: the application owns its style
  }
  QPalette palette;
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    const bool disabled = group == QPalette::Disabled;
    const QColor text = disabled ? system_colour::kShadow : QColor(Qt::black);
    palette.setColor(group, QPalette::Window, system_colour::kButtonFace);
    palette.setColor(group, QPalette::Button, system_colour::kButtonFace);
    palette.setColor(group, QPalette::Base, Qt::white);
    palette.setColor(group, QPalette::AlternateBase, system_colour::kButtonFace);
    palette.setColor(group, QPalette::WindowText, text);
    palette.setColor(group, QPalette::ButtonText, text);
    palette.setColor(group, QPalette::Text, text);
    palette.setColor(group, QPalette::Light, system_colour::kHighlight3d);
    palette.setColor(group, QPalette::Midlight, system_colour::kButtonFace);
    palette.setColor(group, QPalette::Mid, system_colour::kShadow);
    palette.setColor(group, QPalette::Dark, system_colour::kShadow);
    palette.setColor(group, QPalette::Shadow, system_colour::kDarkShadow);
    palette.setColor(group, QPalette::Highlight, system_colour::kSelection);
    palette.setColor(group, QPalette::HighlightedText, Qt::white);
    palette.setColor(group, QPalette::ToolTipBase, QColor(255, 255, 225));
    palette.setColor(group, QPalette::ToolTipText, Qt::black);
  }
  QApplication::setPalette(palette);
}

}  // namespace quorvant::platform
