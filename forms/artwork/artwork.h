// The pictures the main window's template embeds, drawn in code: the faces of
// the title buttons and of the command buttons, and the window icon. Each
// function returns a whole picture file, the same bytes on every run; none of
// them needs a running GUI application.
#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

namespace quorvant::forms::artwork {

enum class FaceState { kNormal, kHover, kPressed };

// 44 x 18, 24-bit BMP: an "x" on the black title bar.
std::vector<uint8_t> close_button_face(FaceState state);

// 27 x 18, 24-bit BMP: a short horizontal bar on the black title bar.
std::vector<uint8_t> minimise_button_face(FaceState state);

enum class SuperFace { kOut, kIn, kDisabled };

// 98 x 25, 8-bit palette BMP: a rounded plate for a command button, drawn on
// a uniform surround in the colour of its top-left pixel, which the button
// treats as transparent. The plate fills the top 24 rows.
std::vector<uint8_t> super_button_face(SuperFace face);

// An icon file of four 32-bit images: 16, 32, 48 and 64 pixels square.
std::vector<uint8_t> window_icon();
// The same icon drawn at `size` pixels square, for the desktop's icon theme.
QImage window_icon_image(int size);

}  // namespace quorvant::forms::artwork
