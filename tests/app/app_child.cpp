// The converter program with a desktop that prints the web addresses it is
// asked to open. Its first argument says how the window goes away:
//   close-button  a click on the close button
//   escape        the Escape key, through the close query
// The program tests run it and read what it prints and its exit code.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/ids.h"
#include "app/program.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "runtime/runtime.h"

using namespace quorvant;

namespace {

class PrintingDesktop final : public platform::Desktop {
 public:
  void open_url(const std::string& address) override {
    std::printf("open %s\n", address.c_str());
    std::fflush(stdout);
  }
};

std::string mode;
PrintingDesktop desktop;
platform::ScriptedDialogs dialogs;

int start_up() {
  runtime::RuntimeOptions options;
  options.dialogs = &dialogs;
  options.desktop = &desktop;
  options.library_folder = QUORVANT_BINARY_DIR;
  runtime::configure_runtime(options);
  // Acts once the main window is shown, looking every few milliseconds; a
  // window that never comes ends the program with 3.
  auto* watch = new QTimer(QCoreApplication::instance());
  const QDeadlineTimer deadline(std::chrono::seconds(60));
  QObject::connect(watch, &QTimer::timeout, [watch, deadline] {
    QWidget* window = runtime::window_runtime().widget_of(app::kMainWindow, 0);
    if (window == nullptr || !window->isVisible()) {
      if (deadline.hasExpired()) {
        std::printf("no main window\n");
        std::fflush(stdout);
        std::_Exit(3);
      }
      return;
    }
    watch->stop();
    if (mode == "escape") {
      QTest::keyClick(window, Qt::Key_Escape);
    } else {
      QWidget* close = runtime::window_runtime().widget_of(app::kMainWindow, 0x160102A9);
      QTest::mouseClick(close, Qt::LeftButton, {}, QPoint(20, 9));
    }
  });
  watch->start(5);
  const int code = app::start_up();
  std::printf("message loop ended\n");
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) mode = argv[1];
  runtime::run_application(argc, argv, start_up);
}
