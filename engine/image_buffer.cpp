#include "engine/image_buffer.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "engine/colour.h"
#include "engine/quantise.h"
#include "engine/source_colours.h"

namespace quorvant::engine {

namespace {

constexpr const char* kScratchPrefix = "CSWCLASS";

bool valid_depth(uint32_t bits) { return bits == 8 || bits == 16 || bits == 24 || bits == 32; }

// Writes the pixels [first, end) of `destination` from the colours of
// `source`; both have the same size. `Store` gets the destination pixel's
// address and its colour.
template <size_t kBytesPerPixel, class Store>
void fill(const ImageBuffer& source, ImageBuffer& destination, size_t first, size_t end, Store&& store) {
  uint8_t* out = destination.pixels();
  for_each_colour(source, [&](size_t i, Rgb c) { store(out + kBytesPerPixel * i, c); }, first, end);
}

// Rows [first_row, end_row) of `destination` in its own depth, without a
// palette, from `source`.
void fill_direct(const ImageBuffer& source, ImageBuffer& destination, int32_t first_row, int32_t end_row) {
  const size_t width = static_cast<size_t>(source.width());
  const size_t first = width * static_cast<size_t>(first_row);
  const size_t end = width * static_cast<size_t>(end_row);
  switch (destination.bits()) {
    case 32:
      fill<4>(source, destination, first, end, [](uint8_t* p, Rgb c) {
        p[0] = 255;
        p[1] = c.red;
        p[2] = c.green;
        p[3] = c.blue;
      });
      break;
    case 24:
      fill<3>(source, destination, first, end, [](uint8_t* p, Rgb c) {
        p[0] = c.red;
        p[1] = c.green;
        p[2] = c.blue;
      });
      break;
    case 16:
      fill<2>(source, destination, first, end, [](uint8_t* p, Rgb c) {
        const uint16_t code = colour_code(c.red, c.green, c.blue);
        p[0] = static_cast<uint8_t>(code);
        p[1] = static_cast<uint8_t>(code >> 8);
      });
      break;
    case 8:
      fill<1>(source, destination, first, end, [](uint8_t* p, Rgb c) { *p = grey_level(c.red, c.green, c.blue); });
      break;
    default:
      break;
  }
}

// The rows of a picture converted from one still being decoded: each wait
// of the writer's converts the rows it asks for, once the source has them,
// so the conversion runs beside the decoding instead of after it.
// `destination` must stay where it is while this lives (it is its own).
class ConvertedAsTheyArrive final : public RowsReady {
 public:
  ConvertedAsTheyArrive(const ImageBuffer& source, ImageBuffer& destination)
      : source_(source), destination_(destination) {}

  bool wait_for(int32_t rows) override {
    std::lock_guard lock(mutex_);
    if (rows <= converted_) return true;
    if (!source_.rows_ready(rows)) return false;
    fill_direct(source_, destination_, converted_, rows);
    converted_ = rows;
    return true;
  }

 private:
  std::mutex mutex_;
  const ImageBuffer& source_;
  ImageBuffer& destination_;
  int32_t converted_ = 0;
};

}  // namespace

uint64_t checked_pixel_bytes(int64_t width, int64_t height, uint32_t bits) {
  if (width < 1 || height < 1 || !valid_depth(bits)) return 0;
  const uint64_t stride = static_cast<uint64_t>(width) * (bits / 8);
  if (stride > kMaxPixelBytes || static_cast<uint64_t>(height) > kMaxPixelBytes / stride) return 0;
  return stride * static_cast<uint64_t>(height);
}

std::string picture_size_refusal(int64_t width, int64_t height, uint32_t bits) {
  if (width < 1 || height < 1) {
    return "a picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is empty";
  }
  if (!valid_depth(bits)) return std::to_string(bits) + " bits per pixel is not a depth pictures are held in";
  if (checked_pixel_bytes(width, height, bits) == 0) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels at " + std::to_string(bits) +
           " bits need more than 4 GiB";
  }
  return {};
}

std::string claimed_size_refusal(const char* format, uint64_t unpacked_bytes, uint64_t compressed_bytes,
                                 uint64_t largest_ratio) {
  const bool possible = compressed_bytes >= UINT64_MAX / largest_ratio ||
                        unpacked_bytes <= compressed_bytes * largest_ratio;
  if (possible) return {};
  return std::string("damaged ") + format + " data: the file is far too short for the picture its header claims";
}

void ImageBuffer::clear() noexcept {
  if (converting_ && arrival_ == converting_.get()) arrival_ = nullptr;
  converting_.reset();
  storage_.release();
  palette_.clear();
  palette_.shrink_to_fit();
  width_ = 0;
  height_ = 0;
  bits_ = 0;
  palette_count_ = 0;
}

bool ImageBuffer::create(int32_t width, int32_t height, uint32_t bits, int32_t palette_count) {
  clear();
  failure_ = picture_size_refusal(width, height, bits);
  if (failure_.empty() && bits == 8 && (palette_count < 0 || palette_count > kMaxPaletteCount)) {
    failure_ = "a palette of " + std::to_string(palette_count) + " entries is not possible";
  }
  if (!failure_.empty()) return false;
  const uint64_t bytes = checked_pixel_bytes(width, height, bits);
  const int32_t entries = bits == 8 ? palette_count : 0;
  palette_.resize(static_cast<size_t>(entries));
  if (!storage_.create(static_cast<size_t>(bytes), kScratchPrefix)) {
    failure_ = storage_.failure();
    clear();
    return false;
  }
  width_ = width;
  height_ = height;
  bits_ = bits;
  palette_count_ = entries;
  return true;
}

bool ImageBuffer::copy_from(const ImageBuffer& source) {
  if (&source == this) return !empty();
  if (source.width() < 1 || source.height() < 1) return false;
  if (!create(source.width(), source.height(), source.bits(), source.palette_count())) return false;
  std::memcpy(pixels(), source.pixels(), pixel_bytes());
  std::copy(source.palette_.begin(), source.palette_.end(), palette_.begin());
  flush();
  return true;
}

void ImageBuffer::shrink_palette(int32_t count) {
  if (count >= 0 && count < palette_count_) {
    palette_.resize(static_cast<size_t>(count));
    palette_count_ = count;
  }
}

bool ImageBuffer::convert(ImageBuffer& destination, uint32_t bits, int32_t palette_count) const {
  if (width_ < 1 || height_ < 1 || &destination == this) {
    destination.failure_ = "there is no picture to convert";
    return false;
  }

  const bool to_palette = bits == 8 && palette_count >= 1;
  // A picture already in the target form is copied as it is; for palette
  // colour that means any palette picture, which keeps its own palette.
  const bool same_form = to_palette ? (bits_ == 8 && palette_count_ > 0) : (bits_ == bits && palette_count_ == 0);
  if (same_form) return destination.copy_from(*this);

  if (!destination.create(width_, height_, bits, palette_count)) return false;
  if (to_palette) return quantise(*this, destination, palette_count);
  if (arrival_ != nullptr) {
    // Still being decoded: the rows are converted as the writer asks for them.
    destination.converting_ = std::make_unique<ConvertedAsTheyArrive>(*this, destination);
    destination.arrival_ = destination.converting_.get();
    return true;
  }
  fill_direct(*this, destination, 0, height_);
  destination.flush();
  return true;
}

const ImageBuffer* in_form(const ImageBuffer& source, uint32_t bits, int32_t palette_count, ImageBuffer& converted) {
  if (source.bits() == bits && source.palette_count() == palette_count) return &source;
  return source.convert(converted, bits, palette_count) ? &converted : nullptr;
}

}  // namespace quorvant::engine
