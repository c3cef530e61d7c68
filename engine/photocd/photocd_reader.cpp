#include "engine/photocd/photocd_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/scratch_buffer.h"

namespace quorvant::engine::photocd {

namespace {

// Image packs are larger than this; smaller files are declined.
constexpr uint64_t kSmallestPack = 0xFFFFF;
constexpr uint64_t kSignatureAt = 0x800;
constexpr char kSignature[] = "PCD_IPI";

struct Resolution {
  int32_t width;
  int32_t height;
  uint64_t offset;
};
constexpr Resolution kResolutions[] = {{192, 128, 0x2000}, {384, 256, 0xB800}, {768, 512, 0x30000}};

// The neutral values of the two chroma components.
constexpr int kNeutralC1 = 156;
constexpr int kNeutralC2 = 137;

uint8_t to_sample(double value) { return static_cast<uint8_t>(std::clamp(std::floor(value + 0.5), 0.0, 255.0)); }

void put_pixel(uint8_t* p, int luma, int c1, int c2) {
  const double y = 1.407488 * luma;
  p[0] = to_sample(y + 1.3230336 * c2 + 0.0000256 * c1);
  p[1] = to_sample(y - (0.67392 * c2 + 0.3954176 * c1));
  p[2] = to_sample(y + 0.0000256 * c2 + 2.0360448 * c1);
}

}  // namespace

bool PhotoCdReader::open_format(const SourceFile&) {
  char signature[sizeof kSignature - 1] = {};
  const bool accepted = file_.size().value_or(0) > kSmallestPack && resolution_ >= 0 && resolution_ <= 2 &&
                        file_.seek(kSignatureAt) && file_.read_exact(signature, sizeof signature) &&
                        std::memcmp(signature, kSignature, sizeof signature) == 0;
  if (!accepted) return false;
  const Resolution& r = kResolutions[resolution_];
  width_ = r.width;
  height_ = r.height;
  offset_ = r.offset;
  return true;
}


bool PhotoCdReader::decode() {
  if (!target_->create(width_, height_, 24, 0)) return fail(target_->failure());
  const auto width = static_cast<size_t>(width_);
  // Each pair of rows is stored as the upper row's luma, the lower row's
  // luma, then one line of chroma: C1 and C2, one sample per 2 x 2 pixels.
  ScratchBuffer upper;
  ScratchBuffer lower;
  ScratchBuffer chroma;
  for (ScratchBuffer* line : {&upper, &lower, &chroma}) {
    if (!line->create(width, "CSWCLASS")) return fail(line->failure());
  }
  if (!file_.seek(offset_)) return fail(file_.failure());
  const uint8_t* c1 = chroma.data();
  const uint8_t* c2 = chroma.data() + width / 2;
  for (int32_t r = 0; r < height_; r += 2) {
    if (!file_.read_exact(upper.data(), width) || !file_.read_exact(lower.data(), width) ||
        !file_.read_exact(chroma.data(), width)) {
      return fail(file_.failure());
    }
    uint8_t* top = target_->row(r);
    uint8_t* bottom = target_->row(r + 1);
    for (size_t x = 0; x < width; ++x) {
      const int blue_difference = c1[x / 2] - kNeutralC1;
      const int red_difference = c2[x / 2] - kNeutralC2;
      put_pixel(top + 3 * x, upper.data()[x], blue_difference, red_difference);
      put_pixel(bottom + 3 * x, lower.data()[x], blue_difference, red_difference);
    }
    report_progress(progress_, kPhaseReading, r, height_);
  }
  return true;
}

void PhotoCdReader::close_format() { offset_ = 0; }

}  // namespace quorvant::engine::photocd
