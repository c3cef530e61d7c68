// The converter's main window as the program stores it, and the handler
// routines its events are bound to (by their number in the program's
// handler table).
#pragma once

#include <cstdint>

#include "forms/form_writer.h"
#include "forms/main_window_ids.h"

namespace quorvant::forms {

// The program's handler table, in this order.
enum MainWindowHandler : int32_t {
  kShapeWindow,  // window created
  kQueryClose,   // may the window close?
  kCloseButton,
  kMinimiseButton,
  kChooseFolder,        // 查找文件
  kAddFile,             // 查找单个文件
  kStartConversion,     // 格式转换
  kEnableJpegOptions,   // 转换为JPG
  kDisableJpegOptions,  // the other nine formats
  kShowQuality,         // 品质条
  kShowSmoothing,       // 柔化条
  kHandlerCount
};

// The product's names and addresses shown in the window; the program opens
// the same two addresses.
inline constexpr const char* kWebSiteHost = "velk.example";
inline constexpr const char* kForumHost = "bbs.velk.example";
inline constexpr const char* kWebSiteAddress = "https://velk.example/";
inline constexpr const char* kForumAddress = "https://bbs.velk.example/";
inline constexpr const char* kBrandPrefix = "Velk";
inline constexpr const char* kAuthor = "Velk";

WindowSpec main_window();

}  // namespace quorvant::forms
