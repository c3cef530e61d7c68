#include "ui/controls/widget_setup.h"

#include <qdrawutil.h>

#include "ui/bag_control.h"

namespace quorvant::ui::controls {

void place_child(QWidget* widget, const CreateParams& params) {
  widget->setGeometry(params.geometry);
  widget->setEnabled(!params.disabled);
  widget->setFocusPolicy(params.tab_stop ? Qt::StrongFocus : Qt::ClickFocus);
  widget->hide();
}

void apply_border(QFrame* frame, int32_t border) {
  switch (border) {
    case 1:
      frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
      frame->setLineWidth(2);
      break;
    case 2:
      frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
      frame->setLineWidth(2);
      break;
    case 3:
      frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      frame->setLineWidth(1);
      break;
    case 4:
      frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
      frame->setLineWidth(2);
      break;
    case 5:
      frame->setFrameStyle(QFrame::Box | QFrame::Plain);
      frame->setLineWidth(1);
      break;
    default:
      frame->setFrameStyle(QFrame::NoFrame);
      break;
  }
}

int border_width(int32_t border) {
  switch (border) {
    case 1:
    case 2:
    case 4:
      return 2;
    case 3:
    case 5:
      return 1;
    default:
      return 0;
  }
}

void paint_border(QPainter& painter, const QRect& area, int32_t border, const QPalette& palette) {
  switch (border) {
    case 1:
    case 4:
      qDrawWinPanel(&painter, area, palette, true);
      break;
    case 2:
      qDrawWinPanel(&painter, area, palette, false);
      break;
    case 3:
      qDrawShadePanel(&painter, area, palette, true, 1);
      break;
    case 5:
      qDrawPlainRect(&painter, area, Qt::black, 1);
      break;
    default:
      break;
  }
}

void apply_colours(QWidget* widget, uint32_t text, uint32_t background, QPalette::ColorRole text_role,
                   QPalette::ColorRole background_role) {
  QPalette palette = widget->palette();
  palette.setColor(text_role, to_qcolor(text));
  palette.setColor(background_role, to_qcolor(background));
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

}  // namespace quorvant::ui::controls
