// The ids the main window's template gives the window and the elements that
// the program addresses or that other elements name as their parent.
#pragma once

#include <cstdint>

namespace quorvant::forms {

inline constexpr uint32_t kMainWindowId = 0x52010001;

namespace element_id {
inline constexpr uint32_t kWindowItself = 0x06010000;
inline constexpr uint32_t kPanel = 0x16010288;           // 外形框2
inline constexpr uint32_t kFileList = 0x16010289;        // 文件列表
inline constexpr uint32_t kBusyBox = 0x1601028B;         // 外形框1
inline constexpr uint32_t kJpegOptions = 0x1601028D;     // 质量选择
inline constexpr uint32_t kSmoothingLabel = 0x1601028F;  // 柔化标签
inline constexpr uint32_t kSmoothing = 0x16010291;       // 柔化条
inline constexpr uint32_t kColour = 0x16010292;          // 转换为彩色
inline constexpr uint32_t kOptimise = 0x16010293;        // 优化编码
inline constexpr uint32_t kQualityLabel = 0x16010294;    // 质量标签
inline constexpr uint32_t kQuality = 0x16010296;         // 品质条
inline constexpr uint32_t kFormats = 0x16010298;         // 格式选择
inline constexpr uint32_t kBatch = 0x160102A4;           // 批量转换
inline constexpr uint32_t kFileDialog = 0x160102A5;      // 通用对话框1
inline constexpr uint32_t kFolderBox = 0x160102A8;       // 目录
inline constexpr uint32_t kConvert = 0x160102B6;         // 格式转换
inline constexpr uint32_t kAddFile = 0x160102B7;         // 查找单个文件
inline constexpr uint32_t kChooseFolder = 0x160102B8;    // 查找文件

// The target format radio boxes, 转换为JPG and so on.
inline constexpr uint32_t kToSgi = 0x1601029A;
inline constexpr uint32_t kToPic = 0x1601029B;
inline constexpr uint32_t kToPcx = 0x1601029C;
inline constexpr uint32_t kToPbm = 0x1601029D;
inline constexpr uint32_t kToPgm = 0x1601029E;
inline constexpr uint32_t kToPpm = 0x1601029F;
inline constexpr uint32_t kToTif = 0x160102A0;
inline constexpr uint32_t kToBmp = 0x160102A1;
inline constexpr uint32_t kToPng = 0x160102A2;
inline constexpr uint32_t kToJpg = 0x160102A3;
}  // namespace element_id

}  // namespace quorvant::forms
