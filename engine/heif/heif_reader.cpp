#include "engine/heif/heif_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

#include "engine/avif/eight_bits.h"
#include "engine/library_threads.h"
#include "engine/whole_file.h"

namespace quorvant::engine::heif {

namespace {

// libheif refuses larger sides before it decodes anything.
constexpr int kLargestSide = 32768;

struct ImageDeleter {
  void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsDeleter {
  void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

std::string_view text(const char* words) { return words != nullptr ? words : ""; }

std::string damage(const heif_error& error) {
  std::string why = std::string("damaged HEIC data: ") + (error.message != nullptr ? error.message : "unknown error");
  // libheif ends some of its messages with a line break.
  while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
  return why;
}

bool is_avif(const std::vector<uint8_t>& ftyp) {
  const int size = static_cast<int>(ftyp.size());
  return heif_has_compatible_brand(ftyp.data(), size, "avif") == 1 ||
         heif_has_compatible_brand(ftyp.data(), size, "avis") == 1;
}

// A row of RGBA (or RGB) samples of 8 bits into the picture's ARGB (or RGB).
void put_row(const uint8_t* from, int32_t width, bool alpha, uint8_t* to) {
  if (!alpha) {
    std::memcpy(to, from, static_cast<size_t>(width) * 3);
    return;
  }
  for (int32_t x = 0; x < width; ++x, from += 4, to += 4) {
    to[0] = from[3];
    to[1] = from[0];
    to[2] = from[1];
    to[3] = from[2];
  }
}

// Colours multiplied by their alpha back to straight colours.
void unpremultiply_row(uint8_t* argb, int32_t width) {
  for (int32_t x = 0; x < width; ++x, argb += 4) {
    const uint32_t alpha = argb[0];
    if (alpha == 0 || alpha == 255) continue;
    for (int c = 1; c < 4; ++c) argb[c] = static_cast<uint8_t>(std::min<uint32_t>(255, (argb[c] * 255 + alpha / 2) / alpha));
  }
}

}  // namespace

bool HeifReader::open_format(const SourceFile&) {
  const std::vector<uint8_t> ftyp = read_ftyp_box(file_);
  if (ftyp.empty() || is_avif(ftyp)) return false;
  switch (heif_check_filetype(ftyp.data(), static_cast<int>(ftyp.size()))) {
    case heif_filetype_yes_supported:
      break;
    case heif_filetype_yes_unsupported:
      return fail("HEIF files of this kind are not read");
    default:
      return false;
  }
  if (std::string why; !read_whole_file(file_, "HEIC", bytes_, why)) return fail(std::move(why));
  return parse();
}

bool HeifReader::parse() {
  threads_.emplace();
  context_.reset(heif_context_alloc());
  if (!context_) throw std::bad_alloc();
  heif_context_set_maximum_image_size_limit(context_.get(), kLargestSide);
  heif_context_set_max_decoding_threads(context_.get(), threads_->count());
  heif_error error = heif_context_read_from_memory_without_copy(context_.get(), bytes_.data(), bytes_.size(), nullptr);
  if (error.code != heif_error_Ok) return fail(damage(error));
  heif_image_handle* handle = nullptr;
  error = heif_context_get_primary_image_handle(context_.get(), &handle);
  if (error.code != heif_error_Ok) return fail(damage(error));
  handle_.reset(handle);

  // The handle's size is the picture's as shown, turned and cropped.
  width_ = heif_image_handle_get_width(handle);
  height_ = heif_image_handle_get_height(handle);
  depth_ = heif_image_handle_get_luma_bits_per_pixel(handle);
  if (depth_ != 8 && depth_ != 10 && depth_ != 12) {
    return fail("HEIC files of " + std::to_string(depth_) + " bits a sample are not read");
  }
  keep_alpha_ = read_options().alpha && heif_image_handle_has_alpha_channel(handle) != 0;
  if (std::string why = picture_size_refusal(width_, height_, header().bits); !why.empty()) {
    return fail(std::move(why));
  }
  if (notes() != nullptr) note_metadata();
  return true;
}

PictureHeader HeifReader::header() const {
  const uint32_t bits = keep_alpha_ ? 32 : 24;
  // The decoded planes and the turned and converted copies libheif makes,
  // two bytes a sample above 8 bits.
  const uint64_t pixels = static_cast<uint64_t>(width_) * static_cast<uint64_t>(height_);
  const uint64_t sample_bytes = depth_ > 8 ? 2 : 1;
  return {width_, height_, bits, bytes_.size() + 3 * pixels * 4 * sample_bytes};
}

void HeifReader::note_metadata() {
  PictureNotes& notes = *this->notes();
  heif_image_handle* handle = handle_.get();
  const heif_color_profile_type profile = heif_image_handle_get_color_profile_type(handle);
  if (profile == heif_color_profile_type_prof || profile == heif_color_profile_type_rICC) {
    std::vector<uint8_t> icc(heif_image_handle_get_raw_color_profile_size(handle));
    if (!icc.empty() && heif_image_handle_get_raw_color_profile(handle, icc.data()).code == heif_error_Ok) {
      notes.icc_profile = std::move(icc);
    }
  }
  const int count = heif_image_handle_get_number_of_metadata_blocks(handle, nullptr);
  std::vector<heif_item_id> ids(static_cast<size_t>(std::max(count, 0)));
  heif_image_handle_get_list_of_metadata_block_IDs(handle, nullptr, ids.data(), count);
  for (heif_item_id id : ids) {
    const std::string_view type = text(heif_image_handle_get_metadata_type(handle, id));
    const std::string_view content = text(heif_image_handle_get_metadata_content_type(handle, id));
    const bool exif = type == "Exif";
    const bool xmp = type == "mime" && content == "application/rdf+xml";
    if (!exif && !xmp) continue;
    std::vector<uint8_t> block(heif_image_handle_get_metadata_size(handle, id));
    if (block.empty() || heif_image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok) continue;
    if (exif && notes.exif.empty()) notes.exif = tiff_structured_exif(block);
    if (xmp && notes.xmp.empty()) notes.xmp = std::move(block);
  }
  // libheif turns the picture as the file says; the EXIF orientation of
  // such a file only repeats that.
  notes.orientation = 1;
}

bool HeifReader::decode() {
  const bool little = std::endian::native == std::endian::little;
  heif_chroma chroma = keep_alpha_ ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB;
  if (depth_ > 8 && keep_alpha_) {
    chroma = little ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBBAA_BE;
  } else if (depth_ > 8) {
    chroma = little ? heif_chroma_interleaved_RRGGBB_LE : heif_chroma_interleaved_RRGGBB_BE;
  }
  const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
  if (!options) throw std::bad_alloc();
  heif_image* decoded = nullptr;
  const heif_error error = heif_decode_image(handle_.get(), &decoded, heif_colorspace_RGB, chroma, options.get());
  const std::unique_ptr<heif_image, ImageDeleter> image(decoded);
  if (error.code != heif_error_Ok) return fail(damage(error));
  if (heif_image_get_width(decoded, heif_channel_interleaved) != width_ ||
      heif_image_get_height(decoded, heif_channel_interleaved) != height_) {
    return fail("damaged HEIC data: the decoded picture is not of the size the file gives");
  }
  int stride = 0;
  const uint8_t* plane = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
  if (plane == nullptr) return fail("damaged HEIC data: no picture was decoded");
  const int depth = depth_ > 8 ? heif_image_get_bits_per_pixel_range(decoded, heif_channel_interleaved) : 8;
  if (!target_->create(width_, height_, header().bits, 0)) return fail(target_->failure());

  const size_t channels = keep_alpha_ ? 4 : 3;
  std::vector<uint8_t> row8(depth > 8 ? static_cast<size_t>(width_) * channels : 0);
  const bool premultiplied = keep_alpha_ && heif_image_handle_is_premultiplied_alpha(handle_.get()) != 0;
  for (int32_t y = 0; y < height_; ++y) {
    const uint8_t* from = plane + static_cast<size_t>(y) * static_cast<size_t>(stride);
    if (depth > 8) {
      reduce_to_eight_bits(reinterpret_cast<const uint16_t*>(from), row8.size(), static_cast<uint32_t>(depth),
                           row8.data());
      from = row8.data();
    }
    put_row(from, width_, keep_alpha_, target_->row(y));
    if (premultiplied) unpremultiply_row(target_->row(y), width_);
  }
  return true;
}

void HeifReader::close_format() {
  handle_.reset();
  context_.reset();
  threads_.reset();
  bytes_ = {};
  keep_alpha_ = false;
  depth_ = 8;
  progress_ = nullptr;
}

}  // namespace quorvant::engine::heif
