// Loading any readable picture file into an image buffer.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/codec.h"
#include "engine/image_buffer.h"
#include "engine/result_codes.h"
#include "engine/source_file.h"

namespace quorvant::engine {

// Offers the file to each reader in turn (the order is in loader.cpp); the
// first that accepts it decodes it. Returns kLoaded (1) when the picture is
// in `target`, kSourceMissing when no file has that path, kUnreadable when
// the file cannot be opened, no reader accepts it or its reader fails. For
// anything but kLoaded, `reason` (when given) receives the cause in words.
ResultCode load_picture(const std::string& path, ImageBuffer& target, std::string* reason = nullptr);
// The same for a file already opened: nothing opens it again. `options` say
// what to make of the file beyond the plain picture; what it says besides
// its pixels goes into `notes` when options.notes asks for it.
ResultCode load_picture(const SourceFile& source, ImageBuffer& target, std::string* reason = nullptr,
                        const ReadOptions& options = {}, PictureNotes* notes = nullptr);

// The reader that accepts the file, open on it, for decoding into
// `target` with read(): load_picture in two steps, for a caller that
// starts on the header (or on the first rows, through `progress`) before
// the picture is whole. Nothing when no reader accepts the file or the
// file did not open: `why` then says why, and `code` is what load_picture
// would answer.
std::unique_ptr<ImageReader> open_picture(const SourceFile& source, ImageBuffer& target, ResultCode& code,
                                          std::string& why, const ReadOptions& options, PictureNotes* notes,
                                          ProgressCallback progress);

// Why `reader` failed to read its file, in words.
std::string read_failure(const ImageReader& reader);

// What the reader that would load the file finds in its header, without
// decoding the picture: nothing when no reader accepts the file, with
// `reason` (when given) saying why, as load_picture would with `options`.
std::optional<PictureHeader> read_picture_header(const SourceFile& source, std::string* reason = nullptr,
                                                 const ReadOptions& options = {});

}  // namespace quorvant::engine
