// The converter's 转换多个图片 handler at work in a program of its own: the
// folder browser answers the folder named by the first argument, and the
// program prints what the folder box and the file list then hold and the
// message boxes it showed, one line each:
//   folder <content of 目录>
//   item <list item>
//   box <message>
// The runtime tests run it; in the sanitizer build a path written past the
// end of its buffer ends it with a report instead.
#include <cstdio>
#include <string>

#include "app/handlers.h"
#include "app/ids.h"
#include "app/program.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "runtime/memory.h"
#include "runtime/runtime.h"
#include "runtime/values.h"

using namespace quorvant;
using runtime::ValueRecord;

namespace {

std::string folder;
platform::ScriptedDialogs dialogs;
platform::RecordingDesktop desktop;

void say(const std::string& what, const char* text) {
  std::printf("%s %s\n", what.c_str(), text != nullptr ? text : "");
  std::fflush(stdout);
}

int start_up() {
  runtime::RuntimeOptions options;
  options.dialogs = &dialogs;
  options.desktop = &desktop;
  options.library_folder = QUORVANT_BINARY_DIR;
  runtime::configure_runtime(options);
  app::prepare_program();
  runtime::show_start_window(app::kMainWindow);

  dialogs.answer_folder(folder);
  dialogs.answer_message(platform::MessageAnswer::kOk);
  app::choose_folder_and_list_it();

  const ValueRecord content = runtime::read_property(app::kMainWindow, app::element::kFolderBox, app::property::kText);
  say("folder", content.as_text());
  runtime::release(content.as_pointer());
  ValueRecord list[] = {{app::kMainWindow, app::element::kFileList, ui::form::type_id::kListBox}, {}};
  const int32_t count = runtime::call_core_command(runtime::CoreCommand::kListItemCount, 1, list).as_int();
  for (int32_t i = 0; i < count; ++i) {
    list[1] = ValueRecord::of_int(i);
    const ValueRecord item = runtime::call_core_command(runtime::CoreCommand::kListItemText, 2, list);
    say("item", item.as_text());
    runtime::release(item.as_pointer());
  }
  for (const platform::MessageBoxRequest& box : dialogs.message_requests()) say("box", box.text.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) folder = argv[1];
  runtime::run_application(argc, argv, start_up);
}
