#include "app/program.h"

#include <cfenv>

#include "app/handlers.h"
#include "app/ids.h"
#include "app/program_state.h"
#include "engine/commands.h"
#include "forms/embedded_form.h"
#include "forms/main_window.h"
#include "runtime/libraries.h"
#include "runtime/runtime.h"

namespace quorvant::app {

namespace {

// Handlers give no value back, so the window closes after the close query.
template <void (*kHandler)()>
ui::HandlerResult handler(std::span<const int32_t>) {
  kHandler();
  return {};
}

const runtime::LibraryRecord* const kLibraries[] = {
    &runtime::thread_library(),     // library::kThreads
    &runtime::interface_library(),  // library::kInterface
    &engine::engine_library(),      // library::kEngine
};

// In the order of the dll:: positions; no library name: the system
// libraries are searched.
const runtime::DllEntry kDllTable[] = {
    {"", "SHBrowseForFolderA"},          {"", "SHGetPathFromIDListA"},   {"", "SendMessageA"},
    {"gdi32.dll", "CreateRoundRectRgn"}, {"user32.dll", "SetWindowRgn"}, {"", "SetWindowLongA"},
    {"", "SetLayeredWindowAttributes"},
};

void clean_up() { remembered_folder() = Text(); }

int start_subroutine() { return 0; }

}  // namespace

const std::vector<ui::EventHandler>& handler_table() {
  using forms::MainWindowHandler;
  static const std::vector<ui::EventHandler> table = [] {
    std::vector<ui::EventHandler> handlers(forms::kHandlerCount);
    handlers[forms::kShapeWindow] = handler<shape_window>;
    handlers[forms::kQueryClose] = handler<open_web_addresses>;
    handlers[forms::kCloseButton] = handler<close_program>;
    handlers[forms::kMinimiseButton] = handler<minimise_window>;
    handlers[forms::kChooseFolder] = handler<choose_folder_and_list_it>;
    handlers[forms::kAddFile] = handler<add_one_file>;
    handlers[forms::kStartConversion] = handler<start_conversion>;
    handlers[forms::kEnableJpegOptions] = handler<enable_jpeg_options>;
    handlers[forms::kDisableJpegOptions] = handler<disable_jpeg_options>;
    handlers[forms::kShowQuality] = handler<show_quality>;
    handlers[forms::kShowSmoothing] = handler<show_smoothing>;
    return handlers;
  }();
  return table;
}

void prepare_program() {
  runtime::ApplicationDescriptor descriptor;
  descriptor.code_base = &handler_table();
  descriptor.form = forms::embedded_form();
  descriptor.libraries = kLibraries;
  descriptor.dlls = kDllTable;
  runtime::initialise_runtime(descriptor);
  std::fesetenv(FE_DFL_ENV);
  runtime::register_cleanup(clean_up);
  start_subroutine();
}

int start_up() {
  prepare_program();
  runtime::show_start_window(kMainWindow);
  add_files_named_at_start();
  runtime::run_message_loop();
  return 0;
}

}  // namespace quorvant::app
