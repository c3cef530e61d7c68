#include "engine/webp/webp_writer.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <bit>
#include <memory>

#include "engine/colour/profiles.h"
#include "engine/webp/webp_threads.h"
#include "engine/worker_pool.h"

namespace quorvant::engine::webp {

namespace {

// Effort 1..9 spread over libwebp's methods 0..6; 0 keeps its default, 4.
int method_for(int32_t effort) {
  constexpr int kDefaultMethod = 4;
  if (effort < 1 || effort > 9) return kDefaultMethod;
  return ((effort - 1) * 6 + 4) / 8;
}

struct PictureFree {
  void operator()(WebPPicture* picture) const { WebPPictureFree(picture); }
};
struct MemoryWriterClear {
  void operator()(WebPMemoryWriter* writer) const { WebPMemoryWriterClear(writer); }
};
struct MuxDelete {
  void operator()(WebPMux* mux) const { WebPMuxDelete(mux); }
};
struct DataClear {
  void operator()(WebPData* data) const { WebPDataClear(data); }
};

std::string encoding_words(WebPEncodingError error) {
  switch (error) {
    case VP8_ENC_ERROR_OUT_OF_MEMORY:
    case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY: return "out of memory";
    case VP8_ENC_ERROR_BAD_DIMENSION: return "the picture's size cannot be written";
    case VP8_ENC_ERROR_PARTITION0_OVERFLOW:
    case VP8_ENC_ERROR_PARTITION_OVERFLOW: return "the compressed picture is too large for a lossy WebP";
    case VP8_ENC_ERROR_FILE_TOO_BIG: return "the file would be larger than 4 GiB";
    case VP8_ENC_ERROR_USER_ABORT: return "stopped";
    default: return "the encoder failed";
  }
}

// The picture as libwebp's ARGB words: 32-bit pixels are alpha, red,
// green, blue in memory, which is the word 0xAARRGGBB read big-endian.
void fill_argb(const ImageBuffer& picture, WebPPicture& into) {
  for (int32_t y = 0; y < picture.height(); ++y) {
    const uint8_t* from = picture.row(y);
    uint32_t* to = into.argb + static_cast<size_t>(y) * static_cast<size_t>(into.argb_stride);
    for (int32_t x = 0; x < picture.width(); ++x) {
      if (picture.bits() == 32) {
        to[x] = uint32_t{from[0]} << 24 | uint32_t{from[1]} << 16 | uint32_t{from[2]} << 8 | from[3];
        from += 4;
      } else {
        to[x] = 0xFF000000u | uint32_t{from[0]} << 16 | uint32_t{from[1]} << 8 | from[2];
        from += 3;
      }
    }
  }
}

// The encoded picture with the embedded notes as chunks beside it.
bool with_chunks(const uint8_t* bytes, size_t size, const PictureNotes& embedded, WebPData& assembled) {
  const std::unique_ptr<WebPMux, MuxDelete> mux(WebPMuxNew());
  if (!mux) return false;
  const WebPData image{bytes, size};
  if (WebPMuxSetImage(mux.get(), &image, 0) != WEBP_MUX_OK) return false;
  auto add = [&](const char* fourcc, const std::vector<uint8_t>& data) {
    const WebPData chunk{data.data(), data.size()};
    return data.empty() || WebPMuxSetChunk(mux.get(), fourcc, &chunk, 0) == WEBP_MUX_OK;
  };
  // Every picture written here is RGB: a profile of another colour space
  // would contradict it.
  const bool profile = !embedded.icc_profile.empty() && colour::is_rgb_profile(embedded.icc_profile);
  return (!profile || add("ICCP", embedded.icc_profile)) && add("EXIF", embedded.exif) &&
         add("XMP ", embedded.xmp) && WebPMuxAssemble(mux.get(), &assembled) == WEBP_MUX_OK;
}

}  // namespace

WriterNeeds WebpWriter::needs(const WriteSettings& settings) const {
  return colour_or_alpha(settings, WEBP_MAX_DIMENSION, "WebP files are at most 16383 pixels a side");
}

uint64_t WebpWriter::working_memory(const WriteSettings& settings, int32_t width, int32_t height) const {
  const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  // Lossless: the ARGB words, their transformed copy and the encoder's hash
  // chains and back-references. Lossy: the ARGB words of a 32-bit picture,
  // YUV planes with alpha, and the encoder's per-macroblock state. Both
  // keep the output in memory until it is written.
  return settings.lossless ? 24 * pixels : 10 * pixels;
}

int WebpWriter::report_percent(int percent, const WebPPicture* picture) {
  const auto* writer = static_cast<const WebpWriter*>(picture->user_data);
  if (percent > 0 && writer->height_ > 0) {
    writer->row_written(static_cast<int32_t>(static_cast<int64_t>(writer->height_) * percent / 100) - 1);
  }
  return 1;
}

bool WebpWriter::write_body(File& file, const ImageBuffer& picture) {
  const WriteSettings& s = settings();
  WebPConfig config;
  if (WebPConfigPreset(&config, WEBP_PRESET_DEFAULT, static_cast<float>(s.quality)) == 0) {
    return fail("the WebP library does not match its header");
  }
  config.method = method_for(s.effort);
  if (s.lossless) {
    config.lossless = 1;
    // A lossless file gives back every pixel, the colour of transparent
    // ones included.
    config.exact = 1;
  }
  if (WebPValidateConfig(&config) == 0) return fail("the WebP settings are out of range");

  WebPPicture input;
  if (WebPPictureInit(&input) == 0) return fail("the WebP library does not match its header");
  const std::unique_ptr<WebPPicture, PictureFree> owned_input(&input);
  input.width = picture.width();
  input.height = picture.height();
  // Lossless files and pictures with alpha are given as ARGB words; a lossy
  // encoder turns them into YUV itself.
  if (s.lossless || picture.bits() == 32) {
    input.use_argb = 1;
    if (WebPPictureAlloc(&input) == 0) return fail("out of memory for the WebP picture");
    fill_argb(picture, input);
  } else if (WebPPictureImportRGB(&input, picture.pixels(), static_cast<int>(picture.stride())) == 0) {
    return fail("out of memory for the WebP picture");
  }

  WebPMemoryWriter encoded;
  WebPMemoryWriterInit(&encoded);
  const std::unique_ptr<WebPMemoryWriter, MemoryWriterClear> owned_encoded(&encoded);
  input.writer = WebPMemoryWrite;
  input.custom_ptr = &encoded;
  height_ = picture.height();
  input.user_data = this;
  input.progress_hook = report_percent;

  int encoded_ok = 0;
  run_with_one_extra_thread(WorkerPool::shared(), [&](bool extra_thread) {
    config.thread_level = extra_thread ? 1 : 0;
    encoded_ok = WebPEncode(&config, &input);
  });
  if (encoded_ok == 0) return fail("cannot encode the WebP picture: " + encoding_words(input.error_code));

  if (s.embedded == nullptr) return file.write_all(encoded.mem, encoded.size);
  WebPData assembled;
  WebPDataInit(&assembled);
  const std::unique_ptr<WebPData, DataClear> owned_assembled(&assembled);
  if (!with_chunks(encoded.mem, encoded.size, *s.embedded, assembled)) {
    return fail("cannot add the profile and metadata to the WebP file");
  }
  return file.write_all(assembled.bytes, assembled.size);
}

}  // namespace quorvant::engine::webp
