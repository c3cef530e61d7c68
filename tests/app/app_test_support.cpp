#include "tests/app/app_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "app/ids.h"
#include "app/program.h"
#include "runtime/runtime.h"

namespace quorvant::testing {

namespace {

constexpr const char* kFakeBrowser = "#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"$(dirname \"$0\")/browser.log\"\n";

}  // namespace

TestProgram& test_program() {
  static TestProgram* program = [] {
    static TestProgram instance;
    const std::string browser = instance.launcher.file("xdg-open");
    std::ofstream(browser) << kFakeBrowser;
    std::filesystem::permissions(browser, std::filesystem::perms::owner_all);
    const std::string path = instance.launcher.path() + ":" + qEnvironmentVariable("PATH").toStdString();
    qputenv("PATH", QByteArray::fromStdString(path));
    runtime::RuntimeOptions options;
    options.dialogs = &instance.dialogs;
    options.desktop = &instance.desktop;
    options.library_folder = QUORVANT_BINARY_DIR;
    runtime::configure_runtime(options);
    app::prepare_program();
    runtime::show_start_window(app::kMainWindow);
    return &instance;
  }();
  return *program;
}

QWidget* widget(uint32_t element_id) { return runtime::window_runtime().widget_of(app::kMainWindow, element_id); }

void click(uint32_t element_id) {
  QWidget* target = widget(element_id);
  QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
}

bool pump_until(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  // One round of events at a time, so that a job, whose every use of the
  // window waits for this thread, moves on only a step or two in between.
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

std::vector<std::string> listed_files() {
  std::vector<std::string> items;
  auto* list = qobject_cast<QListWidget*>(widget(app::element::kFileList));
  for (int i = 0; list != nullptr && i < list->count(); ++i) items.push_back(list->item(i)->text().toStdString());
  return items;
}

std::string output_folder() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/保存文件/";
}

std::vector<std::string> browser_arguments() {
  std::ifstream log(test_program().launcher.file("browser.log"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(log, line);) lines.push_back(line);
  return lines;
}

bool job_ended() {
  std::ifstream log(test_program().launcher.file("browser.log"), std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  return !written.empty() && written.back() == '\n';
}

void reset_program() {
  TestProgram& program = test_program();
  qobject_cast<QListWidget*>(widget(app::element::kFileList))->clear();
  std::filesystem::remove_all(output_folder());
  std::filesystem::remove(program.launcher.file("browser.log"));
  click(0x160102A3);  // 转换为JPG
  runtime::write_property(app::kMainWindow, app::element::kQuality, app::property::kSliderPosition, -1,
                          runtime::ValueRecord::of_int(75));
  runtime::write_property(app::kMainWindow, app::element::kSmoothing, app::property::kSliderPosition, -1,
                          runtime::ValueRecord::of_int(0));
  for (uint32_t box : {app::element::kColour, app::element::kOptimise}) {
    runtime::write_property(app::kMainWindow, box, app::property::kChecked, -1, runtime::ValueRecord::of_bool(true));
  }
}

}  // namespace quorvant::testing
