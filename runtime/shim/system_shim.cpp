// The program's own system shim: the functions of the original platform's
// system libraries that the application calls as DLL commands, with their
// original meaning, on the widgets behind the program's window handles.
//
// The shim keeps what the original system kept for the program: the regions
// it made, the extended styles it was given, and the item the folder
// browser returned last.
#include <QRegion>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/dialogs.h"
#include "platform/window_thread.h"
#include "runtime/shim/shim_services.h"
#include "runtime/shim/windows_api.h"

using namespace quorvant;
using namespace quorvant::winapi;

namespace {

// An item of the folder browser: the folder's path.
struct Item {
  std::string path;
};

// The folder browser's own window handle, for the messages its callback
// sends back.
constexpr HWND kBrowserWindow = 0x7FFF0010;

struct ShimState {
  std::mutex mutex;
  const runtime::ShimServices* services = nullptr;
  std::map<HRGN, QRegion> regions;
  HRGN next_region = 0x1000;
  std::map<HWND, LONG> extended_styles;
  std::unique_ptr<Item> last_item;  // the browser's result, until the next browse
};

ShimState& state() {
  static ShimState instance;
  return instance;
}

QWidget* widget_of(HWND window) {
  const auto* services = state().services;
  return services == nullptr ? nullptr : services->widget_of(static_cast<int32_t>(window));
}

// How many pixels row `row` of a corner loses, counted from the outer edge
// of the rectangle, for corner ellipses of width x height pixels. A pixel
// stays when its centre lies inside the ellipse inscribed in the corner's
// width x height box; only the rows above the ellipse's centre are cut.
// Worked in doubled coordinates, so every corner gets exactly the same.
int32_t corner_cut(int32_t row, int32_t width, int32_t height) {
  const int64_t dy = 2 * int64_t{row} + 1 - height;  // the row's centre to the ellipse's, doubled
  if (dy >= 0) return 0;
  const int64_t w2 = int64_t{width} * width;
  const int64_t h2 = int64_t{height} * height;
  int32_t cut = 0;
  for (; 2 * cut + 1 < width; ++cut) {
    const int64_t dx = 2 * int64_t{cut} + 1 - width;
    if (dx * dx * h2 + dy * dy * w2 <= w2 * h2) break;
  }
  return cut;
}

// The rectangle from (left, top) to (right - 1, bottom - 1), far edges
// excluded, as the original platform makes it, with its four corners cut
// alike as quarter ellipses of the given size: each corner is the mirror
// image of the others.
QRegion round_rect_region(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t ellipse_width,
                          int32_t ellipse_height) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const int64_t width = int64_t{right} - left - 1;
  const int64_t height = int64_t{bottom} - top - 1;
  if (width <= 0 || height <= 0) return {};
  const auto ellipse_w = static_cast<int32_t>(std::min<int64_t>(width, std::abs(int64_t{ellipse_width})));
  const auto ellipse_h = static_cast<int32_t>(std::min<int64_t>(height, std::abs(int64_t{ellipse_height})));
  const QRect whole(left, top, static_cast<int>(width), static_cast<int>(height));
  if (ellipse_w < 2 || ellipse_h < 2) return QRegion(whole);
  QRegion shape;
  const auto rows = static_cast<int32_t>(height);
  const int32_t corner_rows = std::min(rows, (ellipse_h + 1) / 2);
  for (int32_t row = 0; row < corner_rows; ++row) {
    const int32_t cut = corner_cut(row, ellipse_w, ellipse_h);
    const int span = static_cast<int>(width - 2 * int64_t{cut});
    shape += QRect(left + cut, top + row, span, 1);
    shape += QRect(left + cut, top + rows - 1 - row, span, 1);
  }
  if (rows > 2 * corner_rows) shape += QRect(left, top + corner_rows, whole.width(), rows - 2 * corner_rows);
  return shape;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void quorvant_shim_attach(const runtime::ShimServices* services) {
  std::lock_guard lock(state().mutex);
  state().services = services;
}

__attribute__((visibility("default"))) void* SHBrowseForFolderA(BROWSEINFOA* info) {
  const auto* services = state().services;
  if (info == nullptr || services == nullptr || services->dialogs() == nullptr) return nullptr;
  platform::FolderDialogRequest request;
  request.title = info->lpszTitle != nullptr ? info->lpszTitle : "";
  const BrowseCallback callback = info->lpfn;
  const LPARAM data = info->lParam;
  if (callback != nullptr) {
    request.on_event = [callback, data](platform::FolderBrowserEvent event, const std::string& selection) {
      if (event == platform::FolderBrowserEvent::kInitialised) {
        callback(kBrowserWindow, kBrowseInitialised, 0, data);
      } else {
        Item item{selection};
        callback(kBrowserWindow, kBrowseSelectionChanged, reinterpret_cast<LPARAM>(&item), data);
      }
    };
  }
  const std::optional<std::string> chosen = services->dialogs()->choose_folder(request);
  std::lock_guard lock(state().mutex);
  state().last_item.reset();
  if (!chosen) return nullptr;
  if (info->pszDisplayName != nullptr) {
    const size_t slash = chosen->find_last_of('/', chosen->size() > 1 ? chosen->size() - 2 : 0);
    const std::string name = slash == std::string::npos ? *chosen : chosen->substr(slash + 1);
    std::strncpy(info->pszDisplayName, name.c_str(), kDisplayNameSize - 1);
    info->pszDisplayName[kDisplayNameSize - 1] = '\0';
  }
  state().last_item = std::make_unique<Item>(Item{*chosen});
  return state().last_item.get();
}

__attribute__((visibility("default"))) BOOL SHGetPathFromIDListA(const void* item, char* path) {
  if (path == nullptr) return 0;
  // Without a path the buffer holds the empty text, as it did on the
  // original system.
  path[0] = '\0';
  if (item == nullptr) return 0;
  const std::string& text = static_cast<const Item*>(item)->path;
  // Never more than kMaxPath bytes, the terminator among them.
  if (text.empty() || text.size() >= kMaxPath) return 0;
  std::memcpy(path, text.c_str(), text.size() + 1);
  return 1;
}

__attribute__((visibility("default"))) LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto* services = state().services;
  if (window != kBrowserWindow || services == nullptr || services->dialogs() == nullptr) return 0;
  // The browser answers its two messages: select a folder (by path when
  // wparam is 1), and show a status text, which this browser has no place for.
  if (message == kBrowseSetSelection && wparam == 1 && lparam != 0) {
    services->dialogs()->select_folder(reinterpret_cast<const char*>(lparam));
  }
  return 0;
}

