#include "engine/loader.h"

#include <sys/stat.h>

#include <memory>

#include "engine/bmp/bmp_reader.h"
#include "engine/codec.h"
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

}  // namespace

ResultCode load_picture(const std::string& path, ImageBuffer& target) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return kSourceMissing;
  // Folders, devices and pipes are not pictures; opening a pipe could block.
  if (!S_ISREG(info.st_mode)) return kUnreadable;

  for (ReaderFactory make : kReaders) {
    std::unique_ptr<ImageReader> reader = make();
    if (reader->open(path, target, nullptr)) {
      // The first reader that accepts the file decides the outcome.
      return reader->read() ? kLoaded : kUnreadable;
    }
  }
  return kUnreadable;
}

}  // namespace quorvant::engine
