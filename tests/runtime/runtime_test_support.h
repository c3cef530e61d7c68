// The runtime as the runtime tests see it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "runtime/runtime.h"

namespace quorvant::testing {

inline constexpr uint32_t kWindow = 0x52010001;
inline constexpr uint32_t kOwn = 0x06010000;
inline constexpr uint32_t kList = 0x16010289;
inline constexpr uint32_t kDialog = 0x160102A5;
inline constexpr uint32_t kEdit = 0x160102A8;
inline constexpr uint32_t kListType = 0x0001000F;
inline constexpr uint32_t kDialogType = 0x0001001F;
inline constexpr uint32_t kWindowType = 0x00010001;

// DLL table entries of the test program.
enum DllEntryNumber : int32_t {
  kStrlenAnywhere,    // no library named: the default search
  kStrlenInKernel32,  // the C library under its original name
  kMissingAnywhere,   // a function no library has
  kMissingInUser32,   // a function the shim lacks
  kOrdinal,           // "#3": ordinals are never found
  kSetWindowLong,
  kSetLayeredAttributes,
  kCreateRoundRectRegion,
  kSetWindowRegion,
  kBrowseForFolder,
  kPathFromItem,
  kSendMessage,
};

void initialise_test_runtime();
platform::ScriptedDialogs& test_dialogs();
platform::RecordingDesktop& test_desktop();

// A control reference record.
runtime::ValueRecord reference(uint32_t type_id, uint32_t element_id);

}  // namespace quorvant::testing
