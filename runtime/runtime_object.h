// The one runtime object of the process and what it holds. Internal to the
// runtime; application code uses runtime.h.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTranslator>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound_player.h"
#include "runtime/dll_table.h"
#include "runtime/file_search.h"
#include "runtime/runtime.h"

namespace quorvant::runtime {

// The hidden runtime window: a QObject on the main thread that ends the
// program when another thread asks it to.
class HiddenWindow final : public QObject {
 public:
  void end_program(int32_t exit_code);
};

struct RuntimeObject {
  // At process exit the application object may be gone already; windows and
  // the hidden window then go away with the process, not one by one.
  ~RuntimeObject();

  // Who and where the program is.
  std::string program_directory;  // no trailing separator
  std::string program_file_name;
  std::string module_folder;  // with a trailing separator
  std::thread::id main_thread;
  int32_t run_mode = 0;
  int32_t version = 0;
  bool initialised = false;

  // Life.
  std::atomic<bool> started{false};
  std::atomic<bool> ending{false};
  std::atomic<int> error_nesting{0};
  std::atomic<void (*)()> cleanup{nullptr};
  std::unique_ptr<HiddenWindow> hidden;

  // Memory.
  std::mutex constants_mutex;
  std::vector<std::pair<const char*, const char*>> constants;

  // Libraries and DLL commands.
  std::vector<const LibraryRecord*> libraries;
  DllTable dlls;
  std::string library_folder;

  // Windows and what they show.
  std::unique_ptr<platform::Dialogs> own_dialogs;
  std::unique_ptr<platform::Desktop> own_desktop;
  platform::Dialogs* dialogs = nullptr;
  platform::Desktop* desktop = nullptr;
  std::unique_ptr<platform::SoundPlayer> own_sounds;
  platform::SoundPlayer* sounds = nullptr;
  std::unique_ptr<ui::WindowRuntime> windows;
  QPointer<QTranslator> translator;  // Qt's own Chinese, owned by the application

  // What the object leaves behind when the application object is gone
  // first: kept where the process can still reach it, so that leak
  // checkers do not count it.
  ui::WindowRuntime* left_windows = nullptr;
  HiddenWindow* left_hidden = nullptr;

  // Open file searches by handle.
  std::mutex searches_mutex;
  std::map<intptr_t, std::unique_ptr<FileSearch>> searches;
  intptr_t next_search = 1;
};

RuntimeObject& runtime_object();

}  // namespace quorvant::runtime
