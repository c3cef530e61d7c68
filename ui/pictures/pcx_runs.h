// The run-length coding of PCX pixel data: a byte with its two top bits set
// repeats the next byte (its low six bits) times; any other byte stands for
// itself. Runs may carry over from one row into the next.
#pragma once

#include <cstdint>
#include <span>

namespace quorvant::ui::pictures {

class PcxRuns {
 public:
  explicit PcxRuns(std::span<const uint8_t> encoded) : encoded_(encoded) {}

  // Fills `row` with the next decoded bytes; false when the data ends first.
  bool read(std::span<uint8_t> row);
  // Steps over `count` decoded bytes, in time proportional to the encoded
  // bytes it consumes; false when the data ends first.
  bool skip(uint64_t count);

 private:
  // Makes the current run non-empty; false at the end of the data.
  bool refill();

  std::span<const uint8_t> encoded_;
  size_t position_ = 0;
  uint8_t run_value_ = 0;
  uint64_t run_left_ = 0;
};

}  // namespace quorvant::ui::pictures
