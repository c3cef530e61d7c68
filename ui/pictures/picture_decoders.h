// One decoder per kind of picture. Each takes the whole block of bytes that
// detect_kind recognised and gives an image of the picture's size or nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include <QImage>

namespace quorvant::ui::pictures {

std::optional<QImage> decode_bmp(std::span<const uint8_t> bytes);
std::optional<QImage> decode_jpeg(std::span<const uint8_t> bytes);
// Icons and cursors share one layout; either comes out drawn on white.
std::optional<QImage> decode_icon(std::span<const uint8_t> bytes);
// A PNG file (an image inside an icon), with its alpha (Format_ARGB32).
// Nothing is printed about a damaged one.
std::optional<QImage> decode_png(std::span<const uint8_t> bytes);
std::optional<QImage> decode_gif(std::span<const uint8_t> bytes);
std::optional<QImage> decode_pcx8(std::span<const uint8_t> bytes);
std::optional<QImage> decode_pcx1(std::span<const uint8_t> bytes);

}  // namespace quorvant::ui::pictures
