#include "engine/jxl/jxl_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/metadata/exif_block.h"
#include "engine/whole_file.h"

namespace quorvant::engine::jxl {

namespace {

// Files are read whole into memory; larger ones are refused.
constexpr uint64_t kLargestFile = uint64_t{2} << 30;
// What libjxl may hold through its memory manager while it reads the
// header (a colour profile is the largest part).
constexpr uint64_t kHeaderBudget = uint64_t{256} << 20;
// Besides the picture, libjxl keeps a few 32-bit planes per channel, and
// some fixed room (group caches, tables, the notes).
constexpr uint64_t kBytesPerChannelSample = 12;
constexpr uint64_t kFixedWorkingBytes = uint64_t{64} << 20;

bool is_srgb(const JxlColorEncoding& colour) {
  return (colour.color_space == JXL_COLOR_SPACE_RGB || colour.color_space == JXL_COLOR_SPACE_GRAY) &&
         colour.white_point == JXL_WHITE_POINT_D65 &&
         (colour.color_space == JXL_COLOR_SPACE_GRAY || colour.primaries == JXL_PRIMARIES_SRGB) &&
         colour.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

// A big-endian 16-bit sample rounded to 8 bits.
uint8_t to_8_bits(const uint8_t* sample) {
  const uint32_t v = (uint32_t{sample[0]} << 8) | sample[1];
  return static_cast<uint8_t>((v * 255 + 32767) / 65535);
}

}  // namespace

bool JxlReader::load_file() {
  uint8_t start[12];
  const size_t got = std::fread(start, 1, sizeof start, file_.get());
  const JxlSignature signature = JxlSignatureCheck(start, got);
  if (signature != JXL_SIG_CODESTREAM && signature != JXL_SIG_CONTAINER) return false;
  std::string why;
  return read_whole_file(file_, "JPEG XL", bytes_, why, kLargestFile) || fail(std::move(why));
}

bool JxlReader::read_header() {
  budget_ = std::make_unique<MemoryBudget>(kHeaderBudget);
  decoder_.reset(JxlDecoderCreate(budget_->manager()));
  if (!decoder_) return fail("cannot start the JPEG XL decoder");
  JxlDecoder* decoder = decoder_.get();
  int events = JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE;
  if (notes() != nullptr) events |= JXL_DEC_BOX;
  if (JxlDecoderSubscribeEvents(decoder, events) != JXL_DEC_SUCCESS ||
      JxlDecoderSetParallelRunner(decoder, run_on_worker_pool, nullptr) != JXL_DEC_SUCCESS ||
      // The picture is turned upright as the file says (the default, kept
      // on purpose), and associated alpha becomes straight alpha.
      JxlDecoderSetKeepOrientation(decoder, JXL_FALSE) != JXL_DEC_SUCCESS ||
      JxlDecoderSetUnpremultiplyAlpha(decoder, JXL_TRUE) != JXL_DEC_SUCCESS ||
      JxlDecoderSetInput(decoder, bytes_.data(), bytes_.size()) != JXL_DEC_SUCCESS) {
    return fail("cannot start the JPEG XL decoder");
  }
  // Compressed metadata boxes are unpacked; without Brotli they are passed by.
  if (notes() != nullptr) JxlDecoderSetDecompressBoxes(decoder, JXL_TRUE);
  // The input is left open: the decoder then says it needs more where the
  // file is cut short, rather than failing as if the data were damaged.

  for (;;) {
    const JxlDecoderStatus event = next_event();
    if (event == JXL_DEC_BASIC_INFO) break;
    if (event == JXL_DEC_NEED_MORE_INPUT || event == JXL_DEC_SUCCESS) {
      return fail("damaged JPEG XL data: the file ends before its header does");
    }
    if (event != JXL_DEC_BOX) return fail("damaged JPEG XL data: the header cannot be read");
  }
  JxlBasicInfo info{};
  if (JxlDecoderGetBasicInfo(decoder, &info) != JXL_DEC_SUCCESS) {
    return fail("damaged JPEG XL data: the header cannot be read");
  }
  if (info.xsize > INT32_MAX || info.ysize > INT32_MAX) {
    return fail(picture_size_refusal(info.xsize, info.ysize, 24));
  }
  width_ = static_cast<int32_t>(info.xsize);
  height_ = static_cast<int32_t>(info.ysize);
  grey_ = info.num_color_channels == 1;
  keep_alpha_ = read_options().alpha && info.alpha_bits > 0;
  channels_ = info.num_color_channels + info.num_extra_channels;
  if (std::string why = picture_size_refusal(width_, height_, bits()); !why.empty()) return fail(std::move(why));

  // Deeper samples come as 16 bits and are rounded here; 8-bit ones come
  // as libjxl rounds them. 16-bit samples are asked for big-endian and read
  // byte by byte, whatever the machine's own order.
  const bool deeper = info.bits_per_sample > 8 || info.exponent_bits_per_sample > 0;
  format_ = {keep_alpha_ ? 4u : grey_ ? 1u : 3u, deeper ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8, JXL_BIG_ENDIAN, 0};
  return true;
}

uint64_t JxlReader::working_bytes() const {
  const uint64_t samples = static_cast<uint64_t>(width_) * static_cast<uint64_t>(height_) * std::max(channels_, 1u);
  return samples * kBytesPerChannelSample + kFixedWorkingBytes;
}

JxlDecoderStatus JxlReader::next_event() {
  for (;;) {
    const JxlDecoderStatus event = JxlDecoderProcessInput(decoder_.get());
    if (event != JXL_DEC_BOX && event != JXL_DEC_BOX_NEED_MORE_OUTPUT) {
      if (event == JXL_DEC_SUCCESS) boxes_.finish(decoder_.get());
      return event;
    }
    if (!boxes_.on_box_event(decoder_.get(), event)) return JXL_DEC_ERROR;
  }
}

bool JxlReader::decode() {
  // libjxl's own allocations may now grow with the picture.
  budget_->set_limit(kHeaderBudget + working_bytes());
  if (!target_->create(width_, height_, bits(), 0)) return fail(target_->failure());
  JxlDecoder* decoder = decoder_.get();
  bool picture_done = false;
  for (;;) {
    const JxlDecoderStatus event = next_event();
    if (event == JXL_DEC_COLOR_ENCODING) {
      if (notes() != nullptr) note_colour();
    } else if (event == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
      // The first frame is the picture; later frames of an animation are
      // passed by, as far as the metadata boxes after them.
      if (picture_done) {
        if (JxlDecoderSkipCurrentFrame(decoder) != JXL_DEC_SUCCESS) break;
      } else if (JxlDecoderSetImageOutCallback(decoder, &format_, take_pixels, this) != JXL_DEC_SUCCESS) {
        return fail("the JPEG XL decoder cannot give the picture in this form");
      }
    } else if (event == JXL_DEC_FULL_IMAGE) {
      picture_done = true;
      if (notes() == nullptr) break;
    } else if (event == JXL_DEC_SUCCESS) {
      break;
    } else if (picture_done) {
      boxes_.finish(decoder);
      // Damage after the picture costs only what the notes would have had
      // from there on.
      break;
    } else if (event == JXL_DEC_NEED_MORE_INPUT) {
      return fail("damaged JPEG XL data: the file ends before the picture does");
    } else if (budget_->exhausted()) {
      return fail("the JPEG XL picture needs more memory than its size allows");
    } else {
      return fail("damaged JPEG XL data: the picture cannot be decoded");
    }
  }
  if (!picture_done) return fail("damaged JPEG XL data: the file holds no picture");
  if (notes() != nullptr) note_boxes();
  return true;
}

void JxlReader::take_pixels(void* opaque, size_t x, size_t y, size_t count, const void* pixels) {
  auto* reader = static_cast<JxlReader*>(opaque);
  ImageBuffer& target = *reader->target_;
  if (y >= static_cast<size_t>(target.height()) || x >= static_cast<size_t>(target.width()) ||
      count > static_cast<size_t>(target.width()) - x) {
    return;
  }
  const uint32_t channels = reader->format_.num_channels;
  uint8_t* out = target.row(static_cast<int32_t>(y)) + x * (target.bits() / 8);
  if (reader->format_.data_type == JXL_TYPE_UINT8) {
    const auto* in = static_cast<const uint8_t*>(pixels);
    if (channels != 4) {
      std::memcpy(out, in, count * channels);
      return;
    }
    for (size_t i = 0; i < count; ++i, in += 4, out += 4) {
      out[0] = in[3];
      out[1] = in[0];
      out[2] = in[1];
      out[3] = in[2];
    }
    return;
  }
  const auto* in = static_cast<const uint8_t*>(pixels);
  if (channels != 4) {
    for (size_t i = 0; i < count * channels; ++i) out[i] = to_8_bits(in + 2 * i);
    return;
  }
  for (size_t i = 0; i < count; ++i, in += 8, out += 4) {
    out[0] = to_8_bits(in + 6);
    out[1] = to_8_bits(in);
    out[2] = to_8_bits(in + 2);
    out[3] = to_8_bits(in + 4);
  }
}

void JxlReader::note_colour() {
  // The profile of the pixels as they are given: the file's own, or the
  // colour space libjxl decodes a lossy file into. sRGB needs none.
  JxlDecoder* decoder = decoder_.get();
  JxlColorEncoding colour{};
  if (JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &colour) == JXL_DEC_SUCCESS &&
      is_srgb(colour)) {
    return;
  }
  size_t size = 0;
  if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS ||
      size == 0) {
    return;
  }
  std::vector<uint8_t> profile(size);
  if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, profile.data(), size) ==
      JXL_DEC_SUCCESS) {
    notes()->icc_profile = std::move(profile);
  }
}

void JxlReader::note_boxes() {
  PictureNotes& notes = *this->notes();
  // libjxl has turned the pixels as the codestream says, which overrules
  // any orientation the metadata gives: the metadata must say upright too.
  notes.orientation = 1;
  const metadata::ExifEdits upright{.reset_orientation = true};
  notes.exif = boxes_.exif();
  if (!notes.exif.empty() && metadata::exif_orientation(notes.exif) != 1) {
    notes.exif = metadata::edited_exif(notes.exif, upright);
  }
  notes.xmp = boxes_.xmp();
  if (!notes.xmp.empty()) notes.xmp = metadata::edited_xmp(notes.xmp, upright);
}

void JxlReader::close_format() {
  decoder_.reset();
  budget_.reset();
  bytes_ = {};
  boxes_ = {};
  format_ = {};
  grey_ = false;
  keep_alpha_ = false;
  channels_ = 0;
  progress_ = nullptr;
}

}  // namespace quorvant::engine::jxl
