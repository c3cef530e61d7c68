#include "runtime/dll_table.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>

#include "runtime/runtime.h"

namespace quorvant::runtime {

namespace {

// Searched in this order for an entry without a library name.
constexpr const char* kSystemLibraries[] = {"Kernel32.dll", "Gdi32.dll", "User32.dll",
                                            "Advapi32.dll", "Mpr.dll",   "Shell32.dll"};
constexpr const char* kCLibrary = "libc.so.6";

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// What a system library name stands for here, or the name itself.
std::string linux_name(const std::string& name) {
  const std::string key = lower(name);
  if (key == "kernel32.dll") return kCLibrary;
  for (const char* shim : {"gdi32.dll", "user32.dll", "advapi32.dll", "mpr.dll", "shell32.dll"}) {
    if (key == shim) return kSystemShimFile;
  }
  return name;
}

void* open(const std::string& path) { return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }

}  // namespace

LoadedLibrary& LoadedLibrary::operator=(LoadedLibrary&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) ::dlclose(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

LoadedLibrary::~LoadedLibrary() {
  if (handle_ != nullptr) ::dlclose(handle_);
}

void* LoadedLibrary::symbol(const std::string& name) const {
  return handle_ == nullptr ? nullptr : ::dlsym(handle_, name.c_str());
}

void DllTable::assign(std::span<const DllEntry> entries) {
  entries_.clear();
  for (const DllEntry& entry : entries) {
    entries_.push_back({entry.library != nullptr ? entry.library : "", entry.function != nullptr ? entry.function : "",
                        nullptr, nullptr});
  }
}

std::shared_ptr<LoadedLibrary> DllTable::load(const std::string& name, const DllSearchPlaces& places) {
  const std::string file = linux_name(name);
  void* handle = nullptr;
  if (file == kCLibrary || file.find_first_of(":/") != std::string::npos) {
    // The C library by its own name; a path as it stands.
    handle = open(file);
  } else {
    std::vector<std::string> candidates;
    if (!places.library_folder.empty()) candidates.push_back(places.library_folder + "/" + file);
    candidates.push_back(places.program_directory + "/" + file);
    if (!places.module_folder.empty()) candidates.push_back(places.module_folder + file);
    candidates.push_back(file);  // the system's own search
    for (const std::string& candidate : candidates) {
      if ((handle = open(candidate)) != nullptr) break;
    }
  }
  if (handle == nullptr) return nullptr;
  auto library = std::make_shared<LoadedLibrary>(handle);
  if (file == kSystemShimFile && on_shim_loaded) on_shim_loaded(*library);
  return library;
}

void* DllTable::resolve(int32_t number, const DllSearchPlaces& places, std::string& error) {
  if (number < 0 || static_cast<size_t>(number) >= entries_.size()) {
    error = "无法找到指定DLL库文件中的输出命令“?”";
    return nullptr;
  }
  Entry& entry = entries_[static_cast<size_t>(number)];
  if (entry.address != nullptr) return entry.address;
  // "#n" names an export by ordinal, which shared objects do not have.
  const bool ordinal = !entry.function.empty() && entry.function.front() == '#';
  if (entry.library.empty()) {
    for (const char* system : kSystemLibraries) {
      std::shared_ptr<LoadedLibrary> library = load(system, places);
      void* address = library && !ordinal ? library->symbol(entry.function) : nullptr;
      if (address != nullptr) {
        entry.address = address;
        entry.library_handle = std::move(library);
        return address;
      }
      // A library loaded for an unsuccessful try is released again.
    }
    error = "无法找到指定DLL库文件中的输出命令“" + entry.function + "”";
    return nullptr;
  }
  std::shared_ptr<LoadedLibrary> library = load(entry.library, places);
  void* address = library && !ordinal ? library->symbol(entry.function) : nullptr;
  if (address == nullptr) {
    error = "无法找到指定DLL库文件“" + entry.library + "”中的输出命令“" + entry.function + "”";
    return nullptr;
  }
  entry.address = address;
  entry.library_handle = std::move(library);
  return address;
}

void DllTable::release() {
  for (Entry& entry : entries_) {
    entry.address = nullptr;
    entry.library_handle.reset();
  }
}

}  // namespace quorvant::runtime
