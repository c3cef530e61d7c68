// The program's DLL table: system functions the application calls by their
// number in the table, resolved on first call and cached per entry.
//
// Library names of the original platform's system libraries (any case)
// resolve on Linux as follows: kernel32.dll to the C library, and gdi32.dll,
// user32.dll, advapi32.dll, mpr.dll and shell32.dll to the program's own
// system shim, which exports the functions the application declares with
// their original meaning. An entry without a library name is looked up in
// those system libraries in the original order.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quorvant::runtime {

struct DllEntry;

// A library loaded with dlopen, closed when the object goes.
class LoadedLibrary {
 public:
  LoadedLibrary() = default;
  explicit LoadedLibrary(void* handle) : handle_(handle) {}
  LoadedLibrary(LoadedLibrary&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  LoadedLibrary& operator=(LoadedLibrary&& other) noexcept;
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  ~LoadedLibrary();

  explicit operator bool() const { return handle_ != nullptr; }
  void* symbol(const std::string& name) const;

 private:
  void* handle_ = nullptr;
};

struct DllSearchPlaces {
  std::string library_folder;     // configured; empty: none
  std::string program_directory;  // no trailing separator
  std::string module_folder;      // with a trailing separator; empty: unknown
};

class DllTable {
 public:
  // Copies the table; the caches start empty.
  void assign(std::span<const DllEntry> entries);
  // Resolves entry `number`. On failure: nothing, and `error` holds the
  // runtime error's message.
  void* resolve(int32_t number, const DllSearchPlaces& places, std::string& error);
  // Releases every library loaded for DLL commands and empties the caches.
  void release();
  // Called with each newly loaded system shim, so it can be given the
  // program's services.
  std::function<void(const LoadedLibrary&)> on_shim_loaded;

 private:
  struct Entry {
    std::string library;
    std::string function;
    void* address = nullptr;
    std::shared_ptr<LoadedLibrary> library_handle;
  };
  std::shared_ptr<LoadedLibrary> load(const std::string& name, const DllSearchPlaces& places);

  std::vector<Entry> entries_;
};

// The file name of the program's system shim, found like any named library.
inline constexpr const char* kSystemShimFile = "libquorvant_system.so";

}  // namespace quorvant::runtime
