#include "ui/form_reader/byte_io.h"

#include <cstring>

namespace quorvant::ui::form {

bool ByteReader::fail() {
  ok_ = false;
  return false;
}

std::span<const uint8_t> ByteReader::take(size_t count) {
  if (!ok_ || count > bytes_.size() - position_) {
    fail();
    return {};
  }
  const auto part = bytes_.subspan(position_, count);
  position_ += count;
  return part;
}

int32_t ByteReader::i32() {
  const auto b = take(4);
  if (b.empty()) return 0;
  return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
}

int16_t ByteReader::i16() {
  const auto b = take(2);
  if (b.empty()) return 0;
  return static_cast<int16_t>(b[0] | b[1] << 8);
}

Bytes ByteReader::counted_bytes() {
  const int32_t count = i32();
  if (count <= 0) return {};
  const auto part = take(static_cast<size_t>(count));
  return {part.begin(), part.end()};
}

std::string ByteReader::counted_text() {
  const Bytes bytes = counted_bytes();
  return {bytes.begin(), bytes.end()};
}

std::string ByteReader::c_string() {
  if (!ok_) return {};
  const auto rest = bytes_.subspan(position_);
  const auto* end = static_cast<const uint8_t*>(std::memchr(rest.data(), 0, rest.size()));
  if (end == nullptr) {
    fail();
    return {};
  }
  std::string text(reinterpret_cast<const char*>(rest.data()), static_cast<size_t>(end - rest.data()));
  position_ += text.size() + 1;
  return text;
}

std::vector<std::string> ByteReader::text_list() {
  const auto short_count = static_cast<uint16_t>(i16());
  const int64_t count = short_count == 0xFFFF ? i32() : short_count;
  std::vector<std::string> texts;
  // Every text takes at least its 4-byte count, which bounds a hostile count.
  for (int64_t i = 0; i < count && ok_; ++i) {
    if (remaining() < 4) {
      fail();
      break;
    }
    texts.push_back(counted_text());
  }
  return ok_ ? texts : std::vector<std::string>{};
}

void ByteWriter::i32(int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  out_.insert(out_.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                           static_cast<uint8_t>(v >> 24)});
}

void ByteWriter::i16(int16_t value) {
  const auto v = static_cast<uint16_t>(value);
  out_.insert(out_.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)});
}

void ByteWriter::counted(std::span<const uint8_t> data) {
  i32(static_cast<int32_t>(data.size()));
  bytes(data);
}

void ByteWriter::counted_text(const std::string& text) { counted(as_bytes(text)); }

void ByteWriter::c_string(const std::string& text) {
  bytes(as_bytes(text));
  out_.push_back(0);
}

void ByteWriter::text_list(const std::vector<std::string>& texts) {
  if (texts.size() >= 0xFFFF) {
    i16(static_cast<int16_t>(0xFFFF));
    i32(static_cast<int32_t>(texts.size()));
  } else {
    i16(static_cast<int16_t>(texts.size()));
  }
  for (const std::string& text : texts) counted_text(text);
}

void ByteWriter::patch_i32(size_t at, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (size_t i = 0; i < 4; ++i) out_[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

Bytes encode_text_list(const std::vector<std::string>& texts) {
  ByteWriter out;
  out.text_list(texts);
  return out.take();
}

std::optional<std::vector<std::string>> decode_text_list(std::span<const uint8_t> bytes) {
  ByteReader in(bytes);
  std::vector<std::string> texts = in.text_list();
  if (!in.ok() || in.remaining() != 0) return std::nullopt;
  return texts;
}

}  // namespace quorvant::ui::form
