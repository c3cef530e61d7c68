// The body of a plain (text) portable anymap, formed in memory and handed to
// the file a row at a time. One stdio call per value, as a 3000 x 2000
// bitmap would otherwise make six million times, costs more than forming
// the text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/file.h"

namespace quorvant::engine::pnm {

// The decimal text of every sample value.
struct Decimal {
  char digits[3];
  uint8_t length;
};
constexpr std::array<Decimal, 256> make_decimals() {
  std::array<Decimal, 256> table{};
  for (int v = 0; v < 256; ++v) {
    Decimal& d = table[static_cast<size_t>(v)];
    if (v >= 100) d.digits[d.length++] = static_cast<char>('0' + v / 100);
    if (v >= 10) d.digits[d.length++] = static_cast<char>('0' + v / 10 % 10);
    d.digits[d.length++] = static_cast<char>('0' + v % 10);
  }
  return table;
}
inline constexpr std::array<Decimal, 256> kDecimals = make_decimals();

class PlainText {
 public:
  // `longest_row` bounds the bytes that one row of the picture adds.
  PlainText(File& file, size_t longest_row) : file_(file), text_(longest_row) {}

  // A sample value 0..255 in decimal, then `separator`.
  void value(uint8_t sample, char separator) {
    const Decimal& d = kDecimals[sample];
    for (uint8_t i = 0; i < d.length; ++i) text_[used_++] = d.digits[i];
    text_[used_++] = separator;
  }
  void character(char c, char separator) {
    text_[used_++] = c;
    text_[used_++] = separator;
  }

  // Writes the row's text out; called after each row.
  bool row_done() {
    const bool ok = file_.write_all(text_.data(), used_);
    used_ = 0;
    return ok;
  }

 private:
  File& file_;
  std::vector<char> text_;
  size_t used_ = 0;
};

}  // namespace quorvant::engine::pnm
