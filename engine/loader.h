// Loading any readable picture file into an image buffer.
#pragma once

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

// What the reader that would load the file finds in its header, without
// decoding the picture: nothing when no reader accepts the file, with
// `reason` (when given) saying why, as load_picture would with `options`.
std::optional<PictureHeader> read_picture_header(const SourceFile& source, std::string* reason = nullptr,
                                                 const ReadOptions& options = {});

}  // namespace quorvant::engine
