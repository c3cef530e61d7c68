// The PNG reader's side of libpng: how its errors come back, its memory,
// and the file function it reads through.
//
// libpng reports an error by calling our error routine, which jumps back to
// the recovery point that the running codec operation set with setjmp. The
// same rules hold as for libjpeg: between setjmp and the jump lie only the
// function that set it, libpng's C frames and our small file functions,
// none of which keeps an object with a destructor alive; state lives in
// members, not in locals. No C++ exception travels through libpng.
#pragma once

#include <png.h>

#include <csetjmp>

#include "engine/file.h"

namespace quorvant::engine::png {

struct PngErrors {
  std::jmp_buf recovery;
  char message[128] = {};  // libpng's last error, for the failure's reason
};

// Keeps the message in errors->message and jumps to errors->recovery.
[[noreturn]] void jump_to_recovery(png_structp png, png_const_charp message);
// libpng's warnings are not shown either.
void ignore_warning(png_structp png, png_const_charp message);

// libpng's memory, with a ceiling on any single block. A damaged chunk
// length makes libpng ask for as much as 2 GiB before it finds the file too
// short (it only warns about a chunk above png_set_chunk_malloc_max, then
// allocates it anyway). Picture data is read a row at a time, so no real
// picture needs a block near the ceiling; a refused block is an error or a
// skipped chunk, as libpng decides.
inline constexpr png_alloc_size_t kLargestBlock = png_alloc_size_t{64} << 20;
png_voidp limited_malloc(png_structp png, png_alloc_size_t size);
void limited_free(png_structp png, png_voidp block);

// What libpng reads through. Once it has the last row, libpng goes on
// inflating whatever compressed data follows until the stream ends, a
// kilobyte at a time: a few megabytes of it can unpack to tens of gigabytes
// and keep the reader busy for minutes. So the compressed data read after
// the last row is counted, and beyond a margin it is an error.
struct PngInput {
  File* file = nullptr;
  png_uint_32 height = 0;  // 0 until the header is read
  bool interlaced = false;
  bool rows_complete = false;  // libpng has handed over every row
  uint64_t data_after_rows = 0;
  bool file_ended = false;     // a read met the end of the file
};

// The compressed data after the last row that a sound file may have: the
// end of the deflate stream, its checksum and what is left of the chunk.
inline constexpr uint64_t kMostDataAfterRows = uint64_t{64} << 10;

// The file function for png_set_read_fn; the io pointer is a PngInput. A
// short read is a libpng error.
void read_input(png_structp png, png_bytep data, size_t length);

}  // namespace quorvant::engine::png
