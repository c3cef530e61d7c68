// The program's own system shim: the functions of the original platform's
// system libraries that the application calls as DLL commands, with their
// original meaning, on the widgets behind the program's window handles.
//
// The shim keeps what the original system kept for the program: the regions
// it made, the extended styles it was given, and the item the folder
// browser returned last.
#include <QPainterPath>
#include <QRegion>
#include <QWidget>

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
    std::strncpy(info->pszDisplayName, name.c_str(), kMaxPath - 1);
    info->pszDisplayName[kMaxPath - 1] = '\0';
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
  // The region covers the rectangle without its right and bottom edges, with
  // corners cut as ellipses of the given size.
  QPainterPath path;
  path.addRoundedRect(QRectF(left, top, right - left, bottom - top), ellipse_width / 2.0, ellipse_height / 2.0);
  std::lock_guard lock(state().mutex);
  const HRGN handle = state().next_region++;
  state().regions[handle] = QRegion(path.toFillPolygon().toPolygon());
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
