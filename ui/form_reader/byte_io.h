// Little-endian reading and writing of the form template's encodings.
//
//   int32 / uint32 / int16   little-endian
//   counted                  int32 byte count, then the bytes; a count of 0
//                            or less is empty and followed by nothing
//   C string                 bytes up to and including a 0 byte
//   text list                16-bit count (0xFFFF: an int32 count follows),
//                            then that many counted texts
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorvant::ui::form {

using Bytes = std::vector<uint8_t>;

// Reads from a fixed span. A read past the end sets the failed state and
// returns zero values; once failed, every later read fails too.
class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool ok() const { return ok_; }
  size_t position() const { return position_; }
  size_t remaining() const { return ok_ ? bytes_.size() - position_ : 0; }

  int32_t i32();
  uint32_t u32() { return static_cast<uint32_t>(i32()); }
  int16_t i16();
  // The next `count` bytes, or an empty span when fewer remain.
  std::span<const uint8_t> take(size_t count);
  void skip(size_t count) { take(count); }
  std::string counted_text();
  Bytes counted_bytes();
  std::string c_string();
  std::vector<std::string> text_list();

 private:
  bool fail();
  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
  bool ok_ = true;
};

class ByteWriter {
 public:
  void i32(int32_t value);
  void u32(uint32_t value) { i32(static_cast<int32_t>(value)); }
  void i16(int16_t value);
  void bytes(std::span<const uint8_t> data) { out_.insert(out_.end(), data.begin(), data.end()); }
  void zeros(size_t count) { out_.insert(out_.end(), count, 0); }
  void counted(std::span<const uint8_t> data);
  void counted_text(const std::string& text);
  void c_string(const std::string& text);
  void text_list(const std::vector<std::string>& texts);
  // Overwrites an int32 written earlier (a length that is known only later).
  void patch_i32(size_t at, int32_t value);

  size_t size() const { return out_.size(); }
  const Bytes& data() const { return out_; }
  Bytes take() { return std::move(out_); }

 private:
  Bytes out_;
};

// A text list on its own, as a property holding one is handed around
// whole; nothing when the bytes are not exactly one text list.
Bytes encode_text_list(const std::vector<std::string>& texts);
std::optional<std::vector<std::string>> decode_text_list(std::span<const uint8_t> bytes);

inline std::span<const uint8_t> as_bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace quorvant::ui::form
