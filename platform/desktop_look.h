// The look of the desktop the windows were laid out on: the platform's
// standard controls of that desktop (Qt's "Windows" style draws them: group
// boxes whose frame runs through the middle of their caption, sunken white
// check boxes, plain edit frames) in its system colours, whose button face
// is (212, 208, 200). Every control whose background is "the button face"
// gets that one colour.
#pragma once

#include <QColor>

namespace quorvant::platform {

// Gives the application that style and those colours. Call once, after the
// application object exists and before any window is made.
void use_desktop_look();

// The system colours the look uses.
namespace system_colour {
inline const QColor kButtonFace(212, 208, 200);
inline const QColor kHighlight3d(255, 255, 255);  // the light edge of raised things
inline const QColor kShadow(128, 128, 128);       // the shaded edge, and disabled text
inline const QColor kDarkShadow(64, 64, 64);
inline const QColor kSelection(10, 36, 106);
}  // namespace system_colour

}  // namespace quorvant::platform
