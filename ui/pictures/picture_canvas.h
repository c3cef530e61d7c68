// The images the decoders fill, and the bounds every decoder applies before
// it allocates one, so that a hostile header cannot make it reserve more than
// a display picture can sensibly need.
#pragma once

#include <cstdint>
#include <optional>

#include <QImage>

namespace quorvant::ui::pictures {

inline constexpr uint64_t kMaxPictureSide = 32767;
// 256 MiB of 32-bit pixels, the same ceiling Qt's own image readers use.
inline constexpr uint64_t kMaxPicturePixels = uint64_t{1} << 26;

// Zero sides are no picture; so are sides or areas beyond the bounds above.
bool picture_size_allowed(uint64_t width, uint64_t height);

// A new image of that size and format, or nothing when the size is not
// allowed or the memory cannot be had.
std::optional<QImage> make_picture(uint64_t width, uint64_t height, QImage::Format format);

// `colour` drawn with coverage `alpha` (0 to 255) on a white background.
QRgb blend_over_white(QRgb colour, int alpha);

// Every pixel of an image with an alpha channel drawn on white, as Format_RGB32.
std::optional<QImage> flatten_on_white(const QImage& image);

}  // namespace quorvant::ui::pictures
