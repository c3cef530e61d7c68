// Reads the primary picture of HEIC files with libheif: 8 bits a sample,
// or 10 and 12 rounded to 8; into 24 bits, or 32 bits (straight alpha) when
// the file has transparency and it is kept. libheif applies the file's
// crop, rotation and mirroring, so the picture comes out as it is meant to
// be shown; the notes get the colour profile, EXIF and XMP.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <libheif/heif.h>

#include "engine/file_reader.h"
#include "engine/library_threads.h"

namespace quorvant::engine::heif {

class HeifReader final : public FileReader {
 public:
  ~HeifReader() override { close(); }
  PictureHeader header() const override;

 private:
  struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
  };
  struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
  };

  // Accepts HEIF files of HEVC pictures (AVIF files are the AVIF reader's).
  bool open_format(const SourceFile& source) override;
  bool decode() override;
  void close_format() override;
  bool parse();
  void note_metadata();

  // libheif reads the file where it lies: the bytes outlive the context.
  std::vector<uint8_t> bytes_;
  // The decoder's threads, leased while the context lives (declared first:
  // destroyed last).
  std::optional<LibraryThreads> threads_;
  std::unique_ptr<heif_context, ContextDeleter> context_;
  std::unique_ptr<heif_image_handle, HandleDeleter> handle_;
  bool keep_alpha_ = false;
  int depth_ = 8;
};

}  // namespace quorvant::engine::heif
