// Filling the file list: a whole folder through the folder browser, or one
// file through the file dialog.
#include <sys/stat.h>

#include <array>
#include <string_view>

#include "app/handlers.h"
#include "app/ids.h"
#include "app/program_state.h"
#include "app/runtime_calls.h"
#include "runtime/shim/windows_api.h"

namespace quorvant::app {

namespace {

using runtime::CoreCommand;
using namespace winapi;

constexpr const char* kBrowserTitle = "Velk_Quorvant_文件选择:";
constexpr const char* kNoFolder = "请选择图片目录";
constexpr const char* kUnsupported = "您选择的图片文件格式暂时不支持!";
constexpr const char* kUnsupportedTitle = "提示";
constexpr std::array<std::string_view, 7> kAcceptedExtensions = {"JPG", "BMP", "PNG", "PCX", "PCD", "GIF", "TIF"};
// Every buffer given to SHGetPathFromIDListA holds the longest path it
// writes: kMaxPath bytes, the terminator after the spaces among them.
constexpr auto kPathBufferSpaces = static_cast<int32_t>(kMaxPath - 1);
// Read-only, hidden, system and archive: every entry after the first.
constexpr int32_t kListedAttributes = 0x27;

ValueRecord file_list() { return control(element::kFileList, ui::form::type_id::kListBox); }

// Only the last three letters of the name count, in any case.
bool has_accepted_extension(const char* name) {
  const Text upper = core_text(CoreCommand::kToUpper, {text_arg(name)});
  const Text extension = core_text(CoreCommand::kRightText, {upper.record(), ValueRecord::of_int(3)});
  for (std::string_view accepted : kAcceptedExtensions) {
    if (extension.view() == accepted) return true;
  }
  return false;
}

void show_message(const char* text, const ValueRecord& style = {}, const ValueRecord& title = {}) {
  core(CoreCommand::kMessageBox, {text_arg(text), style, title});
}

// Preselects the remembered folder when the browser opens, and shows the
// path of each folder the user selects.
int32_t browse_callback(HWND window, UINT message, LPARAM parameter, LPARAM) {
  if (message == kBrowseInitialised) {
    runtime::call_dll_command<LRESULT>(dll::kSendMessage, window, kBrowseSetSelection, WPARAM{1},
                                       reinterpret_cast<LPARAM>(remembered_folder().record().as_text()));
  } else if (message == kBrowseSelectionChanged) {
    Text path = core_text(CoreCommand::kBlankText, {ValueRecord::of_int(kPathBufferSpaces)});
    const BOOL found =
        runtime::call_dll_command<BOOL>(dll::kPathFromItem, reinterpret_cast<const void*>(parameter), path.buffer());
    if (found == 1) {
      runtime::call_dll_command<LRESULT>(dll::kSendMessage, window, kBrowseSetStatusText, WPARAM{0},
                                         reinterpret_cast<LPARAM>(path.get()));
    }
  }
  return 0;
}

// The chosen folder's path, or the empty text when the user cancelled.
Text browse_for_folder(const char* title, const char* initial_path) {
  BROWSEINFOA info{};
  info.lpszTitle = title;
  info.ulFlags = kBrowseNewDialogStyle;
  info.lpfn = &browse_callback;
  remembered_folder() = joined({runtime::text_of(initial_path)});
  void* item = runtime::call_dll_command<void*>(dll::kBrowseForFolder, &info);
  Text buffer = core_text(CoreCommand::kBlankText, {ValueRecord::of_int(kPathBufferSpaces)});
  // The buffer ends where the path does: at once when there is none.
  runtime::call_dll_command<BOOL>(dll::kPathFromItem, static_cast<const void*>(item), buffer.buffer());
  remembered_folder() = joined({buffer.view()});
  return joined({remembered_folder().view()});
}

void list_folder(const Text& folder) {
  const Text pattern = joined({folder.view(), "/*.*"});
  intptr_t search = 0;
  Text name(runtime::find_file(pattern.get(), 0, true, search));
  while (!name.empty()) {
    if (name.view() != "." && name.view() != ".." && has_accepted_extension(name.get())) {
      const Text path = joined({folder.view(), name.view()});
      core(CoreCommand::kAddListItem, {file_list(), path.record(), {}});
    }
    name = Text(runtime::find_file(nullptr, kListedAttributes, false, search));
  }
  runtime::end_file_search(search);
}

// A file of a kind the jobs convert joins the list; any other is refused
// with a message.
void add_file_to_list(const char* file) {
  if (has_accepted_extension(file)) {
    core(CoreCommand::kAddListItem, {file_list(), text_arg(file), {}});
  } else {
    show_message(kUnsupported, ValueRecord::of_int(0), text_arg(kUnsupportedTitle));
  }
}

}  // namespace

void choose_folder_and_list_it() {
  const Text chosen = browse_for_folder(kBrowserTitle, nullptr);
  write(element::kFolderBox, property::kText, chosen.record());
  Text folder = read_text(element::kFolderBox, property::kText);
  if (folder.empty()) {
    show_message(kNoFolder);
    return;
  }
  const Text last = core_text(CoreCommand::kRightText, {folder.record(), ValueRecord::of_int(1)});
  if (last.view() != "/") {
    folder = joined({folder.view(), "/"});
    write(element::kFolderBox, property::kText, folder.record());
  }
  core(CoreCommand::kClearList, {file_list()});
  current_item_index() = 0;
  list_folder(folder);
}

void add_one_file() {
  const ValueRecord dialog = control(element::kFileDialog, ui::form::type_id::kCommonDlg);
  if (!core(CoreCommand::kOpenCommonDialog, {dialog}).is_true()) return;
  const Text file = read_text(element::kFileDialog, property::kFileName);
  add_file_to_list(file.get());
}

void add_files(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    // The file dialog offers only files that are there; a name given at
    // start may be of one that is not (or of a folder), and is refused as
    // a file of no accepted kind would be, instead of being listed for a
    // job that cannot convert it.
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
      show_message(kUnsupported, ValueRecord::of_int(0), text_arg(kUnsupportedTitle));
      continue;
    }
    add_file_to_list(file.c_str());
  }
}

void add_files_named_at_start() { add_files(runtime::program_arguments()); }

}  // namespace quorvant::app
