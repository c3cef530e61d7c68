#include "engine/tiff/tiff_reader.h"


#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/byte_order.h"
#include "engine/file.h"
#include "engine/format_signatures.h"
#include "engine/scratch_buffer.h"
#include "engine/tiff/cielab.h"
#include "engine/tiff/grey16.h"
#include "engine/tiff/tiff_metadata.h"
#include "engine/tiff/tiff_sizes.h"
#include "engine/tiff/tiff_support.h"

namespace quorvant::engine::tiff {

namespace {

// libtiff's RGBA interface multiplies the colours of a picture with
// unassociated alpha by their alpha, which blends them against black. The
// picture's alpha is dropped instead, so its colours are kept as stored:
// the alpha is declared associated (already multiplied) for this reading.
// Only the open handle changes, never the file. Returns the kind of the
// first extra sample as the file declares it (0 without extra samples): the
// only one the RGBA interface takes as alpha.
uint16_t keep_colours_as_stored(TIFF* tiff) {
  uint16_t count = 0;
  uint16_t* kinds = nullptr;
  if (TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) != 1 || count == 0) return 0;
  const uint16_t first = kinds[0];
  std::vector<uint16_t> declared(kinds, kinds + count);
  for (uint16_t& kind : declared) {
    if (kind == EXTRASAMPLE_UNASSALPHA) kind = EXTRASAMPLE_ASSOCALPHA;
  }
  TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, count, declared.data());
  return first;
}

struct OptionsFree {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

uint16_t load16(const uint8_t* p, bool big_endian) {
  return big_endian ? static_cast<uint16_t>(p[0] << 8 | p[1]) : load_le16(p);
}
uint32_t load32(const uint8_t* p, bool big_endian) {
  return big_endian ? uint32_t{load16(p, true)} << 16 | load16(p + 2, true) : load_le32(p);
}
uint64_t load64(const uint8_t* p, bool big_endian) {
  return big_endian ? uint64_t{load32(p, true)} << 32 | load32(p + 4, true)
                    : uint64_t{load_le32(p + 4)} << 32 | load_le32(p);
}

// The Photometric value the file's first directory stores, or 0xFFFF when
// it cannot be told. libtiff quietly reads a palette picture whose colour
// map it had to drop as grey; the stored value shows what the file meant.
uint16_t stored_photometric(File& file) {
  constexpr uint16_t kUnknown = 0xFFFF;
  constexpr uint16_t kPhotometricTag = 262;
  uint8_t header[16];
  if (!file || !file.read_exact(header, 8)) return kUnknown;
  const bool big_endian = header[0] == 'M';
  const uint16_t version = load16(header + 2, big_endian);
  const bool big_tiff = version == 43;
  if (big_tiff && !file.read_exact(header + 8, 8)) return kUnknown;
  const uint64_t directory = big_tiff ? load64(header + 8, big_endian) : load32(header + 4, big_endian);
  const size_t count_size = big_tiff ? 8 : 2;
  const size_t entry_size = big_tiff ? 20 : 12;
  uint8_t count_bytes[8];
  if (!file.seek(directory) || !file.read_exact(count_bytes, count_size)) return kUnknown;
  const uint64_t count = big_tiff ? load64(count_bytes, big_endian) : load16(count_bytes, big_endian);
  for (uint64_t i = 0; i < count && i < 4096; ++i) {
    uint8_t entry[20];
    if (!file.read_exact(entry, entry_size)) return kUnknown;
    if (load16(entry, big_endian) == kPhotometricTag) return load16(entry + (big_tiff ? 12 : 8), big_endian);
  }
  return kUnknown;
}

// Why the RGBA interface refuses a file, in libtiff's words: a kind it
// cannot handle ("Sorry, can not handle images with 32-bit samples") is not
// read; anything else, such as a required tag missing, is damage.
std::string rgba_refusal(std::string_view message) {
  constexpr std::string_view kSorry = "Sorry, ";
  const bool kind = message.starts_with(kSorry) || message.find("an not handle") != std::string_view::npos;
  if (message.starts_with(kSorry)) message.remove_prefix(kSorry.size());
  return (kind ? "TIFF pictures of this kind are not read: " : "damaged TIFF data: ") + std::string(message);
}

// The red, green and blue of libtiff's packed ABGR raster word; the alpha is
// dropped.
void put_rgb(uint32_t abgr, uint8_t* out) {
  out[0] = static_cast<uint8_t>(TIFFGetR(abgr));
  out[1] = static_cast<uint8_t>(TIFFGetG(abgr));
  out[2] = static_cast<uint8_t>(TIFFGetB(abgr));
}

// A colour multiplied by its alpha, divided again: c x 255 / a rounded, at
// most 255 (a damaged file may store more colour than alpha), 0 where
// nothing shows.
uint8_t unmultiplied(uint32_t colour, uint32_t alpha) {
  if (alpha == 0) return 0;
  return static_cast<uint8_t>(std::min<uint32_t>((colour * 255 + alpha / 2) / alpha, 255));
}

// Alpha, red, green and blue of the raster word, straight alpha. Colours
// stored multiplied by their alpha (associated alpha) are divided again;
// unassociated alpha reaches the raster unmultiplied (see
// keep_colours_as_stored).
void put_argb(uint32_t abgr, bool associated, uint8_t* out) {
  const uint32_t alpha = TIFFGetA(abgr);
  out[0] = static_cast<uint8_t>(alpha);
  if (associated) {
    out[1] = unmultiplied(TIFFGetR(abgr), alpha);
    out[2] = unmultiplied(TIFFGetG(abgr), alpha);
    out[3] = unmultiplied(TIFFGetB(abgr), alpha);
  } else {
    out[1] = static_cast<uint8_t>(TIFFGetR(abgr));
    out[2] = static_cast<uint8_t>(TIFFGetG(abgr));
    out[3] = static_cast<uint8_t>(TIFFGetB(abgr));
  }
}

// Whether the file starts with a TIFF or BigTIFF header, in either byte order.
bool starts_as_tiff(File& file) {
  uint8_t header[4];
  return file.read_exact(header, sizeof header) && looks_like_tiff(header);
}

// libtiff's file calls over a PositionedReader: reading only, never
// mapped, so a file cut short or rewritten while it is read is a read
// error, not a SIGBUS that ends the process.
tmsize_t read_client(thandle_t handle, void* bytes, tmsize_t size) {
  return static_cast<PositionedReader*>(handle)->read(bytes, static_cast<size_t>(size));
}

tmsize_t refuse_writing(thandle_t, void*, tmsize_t) {
  errno = EBADF;
  return -1;
}

toff_t file_size(thandle_t handle) { return static_cast<PositionedReader*>(handle)->size().value_or(0); }

toff_t seek_client(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<PositionedReader*>(handle);
  if (offset > static_cast<toff_t>(INT64_MAX)) {
    errno = EINVAL;
    return static_cast<toff_t>(-1);
  }
  return file->seek(static_cast<int64_t>(offset), whence) ? file->position() : static_cast<toff_t>(-1);
}

// The descriptor belongs to the reader, which closes it with the handle.
int keep_open(thandle_t) { return 0; }
int never_map(thandle_t, void**, toff_t*) { return 0; }
void nothing_mapped(thandle_t, void*, toff_t) {}

}  // namespace

