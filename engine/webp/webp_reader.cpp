#include "engine/webp/webp_reader.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/metadata/exif_block.h"
#include "engine/webp/webp_threads.h"
#include "engine/worker_pool.h"

namespace quorvant::engine::webp {

namespace {

// "RIFF", the RIFF size, "WEBP".
constexpr size_t kSignatureBytes = 12;
// Enough for the RIFF header and the first chunk's header in every kind of
// WebP file (VP8X, VP8 or VP8L); more is read when libwebp asks for it.
constexpr size_t kHeaderBytes = 64;

struct DemuxDeleter {
  void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
using Demuxer = std::unique_ptr<WebPDemuxer, DemuxDeleter>;

struct AnimDecoderDeleter {
  void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};
using AnimDecoder = std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter>;

std::string status_words(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return "out of memory";
    case VP8_STATUS_INVALID_PARAM: return "an invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR: return "the compressed data is damaged";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "a feature that is not supported";
    case VP8_STATUS_SUSPENDED: return "the decoding was suspended";
    case VP8_STATUS_USER_ABORT: return "the decoding was stopped";
    case VP8_STATUS_NOT_ENOUGH_DATA: return "the file ends too early";
    default: return "an unknown error";
  }
}

bool has_webp_signature(const uint8_t* bytes) {
  return std::memcmp(bytes, "RIFF", 4) == 0 && std::memcmp(bytes + 8, "WEBP", 4) == 0;
}

std::vector<uint8_t> chunk_bytes(const WebPDemuxer* demux, const char* fourcc) {
  WebPChunkIterator chunk;
  std::vector<uint8_t> bytes;
  if (WebPDemuxGetChunk(demux, fourcc, 1, &chunk) != 0) {
    bytes.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
  }
  WebPDemuxReleaseChunkIterator(&chunk);
  return bytes;
}

// Some writers keep JPEG's "Exif\0\0" before the TIFF structure.
void drop_exif_prefix(std::vector<uint8_t>& exif) {
  constexpr uint8_t kPrefix[] = {'E', 'x', 'i', 'f', 0, 0};
  if (exif.size() >= sizeof kPrefix && std::equal(std::begin(kPrefix), std::end(kPrefix), exif.begin())) {
    exif.erase(exif.begin(), exif.begin() + sizeof kPrefix);
  }
}

}  // namespace

bool WebpReader::read_features() {
  file_size_ = file_.size().value_or(0);
  if (file_size_ < kSignatureBytes) return false;
  data_.resize(std::min<uint64_t>(file_size_, kHeaderBytes));
  if (!file_.read_exact(data_.data(), data_.size()) || !has_webp_signature(data_.data())) return false;

  WebPBitstreamFeatures features;
  VP8StatusCode status = WebPGetFeatures(data_.data(), data_.size(), &features);
  // Chunks before the picture's own (VP8X's options) may need more bytes.
  while (status == VP8_STATUS_NOT_ENOUGH_DATA && data_.size() < file_size_) {
    const size_t had = data_.size();
    data_.resize(static_cast<size_t>(std::min<uint64_t>(file_size_, had * 4)));
    if (!file_.read_exact(data_.data() + had, data_.size() - had)) return fail(file_.failure());
    status = WebPGetFeatures(data_.data(), data_.size(), &features);
  }
  if (status != VP8_STATUS_OK) return fail("damaged WebP data: " + status_words(status));
  width_ = features.width;
  height_ = features.height;
  animated_ = features.has_animation != 0;
  // An animation's canvas is transparent where its first frame does not
  // reach, whether or not the frames themselves have alpha.
  keep_alpha_ = read_options().alpha && (features.has_alpha != 0 || animated_);
  std::string why = picture_size_refusal(width_, height_, bits());
  return why.empty() || fail(std::move(why));
}

PictureHeader WebpReader::header() const {
  // The file's bytes, and for an animation the decoder's canvas and the
  // one it keeps of the frame before.
  uint64_t working = file_size_;
  if (animated_) working += 2 * checked_pixel_bytes(width_, height_, 32);
  return {width_, height_, bits(), working};
}

bool WebpReader::decode() {
  if (!read_whole_file() || !check_chunks()) return false;
  if (target_->width() != width_ || target_->height() != height_ || target_->bits() != bits()) {
    if (!target_->create(width_, height_, bits(), 0)) return fail(target_->failure());
  }
  return animated_ ? decode_first_frame() : decode_still();
}

bool WebpReader::read_whole_file() {
  const size_t had = data_.size();
  data_.resize(static_cast<size_t>(file_size_));
  return file_.read_exact(data_.data() + had, data_.size() - had) || fail(file_.failure());
}

bool WebpReader::check_chunks() {
  // The chunks are taken apart before the picture is set aside, so that a
  // few bytes claiming a large canvas and holding no picture cost nothing.
  const WebPData whole{data_.data(), data_.size()};
  const Demuxer demux(WebPDemux(&whole));
  if (!demux) return fail("damaged WebP data: the file's chunks are damaged or cut short");
  WebPIterator frame;
  const bool has_frame = WebPDemuxGetFrame(demux.get(), 1, &frame) != 0;
  WebPDemuxReleaseIterator(&frame);
  if (!has_frame) return fail("damaged WebP data: the file holds no picture");
  if (notes() == nullptr) return true;
  PictureNotes& notes = *this->notes();
  notes.icc_profile = chunk_bytes(demux.get(), "ICCP");
  notes.exif = chunk_bytes(demux.get(), "EXIF");
  drop_exif_prefix(notes.exif);
  notes.xmp = chunk_bytes(demux.get(), "XMP ");
  if (!notes.exif.empty()) notes.orientation = metadata::exif_orientation(notes.exif);
  return true;
}

bool WebpReader::decode_still() {
  WebPDecoderConfig config;
  if (WebPInitDecoderConfig(&config) == 0) return fail("the WebP library does not match its header");
  config.output.colorspace = keep_alpha_ ? MODE_ARGB : MODE_RGB;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = target_->pixels();
  config.output.u.RGBA.stride = static_cast<int>(target_->stride());
  config.output.u.RGBA.size = target_->pixel_bytes();
  VP8StatusCode status = VP8_STATUS_OK;
  run_with_one_extra_thread(WorkerPool::shared(), [&](bool extra_thread) {
    config.options.use_threads = extra_thread ? 1 : 0;
    status = WebPDecode(data_.data(), data_.size(), &config);
  });
  WebPFreeDecBuffer(&config.output);
  return status == VP8_STATUS_OK || fail("damaged WebP data: " + status_words(status));
}

bool WebpReader::decode_first_frame() {
  WebPAnimDecoderOptions options;
  if (WebPAnimDecoderOptionsInit(&options) == 0) return fail("the WebP library does not match its header");
  options.color_mode = MODE_RGBA;
  const WebPData whole{data_.data(), data_.size()};
  bool ok = false;
  run_with_one_extra_thread(WorkerPool::shared(), [&](bool extra_thread) {
    options.use_threads = extra_thread ? 1 : 0;
    const AnimDecoder decoder(WebPAnimDecoderNew(&whole, &options));
    if (!decoder) return;
    WebPAnimInfo info;
    if (WebPAnimDecoderGetInfo(decoder.get(), &info) == 0 || static_cast<int32_t>(info.canvas_width) != width_ ||
        static_cast<int32_t>(info.canvas_height) != height_) {
      return;
    }
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) == 0) return;
    // The canvas is RGBA, row after row without padding.
    const uint8_t* from = canvas;
    for (int32_t y = 0; y < height_; ++y) {
      uint8_t* to = target_->row(y);
      for (int32_t x = 0; x < width_; ++x, from += 4) {
        if (keep_alpha_) *to++ = from[3];
        *to++ = from[0];
        *to++ = from[1];
        *to++ = from[2];
      }
    }
    ok = true;
  });
  return ok || fail("damaged WebP data: the first frame of the animation cannot be decoded");
}

void WebpReader::close_format() {
  file_size_ = 0;
  data_ = {};
  animated_ = false;
  keep_alpha_ = false;
  progress_ = nullptr;
}

}  // namespace quorvant::engine::webp
