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

bool PnmWriter::open(const std::string& path, const ImageBuffer& source, const WriteSettings& settings,
                     ProgressCallback progress) {
  close();
  if (settings.pnm_kind != PnmKind::kBilevel && settings.pnm_kind != PnmKind::kGrey &&
      settings.pnm_kind != PnmKind::kColour) {
    return false;
  }
  file_ = File::open_write(path);
  if (!file_) return false;
  kind_ = settings.pnm_kind;
  plain_ = !settings.raw || kind_ == PnmKind::kBilevel;
  source_ = &source;
  progress_ = std::move(progress);
  return true;
}

bool PnmWriter::write() {
  if (source_ == nullptr || source_->width() < 1 || source_->height() < 1) {
    close();
    return false;
  }
  // Colour needs red, green, blue; grey and bilevel need grey levels, so a
  // palette picture is converted through its colours: indices never reach
  // the file.
  const uint32_t bits = kind_ == PnmKind::kColour ? 24 : 8;
  ImageBuffer converted;
  const ImageBuffer* picture = in_form(*source_, bits, 0, converted);
  if (picture == nullptr) {
    close();
    return false;
  }
  bool ok = write_header() && (plain_ ? write_plain(*picture) : write_raw(*picture));
  report_progress(progress_, kPhaseWriting, source_->height() - 1, source_->height());
  ok = file_.close() && ok;
  close();
  return ok;
}

bool PnmWriter::write_header() {
  const char* magic = kind_ == PnmKind::kBilevel ? "P1"
                      : kind_ == PnmKind::kGrey  ? (plain_ ? "P2" : "P5")
                                                 : (plain_ ? "P3" : "P6");
  std::string header = magic;
  header += "\n#Created by Imvolta 1.0\n";
  header += std::to_string(source_->width());
  header += ' ';
  header += std::to_string(source_->height());
  header += kind_ == PnmKind::kBilevel ? "\n" : " 255\n";
  return file_.seek(0) && file_.write_all(header.data(), header.size());
}

bool PnmWriter::write_plain(const ImageBuffer& picture) {
  const int32_t width = picture.width();
  const int32_t height = picture.height();
  // At most "255" and a separator per sample.
  PlainText text(file_, picture.stride() * 4);
  int counter = 0;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* p = picture.row(y);
    for (int32_t x = 0; x < width; ++x) {
      if (kind_ == PnmKind::kColour) {
        const bool line_ends = ++counter == kPixelsPerColourLine;
        if (line_ends) counter = 0;
        text.value(p[0], ' ');
        text.value(p[1], ' ');
        text.value(p[2], line_ends ? '\n' : ' ');
        p += 3;
      } else {
        const bool line_ends = ++counter == kValuesPerLine;
        if (line_ends) counter = 0;
        if (kind_ == PnmKind::kBilevel) {
          text.character(bilevel_digit(*p), line_ends ? '\n' : ' ');
        } else {
          text.value(*p, line_ends ? '\n' : ' ');
        }
        ++p;
      }
    }
    if (!text.row_done()) return false;
    report_progress(progress_, kPhaseWriting, y, height);
  }
  return true;
}

bool PnmWriter::write_raw(const ImageBuffer& picture) {
  for (int32_t y = 0; y < picture.height(); ++y) {
    if (!file_.write_all(picture.row(y), picture.stride())) return false;
    report_progress(progress_, kPhaseWriting, y, picture.height());
  }
  return true;
}

void PnmWriter::close() {
  file_.close();
  kind_ = PnmKind::kColour;
  plain_ = false;
  source_ = nullptr;
  progress_ = nullptr;
}

}  // namespace quorvant::engine::pnm
