// The runtime call interface: every use of the runtime by application code
// goes through these entry points. Arguments and results are value records
// (value_record.h, which also states the ownership rules).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "runtime/value_record.h"
#include "ui/window_runtime.h"

namespace quorvant::platform {
class Dialogs;
class Desktop;
class SoundPlayer;
}  // namespace quorvant::platform

namespace quorvant::runtime {

// One entry of the program's DLL table: a library file name (possibly
// empty: the system libraries are searched) and a function name ("#n"
// names an export by ordinal).
struct DllEntry {
  const char* library;
  const char* function;
};

// The static description of the program that the runtime reads at start-up.
struct ApplicationDescriptor {
  int32_t run_mode = 3;
  int32_t reserved = 0;
  int32_t version = 0;
  // The code base: the handler routines that form template bindings name
  // by their offset (offset k is routine k).
  const std::vector<ui::EventHandler>* code_base = nullptr;
  // Constant data of the application besides its literals: the read-only
  // data of the program file, where its literals are, is registered anyway.
  const void* constant_start = nullptr;
  size_t constant_size = 0;
  std::span<const uint8_t> form;  // the form template; empty: no windows
  std::span<const LibraryRecord* const> libraries;
  std::span<const DllEntry> dlls;
};

// Replacements for the real dialogs, desktop and library folder (tests).
// Take effect at initialise_runtime; nullptr keeps the real one.
struct RuntimeOptions {
  platform::Dialogs* dialogs = nullptr;
  platform::Desktop* desktop = nullptr;
  std::string library_folder;               // searched first for named DLL libraries
  platform::SoundPlayer* sounds = nullptr;  // none given: the sound card
};
void configure_runtime(const RuntimeOptions& options);

// Runtime service 6. Must be the first call: makes the program directory the
// current directory, creates the hidden runtime window on this thread (the
// main thread), installs Qt's Chinese translations, registers the literal
// area (the program file's read-only data) and the descriptor's constant
// area, copies the DLL table, notifies the libraries (code 1) and loads the
// form template. A QApplication must exist.
void initialise_runtime(const ApplicationDescriptor& descriptor);

// The core commands, in the order of the core library's command table.
enum class CoreCommand : int32_t {
  kRunProgram,
  kWindowHandle,
  kTextLength,
  kProgramDirectory,
  kLeftText,
  kRightText,
  kToUpper,
  kToInteger,
  kSplitText,
  kBlankText,
  kToText,
  kCreateDirectory,
  kFileExists,
  kMessageBox,
  kOpenCommonDialog,
  kListItemCount,
  kListItemText,
  kAddListItem,
  kClearList,
};

// Callers pass one record for every parameter (an omitted one as a zero
// record); the result is the command's record, whose text or array belongs
// to the caller.
ValueRecord call_core_command(CoreCommand command, int32_t argument_count, ValueRecord* arguments);
// `library` is the position in the descriptor's library table, `command`
// the position in that library's command table.
ValueRecord call_library_command(int32_t library, int32_t command, int32_t argument_count, ValueRecord* arguments);

// The address of DLL table entry `entry`, resolved on first use. A function
// that cannot be found is a runtime error that ends the program.
void* dll_function(int32_t entry);
template <class Result, class... Args>
Result call_dll_command(int32_t entry, Args... args) {
  return reinterpret_cast<Result (*)(Args...)>(dll_function(entry))(args...);
}

// Property access by window id, element id and property index. A text is
// returned as a new text owned by the caller; pictures and other byte
// blocks as byte arrays. `font_field` -1 means the whole value.
ValueRecord read_property(uint32_t window_id, uint32_t element_id, int32_t index, int32_t font_field = -1);
void write_property(uint32_t window_id, uint32_t element_id, int32_t index, int32_t font_field,
                    const ValueRecord& value);

// The arguments the program was started with, after its own name, as the
// desktop passes files to open ("quorvant FILE..."); empty outside
// run_application.
std::vector<std::string> program_arguments();

// Loads and shows the start window; failure is a runtime error.
void show_start_window(uint32_t window_id);
// Runs until the last window of the program is gone; returns at once when
// none is open.
int32_t run_message_loop();
// Ends the program: the clean-up routine runs once, the libraries are
// notified (code 6), and the process exits with the code. From another
// thread the main thread is asked to do it and the caller waits.
[[noreturn]] void end_program(int32_t exit_code);

// Runtime services 0 to 3.
// Find file: a non-empty pattern starts a new search in `handle`, an empty
// one continues it. Returns the next accepted name (a new text) or null
// when the search is over (the handle is then closed and set to 0).
char* find_file(const char* pattern, int32_t attribute_mask, bool mask_omitted, intptr_t& handle);
void end_file_search(intptr_t& handle);
// Copies an array variable that points into constant data to the heap.
void own_array(void*& variable);
// The application's clean-up routine, called once when the program ends.
void register_cleanup(void (*routine)());

// The window runtime (for the program's own shim and tests).
ui::WindowRuntime& window_runtime();

// Runs a whole program: makes the application object (with Qt's Chinese
// translations), calls `startup` (the application's start-up routine) and
// ends the program with exit code 0 when it returns.
[[noreturn]] void run_application(int argc, char** argv, int (*startup)());

}  // namespace quorvant::runtime
