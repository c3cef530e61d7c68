#include "runtime/libraries.h"

#include <pthread.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/desktop.h"
#include "runtime/runtime_object.h"
#include "runtime/values.h"

namespace quorvant::runtime {

namespace {

int32_t notify_nothing(int32_t code, intptr_t, intptr_t) { return code == 1 ? 0 : -1; }

struct ThreadStart {
  ThreadEntry entry;
  intptr_t parameter;
};

void* run_thread(void* start) {
  const std::unique_ptr<ThreadStart> what(static_cast<ThreadStart*>(start));  // handed over by start_thread
  what->entry(what->parameter);
  return nullptr;
}

// Optional arguments count only when the count covers them and their tag
// is not 0.
bool present(int32_t count, const ValueRecord* args, int32_t index) {
  return index < count && args != nullptr && args[index].tag != tag::kOmitted;
}

void start_thread(ValueRecord* result, int32_t count, ValueRecord* args) {
  *result = ValueRecord::of_bool(false);
  if (count < 1 || args == nullptr || args[0].as_pointer() == nullptr) return;
  auto start = std::make_unique<ThreadStart>(
      ThreadStart{reinterpret_cast<ThreadEntry>(args[0].as_pointer()), present(count, args, 1) ? args[1].as_int() : 0});
  pthread_t thread{};
  const bool created = ::pthread_create(&thread, nullptr, run_thread, start.get()) == 0;
  if (created) start.release();  // the thread owns it now
  // Nobody waits for the thread: its resources go when it ends. A caller
  // that asks for the handle gets a number it may keep; there is nothing to
  // close.
  if (created) ::pthread_detach(thread);
  if (present(count, args, 2) && args[2].as_pointer() != nullptr) {
    *static_cast<int32_t*>(args[2].as_pointer()) = created ? static_cast<int32_t>(thread & 0x7FFFFFFF) : 0;
  }
  *result = ValueRecord::of_bool(created);
}

// The built-in address stands in for an omitted one only. An empty text
// (or a record that is no text) asks the desktop to open an empty address,
// which opens nothing, so no request is made.
void open_web_address(ValueRecord* result, int32_t count, ValueRecord* args) {
  *result = {};
  if (!present(count, args, 0)) {
    runtime_object().desktop->open_url(kDefaultWebAddress);
    return;
  }
  const std::string_view address = args[0].tag == tag::kText ? text_of(args[0].as_text()) : std::string_view{};
  if (!address.empty()) runtime_object().desktop->open_url(std::string(address));
}

constexpr CommandInfo kThreadCommands[] = {{"start thread", start_thread}};
constexpr CommandInfo kInterfaceCommands[] = {{"open web address", open_web_address}};
constexpr LibraryRecord kThreadLibrary = {"thread", kThreadCommands, 1, notify_nothing};
constexpr LibraryRecord kInterfaceLibrary = {"interface", kInterfaceCommands, 1, notify_nothing};

}  // namespace

const LibraryRecord& thread_library() { return kThreadLibrary; }
const LibraryRecord& interface_library() { return kInterfaceLibrary; }

}  // namespace quorvant::runtime
