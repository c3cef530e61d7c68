// The main window and the controls the application addresses, by the ids
// the form template gives them.
#pragma once

#include <cstdint>

#include "ui/form/ids.h"

namespace quorvant::app {

inline constexpr uint32_t kMainWindow = 0x52010001;

namespace element {
inline constexpr uint32_t kWindowItself = 0x06010000;
inline constexpr uint32_t kChooseFolder = 0x160102B8;  // 查找文件
inline constexpr uint32_t kAddFile = 0x160102B7;       // 查找单个文件
inline constexpr uint32_t kConvert = 0x160102B6;       // 格式转换
inline constexpr uint32_t kBusyBox = 0x1601028B;       // 外形框1
inline constexpr uint32_t kJpegOptions = 0x1601028D;   // 质量选择
inline constexpr uint32_t kSmoothingLabel = 0x1601028F;
inline constexpr uint32_t kSmoothing = 0x16010291;  // 柔化条
inline constexpr uint32_t kColour = 0x16010292;     // 转换为彩色
inline constexpr uint32_t kOptimise = 0x16010293;   // 优化编码
inline constexpr uint32_t kQualityLabel = 0x16010294;
inline constexpr uint32_t kQuality = 0x16010296;  // 品质条
inline constexpr uint32_t kFileDialog = 0x160102A5;
inline constexpr uint32_t kFolderBox = 0x160102A8;  // 目录
inline constexpr uint32_t kFileList = 0x16010289;   // 文件列表
}  // namespace element

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
