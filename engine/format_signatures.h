// How each format's files begin: the cheap test the loader makes of a
// file's first bytes before it offers the file to a reader, so that only
// the reader of the file's own format opens it. Each test is a necessary
// condition of its reader's acceptance, never a sufficient one: a file that
// passes may still be refused by the reader.
#pragma once

#include <cstdint>
#include <span>

namespace quorvant::engine {

// What the loader reads of every file: enough for every test (PhotoCD's
// signature lies 2048 bytes in).
inline constexpr size_t kSignatureBytes = 4096;

using Head = std::span<const uint8_t>;

bool looks_like_jpeg(Head head);     // FF D8
bool looks_like_bmp(Head head);      // "BM", or OS/2's "BA"
bool looks_like_tiff(Head head);     // "II" 42 or 43, "MM" 42 or 43
bool looks_like_png(Head head);      // PNG's eight-byte signature
bool looks_like_pcx(Head head);      // the manufacturer byte, 10
bool looks_like_photocd(Head head);  // "PCD_IPI" at 2048
bool looks_like_webp(Head head);     // "RIFF" size "WEBP"
bool looks_like_heif(Head head);     // an ISO "ftyp" box (AVIF and HEIC alike)
bool looks_like_gif(Head head);      // "GIF87a" or "GIF89a"
bool looks_like_jxl(Head head);      // FF 0A, or the JPEG XL container's signature box

}  // namespace quorvant::engine
