#include "engine/jpeg/jpeg_reader.h"

#include <jerror.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <span>

#include "engine/jpeg/jpeg_bands.h"
#include "engine/jpeg/jpeg_markers.h"
#include "engine/source_file.h"
#include "engine/worker_pool.h"

namespace quorvant::engine::jpeg {

namespace {
// libjpeg's buffers besides the coefficients: rows of samples for each
// component (a few dozen rows for the largest sampling factors) and its
// tables. Measured at every sampling libjpeg-turbo decodes, they stay below
// 80 bytes a column of the picture and 60 KB besides; twice that is allowed.
constexpr uint64_t kLibraryBytesPerColumn = 160;
constexpr uint64_t kLibraryFixedBytes = 1 << 20;

// The most pixels one byte of a Huffman-coded file can describe: Huffman
// coding spends at least a bit on every 8 x 8 block (its DC difference). A
// header claiming more is declined before the picture's buffer is made.
// Arithmetic coding has no such floor (a flat picture of 8192 x 8192 fits
// in 125 bytes); its files are checked as they are decoded instead.
constexpr uint64_t kMostPixelsPerByteHuffman = 512;

// What libjpeg may allocate for an arithmetic-coded file of several scans.
// Without a floor on bytes a block, nothing in such a file vouches for the
// size its header claims, and all of its coefficients are set aside before
// its first scan is decoded.
constexpr uint64_t kMostArithmeticLibraryMemory = uint64_t{1} << 30;

// What the scans of a file may make the decoder do, counted in blocks
// decoded (about 30 ns a block even when its scan carries nothing for it).
// A scan decodes every block of its components, so a progression of many
// scans over a large picture keeps the decoder busy however valid it is.
// 100 passes over the picture cover any script libjpeg's own tools write
// (they take at most 100 scans); 2^22 blocks, about a tenth of a second,
// let a small picture have as many scans as a progression can hold.
constexpr uint64_t kMostPasses = 100;
constexpr uint64_t kMostBlocksAnyPicture = uint64_t{1} << 22;
constexpr char kTooManyPasses[] = "JPEG files whose scans decode the picture more than 100 times over are not read";

constexpr int kIccSegment = JPEG_APP0 + 2;

// From two megapixels on, a picture's bands on several threads gain more
// than their decompressors' set-up costs (a few milliseconds).
constexpr uint64_t kBandsFromPixels = 2'000'000;

constexpr int8_t kNoBitYet = -1;
constexpr int kEndOfImage = 0xD9;

uint64_t blocks_of(const jpeg_component_info& component) {
  return uint64_t{component.width_in_blocks} * component.height_in_blocks;
}

// libjpeg keeps the coefficients of every block of a file of several
// scans, each component's columns and rows of blocks rounded up to its
// sampling factors.
uint64_t coefficient_bytes(const jpeg_decompress_struct& d) {
  uint64_t bytes = 0;
  for (int c = 0; c < d.num_components; ++c) {
    const jpeg_component_info& component = d.comp_info[c];
    const auto round_up = [](uint64_t n, uint64_t to) { return (n + to - 1) / to * to; };
    bytes += round_up(component.width_in_blocks, static_cast<uint64_t>(component.h_samp_factor)) *
             round_up(component.height_in_blocks, static_cast<uint64_t>(component.v_samp_factor)) * sizeof(JBLOCK);
  }
  return bytes;
}

std::string mebibytes(uint64_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB"; }

// Carries the bits of the scan libjpeg has just started into `watch`; true
// when one of them is new: a coefficient no scan has carried yet, or a
// lower bit of one. A scan that carries nothing new could be repeated
// without end, each time decoding every block of its components.
bool adds_to_picture(ScanWatch& watch, const jpeg_decompress_struct& d) {
  // A sequential scan carries every coefficient to its last bit, whatever
  // its Ss, Se and Ah/Al bytes say (some encoders store zeros there).
  const int first = d.progressive_mode ? std::max(d.Ss, 0) : 0;
  const int last = d.progressive_mode ? std::min(d.Se, DCTSIZE2 - 1) : DCTSIZE2 - 1;
  const auto lowest = static_cast<int8_t>(d.progressive_mode ? d.Al : 0);
  bool adds = false;
  for (int i = 0; i < d.comps_in_scan; ++i) {
    std::array<int8_t, DCTSIZE2>& known = watch.lowest_bit[d.cur_comp_info[i]->component_index];
    for (int k = first; k <= last; ++k) {
      if (known[k] == kNoBitYet || lowest < known[k]) {
        known[k] = lowest;
        adds = true;
      }
    }
  }
  return adds;
}

// libjpeg calls this before it reads each row of each scan, so each scan is
// judged once its header has been read and before any of its data is
// decoded. libjpeg itself warns of a scan that contradicts the ones before
// it, not of one that repeats a coefficient already complete. With every
// scan adding a bit, a file holds at most components x 64 coefficients x
// 14 bits (Al runs from 13 to 0) scans.
void watch_scans(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  const auto& d = *reinterpret_cast<j_decompress_ptr>(cinfo);
  auto& watch = *reinterpret_cast<ScanWatch*>(cinfo->progress);
  if (d.input_scan_number == watch.scan) return;
  watch.scan = d.input_scan_number;
  if (!adds_to_picture(watch, d)) codecs::fail_operation(cinfo, "a scan that adds nothing to the scans before it");
  for (int i = 0; i < d.comps_in_scan; ++i) watch.blocks += blocks_of(*d.cur_comp_info[i]);
  if (watch.blocks > watch.most_blocks) {
    codecs::fail_operation(cinfo, kTooManyPasses, codecs::Failure::kNotRead);
  }
}

// The words of a refusal of a valid kind of file.
std::string not_read(const codecs::JpegErrors& errors) {
  const int parameter = errors.manager.msg_parm.i[0];
  switch (errors.code) {
    case 0:  // one of ours, already in these words
      return errors.message;
    case JERR_BAD_PRECISION:
      return "JPEG files of " + std::to_string(parameter) + " bits a sample are not read";
    case JERR_SOF_UNSUPPORTED:
      // The frame marker names the process: 0xC3, 0xC7, 0xCB and 0xCF are
      // lossless, the others that libjpeg declines hierarchical.
      return (parameter & 0x03) == 0x03 ? "lossless JPEG files are not read" : "hierarchical JPEG files are not read";
    case JERR_IMAGE_TOO_BIG:
      return "JPEG pictures of more than " + std::to_string(parameter) + " pixels a side are not read";
    case JERR_COMPONENT_COUNT:
      return "JPEG files of " + std::to_string(parameter) + " components are not read";
    default:
      return std::string("JPEG files of this kind are not read: ") + errors.message;
  }
}

}  // namespace

bool JpegReader::open_format(const SourceFile& source) {
  uint8_t signature[2];
  if (!file_.read_exact(signature, 2) || signature[0] != 0xFF || signature[1] != 0xD8 || !file_.seek(0)) return false;
  if (!read_header()) return false;
  width_ = static_cast<int32_t>(decompress_.output_width);
  height_ = static_cast<int32_t>(decompress_.output_height);
  colour_ = decompress_.output_components != 1;  // RGB, or CMYK made RGB
  if (bands_pay_off()) {
    band_source_ = source.duplicate();
    // Every helper's decompressor may be at work at once.
    band_working_bytes_ = working_bytes_ * (WorkerPool::shared().cores() - 1);
  }
  return true;
}

bool JpegReader::bands_pay_off() {
  return !jpeg_has_multiple_scans(&decompress_) && !decompress_.arith_code && !cmyk_ &&
         uint64_t{decompress_.output_width} * decompress_.output_height >= kBandsFromPixels &&
         WorkerPool::shared().cores() > 1;
}

PictureHeader JpegReader::header() const {
  // A CMYK file also has its four-component row and the converter's tables.
  const uint64_t cmyk_bytes = cmyk_ ? cmyk_row_.size() + colour::CmykToRgb::kWorkingBytes : 0;
  return {width_, height_, colour_ ? 24u : 8u, working_bytes_ + cmyk_bytes + band_working_bytes_};
}

bool JpegReader::read_header() {
  decompress_.err = codecs::install_errors(errors_, codecs::DamagedData::kFatal);
  if (setjmp(errors_.recovery) != 0) return fail(refusal());
  created_ = true;  // a zeroed object is safe to destroy even if creation fails
  jpeg_create_decompress(&decompress_);
  jpeg_stdio_src(&decompress_, file_.get());
  if (notes() != nullptr) {
    keep_note_segments(decompress_);
  } else if (read_options().more_kinds) {
    jpeg_save_markers(&decompress_, kIccSegment, 0xFFFF);  // a CMYK file's profile
  }
  jpeg_read_header(&decompress_, TRUE);
  if (notes() != nullptr) note_segments(decompress_, *notes());
  // A picture beyond the 32-bit limit is declined before any decoding.
  const uint32_t bits = decompress_.num_components == 1 ? 8 : 24;
  if (std::string why = picture_size_refusal(decompress_.image_width, decompress_.image_height, bits); !why.empty()) {
    return fail(std::move(why));
  }
  const std::optional<uint64_t> file_size = file_.size();
  if (!file_size) return fail(file_.failure());
  if (!decompress_.arith_code) {
    const uint64_t pixels = uint64_t{decompress_.image_width} * decompress_.image_height;
    if (std::string why = claimed_size_refusal("JPEG", pixels, *file_size, kMostPixelsPerByteHuffman); !why.empty()) {
      return fail(std::move(why));
    }
  }
  // Default output parameters: YCbCr and RGB files come out as RGB, grey
  // files as grey, CMYK files with four components, which become RGB here
  // when more kinds are asked for. Decompression starts in read(): for a
  // file of several scans, starting reads all of it.
  const bool cmyk = read_options().more_kinds && decompress_.num_components == 4 &&
                    (decompress_.jpeg_color_space == JCS_CMYK || decompress_.jpeg_color_space == JCS_YCCK);
  // libjpeg turns YCCK into CMYK itself.
  if (cmyk) decompress_.out_color_space = JCS_CMYK;
  jpeg_calc_output_dimensions(&decompress_);
  const int components = decompress_.output_components;
  if (cmyk) {
    prepare_cmyk();
  } else if (components != 1 && components != 3) {
    return fail("JPEG files of " + std::to_string(components) + " colour components" +
                (components == 4 ? " (CMYK)" : "") + " are not read");
  }
  return decompress_.output_width > 0 && decompress_.output_height > 0 &&
         set_limits(jpeg_has_multiple_scans(&decompress_));
}

void JpegReader::prepare_cmyk() {
  // Adobe's software, whose marker such files carry, stores 255 for no ink.
  const bool inverted = decompress_.saw_Adobe_marker != 0;
  if (notes() != nullptr) {
    cmyk_.emplace(notes()->icc_profile, inverted);
    // The pixels become RGB: a CMYK profile describes them no longer.
    notes()->icc_profile.clear();
  } else {
    JOCTET* profile = nullptr;
    unsigned int length = 0;
    // libjpeg may jump from here; nothing with a destructor is alive yet.
    if (!jpeg_read_icc_profile(&decompress_, &profile, &length)) profile = nullptr;
    const std::unique_ptr<JOCTET, decltype(&std::free)> owned(profile, &std::free);
    cmyk_.emplace(std::span<const uint8_t>(profile, profile != nullptr ? length : 0), inverted);
  }
  cmyk_row_.resize(static_cast<size_t>(decompress_.output_width) * 4);
}

// libjpeg sets aside the coefficients of a file of several scans when
// decompression starts; its cap on that (max_memory_to_use) is what the
// memory estimate counts, so a file the estimate has made room for is never
// refused for memory. A Huffman-coded header cannot claim more than its
// bytes vouch for (see read_header); an arithmetic-coded one can, so an
// arithmetic-coded file of several scans keeps a fixed cap.
bool JpegReader::set_limits(bool several_scans) {
  // A fourth component needs a third more of the rows libjpeg keeps.
  const uint64_t per_column = kLibraryBytesPerColumn + (cmyk_ ? kLibraryBytesPerColumn / 3 : 0);
  working_bytes_ =
      kLibraryFixedBytes + per_column * decompress_.output_width + (several_scans ? coefficient_bytes(decompress_) : 0);
  if (several_scans && decompress_.arith_code && working_bytes_ > kMostArithmeticLibraryMemory) {
    return fail("the JPEG picture needs " + mebibytes(working_bytes_) + " of working memory, more than the " +
                mebibytes(kMostArithmeticLibraryMemory) + " an arithmetic-coded file of several scans may have");
  }
  decompress_.mem->max_memory_to_use = static_cast<long>(working_bytes_);

  uint64_t blocks = 0;
  for (int c = 0; c < decompress_.num_components; ++c) blocks += blocks_of(decompress_.comp_info[c]);
  scan_watch_.most_blocks = std::max(kMostBlocksAnyPicture, kMostPasses * blocks);
  for (std::array<int8_t, DCTSIZE2>& component : scan_watch_.lowest_bit) component.fill(kNoBitYet);
  scan_watch_.manager.progress_monitor = watch_scans;
  decompress_.progress = &scan_watch_.manager;
  return true;
}

std::string JpegReader::refusal_of(const codecs::JpegErrors& errors) const {
  switch (errors.failure) {
    case codecs::Failure::kNotRead:
      return not_read(errors);
    case codecs::Failure::kMemoryLimit:
      return "the JPEG picture needs more than the " + mebibytes(working_bytes_) +
             " of working memory set aside for it";
    case codecs::Failure::kOutOfMemory:
      return "out of memory while reading the JPEG picture";
    case codecs::Failure::kDamaged:
      break;
  }
  return std::string("damaged JPEG data: ") + errors.message;
}

bool JpegReader::decode_rows() {
  if (setjmp(errors_.recovery) != 0) return fail(refusal());
  jpeg_start_decompress(&decompress_);
  check_scans_complete();
  // The first row is decoded before the picture's buffer is made, so that a
  // header claiming an enormous picture over a few bytes of broken data
  // fails before gigabytes are set aside for it.
  const size_t stride = static_cast<size_t>(width_) * (colour_ ? 3 : 1);
  first_row_.resize(stride);
  JSAMPROW first = cmyk_ ? cmyk_row_.data() : first_row_.data();
  jpeg_read_scanlines(&decompress_, &first, 1);
  if (cmyk_) cmyk_->convert(cmyk_row_.data(), first_row_.data(), static_cast<size_t>(width_));
  check_data_ending(0);
  if (!target_->create(width_, height_, colour_ ? 24 : 8, 0)) return fail(target_->failure());
  std::memcpy(target_->row(0), first_row_.data(), stride);
  first_row_ = {};
  report_progress(progress_, kPhaseReading, 1, height_);
  if (const unsigned helpers = band_source_ ? WorkerPool::shared().idle_helpers() : 0; helpers > 0) {
    // The bands decode every row with decompressors of their own.
    const jpeg::ScanGeometry geometry = jpeg::scan_geometry(decompress_);
    jpeg_abort_decompress(&decompress_);
    return decode_in_bands(geometry, helpers + 1);
  }
  // The other rows go straight into the picture: libjpeg's RGB order and its
  // one byte per grey pixel are the buffer's own layouts. CMYK rows pass
  // through a row of their own.
  while (decompress_.output_scanline < decompress_.output_height) {
    const auto y = static_cast<int32_t>(decompress_.output_scanline);
    JSAMPROW row = cmyk_ ? cmyk_row_.data() : target_->row(y);
    jpeg_read_scanlines(&decompress_, &row, 1);
    if (cmyk_) cmyk_->convert(cmyk_row_.data(), target_->row(y), static_cast<size_t>(width_));
    check_data_ending(y);
    report_progress(progress_, kPhaseReading, static_cast<int32_t>(decompress_.output_scanline), height_);
  }
  // Reading on to the end marker makes a damaged ending fail too.
  jpeg_finish_decompress(&decompress_);
  return true;
}

bool JpegReader::decode_in_bands(const jpeg::ScanGeometry& geometry, unsigned bands) {
  PositionedReader file(band_source_.duplicate());
  const jpeg::BandPlan plan = jpeg::plan_bands(file, geometry, bands);
  const std::string failure = jpeg::decode_in_bands(
      band_source_, working_bytes_, plan, *target_, WorkerPool::shared(),
      [this](const codecs::JpegErrors& errors) { return refusal_of(errors); },
      [this](int32_t rows) { report_progress(progress_, kPhaseReading, rows, height_); });
  if (!failure.empty()) return fail(failure);
  report_progress(progress_, kPhaseReading, height_, height_);
  return true;
}

// A Huffman-coded scan that runs out of data says so (a premature end of its
// data segment, made fatal). An arithmetic-coded scan does not: meeting a
// marker inside its data is legal, because encoders leave out the zero bytes
// at the end of the data, and the decoder goes on as if it were fed zeros.
// A flat stretch of picture codes to nothing but zeros, so a valid file may
// meet its end marker long before its last row (a flat 4096 x 4096 picture
// in 125 bytes meets it in the first row), and every row after that is one
// flat colour. A file cut short meets the marker too, but the rows it makes
// of the missing data are seldom flat. So: a marker other than a restart
// marker (in a file with restart intervals) or the end of the image is
// damage at once; so is the end of the
// file itself (no end marker) before the last block row; and after an end
// marker has been met, every row from two block rows later on (the rows
// between may still blend with the data before it) must be one colour. A
// file cut short and given an end marker whose missing part the decoder
// happens to make flat cannot be told from a picture with a flat bottom.
void JpegReader::check_data_ending(int32_t row) {
  if (!decompress_.arith_code || jpeg_has_multiple_scans(&decompress_)) return;
  if (flat_from_row_ < 0) {
    const int marker = decompress_.unread_marker;
    // A restart marker ends each interval of a file that has them.
    if (marker == 0 || (is_restart_marker(marker) && decompress_.restart_interval != 0)) return;
    if (marker != kEndOfImage) codecs::fail_operation(common(), "a marker inside the picture data");
    // The block row the decoder was in when it met the marker has just been
    // completed.
    const int block_row_height = decompress_.max_v_samp_factor * decompress_.min_DCT_scaled_size;
    flat_from_row_ = static_cast<int32_t>((decompress_.input_iMCU_row + 1) * block_row_height);
    // The file itself ended (no end marker, only the one libjpeg puts in its
    // place) before the last block row: cut short.
    if (errors_.ended_early && decompress_.input_iMCU_row < decompress_.total_iMCU_rows) {
      codecs::fail_operation(common(), "the file ends before the picture does");
    }
  }
  // Row 0 is never past a block row, so the picture's buffer exists here.
  if (row < flat_from_row_) return;
  const size_t pixel = colour_ ? 3 : 1;
  const uint8_t* flat = target_->row(flat_from_row_);
  const uint8_t* line = target_->row(row);
  for (size_t x = 0; x < target_->stride(); x += pixel) {
    if (std::memcmp(line + x, flat, pixel) != 0) {
      codecs::fail_operation(common(), "the picture data ends before the picture does");
    }
  }
}

// A file that ends without its end marker is damaged only when picture data
// is missing. In one scan, missing rows show as the decoder runs out of
// data (see check_data_ending). A file of several scans is read whole when
// decompression starts; it ended early when its progression is incomplete
// (a coefficient whose last bits never came), or, for sequential scans of
// one component each, always (a component may be missing entirely).
void JpegReader::check_scans_complete() {
  if (!errors_.ended_early || !jpeg_has_multiple_scans(&decompress_)) return;
  bool complete = decompress_.progressive_mode && decompress_.coef_bits != nullptr;
  for (int c = 0; complete && c < decompress_.num_components; ++c) {
    for (int k = 0; complete && k < DCTSIZE2; ++k) complete = decompress_.coef_bits[c][k] == 0;
  }
  if (!complete) codecs::fail_operation(common(), "the file ends before its last scan");
}

void JpegReader::close_format() {
  if (created_) jpeg_destroy_decompress(&decompress_);
  created_ = false;
  decompress_ = {};
  scan_watch_ = {};
  colour_ = true;
  working_bytes_ = 0;
  cmyk_.reset();
  cmyk_row_ = {};
  first_row_ = {};
  flat_from_row_ = -1;
  band_source_.reset();
  band_working_bytes_ = 0;
}

}  // namespace quorvant::engine::jpeg
