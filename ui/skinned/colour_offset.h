// Lightening and darkening a colour without changing its hue.
#pragma once

#include <QColor>

namespace quorvant::ui::skinned {

// Adds one offset to red, green and blue: the shade s (-255 to 255; any
// other value leaves the colour as it is), limited so that no channel
// leaves 0 to 255. (212, 208, 200) lightened by 32 is (244, 240, 232).
QColor offset_colour(const QColor& colour, int shade);

}  // namespace quorvant::ui::skinned