File& TiffReader::header_stream() {
  file_.seek(0);
  return file_;
}

int TiffReader::note_error(TIFF*, void* self, const char*, const char* format, va_list arguments) {
  auto* reader = static_cast<TiffReader*>(self);
  if (reader->library_error_.empty()) {
    char message[256];
    std::vsnprintf(message, sizeof message, format, arguments);
    reader->library_error_ = message;
  }
  return 1;  // handled: the process-wide handlers hear nothing
}

bool TiffReader::open_format(const SourceFile& source) {
  path_ = source.path();
  source_size_ = source.size();
  client_ = PositionedReader(source.duplicate());
  if (!client_) return false;
  open_library();
  uint32_t width = 0;
  uint32_t height = 0;
  if (tiff_ == nullptr || TIFFGetField(tiff_, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
      TIFFGetField(tiff_, TIFFTAG_IMAGELENGTH, &height) != 1 || width == 0 || height == 0) {
    // A file that starts as a TIFF does says what libtiff found wrong.
    if (starts_as_tiff(header_stream())) {
      fail("damaged TIFF data" + (library_error_.empty() ? std::string() : ": " + library_error_));
    }
    return false;
  }
  // The picture and libtiff's 4-byte-per-pixel raster must both fit the
  // 32-bit limit.
  if (std::string why = picture_size_refusal(width, height, 32); !why.empty()) {
    return fail("TIFF pictures are read through a raster of 4 bytes a pixel: " + why);
  }
  stored_width_ = static_cast<int32_t>(width);
  stored_height_ = static_cast<int32_t>(height);
  TIFFGetFieldDefaulted(tiff_, TIFFTAG_ORIENTATION, &orientation_);
  transposed_ = orientation_ >= ORIENTATION_LEFTTOP && orientation_ <= ORIENTATION_LEFTBOT;
  if (!check_claims(width, height) || !begin_reading()) return false;
  // The picture as read, turned upright.
  width_ = transposed_ ? stored_height_ : stored_width_;
  height_ = transposed_ ? stored_width_ : stored_height_;
  if (PictureNotes* notes = this->notes(); notes != nullptr) {
    // The picture is turned upright as it is read.
    notes->orientation = 1;
    note_tiff_metadata(tiff_, header_stream(), *notes);
  }
  return true;
}

// libtiff over the client file, its first error kept for failure(). No
// single allocation of libtiff's may pass kMaxPixelBytes, the most the
// engine holds for any picture. The largest one a readable picture needs,
// its strip or tile, is refused above that with a reason before reading
// (begin_reading), so the cap stops only what damaged data asks for. A cap
// fitted to each picture would need the file opened twice, as the options
// are fixed at opening, and a guess at each codec's own buffers (LogLuv's
// take more than the strip they unpack to).
void TiffReader::open_library() {
  silence_libtiff();
  const std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
  if (!options) return;
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), note_error, this);
  TIFFOpenOptionsSetWarningHandlerExtR(
      options.get(), [](TIFF*, void*, const char*, const char*, va_list) { return 1; }, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(kMaxPixelBytes));
  // "m": read through read calls, never a mapping of the file.
  tiff_ = TIFFClientOpenExt(path_.c_str(), "rm", &client_, read_client, refuse_writing, seek_client, keep_open,
                            file_size, never_map, nothing_mapped, options.get());
}

