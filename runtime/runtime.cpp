#include "runtime/runtime.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QTranslator>

#include <link.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/desktop.h"
#include "platform/desktop_look.h"
#include "platform/dialogs.h"
#include "platform/gbk.h"
#include "runtime/memory.h"
#include "runtime/runtime_error.h"
#include "runtime/runtime_object.h"
#include "runtime/shim/shim_services.h"
#include "runtime/values.h"
#include "ui/form_reader/form_template.h"
#include "ui/form_reader/ids.h"
#include "ui/program_controls.h"

namespace quorvant::runtime {

namespace {

RuntimeOptions& pending_options() {
  static RuntimeOptions options;
  return options;
}

bool on_main_thread() { return std::this_thread::get_id() == runtime_object().main_thread; }

std::string program_path() {
  std::error_code error;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string{} : path.string();
}

// The application's literal area: the read-only load segments of the
// program file, where the compiler puts every literal of the program.
void register_program_literals() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        // The program file comes first; libraries are not the application's.
        for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
          const ElfW(Phdr)& segment = info->dlpi_phdr[i];
          if (segment.p_type != PT_LOAD || (segment.p_flags & PF_W) != 0) continue;
          register_constant_range(reinterpret_cast<const void*>(info->dlpi_addr + segment.p_vaddr), segment.p_memsz);
        }
        return 1;
      },
      nullptr);
}

// Qt's own Chinese translations, so that standard dialogs and message-box
// buttons speak the program's language. Without them installed Qt keeps
// its English.
void install_qt_translations() {
  QPointer<QTranslator>& installed = runtime_object().translator;  // goes with the application that owns it
  auto* application = QCoreApplication::instance();
  if (application == nullptr || installed != nullptr) return;
  auto translator = std::make_unique<QTranslator>(application);
  if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(translator.get())) {
    installed = translator.release();  // the application owns it
  }
}

// What the program's shim asks of the runtime.
QWidget* shim_widget_of(int32_t handle) { return runtime_object().windows->handles().widget_of(handle); }
platform::Dialogs* shim_dialogs() { return runtime_object().dialogs; }

void attach_shim(const LoadedLibrary& shim) {
  static const ShimServices services{&shim_widget_of, &shim_dialogs};
  if (auto* attach = reinterpret_cast<ShimAttach>(shim.symbol(kShimAttachSymbol))) attach(&services);
}

// A property value as a value record; texts and byte blocks are new heap
// blocks owned by the caller.
ValueRecord to_record(const ui::PropertyValue& value, ui::form::ValueKind kind) {
  if (const auto* v = std::get_if<int32_t>(&value)) {
    return kind == ui::form::ValueKind::kBoolean ? ValueRecord::of_bool(*v == 1) : ValueRecord::of_int(*v);
  }
  if (const auto* v = std::get_if<int64_t>(&value)) {
    ValueRecord r;
    r.set_payload(static_cast<uint64_t>(*v));
    r.tag = kind == ui::form::ValueKind::kDateTime ? tag::kDateTime : tag::kInt64;
    return r;
  }
  if (const auto* v = std::get_if<double>(&value)) {
    ValueRecord r;
    uint64_t bits = 0;
    std::memcpy(&bits, v, sizeof bits);
    r.set_payload(bits);
    r.tag = tag::kDouble;
    return r;
  }
  if (const auto* v = std::get_if<std::string>(&value)) return text_record(*v);
  if (const auto* v = std::get_if<ui::Bytes>(&value)) {
    return ValueRecord::of_pointer(make_byte_array(*v), tag::kByte | tag::kArrayFlag);
  }
  if (const auto* v = std::get_if<ui::FontRecord>(&value)) {
    const ui::Bytes stored = ui::encode_font(*v);
    return ValueRecord::of_pointer(make_byte_array(stored), tag::kByte | tag::kArrayFlag);
  }
  return {};
}

ui::PropertyValue from_record(const ValueRecord& value) {
  switch (value.tag) {
    case tag::kText:
      return std::string(text_of(value.as_text()));
    case tag::kInt64:
    case tag::kDateTime:
      return static_cast<int64_t>(value.payload());
    case tag::kDouble: {
      double d = 0;
      const uint64_t bits = value.payload();
      std::memcpy(&d, &bits, sizeof d);
      return d;
    }
    case tag::kFloat: {
      float f = 0;
      std::memcpy(&f, &value.value, sizeof f);
      return static_cast<double>(f);
    }
    case tag::kByteSet:
    case tag::kByte | tag::kArrayFlag: {
      const auto* block = static_cast<const uint8_t*>(value.as_pointer());
      if (block == nullptr) return ui::Bytes{};
      const auto count = static_cast<size_t>(element_count(block));
      return ui::Bytes(block + 8, block + 8 + count);
    }
    case tag::kByte:
      return static_cast<int32_t>(value.value & 0xFF);
    case tag::kShort:
      return static_cast<int32_t>(static_cast<int16_t>(value.value));
    default:
      return value.as_int();
  }
}

}  // namespace

