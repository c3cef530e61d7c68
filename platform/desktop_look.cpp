#include "platform/desktop_look.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace quorvant::platform {

void use_desktop_look() {
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows"))) QApplication::setStyle(style);
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