// What the header claims, checked before anything is set aside for it: a
// kind the RGBA interface does not read is refused as such, then a picture
// the file is far too short to hold as damage.
bool TiffReader::check_claims(uint32_t width, uint32_t height) {
  uint16_t sample_format = SAMPLEFORMAT_UINT;
  TIFFGetFieldDefaulted(tiff_, TIFFTAG_SAMPLEFORMAT, &sample_format);
  if (sample_format == SAMPLEFORMAT_IEEEFP || sample_format == SAMPLEFORMAT_COMPLEXIEEEFP) {
    return fail("TIFF files of floating-point samples are not read");
  }
  char message[1024] = "";
  if (TIFFRGBAImageOK(tiff_, message) == 0) return fail(rgba_refusal(message));
  if (std::string why = claimed_picture_refusal(tiff_, width, height, source_size_); !why.empty()) return fail(why);
  return true;
}

// Sets the RGBA interface up as TIFFReadRGBAImageOriented would, top row
// first, with the engine's own L*a*b* conversion, and counts the buffers
// libtiff will read into.
bool TiffReader::begin_reading() {
  stored_alpha_ = keep_colours_as_stored(tiff_);
  // Asked for top row first, libtiff turns the raster upright for the
  // orientations that keep rows as rows (1 to 4). Orientations 5 to 8 store
  // columns as rows: libtiff is told the rows are plain (orientation 1, on
  // the open handle only) and the raster is turned by decode().
  if (transposed_) TIFFSetField(tiff_, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  char message[1024] = "";
  if (TIFFRGBAImageBegin(&rgba_, tiff_, 1, message) == 0) return fail(rgba_refusal(message));
  rgba_begun_ = true;
  rgba_.req_orientation = ORIENTATION_TOPLEFT;
  // An extra sample the file calls alpha, which the RGBA interface takes as
  // alpha too (it also takes an unspecified one that way, which is not).
  with_alpha_ = read_options().alpha && rgba_.alpha != 0 &&
                (stored_alpha_ == EXTRASAMPLE_ASSOCALPHA || stored_alpha_ == EXTRASAMPLE_UNASSALPHA);
  if (rgba_.photometric == PHOTOMETRIC_CIELAB && rgba_.isContig != 0) {
    if (const tileContigRoutine lab = lab_put_routine(rgba_.bitspersample); lab != nullptr) rgba_.put.contig = lab;
  }
  const bool grey = rgba_.photometric == PHOTOMETRIC_MINISBLACK || rgba_.photometric == PHOTOMETRIC_MINISWHITE;
  if (read_options().more_kinds && grey && rgba_.bitspersample == 16 && rgba_.isContig != 0) {
    rgba_.put.contig = put_grey16;
  }
  const uint64_t unpacked = unpacked_block_bytes(tiff_, rgba_);
  if (unpacked > kMaxPixelBytes) return fail("TIFF pictures whose strips or tiles hold more than 4 GiB are not read");
  library_buffers_ = unpacked + packed_block_bytes(tiff_, source_size_);
  return true;
}

uint64_t TiffReader::raster_bytes() const {
  return uint64_t{4} * static_cast<uint64_t>(stored_width_) * static_cast<uint64_t>(stored_height_);
}

PictureHeader TiffReader::header() const {
  const uint64_t working = raster_bytes() + library_buffers_;
  const uint32_t bits = with_alpha_ ? 32 : 24;
  return transposed_ ? PictureHeader{stored_height_, stored_width_, bits, working}
                     : PictureHeader{stored_width_, stored_height_, bits, working};
}

bool TiffReader::colour_map_missing() {
  uint16_t* red = nullptr;
  uint16_t* green = nullptr;
  uint16_t* blue = nullptr;
  return TIFFGetField(tiff_, TIFFTAG_COLORMAP, &red, &green, &blue) != 1 &&
         stored_photometric(header_stream()) == PHOTOMETRIC_PALETTE;
}

bool TiffReader::decode() {
  if (colour_map_missing()) return fail("damaged TIFF data: the palette picture's colour map is missing or cut off");
  const PictureHeader picture = header();
  if ((target_->bits() != picture.bits || target_->width() != picture.width ||
       target_->height() != picture.height) &&
      !target_->create(picture.width, picture.height, picture.bits, 0)) {
    return fail(target_->failure());
  }
  ScratchBuffer raster;
  if (!raster.create(raster_bytes(), "CSWCLASS")) return fail(raster.failure());
  auto* words = reinterpret_cast<uint32_t*>(raster.data());
  // A strip or tile that cannot be read fails the whole picture rather than
  // leaving a hole in it.
  if (TIFFRGBAImageGet(&rgba_, words, static_cast<uint32_t>(stored_width_), static_cast<uint32_t>(stored_height_)) ==
      0) {
    return fail("damaged TIFF data" + (library_error_.empty() ? std::string() : ": " + library_error_));
  }

  const bool associated = stored_alpha_ == EXTRASAMPLE_ASSOCALPHA;
  const bool with_alpha = with_alpha_;
  const size_t bytes = with_alpha ? 4 : 3;
  const auto put = [associated, with_alpha](uint32_t abgr, uint8_t* out) {
    if (with_alpha) {
      put_argb(abgr, associated, out);
    } else {
      put_rgb(abgr, out);
    }
  };
  if (!transposed_) {
    for (int32_t y = 0; y < picture.height; ++y) {
      const uint32_t* in = words + static_cast<size_t>(y) * static_cast<size_t>(stored_width_);
      uint8_t* out = target_->row(y);
      for (int32_t x = 0; x < picture.width; ++x, out += bytes) put(in[x], out);
      report_progress(progress_, kPhaseReading, y, picture.height);
    }
    return true;
  }
  // Which stored pixel shows at (x, y): the stored row is the column counted
  // from the left (5, 8) or the right (6, 7), the stored column is the row
  // counted from the top (5, 6) or the bottom (7, 8).
  const bool rows_from_right = orientation_ == ORIENTATION_RIGHTTOP || orientation_ == ORIENTATION_RIGHTBOT;
  const bool columns_from_bottom = orientation_ == ORIENTATION_RIGHTBOT || orientation_ == ORIENTATION_LEFTBOT;
  const auto stored_width = static_cast<size_t>(stored_width_);
  for (int32_t y = 0; y < picture.height; ++y) {
    const size_t column = static_cast<size_t>(columns_from_bottom ? picture.height - 1 - y : y);
    uint8_t* out = target_->row(y);
    for (int32_t x = 0; x < picture.width; ++x, out += bytes) {
      const size_t row = static_cast<size_t>(rows_from_right ? picture.width - 1 - x : x);
      put(words[row * stored_width + column], out);
    }
    report_progress(progress_, kPhaseReading, y, picture.height);
  }
  return true;
}

void TiffReader::close_format() {
  if (rgba_begun_) TIFFRGBAImageEnd(&rgba_);
  rgba_begun_ = false;
  rgba_ = {};
  if (tiff_ != nullptr) TIFFClose(tiff_);
  tiff_ = nullptr;
  client_ = {};
  path_.clear();
  source_size_ = 0;
  library_buffers_ = 0;
  stored_width_ = 0;
  stored_height_ = 0;
  transposed_ = false;
  stored_alpha_ = 0;
  with_alpha_ = false;
  orientation_ = ORIENTATION_TOPLEFT;
  library_error_.clear();
}

}  // namespace quorvant::engine::tiff
