#include "engine/avif/avif_writer.h"

#include <avif/avif.h>

#include <algorithm>
#include <memory>

#include "engine/library_threads.h"

namespace quorvant::engine::avif {

namespace {

constexpr int32_t kLargestSide = 65536;  // an AV1 frame's sides are 16-bit numbers less one
// The speed an effort of 0 stands for: libavif's own tool's default. (The
// encoder's built-in default is its slowest setting.)
constexpr int kDefaultSpeed = 6;

struct ImageDeleter {
  void operator()(avifImage* image) const { avifImageDestroy(image); }
};
struct EncoderDeleter {
  void operator()(avifEncoder* encoder) const { avifEncoderDestroy(encoder); }
};
struct EncodedBytes {
  avifRWData data = AVIF_DATA_EMPTY;
  ~EncodedBytes() { avifRWDataFree(&data); }
};

std::string encoding_failure(avifResult result, const avifEncoder& encoder) {
  std::string why = std::string("cannot encode the AVIF picture: ") + avifResultToString(result);
  if (encoder.diag.error[0] != '\0') why += std::string(" (") + encoder.diag.error + ")";
  return why;
}

}  // namespace

int quantizer_for_quality(int quality) {
  // The constant quality level other AVIF writers give a quality: 100 is
  // quantizer 0, 1 is 62, rounded to the nearest step.
  const int q = std::clamp(quality, 1, 100);
  return ((100 - q) * AVIF_QUANTIZER_WORST_QUALITY + 50) / 100;
}

int speed_for_effort(int effort) {
  if (effort < 1 || effort > 9) return kDefaultSpeed;
  return 10 - effort;
}

WriterNeeds AvifWriter::needs(const WriteSettings& settings) const {
  return colour_or_alpha(settings, kLargestSide, "AVIF pictures are written up to 65536 pixels a side");
}

uint64_t AvifWriter::working_memory(const WriteSettings&, int32_t width, int32_t height) const {
  // The YUV and alpha planes (4:4:4 at most), the encoded file (no larger
  // than the planes) and the AV1 encoder's frame buffers and analysis,
  // several times the planes.
  const uint64_t planes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4;
  return planes * 8 + (uint64_t{64} << 20);
}

bool AvifWriter::write_body(File& file, const ImageBuffer& picture) {
  const WriteSettings& s = settings();
  const bool alpha = picture.bits() == 32;
  const avifPixelFormat yuv = s.lossless ? AVIF_PIXEL_FORMAT_YUV444 : AVIF_PIXEL_FORMAT_YUV420;
  const std::unique_ptr<avifImage, ImageDeleter> image(
      avifImageCreate(static_cast<uint32_t>(picture.width()), static_cast<uint32_t>(picture.height()), 8, yuv));
  if (!image) throw std::bad_alloc();
  image->yuvRange = AVIF_RANGE_FULL;
  // Lossless files keep RGB as it is (the identity matrix); lossy ones
  // use the matrix of JPEG's YCbCr.
  image->matrixCoefficients = s.lossless ? AVIF_MATRIX_COEFFICIENTS_IDENTITY : AVIF_MATRIX_COEFFICIENTS_BT601;

  if (const PictureNotes* embedded = s.embedded; embedded != nullptr) {
    if (!embedded->icc_profile.empty()) {
      avifImageSetProfileICC(image.get(), embedded->icc_profile.data(), embedded->icc_profile.size());
    }
    if (!embedded->exif.empty()) avifImageSetMetadataExif(image.get(), embedded->exif.data(), embedded->exif.size());
    if (!embedded->xmp.empty()) avifImageSetMetadataXMP(image.get(), embedded->xmp.data(), embedded->xmp.size());
  }
  // The pixels are written as they are to be shown: an orientation the
  // EXIF block may carry is not turned into a rotation of the file.
  image->transformFlags = AVIF_TRANSFORM_NONE;

  avifRGBImage rgb;
  avifRGBImageSetDefaults(&rgb, image.get());
  rgb.format = alpha ? AVIF_RGB_FORMAT_ARGB : AVIF_RGB_FORMAT_RGB;
  rgb.depth = 8;
  rgb.pixels = const_cast<uint8_t*>(picture.pixels());  // only read
  rgb.rowBytes = static_cast<uint32_t>(picture.stride());
  if (avifResult r = avifImageRGBToYUV(image.get(), &rgb); r != AVIF_RESULT_OK) {
    return fail(std::string("cannot convert the picture to AVIF's colours: ") + avifResultToString(r));
  }

  const std::unique_ptr<avifEncoder, EncoderDeleter> encoder(avifEncoderCreate());
  if (!encoder) throw std::bad_alloc();
  const LibraryThreads threads;
  encoder->maxThreads = threads.count();
  encoder->speed = speed_for_effort(s.effort);
  const int quantizer = s.lossless ? AVIF_QUANTIZER_LOSSLESS : quantizer_for_quality(s.quality);
  encoder->minQuantizer = quantizer;
  encoder->maxQuantizer = quantizer;
  encoder->minQuantizerAlpha = quantizer;
  encoder->maxQuantizerAlpha = quantizer;

  EncodedBytes encoded;
  if (avifResult r = avifEncoderWrite(encoder.get(), image.get(), &encoded.data); r != AVIF_RESULT_OK) {
    return fail(encoding_failure(r, *encoder));
  }
  return file.write_all(encoded.data.data, encoded.data.size);
}

}  // namespace quorvant::engine::avif
