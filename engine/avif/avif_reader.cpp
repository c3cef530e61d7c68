#include "engine/avif/avif_reader.h"

#include <cstring>

#include "engine/avif/eight_bits.h"
#include "engine/library_threads.h"
#include "engine/orientation.h"
#include "engine/whole_file.h"

namespace quorvant::engine::avif {

namespace {

// The EXIF orientation that shows a picture stored with the file's
// rotation (a quarter turns anticlockwise) followed by its mirroring (none,
// top and bottom exchanged, left and right exchanged).
int shown_orientation(const avifImage& image) {
  static constexpr int kOrientation[4][3] = {{1, 4, 2}, {8, 5, 7}, {3, 2, 4}, {6, 7, 5}};
  const int quarter_turns = (image.transformFlags & AVIF_TRANSFORM_IROT) != 0 ? image.irot.angle & 3 : 0;
  const int mirror = (image.transformFlags & AVIF_TRANSFORM_IMIR) != 0 ? 1 + (image.imir.mode & 1) : 0;
  return kOrientation[quarter_turns][mirror];
}

std::string damage(avifResult result, const avifDecoder& decoder) {
  std::string why = std::string("damaged AVIF data: ") + avifResultToString(result);
  if (decoder.diag.error[0] != '\0') why += std::string(" (") + decoder.diag.error + ")";
  return why;
}

// Frees an avifRGBImage's own pixels.
struct RgbPixels {
  avifRGBImage rgb{};
  ~RgbPixels() { avifRGBImageFreePixels(&rgb); }
};

}  // namespace

bool AvifReader::open_format(const SourceFile&) {
  const std::vector<uint8_t> ftyp = read_ftyp_box(file_);
  const avifROData start{ftyp.data(), ftyp.size()};
  if (ftyp.empty() || !avifPeekCompatibleFileType(&start)) return false;
  if (std::string why; !read_whole_file(file_, "AVIF", bytes_, why)) return fail(std::move(why));
  return parse();
}

bool AvifReader::parse() {
  threads_.emplace();
  decoder_.reset(avifDecoderCreate());
  if (!decoder_) throw std::bad_alloc();
  decoder_->maxThreads = threads_->count();
  decoder_->imageSizeLimit = AVIF_DEFAULT_IMAGE_SIZE_LIMIT;
  decoder_->imageDimensionLimit = AVIF_DEFAULT_IMAGE_DIMENSION_LIMIT;
  if (avifResult r = avifDecoderSetIOMemory(decoder_.get(), bytes_.data(), bytes_.size()); r != AVIF_RESULT_OK) {
    return fail(damage(r, *decoder_));
  }
  if (avifResult r = avifDecoderParse(decoder_.get()); r != AVIF_RESULT_OK) return fail(damage(r, *decoder_));

  const avifImage& image = *decoder_->image;
  keep_alpha_ = read_options().alpha && decoder_->alphaPresent;
  grey_ = !keep_alpha_ && image.yuvFormat == AVIF_PIXEL_FORMAT_YUV400;
  orientation_ = shown_orientation(image);
  const bool swapped = swaps_sides(orientation_);
  width_ = static_cast<int32_t>(swapped ? image.height : image.width);
  height_ = static_cast<int32_t>(swapped ? image.width : image.height);
  if (image.depth != 8 && image.depth != 10 && image.depth != 12) {
    return fail("AVIF files of " + std::to_string(image.depth) + " bits a sample are not read");
  }
  if (std::string why = picture_size_refusal(width_, height_, header().bits); !why.empty()) {
    return fail(std::move(why));
  }
  if (notes() != nullptr) note_metadata(image);
  return true;
}

PictureHeader AvifReader::header() const {
  const uint32_t bits = keep_alpha_ ? 32 : grey_ ? 8 : 24;
  // The decoded planes (two bytes a sample above 8 bits), the converted
  // colours before they are brought to 8 bits, and the picture turned.
  const uint64_t pixels = static_cast<uint64_t>(width_) * static_cast<uint64_t>(height_);
  const uint64_t sample_bytes = decoder_ && decoder_->image->depth > 8 ? 2 : 1;
  const uint64_t planes = pixels * 4 * sample_bytes;
  const uint64_t turned = orientation_ != 1 ? pixels * (bits / 8) : 0;
  return {width_, height_, bits, bytes_.size() + 2 * planes + turned};
}

void AvifReader::note_metadata(const avifImage& image) {
  PictureNotes& notes = *this->notes();
  notes.icc_profile.assign(image.icc.data, image.icc.data + image.icc.size);
  notes.exif = tiff_structured_exif({image.exif.data, image.exif.size});
  notes.xmp.assign(image.xmp.data, image.xmp.data + image.xmp.size);
  // The rotation and mirroring are applied here; the EXIF orientation of
  // such a file only repeats them.
  notes.orientation = 1;
}

bool AvifReader::decode() {
  if (avifResult r = avifDecoderNextImage(decoder_.get()); r != AVIF_RESULT_OK) return fail(damage(r, *decoder_));
  const avifImage& image = *decoder_->image;
  if (!convert_to_picture(image)) return false;
  std::string why;
  return turn_upright(*target_, orientation_, why) || fail(std::move(why));
}

bool AvifReader::convert_to_picture(const avifImage& image) {
  const auto stored_width = static_cast<int32_t>(image.width);
  const auto stored_height = static_cast<int32_t>(image.height);
  if (!target_->create(stored_width, stored_height, header().bits, 0)) return fail(target_->failure());

  RgbPixels converted;
  avifRGBImage& rgb = converted.rgb;
  avifRGBImageSetDefaults(&rgb, &image);
  // RGBA for files with alpha, RGB for the others: the forms libavif's own
  // decoder converts to, whose rounding differs slightly from that of its
  // other forms.
  const bool file_alpha = decoder_->alphaPresent != 0;
  rgb.format = file_alpha ? AVIF_RGB_FORMAT_RGBA : AVIF_RGB_FORMAT_RGB;
  // Eight-bit opaque colour pictures are converted straight into the
  // picture; deeper samples are converted at their own depth and rounded
  // here, alpha is put first, grey keeps one of its three equal samples.
  const bool straight = image.depth == 8 && !file_alpha && !grey_;
  if (straight) {
    rgb.pixels = target_->pixels();
    rgb.rowBytes = static_cast<uint32_t>(target_->stride());
  } else {
    avifRGBImageAllocatePixels(&rgb);
    if (rgb.pixels == nullptr) throw std::bad_alloc();
  }
  const avifResult r = avifImageYUVToRGB(&image, &rgb);
  if (straight) rgb.pixels = nullptr;  // the picture's own
  if (r != AVIF_RESULT_OK) return fail(std::string("cannot convert the AVIF picture's colours: ") + avifResultToString(r));
  if (straight) return true;

  const size_t channels = file_alpha ? 4 : 3;
  const size_t row_samples = static_cast<size_t>(stored_width) * channels;
  std::vector<uint8_t> row8(row_samples);
  for (int32_t y = 0; y < stored_height; ++y) {
    const uint8_t* from = rgb.pixels + static_cast<size_t>(y) * rgb.rowBytes;
    if (image.depth > 8) {
      reduce_to_eight_bits(reinterpret_cast<const uint16_t*>(from), row_samples, image.depth, row8.data());
      from = row8.data();
    }
    uint8_t* to = target_->row(y);
    for (int32_t x = 0; x < stored_width; ++x, from += channels) {
      if (keep_alpha_) {
        *to++ = from[3];
      } else if (grey_) {
        *to++ = from[0];
        continue;
      }
      *to++ = from[0];
      *to++ = from[1];
      *to++ = from[2];
    }
  }
  return true;
}

void AvifReader::close_format() {
  decoder_.reset();
  threads_.reset();
  bytes_ = {};
  keep_alpha_ = false;
  grey_ = false;
  orientation_ = 1;
  progress_ = nullptr;
}

}  // namespace quorvant::engine::avif
