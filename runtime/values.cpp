#include "runtime/values.h"

#include <cstring>

#include "runtime/memory.h"
#include "runtime/runtime_error.h"

namespace quorvant::runtime {

namespace {

int32_t load32(const void* block, size_t at) {
  int32_t value = 0;
  std::memcpy(&value, static_cast<const char*>(block) + at, 4);
  return value;
}

size_t header_size(const void* block) { return 4 + 4 * static_cast<size_t>(std::max(0, load32(block, 0))); }

}  // namespace

size_t type_size(uint32_t type_tag) {
  switch (type_tag) {
    case tag::kByte:
      return 1;
    case tag::kShort:
      return 2;
    case tag::kInt:
    case tag::kFloat:
      return 4;
    case tag::kInt64:
    case tag::kDouble:
    case tag::kText:
    case tag::kByteSet:
    case tag::kSubroutine:
      return 8;
    default:
      return 0;
  }
}

char* make_text(std::string_view text) {
  if (text.empty()) return nullptr;
  auto* copy = static_cast<char*>(allocate(text.size() + 1));
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

void* make_array(int32_t count, size_t element_size) {
  const size_t bytes = 8 + static_cast<size_t>(std::max(0, count)) * element_size;
  void* block = allocate(bytes);
  std::memset(block, 0, bytes);
  const int32_t header[2] = {1, std::max(0, count)};
  std::memcpy(block, header, sizeof header);
  return block;
}

void* make_text_array(const std::vector<std::string>& texts) {
  void* block = make_array(static_cast<int32_t>(texts.size()), sizeof(char*));
  auto* elements = reinterpret_cast<char**>(static_cast<char*>(block) + 8);
  for (size_t i = 0; i < texts.size(); ++i) elements[i] = make_text(texts[i]);
  return block;
}

void* make_byte_array(std::span<const uint8_t> bytes) {
  void* block = make_array(static_cast<int32_t>(bytes.size()), 1);
  if (!bytes.empty()) std::memcpy(static_cast<char*>(block) + 8, bytes.data(), bytes.size());
  return block;
}

int64_t element_count(const void* block) {
  if (block == nullptr) return 0;
  const int32_t dimensions = load32(block, 0);
  int64_t count = dimensions > 0 ? 1 : 0;
  for (int32_t d = 0; d < dimensions; ++d) count *= std::max(0, load32(block, 4 + 4 * static_cast<size_t>(d)));
  return count;
}

void* array_element(void* block, int32_t number, size_t element_size) {
  if (number - 1 < 0) raise_runtime_error(4);
  if (number - 1 >= element_count(block)) raise_runtime_error(1);
  return static_cast<char*>(block) + header_size(block) + static_cast<size_t>(number - 1) * element_size;
}

void release_text_array(void* block) {
  if (block == nullptr || is_constant(block)) return;
  auto** elements = reinterpret_cast<char**>(static_cast<char*>(block) + header_size(block));
  for (int64_t i = 0; i < element_count(block); ++i) release(elements[i]);
  release(block);
}

}  // namespace quorvant::runtime
