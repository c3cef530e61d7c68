// The converter program in the test process: the runtime initialised with
// the program's own description, scripted dialogs, a recording desktop and
// a stand-in file browser, and the main window open.
#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "tests/support/test_support.h"

namespace quorvant::testing {

struct TestProgram {
  platform::ScriptedDialogs dialogs;
  platform::RecordingDesktop desktop;
  // Holds an `xdg-open` that writes its arguments to browser.log.
  TempFolder launcher;
};

// Starts the program once per process and returns it.
TestProgram& test_program();

QWidget* widget(uint32_t element_id);
// Clicks a button, radio box or check box as the mouse does.
void click(uint32_t element_id);
// Lets the window thread work, a round of events at a time, until `done`
// holds; false after 30 seconds.
bool pump_until(const std::function<bool()>& done);

// The file list's items and the folder box's text, through the window.
std::vector<std::string> listed_files();
// The output folder below the program's directory (ending with "/").
std::string output_folder();
// What the stand-in file browser was started with, one line per argument;
// empty until a job has ended.
std::vector<std::string> browser_arguments();
// Whether the stand-in file browser has written down all it was started
// with: the last thing a job does that shows outside the job.
bool job_ended();

// Clears the list, the output folder and the browser log, and checks the
// JPG box and the default options: every test starts from the window as the
// program opens it.
void reset_program();

}  // namespace quorvant::testing
