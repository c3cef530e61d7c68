// Value records: the tagged values that carry every argument and result
// between application code, the runtime and the libraries (the engine's
// conversion commands among them).
//
// Ownership, written once for every user of this header:
// - A text or array that a command *returns* belongs to the receiver, which
//   releases it with the runtime's release entry.
// - A text or array passed as an *argument* is only borrowed: the command
//   copies whatever it wants to keep.
// - The empty text is the null pointer.
#pragma once

#include <cstdint>

namespace quorvant::runtime {

// Type tags. A tag with kArrayFlag added marks an array of that type; a
// control type id (library number << 16 | type number) as tag makes a
// control reference.
namespace tag {
inline constexpr uint32_t kOmitted = 0;
inline constexpr uint32_t kBool = 0x80000002;
inline constexpr uint32_t kDateTime = 0x80000003;
inline constexpr uint32_t kText = 0x80000004;
inline constexpr uint32_t kByteSet = 0x80000005;
inline constexpr uint32_t kSubroutine = 0x80000006;
inline constexpr uint32_t kByte = 0x80000101;
inline constexpr uint32_t kShort = 0x80000201;
inline constexpr uint32_t kInt = 0x80000301;
inline constexpr uint32_t kInt64 = 0x80000401;
inline constexpr uint32_t kFloat = 0x80000501;
inline constexpr uint32_t kDouble = 0x80000601;
inline constexpr uint32_t kArrayFlag = 0x20000000;
}  // namespace tag

// Three 32-bit words. On 64 bits the value word and the second word together
// hold one 64-bit payload (value = low half, second = high half): int64,
// double, date-time and every pointer (text, byte set, array, subroutine).
// A control reference keeps the window id in the value word and the control
// id in the second word.
struct ValueRecord {
  uint32_t value = 0;
  uint32_t second = 0;
  uint32_t tag = tag::kOmitted;

  uint64_t payload() const { return (static_cast<uint64_t>(second) << 32) | value; }
  void set_payload(uint64_t bits) {
    value = static_cast<uint32_t>(bits);
    second = static_cast<uint32_t>(bits >> 32);
  }

  int32_t as_int() const { return static_cast<int32_t>(value); }
  // Booleans are 0 or 1 and are tested by comparing with 1.
  bool is_true() const { return value == 1; }
  void* as_pointer() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(payload())); }
  const char* as_text() const { return static_cast<const char*>(as_pointer()); }

  static ValueRecord of_int(int32_t v) { return {static_cast<uint32_t>(v), 0, tag::kInt}; }
  static ValueRecord of_bool(bool v) { return {v ? 1u : 0u, 0, tag::kBool}; }
  static ValueRecord of_pointer(const void* p, uint32_t type_tag) {
    ValueRecord r;
    r.set_payload(reinterpret_cast<uintptr_t>(p));
    r.tag = type_tag;
    return r;
  }
  // The record borrows the text; it does not copy it.
  static ValueRecord of_text(const char* text) { return of_pointer(text, tag::kText); }
};
static_assert(sizeof(ValueRecord) == 12, "a value record is three 32-bit words");

// A command of the core or of a library. The caller zeroes *result, passes
// one record for every declared parameter (an omitted optional argument as a
// zero record) and reads the result's three words afterwards.
using CommandEntry = void (*)(ValueRecord* result, int32_t argument_count, ValueRecord* arguments);

struct CommandInfo {
  const char* name;
  CommandEntry entry;
};

// A library's notification routine, called with (code, value, extra): code 1
// at start-up, when value carries the runtime's service routine, and code 6
// when the program ends. value and extra are pointer-sized so that a routine
// address fits on 64 bits.
using NotificationEntry = int32_t (*)(int32_t code, intptr_t value, intptr_t extra);

// How a library describes itself to the runtime.
struct LibraryRecord {
  const char* name;
  const CommandInfo* commands;
  int32_t command_count;
  NotificationEntry notify;
};

}  // namespace quorvant::runtime
