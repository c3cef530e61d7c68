#include "engine/jxl/jxl_writer.h"

#include <jxl/encode.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "engine/colour/profiles.h"
#include "engine/jxl/jxl_support.h"

namespace quorvant::engine::jxl {

namespace {

struct EncoderDeleter {
  void operator()(JxlEncoder* encoder) const { JxlEncoderDestroy(encoder); }
};
using Encoder = std::unique_ptr<JxlEncoder, EncoderDeleter>;

// Sides up to 2^30 pixels, the most a codestream may describe.
constexpr int32_t kLargestSide = 1 << 30;
constexpr int64_t kDefaultEffort = 7;
constexpr size_t kOutputChunk = size_t{1} << 20;
// What libjxl holds while it compresses, per pixel, beyond the picture:
// several 32-bit planes of each channel and the encoder's own tables.
constexpr uint64_t kEncoderBytesPerPixel = 64;
constexpr uint64_t kEncoderFixedBytes = uint64_t{64} << 20;

// Words for libjxl's error codes.
std::string encoder_failure(JxlEncoder* encoder) {
  switch (JxlEncoderGetError(encoder)) {
    case JXL_ENC_ERR_OOM:
      return "libjxl ran out of memory while compressing the picture";
    case JXL_ENC_ERR_NOT_SUPPORTED:
      return "libjxl does not support this picture";
    default:
      return "libjxl could not compress the picture";
  }
}

bool start_encoder(Encoder& encoder) {
  encoder.reset(JxlEncoderCreate(nullptr));
  return encoder && JxlEncoderSetParallelRunner(encoder.get(), run_on_worker_pool, nullptr) == JXL_ENC_SUCCESS;
}

JxlEncoderFrameSettings* frame_settings(JxlEncoder* encoder, const WriteSettings& settings) {
  JxlEncoderFrameSettings* frame = JxlEncoderFrameSettingsCreate(encoder, nullptr);
  if (frame == nullptr) return nullptr;
  const int64_t effort = settings.effort >= 1 && settings.effort <= 9 ? settings.effort : kDefaultEffort;
  if (JxlEncoderFrameSettingsSetOption(frame, JXL_ENC_FRAME_SETTING_EFFORT, effort) != JXL_ENC_SUCCESS) return nullptr;
  return frame;
}

// The JPEG file's own bytes as a frame, with what it takes to give them
// back; false when libjxl cannot take this JPEG that way.
bool add_jpeg(JxlEncoder* encoder, const WriteSettings& settings) {
  File source = settings.jpeg_source->stream();
  const uint64_t size = source.size().value_or(0);
  if (!source || size == 0) return false;
  std::vector<uint8_t> jpeg(static_cast<size_t>(size));
  // Only a JPEG (its start of image, then a marker) is read whole.
  constexpr uint8_t kJpegStart[] = {0xFF, 0xD8, 0xFF};
  if (size < sizeof kJpegStart || !source.read_exact(jpeg.data(), sizeof kJpegStart) ||
      !std::equal(std::begin(kJpegStart), std::end(kJpegStart), jpeg.begin()) ||
      !source.read_exact(jpeg.data() + sizeof kJpegStart, jpeg.size() - sizeof kJpegStart)) {
    return false;
  }
  JxlEncoderFrameSettings* frame = frame_settings(encoder, settings);
  // The JPEG's EXIF and XMP become boxes of their own here.
  return frame != nullptr && JxlEncoderStoreJPEGMetadata(encoder, JXL_TRUE) == JXL_ENC_SUCCESS &&
         JxlEncoderAddJPEGFrame(frame, jpeg.data(), jpeg.size()) == JXL_ENC_SUCCESS;
}

bool set_colour(JxlEncoder* encoder, const PictureNotes* embedded) {
  if (embedded != nullptr && colour::is_rgb_profile(embedded->icc_profile) &&
      JxlEncoderSetICCProfile(encoder, embedded->icc_profile.data(), embedded->icc_profile.size()) == JXL_ENC_SUCCESS) {
    return true;
  }
  // No profile, or one libjxl cannot read: the pixels are taken as sRGB,
  // as every reader takes a picture that says nothing.
  JxlColorEncoding srgb{};
  JxlColorEncodingSetToSRGB(&srgb, JXL_FALSE);
  return JxlEncoderSetColorEncoding(encoder, &srgb) == JXL_ENC_SUCCESS;
}

// EXIF and XMP boxes, before the codestream so that readers find them
// without reading past the picture.
bool add_metadata(JxlEncoder* encoder, const PictureNotes& embedded) {
  if (embedded.exif.empty() && embedded.xmp.empty()) return true;
  if (JxlEncoderUseBoxes(encoder) != JXL_ENC_SUCCESS) return false;
  if (!embedded.exif.empty()) {
    // The box starts with the offset of the TIFF header after this field.
    std::vector<uint8_t> box(4, 0);
    box.insert(box.end(), embedded.exif.begin(), embedded.exif.end());
    if (JxlEncoderAddBox(encoder, "Exif", box.data(), box.size(), JXL_FALSE) != JXL_ENC_SUCCESS) return false;
  }
  if (!embedded.xmp.empty() &&
      JxlEncoderAddBox(encoder, "xml ", embedded.xmp.data(), embedded.xmp.size(), JXL_FALSE) != JXL_ENC_SUCCESS) {
    return false;
  }
  JxlEncoderCloseBoxes(encoder);
  return true;
}

bool add_pixels(JxlEncoder* encoder, const ImageBuffer& picture, const WriteSettings& settings) {
  const bool alpha = picture.bits() == 32;
  JxlBasicInfo info{};
  JxlEncoderInitBasicInfo(&info);
  info.xsize = static_cast<uint32_t>(picture.width());
  info.ysize = static_cast<uint32_t>(picture.height());
  info.bits_per_sample = 8;
  info.num_color_channels = 3;
  info.num_extra_channels = alpha ? 1 : 0;
  info.alpha_bits = alpha ? 8 : 0;
  // Lossless keeps the samples in their own colour space; lossy works in
  // libjxl's perceptual one.
  info.uses_original_profile = settings.lossless ? JXL_TRUE : JXL_FALSE;
  if (JxlEncoderSetBasicInfo(encoder, &info) != JXL_ENC_SUCCESS || !set_colour(encoder, settings.embedded)) {
    return false;
  }
  if (settings.embedded != nullptr && !add_metadata(encoder, *settings.embedded)) return false;

  JxlEncoderFrameSettings* frame = frame_settings(encoder, settings);
  if (frame == nullptr) return false;
  const float distance = settings.lossless ? 0.0f : distance_for_quality(settings.quality);
  if ((settings.lossless && JxlEncoderSetFrameLossless(frame, JXL_TRUE) != JXL_ENC_SUCCESS) ||
      JxlEncoderSetFrameDistance(frame, distance) != JXL_ENC_SUCCESS) {
    return false;
  }
  const JxlPixelFormat format{alpha ? 4u : 3u, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
  if (!alpha)
    return JxlEncoderAddImageFrame(frame, &format, picture.pixels(), picture.pixel_bytes()) == JXL_ENC_SUCCESS;
  // The picture keeps alpha first; libjxl takes it last.
  std::vector<uint8_t> rgba(picture.pixel_bytes());
  const uint8_t* in = picture.pixels();
  for (size_t i = 0; i < rgba.size(); i += 4) {
    rgba[i] = in[i + 1];
    rgba[i + 1] = in[i + 2];
    rgba[i + 2] = in[i + 3];
    rgba[i + 3] = in[i];
  }
  return JxlEncoderAddImageFrame(frame, &format, rgba.data(), rgba.size()) == JXL_ENC_SUCCESS;
}

}  // namespace

float distance_for_quality(int32_t quality) {
  if (quality >= 100) return 0.0f;
  if (quality >= 30) return 0.1f + static_cast<float>(100 - quality) * 0.09f;
  // Below 30 the distance grows faster, up to the largest libjxl takes.
  const double distance = 6.4 + std::pow(2.5, (30 - quality) / 5.0) / 6.25;
  return static_cast<float>(std::min(distance, 25.0));
}

WriterNeeds JxlWriter::needs(const WriteSettings& settings) const {
  return colour_or_alpha(settings, kLargestSide, "JPEG XL sides are at most 2^30 pixels");
}

uint64_t JxlWriter::working_memory(const WriteSettings& settings, int32_t width, int32_t height) const {
  const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  // A picture with alpha is copied once into libjxl's order.
  const uint64_t copy = settings.bits == 32 ? pixels * 4 : 0;
  return copy + pixels * kEncoderBytesPerPixel + kEncoderFixedBytes;
}

bool JxlWriter::write_body(File& file, const ImageBuffer& picture) {
  // Quality 100 is lossless, as the reference encoder has it.
  WriteSettings settings = this->settings();
  settings.lossless = settings.lossless || settings.quality >= 100;
  Encoder encoder;
  if (!start_encoder(encoder)) return fail("cannot start the JPEG XL encoder");
  bool added = false;
  if (settings.lossless && settings.jpeg_source != nullptr) {
    added = add_jpeg(encoder.get(), settings);
    // Some JPEGs (arithmetic-coded, CMYK) cannot be recompressed: their
    // pixels are compressed losslessly instead.
    if (!added && !start_encoder(encoder)) return fail("cannot start the JPEG XL encoder");
  }
  if (!added && !add_pixels(encoder.get(), picture, settings)) return fail(encoder_failure(encoder.get()));
  JxlEncoderCloseInput(encoder.get());

  std::vector<uint8_t> chunk(kOutputChunk);
  for (;;) {
    uint8_t* next = chunk.data();
    size_t room = chunk.size();
    const JxlEncoderStatus status = JxlEncoderProcessOutput(encoder.get(), &next, &room);
    const size_t produced = chunk.size() - room;
    if (produced > 0 && !file.write_all(chunk.data(), produced)) return false;
    if (status == JXL_ENC_SUCCESS) return true;
    if (status != JXL_ENC_NEED_MORE_OUTPUT) return fail(encoder_failure(encoder.get()));
  }
}

}  // namespace quorvant::engine::jxl
