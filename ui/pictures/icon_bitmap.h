// The bitmap form of one image inside an icon or cursor file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include <QImage>

namespace quorvant::ui::pictures {

// `image` holds an information header (40 bytes or longer), its colour table,
// the colour rows and the 1-bit mask rows, both bottom row first; the header's
// height counts both, so the picture is half as high. The result is
// Format_ARGB32 with the image's own transparency: an alpha channel where a
// 32-bit image has one, else the mask (a masked black pixel lets the
// background through; a masked pixel of another colour inverts it, and is
// given as it looks on white).
std::optional<QImage> decode_icon_bitmap(std::span<const uint8_t> image);

}  // namespace quorvant::ui::pictures
