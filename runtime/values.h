// Making and reading the texts and arrays that value records carry.
//
// A text is a zero-terminated UTF-8 byte string on the runtime heap; the
// empty text is the null pointer. An array block is one heap block: a 32-bit
// dimension count, one 32-bit size per dimension, then the elements (texts
// and other pointers take 8 bytes each).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/value_record.h"

namespace quorvant::runtime {

// The size of one element of an array of this type: byte 1, short 2, int
// and float 4, int64 and double 8, pointer types (text, byte set,
// subroutine) 8; 0 for any other tag.
size_t type_size(uint32_t type_tag);

// A new heap text, or null for the empty text.
char* make_text(std::string_view text);
// The bytes of a text (null: empty).
inline std::string_view text_of(const char* text) { return text == nullptr ? std::string_view{} : text; }
// A text record owning a new heap text.
inline ValueRecord text_record(std::string_view text) { return ValueRecord::of_text(make_text(text)); }

// A one-dimensional array block of `count` elements of `element_size` bytes,
// zero-filled.
void* make_array(int32_t count, size_t element_size);
// A one-dimensional text array: {1, n, n text pointers}, each a new text.
void* make_text_array(const std::vector<std::string>& texts);
// A one-dimensional byte array holding `bytes`.
void* make_byte_array(std::span<const uint8_t> bytes);

// The element count of an array block (the product of its sizes).
int64_t element_count(const void* block);
// The address of element `number` (counted from 1) of a one-dimensional
// array. Number below 1 is runtime error 4, past the count runtime error 1.
void* array_element(void* block, int32_t number, size_t element_size);

// Releases a text array: each element that is not null, then the block.
void release_text_array(void* block);

}  // namespace quorvant::runtime
