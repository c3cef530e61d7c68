#include "engine/png/png_writer.h"

#include <algorithm>
#include <array>
#include <vector>

#include "engine/byte_order.h"
#include "engine/colour/profiles.h"
#include "engine/png/image_data.h"
#include "engine/png/parallel_deflate.h"
#include "engine/png/png_chunks.h"
#include "engine/worker_pool.h"

namespace quorvant::engine::png {

namespace {

// libpng refuses larger headers unless told otherwise (its user limits).
constexpr int32_t kLargestSide = 1000000;

enum ColourType : uint8_t { kRgb = 2, kPalette = 3, kRgbAlpha = 6 };

std::array<uint8_t, 13> header(const ImageBuffer& picture, ColourType colour_type) {
  std::array<uint8_t, 13> ihdr{};
  store_be32(ihdr.data(), static_cast<uint32_t>(picture.width()));
  store_be32(ihdr.data() + 4, static_cast<uint32_t>(picture.height()));
  ihdr[8] = 8;  // bits per sample
  ihdr[9] = colour_type;
  ihdr[10] = 0;  // deflate
  ihdr[11] = 0;  // adaptive filtering
  ihdr[12] = 1;  // Adam7
  return ihdr;
}

constexpr char kXmpKeyword[] = "XML:com.adobe.xmp";

// A chunk of what the picture carries; left out when too large for one.
bool write_note_chunk(File& file, const char* type, std::span<const uint8_t> data) {
  return data.empty() || data.size() > kLargestChunkData || write_chunk(file, type, data);
}

// The colour profile, which must come before PLTE. Every colour type
// written here is RGB, so a profile of another colour space (a grey one)
// would contradict the file and is left out.
bool write_colour_profile(File& file, const PictureNotes& embedded) {
  if (embedded.icc_profile.empty() || !colour::is_rgb_profile(embedded.icc_profile)) return true;
  return write_note_chunk(file, "iCCP",
                          iccp_data(colour::profile_name(embedded.icc_profile), embedded.icc_profile));
}

// EXIF and XMP, before the picture data so that readers that stop there
// still find them.
bool write_metadata(File& file, const PictureNotes& embedded) {
  return write_note_chunk(file, "eXIf", embedded.exif) &&
         (embedded.xmp.empty() || write_note_chunk(file, "iTXt", itxt_data(kXmpKeyword, embedded.xmp)));
}

}  // namespace

WriterNeeds PngWriter::needs(const WriteSettings& settings) const {
  WriterNeeds needs;
  const bool palette = settings.bits == 8 && settings.palette_count >= 1 && settings.palette_count <= 256;
  needs.valid = palette || settings.bits == 24 || settings.bits == 32;
  needs.bits = settings.bits;
  needs.palette_count = palette ? settings.palette_count : 0;
  needs.largest_width = kLargestSide;
  needs.largest_height = kLargestSide;
  needs.limited_by = "PNG files are written up to a million pixels a side";
  return needs;
}

uint64_t PngWriter::working_memory(const WriteSettings& settings, int32_t width, int32_t) const {
  // A round of filtered rows with the history before it, its compressed
  // blocks (deflate's bound is a little over the input), each core's
  // deflate state (about 256 KiB at memory level 8) and row buffers.
  const uint64_t cores = WorkerPool::shared().cores();
  const uint64_t round = round_bytes(static_cast<unsigned>(cores)) + ParallelDeflate::kWindow;
  const uint64_t row = static_cast<uint64_t>(width) * (settings.bits / 8);
  return 2 * round + cores * ((256u << 10) + 4 * row);
}

bool PngWriter::write_body(File& file, const ImageBuffer& picture) {
  ColourType colour_type = kRgb;
  if (picture.bits() == 8) {
    colour_type = kPalette;
  } else if (picture.bits() == 32) {
    colour_type = kRgbAlpha;
  }
  const std::array<uint8_t, 13> ihdr = header(picture, colour_type);
  const PictureNotes* embedded = settings().embedded;
  bool ok = write_signature(file) && write_chunk(file, "IHDR", ihdr);
  if (ok && embedded != nullptr) ok = write_colour_profile(file, *embedded);
  if (ok && colour_type == kPalette) {
    const auto entries = picture.palette();
    std::vector<uint8_t> plte;
    for (size_t i = 0; i < std::min<size_t>(entries.size(), 256); ++i) {
      plte.insert(plte.end(), {entries[i].red, entries[i].green, entries[i].blue});
    }
    ok = write_chunk(file, "PLTE", plte);
  }
  if (ok && embedded != nullptr) ok = write_metadata(file, *embedded);
  ok = ok && write_image_data(file, picture, WorkerPool::shared(), [this](int32_t row) { row_written(row); }) &&
       write_chunk(file, "IEND", {});
  // A failed write of the file is the reason; otherwise zlib failed.
  return ok || fail(file.failure()) || fail("cannot compress the PNG picture data");
}

}  // namespace quorvant::engine::png