__attribute__((visibility("default"))) HRGN CreateRoundRectRgn(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                                               int32_t ellipse_width, int32_t ellipse_height) {
  const QRegion shape = round_rect_region(left, top, right, bottom, ellipse_width, ellipse_height);
  std::lock_guard lock(state().mutex);
  const HRGN handle = state().next_region++;
  state().regions[handle] = shape;
  return handle;
}

__attribute__((visibility("default"))) int32_t SetWindowRgn(HWND window, HRGN region, BOOL redraw) {
  QRegion shape;
  {
    std::lock_guard lock(state().mutex);
    const auto found = state().regions.find(region);
    if (found == state().regions.end()) return 0;
    shape = found->second;
    state().regions.erase(found);  // the window owns the region from now on
  }
  return platform::call_on_window_thread([&] {
    QWidget* widget = widget_of(window);
    if (widget == nullptr) return 0;
    widget->setMask(shape);
    if (redraw != 0) widget->update();
    return 1;
  });
}

__attribute__((visibility("default"))) LONG SetWindowLongA(HWND window, int32_t index, LONG value) {
  if (index != kExtendedStyle || widget_of(window) == nullptr) return 0;
  std::lock_guard lock(state().mutex);
  LONG& style = state().extended_styles[window];
  const LONG previous = style;
  style = value;
  return previous;
}

__attribute__((visibility("default"))) BOOL SetLayeredWindowAttributes(HWND window, COLORREF, BYTE alpha, DWORD flags) {
  {
    std::lock_guard lock(state().mutex);
    const auto style = state().extended_styles.find(window);
    // Only a window with the layered style takes layered attributes.
    if (style == state().extended_styles.end() || (style->second & kLayered) == 0) return 0;
  }
  return platform::call_on_window_thread([&] {
    QWidget* widget = widget_of(window);
    if (widget == nullptr) return 0;
    if ((flags & kLayeredAlpha) != 0) widget->setWindowOpacity(alpha / 255.0);
    return 1;
  });
}

}  // extern "C"
