// A small program made of runtime calls, run as a child process by the
// runtime tests: it opens a window from its template, changes properties,
// handles events and ends the way its first argument says.
//   thread-end   a job thread ends the program (exit code 0)
//   close        the window is closed; the message loop ends (exit code 0)
//   error        a handler raises a runtime error (exit code -1)
//   no-start     the start window does not exist (exit code -1)
//   bad-template the form template is broken (exit code -1)
// It prints what happens on standard output, one line per step.
#include <QAbstractButton>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "forms/form_writer.h"
#include "platform/dialogs.h"
#include "runtime/libraries.h"
#include "runtime/memory.h"
#include "runtime/runtime.h"
#include "runtime/values.h"
#include "ui/form_reader/ids.h"

using namespace quorvant;
using runtime::ValueRecord;

namespace {

constexpr uint32_t kWindow = 0x52010001;
constexpr uint32_t kOwn = 0x06010000;
constexpr uint32_t kLabel = 0x16010290;  // an edit box standing in for a label
constexpr uint32_t kRadio = 0x160102A3;
constexpr int32_t kThreadLibrary = 0;

std::string mode;

void say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

// Message boxes print their title and text; a box shown during a runtime
// error also tries to click the radio button, whose handler must not run.
class PrintingDialogs final : public platform::Dialogs {
 public:
  std::optional<std::string> choose_file(const platform::FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> choose_folder(const platform::FolderDialogRequest&) override { return std::nullopt; }
  void select_folder(const std::string&) override {}
  platform::MessageAnswer message_box(const platform::MessageBoxRequest& request) override {
    say("box [" + request.title + "] " + request.text);
    if (auto* radio = qobject_cast<QAbstractButton*>(runtime::window_runtime().widget_of(kWindow, kRadio)))
      radio->click();
    return platform::MessageAnswer::kOk;
  }
};

void thread_job(intptr_t) {
  say("job thread ends the program");
  runtime::end_program(0);
}

ui::HandlerResult created(std::span<const int32_t>) {
  say("created");
  runtime::write_property(kWindow, kLabel, 8, -1, ValueRecord::of_text("75 度"));
  const ValueRecord caption = runtime::read_property(kWindow, kLabel, 8);
  say("label " + std::string(runtime::text_of(caption.as_text())));
  runtime::release(caption.as_pointer());
  if (mode == "thread-end") {
    ValueRecord args[3] = {ValueRecord::of_pointer(reinterpret_cast<void*>(&thread_job), runtime::tag::kSubroutine)};
    runtime::call_library_command(kThreadLibrary, 0, 3, args);
  } else if (mode == "close") {
    QTimer::singleShot(0, [] {
      qobject_cast<QAbstractButton*>(runtime::window_runtime().widget_of(kWindow, kRadio))->click();
      runtime::window_runtime().close_window(kWindow);
    });
  } else if (mode == "error") {
    void* empty = runtime::make_array(0, 4);
    runtime::array_element(empty, 0, 4);  // runtime error 4
  }
  return {};
}

ui::HandlerResult radio_clicked(std::span<const int32_t>) {
  say("radio clicked");
  runtime::write_property(kWindow, kLabel, 8, -1, ValueRecord::of_text("clicked"));
  return {};
}

ui::HandlerResult close_query(std::span<const int32_t>) {
  say("close query");
  return {};
}

void cleanup() { say("cleanup"); }

const std::vector<ui::EventHandler> kHandlers = {created, radio_clicked, close_query};

ui::form::Bytes sample_form() {
  forms::ElementSpec own;
  own.id = kOwn;
  own.type_id = ui::form::type_id::kWindow;
  own.width = 200;
  own.height = 100;
  own.bindings = {{0, 0}, {1, 2}};
  own.property_blob = forms::core_properties(own.type_id, {});
  forms::ElementSpec label;
  label.id = kLabel;
  label.type_id = ui::form::type_id::kEditBox;
  label.width = 100;
  label.height = 20;
  label.property_blob = forms::core_properties(label.type_id, {});
  forms::ElementSpec radio;
  radio.id = kRadio;
  radio.type_id = ui::form::type_id::kRadioBox;
  radio.top = 40;
  radio.width = 100;
  radio.height = 20;
  radio.bindings = {{0, 1}};
  radio.property_blob = forms::core_properties(radio.type_id, {});
  return forms::write_form({{kWindow, own, {label, radio}, {}}});
}

PrintingDialogs dialogs;
ui::form::Bytes form;
const runtime::LibraryRecord* const kLibraries[] = {&runtime::thread_library()};

int startup() {
  runtime::RuntimeOptions options;
  options.dialogs = &dialogs;
  runtime::configure_runtime(options);
  form = sample_form();
  if (mode == "bad-template") form.resize(form.size() / 2);
  runtime::ApplicationDescriptor descriptor;
  descriptor.code_base = &kHandlers;
  descriptor.form = form;
  descriptor.libraries = kLibraries;
  runtime::initialise_runtime(descriptor);
  char current[4096];
  say(std::string("current directory ") + (::getcwd(current, sizeof current) != nullptr ? current : "?"));
  runtime::register_cleanup(cleanup);
  runtime::show_start_window(mode == "no-start" ? 0x52019999 : kWindow);
  runtime::run_message_loop();
  say("message loop ended");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) mode = argv[1];
  runtime::run_application(argc, argv, startup);
}
