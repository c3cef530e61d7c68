#include "engine/loader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "engine/bmp/bmp_reader.h"
#include "engine/file.h"
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

constexpr const char* kNotAPicture = "not a picture this program can read";

// Whether `path` is a regular file this process can open; otherwise the
// result code and why.
ResultCode check_source(const std::string& path, std::string& why) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) {
    if (path.empty() || errno == ENOENT || errno == ENOTDIR) return kSourceMissing;
    why = "cannot open " + path + ": " + std::strerror(errno);
    return kUnreadable;
  }
  // Folders, devices and pipes are not pictures; opening a pipe could block.
  if (!S_ISREG(info.st_mode)) {
    why = kNotAPicture;
    return kUnreadable;
  }
  // A file that cannot be opened at all (no permission, no descriptors
  // left) is not the same as a file no reader understands.
  if (File probe = File::open_read(path); !probe) {
    why = probe.failure();
    return kUnreadable;
  }
  return kLoaded;
}

}  // namespace

ResultCode load_picture(const std::string& path, ImageBuffer& target, std::string* reason) {
  std::string why;
  ResultCode code = check_source(path, why);
  if (code == kLoaded) {
    why = kNotAPicture;
    bool explained = false;
    for (ReaderFactory make : kReaders) {
      std::unique_ptr<ImageReader> reader = make();
      if (reader->open(path, target, nullptr)) {
        // The first reader that accepts the file decides the outcome.
        code = reader->read() ? kLoaded : kUnreadable;
        why = reader->failure().empty() ? "damaged picture data" : reader->failure();
        break;
      }
      // A reader that knew the file for its own but refused it says why
      // (a 16-bit PNG, a damaged JPEG header); the first such reason stands.
      if (!explained && !reader->failure().empty()) {
        why = reader->failure();
        explained = true;
      }
      code = kUnreadable;
    }
  }
  if (reason != nullptr) *reason = code == kLoaded ? std::string() : why;
  return code;
}

std::optional<PictureHeader> read_picture_header(const std::string& path) {
  std::string why;
  if (check_source(path, why) != kLoaded) return std::nullopt;
  ImageBuffer unused;
  for (ReaderFactory make : kReaders) {
    std::unique_ptr<ImageReader> reader = make();
    if (reader->open(path, unused, nullptr)) return reader->header();
  }
  return std::nullopt;
}

}  // namespace quorvant::engine
