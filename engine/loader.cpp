#include "engine/loader.h"

#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "engine/bmp/bmp_reader.h"
#include "engine/format_signatures.h"
#include "engine/jpeg/jpeg_reader.h"
#include "engine/more_formats.h"
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

// A reader, and the test of a file's first bytes that it passes whenever
// the reader could take the file.
struct ReaderEntry {
  ReaderFactory make;
  bool (*looks_like)(Head head);
};

// The order of probing. It matters where several readers could take one
// file: a file the JPEG reader accepts is never offered to another reader,
// and PhotoCD, which looks at little of the file, comes last.
constexpr ReaderEntry kReaders[] = {
    {&make_reader<jpeg::JpegReader>, looks_like_jpeg}, {&make_reader<bmp::BmpReader>, looks_like_bmp},
    {&make_reader<tiff::TiffReader>, looks_like_tiff}, {&make_reader<png::PngReader>, looks_like_png},
    {&make_reader<pcx::PcxReader>, looks_like_pcx},    {&make_reader<photocd::PhotoCdReader>, looks_like_photocd},
};

// Offered after those, and only when more kinds of files are asked for
// (the command line; the window reads what it always has). Their readers
// are in a module opened only when a file's first bytes call for one.
constexpr ReaderEntry kMoreReaders[] = {
    {&more_formats::webp_reader, looks_like_webp}, {&more_formats::gif_reader, looks_like_gif},
    {&more_formats::avif_reader, looks_like_heif}, {&more_formats::heif_reader, looks_like_heif},
    {&more_formats::jxl_reader, looks_like_jxl},
};

std::vector<uint8_t> head_of(const SourceFile& source) {
  std::vector<uint8_t> head(kSignatureBytes);
  File stream = source.stream();
  const size_t got = stream ? std::fread(head.data(), 1, head.size(), stream.get()) : 0;
  head.resize(got);
  return head;
}

// The reader that accepts the file, open on it for decoding into `target`;
// nothing when none does, with `why` saying why: the first reason of a
// reader that knew the file for its own but refused it (a 16-bit PNG, a
// damaged JPEG header), or that it is not a picture at all.
std::unique_ptr<ImageReader> accepting_reader(const SourceFile& source, ImageBuffer& target, std::string& why,
                                              const ReadOptions& options, PictureNotes* notes,
                                              const ProgressCallback& progress = nullptr) {
  why = kNotAPicture;
  bool explained = false;
  std::vector<ReaderEntry> readers(std::begin(kReaders), std::end(kReaders));
  if (options.more_kinds) readers.insert(readers.end(), std::begin(kMoreReaders), std::end(kMoreReaders));
  // The file's first bytes are read once; only a reader whose format they
  // could begin is asked to open it.
  const std::vector<uint8_t> head = head_of(source);
  for (const ReaderEntry& entry : readers) {
    if (!entry.looks_like(head)) continue;
    std::unique_ptr<ImageReader> reader = entry.make();
    if (!reader) {  // the module of more formats cannot be opened
      if (!explained) why = more_formats::unavailable();
      explained = true;
      continue;
    }
    if (notes != nullptr) *notes = {};  // nothing of a reader that declined the file
    reader->set_read_options(options, notes);
    if (reader->open(source, target, progress)) return reader;
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

std::unique_ptr<ImageReader> open_picture(const SourceFile& source, ImageBuffer& target, ResultCode& code,
                                          std::string& why, const ReadOptions& options, PictureNotes* notes,
                                          ProgressCallback progress) {
  why = source.failure();
  code = source.status();
  if (code != kLoaded) return nullptr;
  // The first reader that accepts the file decides the outcome; readers
  // that decline it leave nothing in the notes.
  std::unique_ptr<ImageReader> reader = accepting_reader(source, target, why, options, notes, progress);
  if (!reader) code = kUnreadable;
  return reader;
}

std::string read_failure(const ImageReader& reader) {
  return reader.failure().empty() ? "damaged picture data" : reader.failure();
}

ResultCode load_picture(const SourceFile& source, ImageBuffer& target, std::string* reason, const ReadOptions& options,
                        PictureNotes* notes) {
  std::string why;
  ResultCode code = kUnreadable;
  if (const std::unique_ptr<ImageReader> reader = open_picture(source, target, code, why, options, notes, nullptr)) {
    code = reader->read() ? kLoaded : kUnreadable;
    if (code != kLoaded) why = read_failure(*reader);
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
