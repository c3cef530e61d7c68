#include "engine/loader.h"

#include <memory>
#include <new>

#include "engine/bmp/bmp_reader.h"
#include "engine/jpeg/jpeg_reader.h"
#include "engine/pcx/pcx_reader.h"
#include "engine/photocd/photocd_reader.h"
#include "engine/png/png_reader.h"
#include "engine/tiff/tiff_reader.h"

namespace quorvant::engine {

namespace {

using ReaderFactory = std::unique_ptr<ImageReader> (*)();

template <class Reader>
std::unique_ptr<ImageReader> make_reader() {
  return std::make_unique<Reader>();
}

// The order of probing. It matters where several readers could take one
// file: a file the JPEG reader accepts is never offered to another reader,
// and PhotoCD, which looks at little of the file, comes last.
constexpr ReaderFactory kReaders[] = {
    &make_reader<jpeg::JpegReader>, &make_reader<bmp::BmpReader>, &make_reader<tiff::TiffReader>,
    &make_reader<png::PngReader>,   &make_reader<pcx::PcxReader>, &make_reader<photocd::PhotoCdReader>,
};

// The reader that accepts the file, open on it for decoding into `target`;
// nothing when none does, with `why` saying why: the first reason of a
// reader that knew the file for its own but refused it (a 16-bit PNG, a
// damaged JPEG header), or that it is not a picture at all.
std::unique_ptr<ImageReader> accepting_reader(const SourceFile& source, ImageBuffer& target, std::string& why,
                                              const ReadOptions& options, PictureNotes* notes) {
  why = kNotAPicture;
  bool explained = false;
  for (ReaderFactory make : kReaders) {
    std::unique_ptr<ImageReader> reader = make();
    if (notes != nullptr) *notes = {};  // nothing of a reader that declined the file
    reader->set_read_options(options, notes);
    if (reader->open(source, target, nullptr)) return reader;
    if (!explained && !reader->failure().empty()) {
      why = reader->failure();
      explained = true;
    }
  }
  return nullptr;
}

}  // namespace

ResultCode load_picture(const std::string& path, ImageBuffer& target, std::string* reason) {
  return load_picture(SourceFile::open(path), target, reason);
}

ResultCode load_picture(const SourceFile& source, ImageBuffer& target, std::string* reason, const ReadOptions& options,
                        PictureNotes* notes) {
  std::string why = source.failure();
  ResultCode code = source.status();
  if (code == kLoaded) {
    // The first reader that accepts the file decides the outcome; readers
    // that decline it leave nothing in the notes.
    const std::unique_ptr<ImageReader> reader = accepting_reader(source, target, why, options, notes);
    code = reader && reader->read() ? kLoaded : kUnreadable;
    if (reader && code != kLoaded) why = reader->failure().empty() ? "damaged picture data" : reader->failure();
  }
  if (reason != nullptr) *reason = code == kLoaded ? std::string() : why;
  return code;
}

std::optional<PictureHeader> read_picture_header(const SourceFile& source, std::string* reason,
                                                 const ReadOptions& options) {
  std::string why = source.failure();
  if (source) {
    ImageBuffer unused;
    if (const std::unique_ptr<ImageReader> reader = accepting_reader(source, unused, why, options, nullptr))
      return reader->header();
  }
  if (reason != nullptr) *reason = why;
  return std::nullopt;
}

}  // namespace quorvant::engine
