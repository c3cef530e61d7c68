// What the program addresses: the main window and its elements (by the ids
// its template gives them), property indices, and its library and DLL
// tables.
#pragma once

#include <cstdint>

#include "forms/main_window_ids.h"
#include "ui/form_reader/ids.h"

namespace quorvant::app {

inline constexpr uint32_t kMainWindow = forms::kMainWindowId;
namespace element = forms::element_id;

// Property indices.
namespace property {
inline constexpr int32_t kWidth = 2;
inline constexpr int32_t kHeight = 3;
inline constexpr int32_t kVisible = 5;
inline constexpr int32_t kDisabled = 6;
inline constexpr int32_t kText = 8;  // content of an edit box, caption of a label
inline constexpr int32_t kFileName = 10;
inline constexpr int32_t kChecked = 18;
inline constexpr int32_t kWindowPosition = 18;
inline constexpr int32_t kSliderPosition = 19;
}  // namespace property

// Positions in the program's library table.
namespace library {
inline constexpr int32_t kThreads = 0;
inline constexpr int32_t kInterface = 1;
inline constexpr int32_t kEngine = 2;
}  // namespace library

// Positions in the program's DLL table.
namespace dll {
inline constexpr int32_t kBrowseForFolder = 0;
inline constexpr int32_t kPathFromItem = 1;
inline constexpr int32_t kSendMessage = 2;
inline constexpr int32_t kCreateRoundRegion = 3;
inline constexpr int32_t kSetWindowRegion = 4;
inline constexpr int32_t kSetWindowLong = 5;
inline constexpr int32_t kSetLayeredAttributes = 6;
}  // namespace dll

}  // namespace quorvant::app
