// Opens the main window from the embedded template and saves what it shows
// as a PNG file: the picture of the window in the README. Run it with
// QT_QPA_PLATFORM=offscreen to need no display.
#include <QApplication>
#include <QScreen>
#include <QWidget>

#include <cstdio>

#include "forms/embedded_form.h"
#include "forms/main_window.h"
#include "platform/desktop_look.h"
#include "platform/dialogs.h"
#include "ui/form_reader/form_template.h"
#include "ui/program_controls.h"
#include "ui/window_runtime.h"

int main(int argc, char** argv) {
  using namespace quorvant;
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_shot OUTPUT.png\n");
    return 2;
  }
  QApplication application(argc, argv);
  platform::use_desktop_look();
  auto form = ui::form::load_form(forms::embedded_form(), forms::kHandlerCount);
  if (!form) {
    std::fprintf(stderr, "window_shot: the embedded template does not load\n");
    return 1;
  }
  platform::ScriptedDialogs dialogs;
  ui::WindowRuntime windows(std::move(*form), std::vector<ui::EventHandler>(forms::kHandlerCount),
                            ui::program_control_types(), dialogs);
  if (!windows.open_start_window(forms::kMainWindowId)) {
    std::fprintf(stderr, "window_shot: the main window does not open\n");
    return 1;
  }
  QApplication::processEvents();
  QWidget* window = windows.widget_of(forms::kMainWindowId, 0);
  const QImage shot = window->screen()->grabWindow(window->winId()).toImage();
  if (!shot.save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "window_shot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