RuntimeObject::~RuntimeObject() {
  if (QCoreApplication::instance() == nullptr) {
    // Widgets cannot go without the application. What is left stays where
    // the process can still reach it, so leak checkers do not count it.
    left_windows = windows.release();
    left_hidden = hidden.release();
    translator.clear();
  }
}

RuntimeObject& runtime_object() {
  static RuntimeObject object;
  return object;
}

void configure_runtime(const RuntimeOptions& options) { pending_options() = options; }

void HiddenWindow::end_program(int32_t exit_code) { runtime::end_program(exit_code); }

void initialise_runtime(const ApplicationDescriptor& descriptor) {
  RuntimeObject& rt = runtime_object();
  rt.run_mode = descriptor.run_mode;
  rt.version = descriptor.version;

  // The program directory is the part of the program's path before its last
  // separator, and becomes the current directory.
  const std::string path = program_path();
  const size_t slash = path.rfind('/');
  rt.program_directory = slash == std::string::npos ? "" : path.substr(0, slash);
  rt.program_file_name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (rt.module_folder.empty() && !rt.program_directory.empty()) rt.module_folder = rt.program_directory + "/";
  if (!rt.program_directory.empty() && ::chdir(rt.program_directory.c_str()) != 0) {
    // Staying where it was started is the best the program can do.
  }

  rt.main_thread = std::this_thread::get_id();
  rt.hidden = std::make_unique<HiddenWindow>();
  platform::use_desktop_look();
  install_qt_translations();
  register_program_literals();
  register_constant_range(descriptor.constant_start, descriptor.constant_size);

  const RuntimeOptions& options = pending_options();
  rt.library_folder = options.library_folder;
  rt.dlls.assign(descriptor.dlls);
  rt.dlls.on_shim_loaded = attach_shim;
  if (options.dialogs != nullptr) {
    rt.dialogs = options.dialogs;
  } else {
    rt.own_dialogs = std::make_unique<platform::QtDialogs>();
    rt.dialogs = rt.own_dialogs.get();
  }
  if (options.desktop != nullptr) {
    rt.desktop = options.desktop;
  } else {
    rt.own_desktop = std::make_unique<platform::QtDesktop>();
    rt.desktop = rt.own_desktop.get();
  }
  if (options.sounds != nullptr) {
    rt.sounds = options.sounds;
  } else {
    rt.own_sounds = std::make_unique<platform::AlsaSoundPlayer>();
    rt.sounds = rt.own_sounds.get();
  }

  rt.libraries.assign(descriptor.libraries.begin(), descriptor.libraries.end());
  rt.initialised = true;
  for (const LibraryRecord* library : rt.libraries) {
    if (library != nullptr && library->notify != nullptr) library->notify(1, 0, 0);
  }

  const std::vector<ui::EventHandler> no_handlers;
  const auto& handlers = descriptor.code_base != nullptr ? *descriptor.code_base : no_handlers;
  std::optional<ui::form::Form> form = ui::form::Form{};
  if (!descriptor.form.empty()) form = ui::form::load_form(descriptor.form, static_cast<int32_t>(handlers.size()));
  rt.windows = std::make_unique<ui::WindowRuntime>(form ? std::move(*form) : ui::form::Form{}, handlers,
                                                   ui::program_control_types(), *rt.dialogs);
  rt.windows->set_sound_player(rt.sounds);
  rt.windows->set_error_hook([](int32_t code, const std::string& message) { raise_runtime_error(code, message); });
  rt.windows->set_last_window_hook([] { QCoreApplication::quit(); });
  if (!form) raise_runtime_error(0, ui::form::kTemplateLoadError);
}

ui::WindowRuntime& window_runtime() { return *runtime_object().windows; }

ValueRecord call_library_command(int32_t library, int32_t command, int32_t argument_count, ValueRecord* arguments) {
  const RuntimeObject& rt = runtime_object();
  ValueRecord result;
  if (library < 0 || static_cast<size_t>(library) >= rt.libraries.size()) return result;
  const LibraryRecord* record = rt.libraries[static_cast<size_t>(library)];
  if (record == nullptr || command < 0 || command >= record->command_count) return result;
  record->commands[command].entry(&result, argument_count, arguments);
  return result;
}

void* dll_function(int32_t entry) {
  RuntimeObject& rt = runtime_object();
  std::string error;
  void* address = rt.dlls.resolve(entry, {rt.library_folder, rt.program_directory, rt.module_folder}, error);
  if (address == nullptr) raise_runtime_error(0, error);
  return address;
}

