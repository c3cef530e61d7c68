// The few types, constants and functions of the original platform's system
// libraries that the application declares, as the program's system shim
// exports them. Window handles are the integers of the window-handle table.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>

namespace quorvant::winapi {

using HWND = intptr_t;
using HRGN = intptr_t;
using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using BOOL = int32_t;
using LONG = int32_t;
using DWORD = uint32_t;
using BYTE = uint8_t;
using COLORREF = uint32_t;

// The folder browser's callback: (browser window, message, parameter,
// caller data) -> 0.
using BrowseCallback = int32_t (*)(HWND window, UINT message, LPARAM parameter, LPARAM data);

struct BROWSEINFOA {
  HWND hwndOwner;
  const void* pidlRoot;
  char* pszDisplayName;  // receives the chosen folder's name (kDisplayNameSize bytes)
  const char* lpszTitle;
  UINT ulFlags;
  BrowseCallback lpfn;
  LPARAM lParam;
  int32_t iImage;
};

inline constexpr UINT kBrowseInitialised = 1;        // BFFM_INITIALIZED
inline constexpr UINT kBrowseSelectionChanged = 2;   // BFFM_SELCHANGED
inline constexpr UINT kBrowseSetStatusText = 0x464;  // BFFM_SETSTATUSTEXTA
inline constexpr UINT kBrowseSetSelection = 0x466;   // BFFM_SETSELECTIONA
inline constexpr UINT kBrowseNewDialogStyle = 0x40;  // BIF_NEWDIALOGSTYLE
inline constexpr int32_t kExtendedStyle = -20;       // GWL_EXSTYLE
inline constexpr LONG kLayered = 0x80000;            // WS_EX_LAYERED
inline constexpr DWORD kLayeredAlpha = 2;            // LWA_ALPHA
// The longest path the shim writes, terminator included: whatever the file
// system allows, not the original platform's 260 bytes (86 Chinese
// characters in UTF-8). A buffer handed to SHGetPathFromIDListA holds this
// many bytes.
inline constexpr size_t kMaxPath = PATH_MAX;
// The folder browser's display name buffer keeps the original size; a name
// is one path component (at most NAME_MAX bytes), so it always fits.
inline constexpr size_t kDisplayNameSize = 260;
static_assert(NAME_MAX < kDisplayNameSize);

// The exported functions, by signature.
using SHBrowseForFolderA = void* (*)(BROWSEINFOA* info);
using SHGetPathFromIDListA = BOOL (*)(const void* item, char* path);
using SendMessageA = LRESULT (*)(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
using CreateRoundRectRgn = HRGN (*)(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t ellipse_width,
                                    int32_t ellipse_height);
using SetWindowRgn = int32_t (*)(HWND window, HRGN region, BOOL redraw);
using SetWindowLongA = LONG (*)(HWND window, int32_t index, LONG value);
using SetLayeredWindowAttributes = BOOL (*)(HWND window, COLORREF key, BYTE alpha, DWORD flags);

}  // namespace quorvant::winapi
