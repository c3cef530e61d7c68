#include "engine/gif/gif_reader.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace quorvant::engine::gif {

namespace {

// LZW codes are at least 3 bits long and stand for at most 4096 bytes: the
// most bytes one byte of GIF picture data unpacks to.
constexpr uint64_t kLzwLargestRatio = 4096 * 8 / 3 + 1;

// giflib reads the file through this, from the reader's own stream.
int read_input(GifFileType* gif, GifByteType* bytes, int count) {
  auto* file = static_cast<File*>(gif->UserData);
  if (count <= 0) return 0;
  return static_cast<int>(std::fread(bytes, 1, static_cast<size_t>(count), file->get()));
}

std::string damaged(int error) {
  const char* words = GifErrorString(error);
  return std::string("damaged GIF data: ") + (words != nullptr ? words : "giflib failed");
}

// Interlaced pictures store every eighth row from row 0, every eighth from
// row 4, every fourth from row 2, then every second from row 1.
std::vector<int32_t> stored_row_order(int32_t height, bool interlaced) {
  std::vector<int32_t> rows;
  rows.reserve(static_cast<size_t>(height));
  if (!interlaced) {
    for (int32_t y = 0; y < height; ++y) rows.push_back(y);
    return rows;
  }
  constexpr std::array<std::pair<int32_t, int32_t>, 4> kPasses{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};
  for (const auto& [first, step] : kPasses) {
    for (int32_t y = first; y < height; y += step) rows.push_back(y);
  }
  return rows;
}

}  // namespace

void GifReader::GifCloser::operator()(GifFileType* gif) const {
  int error = 0;
  DGifCloseFile(gif, &error);
}

bool GifReader::open_format(const SourceFile&) {
  char signature[6];
  return file_.read_exact(signature, sizeof signature) &&
         (std::memcmp(signature, "GIF87a", 6) == 0 || std::memcmp(signature, "GIF89a", 6) == 0) && file_.seek(0) &&
         read_to_first_picture();
}

bool GifReader::read_to_first_picture() {
  int error = 0;
  gif_.reset(DGifOpen(&file_, read_input, &error));
  if (!gif_) return fail(damaged(error));
  GifFileType& gif = *gif_;
  width_ = gif.SWidth;
  height_ = gif.SHeight;
  // Extensions come before the picture they describe; the graphic control
  // extension names its transparent colour.
  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(&gif, &record) == GIF_ERROR) return fail(damaged(gif.Error));
    if (record == TERMINATE_RECORD_TYPE) return fail("damaged GIF data: the file holds no picture");
    if (record == IMAGE_DESC_RECORD_TYPE) break;
    if (record != EXTENSION_RECORD_TYPE) return fail("damaged GIF data: an unknown record");
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(&gif, &code, &block) == GIF_ERROR) return fail(damaged(gif.Error));
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
      GraphicsControlBlock control;
      if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) transparent_index_ = control.TransparentColor;
    }
    while (block != nullptr) {
      if (DGifGetExtensionNext(&gif, &block) == GIF_ERROR) return fail(damaged(gif.Error));
    }
  }
  if (DGifGetImageDesc(&gif) == GIF_ERROR) return fail(damaged(gif.Error));
  const GifImageDesc& frame = gif.Image;
  if (frame.Width <= 0 || frame.Height <= 0) return fail("damaged GIF data: the first picture is empty");
  if (frame.ColorMap == nullptr && gif.SColorMap == nullptr) {
    return fail("damaged GIF data: the first picture has no palette");
  }
  keep_alpha_ = read_options().alpha && transparent_index_ >= 0;
  if (std::string why = picture_size_refusal(width_, height_, bits()); !why.empty()) return fail(std::move(why));
  // The picture's indices are what its LZW data unpacks to.
  const uint64_t indices = static_cast<uint64_t>(frame.Width) * static_cast<uint64_t>(frame.Height);
  std::string why = claimed_size_refusal("GIF", indices, file_.size().value_or(0), kLzwLargestRatio);
  return why.empty() || fail(std::move(why));
}

PictureHeader GifReader::header() const {
  // One row of the picture's indices.
  return {width_, height_, bits(), gif_ ? static_cast<uint64_t>(std::max(gif_->Image.Width, 0)) : 0};
}

bool GifReader::decode() {
  GifFileType& gif = *gif_;
  const GifImageDesc& frame = gif.Image;
  const ColorMapObject& palette = frame.ColorMap != nullptr ? *frame.ColorMap : *gif.SColorMap;
  if (target_->width() != width_ || target_->height() != height_ || target_->bits() != bits()) {
    if (!target_->create(width_, height_, bits(), 0)) return fail(target_->failure());
  }
  // An index past the palette's end shows black.
  const auto colour_of = [&](const ColorMapObject* map, int index) {
    if (map == nullptr || index < 0 || index >= map->ColorCount) return GifColorType{0, 0, 0};
    return map->Colors[index];
  };
  const size_t pixel = bits() / 8;
  // The screen outside the picture: the background colour, transparent
  // when transparency is kept.
  const GifColorType background = colour_of(gif.SColorMap, gif.SBackGroundColor);
  const size_t colour_at = keep_alpha_ ? 1 : 0;
  for (int32_t y = 0; y < height_; ++y) {
    uint8_t* to = target_->row(y);
    for (int32_t x = 0; x < width_; ++x, to += pixel) {
      if (keep_alpha_) to[0] = 0;
      to[colour_at] = background.Red;
      to[colour_at + 1] = background.Green;
      to[colour_at + 2] = background.Blue;
    }
  }

  // The part of the picture that lies on the screen.
  const int32_t left = std::clamp<int32_t>(frame.Left, 0, width_);
  const int32_t right = std::clamp<int32_t>(frame.Left + frame.Width, 0, width_);
  std::vector<GifPixelType> indices(static_cast<size_t>(frame.Width));
  const std::vector<int32_t> rows = stored_row_order(frame.Height, frame.Interlace);
  for (const int32_t row : rows) {
    if (DGifGetLine(&gif, indices.data(), frame.Width) == GIF_ERROR) return fail(damaged(gif.Error));
    const int32_t y = frame.Top + row;
    if (y < 0 || y >= height_) continue;
    uint8_t* to = target_->row(y) + static_cast<size_t>(left) * pixel;
    for (int32_t x = left; x < right; ++x, to += pixel) {
      const int index = indices[static_cast<size_t>(x - frame.Left)];
      if (keep_alpha_) {
        if (index == transparent_index_) continue;  // the screen shows through
        const GifColorType colour = colour_of(&palette, index);
        to[0] = 255;
        to[1] = colour.Red;
        to[2] = colour.Green;
        to[3] = colour.Blue;
      } else {
        const GifColorType colour = colour_of(&palette, index);
        to[0] = colour.Red;
        to[1] = colour.Green;
        to[2] = colour.Blue;
      }
    }
  }
  return true;
}

void GifReader::close_format() {
  gif_.reset();
  transparent_index_ = -1;
  keep_alpha_ = false;
  progress_ = nullptr;
}

}  // namespace quorvant::engine::gif
