// Turns a picture file held as a block of bytes (a button face, a window
// icon, a background picture stored in the form template) into an image the
// window runtime can draw. This is deliberately independent of the
// conversion engine: it only has to give something the screen can show, and
// it recognises its own small set of formats.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <QImage>
#include <QPoint>

namespace quorvant::ui::pictures {

enum class PictureKind { kNone = 0, kJpeg = 1, kBmp = 2, kIcon = 3, kCursor = 4, kGif = 5, kPcx8 = 6, kPcx1 = 7 };

// Looks at the first bytes only; also used on its own to tell whether a file
// holds a picture this service can show. Fewer than 6 bytes are no picture.
PictureKind detect_kind(std::span<const uint8_t> bytes);

// An image of exactly the picture's width and height (Format_RGB32, or
// Format_Mono for 1-bit PCX), or nothing when the bytes are not a picture
// this service can decode. Never throws, never reads outside `bytes`.
std::optional<QImage> decode_picture(std::span<const uint8_t> bytes);

// Every image of an icon file, each decoded as decode_picture decodes the
// one it chooses (drawn on white); empty for anything but an icon. For
// handing a window's icon to the desktop in all its sizes.
std::vector<QImage> decode_icon_images(std::span<const uint8_t> bytes);

// A mouse pointer made from an icon or cursor file: the image that
// decode_picture would choose, with its own transparency (Format_ARGB32), and the
// point that points: a cursor's own hot spot, an icon's centre. Nothing for
// other files.
struct CursorImage {
  QImage image;
  QPoint hot_spot;
};
std::optional<CursorImage> decode_cursor(std::span<const uint8_t> bytes);

// The same for the bytes of a file; a file that cannot be read is no picture.
std::optional<QImage> decode_picture_file(const std::string& path);

}  // namespace quorvant::ui::pictures
