#include "engine/pnm/pnm_writer.h"

#include <string>

#include "engine/pnm/plain_text.h"

namespace quorvant::engine::pnm {

namespace {

// Plain bilevel and grey files break the line after every 32nd value of the
// picture; plain colour files after the blue value of every 5th pixel. The
// count runs over the whole picture, not per row.
constexpr int kValuesPerLine = 32;
constexpr int kPixelsPerColourLine = 5;

// A bilevel pixel is dark ("1") up to grey 128.
constexpr char bilevel_digit(uint8_t grey) { return grey <= 128 ? '1' : '0'; }

}  // namespace

WriterNeeds PnmWriter::needs(const WriteSettings& settings) const {
  WriterNeeds needs;
  const PnmKind kind = settings.pnm_kind;
  needs.valid = kind == PnmKind::kBilevel || kind == PnmKind::kGrey || kind == PnmKind::kColour;
  needs.bits = kind == PnmKind::kColour ? 24 : 8;
  return needs;
}

bool PnmWriter::write_body(File& file, const ImageBuffer& picture) {
  const bool plain = !settings().raw || settings().pnm_kind == PnmKind::kBilevel;
  return write_header(file, picture, plain) && (plain ? write_plain(file, picture) : write_raw(file, picture));
}

bool PnmWriter::write_header(File& file, const ImageBuffer& picture, bool plain) {
  const PnmKind kind = settings().pnm_kind;
  const char* magic = kind == PnmKind::kBilevel ? "P1"
                      : kind == PnmKind::kGrey  ? (plain ? "P2" : "P5")
                                                : (plain ? "P3" : "P6");
  std::string header = magic;
  header += "\n#Created by Imvolta 1.0\n";
  header += std::to_string(picture.width());
  header += ' ';
  header += std::to_string(picture.height());
  header += kind == PnmKind::kBilevel ? "\n" : " 255\n";
  return file.seek(0) && file.write_all(header.data(), header.size());
}

bool PnmWriter::write_plain(File& file, const ImageBuffer& picture) {
  const PnmKind kind = settings().pnm_kind;
  const int32_t width = picture.width();
  const int32_t height = picture.height();
  // At most "255" and a separator per sample.
  PlainText text(file, picture.stride() * 4);
  int counter = 0;
  for (int32_t y = 0; y < height; ++y) {
    if (!picture.rows_ready(y + 1)) return fail(kRowsNeverCame);
    const uint8_t* p = picture.row(y);
    for (int32_t x = 0; x < width; ++x) {
      if (kind == PnmKind::kColour) {
        const bool line_ends = ++counter == kPixelsPerColourLine;
        if (line_ends) counter = 0;
        text.value(p[0], ' ');
        text.value(p[1], ' ');
        text.value(p[2], line_ends ? '\n' : ' ');
        p += 3;
      } else {
        const bool line_ends = ++counter == kValuesPerLine;
        if (line_ends) counter = 0;
        if (kind == PnmKind::kBilevel) {
          text.character(bilevel_digit(*p), line_ends ? '\n' : ' ');
        } else {
          text.value(*p, line_ends ? '\n' : ' ');
        }
        ++p;
      }
    }
    if (!text.row_done()) return false;
    row_written(y);
  }
  return true;
}

bool PnmWriter::write_raw(File& file, const ImageBuffer& picture) {
  for (int32_t y = 0; y < picture.height(); ++y) {
    if (!picture.rows_ready(y + 1)) return fail(kRowsNeverCame);
    if (!file.write_all(picture.row(y), picture.stride())) return false;
    row_written(y);
  }
  return true;
}

}  // namespace quorvant::engine::pnm
