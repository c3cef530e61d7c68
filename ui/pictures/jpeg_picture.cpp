// JPEG pictures through libjpeg's decompressor, reading from memory with the
// library's default output parameters. Grey pictures come out with equal red,
// green and blue; pictures with other component counts (CMYK) are declined.
//
// libjpeg's errors jump back to the function that called setjmp (see
// codecs/jpeg_errors.h for the rules that keep the jump harmless): the
// library state lives in a JpegSession owned by their caller. Damaged scan
// data and a missing end marker are not failures here: the picture is only
// shown, and shows what could be decoded.
#include <csetjmp>
#include <vector>

#include "codecs/jpeg_errors.h"
#include "ui/pictures/picture_canvas.h"
#include "ui/pictures/picture_decoders.h"

namespace quorvant::ui::pictures {

namespace {

// Progressive and multi-scan pictures keep all their coefficients in memory;
// beyond this the library stops with an error instead of allocating.
constexpr long kMaxLibraryMemory = 512L << 20;

struct JpegSession {
  JpegSession() { decompress.err = codecs::install_errors(errors, codecs::DamagedData::kTolerated); }
  // Safe even when creation never happened: the structure starts zeroed and
  // the library frees nothing while its memory manager is null.
  ~JpegSession() { jpeg_destroy_decompress(&decompress); }
  JpegSession(const JpegSession&) = delete;
  JpegSession& operator=(const JpegSession&) = delete;

  jpeg_decompress_struct decompress{};
  codecs::JpegErrors errors{};
};

// Reads the markers up to the first scan. No destructors run in this frame.
bool read_header(JpegSession& session, std::span<const uint8_t> bytes) {
  if (setjmp(session.errors.recovery) != 0) return false;
  jpeg_create_decompress(&session.decompress);
  session.decompress.mem->max_memory_to_use = kMaxLibraryMemory;
  jpeg_mem_src(&session.decompress, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&session.decompress, TRUE);
  return true;
}

// Where the decoded rows go: Format_RGB32 rows `stride` bytes apart, with
// `samples` holding one output row of the library.
struct RowTarget {
  JDIMENSION width = 0;
  JDIMENSION height = 0;
  int components = 0;
  JSAMPLE* samples = nullptr;
  uchar* pixels = nullptr;
  qsizetype stride = 0;
};

// Decodes every row into the target. No destructors run in this frame.
bool read_rows(JpegSession& session, const RowTarget& target) {
  if (setjmp(session.errors.recovery) != 0) return false;
  j_decompress_ptr decompress = &session.decompress;
  jpeg_start_decompress(decompress);
  if (decompress->output_width != target.width || decompress->output_height != target.height ||
      decompress->output_components != target.components) {
    return false;
  }
  while (decompress->output_scanline < decompress->output_height) {
    auto* out = reinterpret_cast<QRgb*>(target.pixels + target.stride * decompress->output_scanline);
    JSAMPROW row = target.samples;
    if (jpeg_read_scanlines(decompress, &row, 1) != 1) return false;
    const JSAMPLE* sample = target.samples;
    for (JDIMENSION x = 0; x < target.width; ++x, sample += target.components) {
      out[x] = target.components == 3 ? qRgb(sample[0], sample[1], sample[2]) : qRgb(sample[0], sample[0], sample[0]);
    }
  }
  jpeg_finish_decompress(decompress);
  return true;
}

}  // namespace

std::optional<QImage> decode_jpeg(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return std::nullopt;
  JpegSession session;
  if (!read_header(session, bytes)) return std::nullopt;

  // With the default output parameters the output has the picture's own size
  // and colour space, so both can be judged before any pixel is decoded.
  const jpeg_decompress_struct& header = session.decompress;
  int components = 0;
  if (header.out_color_space == JCS_RGB) {
    components = 3;
  } else if (header.out_color_space == JCS_GRAYSCALE) {
    components = 1;
  } else {
    return std::nullopt;
  }
  std::optional<QImage> image = make_picture(header.image_width, header.image_height, QImage::Format_RGB32);
  if (!image) return std::nullopt;
  std::vector<JSAMPLE> samples(static_cast<size_t>(header.image_width) * static_cast<size_t>(components));

  const RowTarget target{header.image_width, header.image_height, components,
                         samples.data(),     image->bits(),       image->bytesPerLine()};
  if (!read_rows(session, target)) return std::nullopt;
  return image;
}

}  // namespace quorvant::ui::pictures
