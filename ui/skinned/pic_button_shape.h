// The shape of a picture button: everything of its face that is not the
// transparent colour.
#pragma once

#include <QColor>
#include <QImage>
#include <QRegion>

#include <optional>

namespace quorvant::ui::skinned {

// Every maximal horizontal run of pixels that differ from `transparent`,
// one pixel high, joined in batches of 2000 rectangles. The shape covers
// the face only: anything of the button outside the face is cut away.
// Nothing when the face has no such pixel.
std::optional<QRegion> shape_without_colour(const QImage& face, const QColor& transparent);

}  // namespace quorvant::ui::skinned