ValueRecord read_property(uint32_t window_id, uint32_t element_id, int32_t index, int32_t font_field) {
  const ui::WindowRuntime::TypedValue typed =
      window_runtime().get_typed_property(window_id, element_id, index, font_field);
  return to_record(typed.value, typed.kind);
}

void write_property(uint32_t window_id, uint32_t element_id, int32_t index, int32_t font_field,
                    const ValueRecord& value) {
  window_runtime().set_property(window_id, element_id, index, from_record(value), font_field);
}

void show_start_window(uint32_t window_id) {
  if (!window_runtime().open_window(window_id)) raise_runtime_error(0, "载入启动窗口失败");
}

int32_t run_message_loop() {
  RuntimeObject& rt = runtime_object();
  rt.started = true;
  rt.windows->set_message_loop_started(true);
  if (!rt.windows->any_window_open()) return 0;
  QApplication::exec();
  return 0;
}

void end_program(int32_t exit_code) {
  RuntimeObject& rt = runtime_object();
  if (!on_main_thread() && rt.hidden) {
    // The main thread ends the program; this thread waits for it.
    QMetaObject::invokeMethod(
        rt.hidden.get(), [exit_code] { end_program(exit_code); }, Qt::BlockingQueuedConnection);
    if (!rt.ending) {
      std::fflush(nullptr);
      ::_exit(exit_code);
    }
    // The main thread is ending the process; wait for it to go.
    for (;;) ::pause();
  }
  if (!rt.ending.exchange(true)) {
    // Windows are not closed one by one and raise no close query.
    if (rt.windows) rt.windows->raise_error_nesting();
    if (void (*cleanup)() = rt.cleanup.exchange(nullptr)) cleanup();
    for (const LibraryRecord* library : rt.libraries) {
      if (library != nullptr && library->notify != nullptr) library->notify(6, 0, 0);
    }
    rt.dlls.release();
  }
  std::fflush(nullptr);
  ::_exit(exit_code);
}

char* find_file(const char* pattern, int32_t attribute_mask, bool mask_omitted, intptr_t& handle) {
  RuntimeObject& rt = runtime_object();
  std::lock_guard lock(rt.searches_mutex);
  if (pattern != nullptr && *pattern != '\0') {
    rt.searches.erase(handle);
    handle = 0;
    std::optional<FileSearch> search = FileSearch::start(pattern);
    if (!search) return nullptr;
    handle = rt.next_search++;
    rt.searches[handle] = std::make_unique<FileSearch>(std::move(*search));
  }
  const auto found = rt.searches.find(handle);
  if (handle == 0 || found == rt.searches.end()) return nullptr;
  // Without a mask every entry that is not a directory is accepted; a mask
  // reduced to 0 accepts entries without attributes only; any other mask
  // entries that share a bit with it.
  const uint32_t mask = static_cast<uint32_t>(attribute_mask) & 0x37;
  while (std::optional<FoundEntry> entry = found->second->next()) {
    const bool accepted = mask_omitted ? (entry->attributes & attribute::kDirectory) == 0
                          : mask == 0  ? entry->attributes == 0
                                       : (entry->attributes & mask) != 0;
    if (accepted) return make_text(entry->name);
  }
  rt.searches.erase(found);
  handle = 0;
  return nullptr;
}

void end_file_search(intptr_t& handle) {
  RuntimeObject& rt = runtime_object();
  std::lock_guard lock(rt.searches_mutex);
  if (handle != 0) rt.searches.erase(handle);
  handle = 0;
}

void own_array(void*& variable) {
  if (variable == nullptr || !is_constant(variable)) return;
  int32_t dimensions = 0;
  std::memcpy(&dimensions, variable, sizeof dimensions);
  const size_t header_bytes = 4 + 4 * static_cast<size_t>(std::max(0, dimensions));
  // At most the header and 8 bytes an element; reallocate copies no further
  // than the end of the constant range the array lies in.
  const size_t bytes = header_bytes + static_cast<size_t>(element_count(variable)) * sizeof(void*);
  variable = reallocate(variable, bytes);
}

void register_cleanup(void (*routine)()) { runtime_object().cleanup = routine; }

std::vector<std::string> program_arguments() {
  std::vector<std::string> arguments;
  if (QCoreApplication::instance() == nullptr) return arguments;
  const QStringList all = QCoreApplication::arguments();
  // File names reach the program as the file system spells them.
  for (qsizetype i = 1; i < all.size(); ++i) arguments.push_back(QFile::encodeName(all[i]).toStdString());
  return arguments;
}

void run_application(int argc, char** argv, int (*startup)()) {
  QApplication application(argc, argv);
  install_qt_translations();
  RuntimeObject& rt = runtime_object();
  rt.module_folder = QCoreApplication::applicationDirPath().toStdString() + "/";
  startup();
  end_program(0);
}

}  // namespace quorvant::runtime
