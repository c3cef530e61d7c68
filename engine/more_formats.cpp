#include "engine/more_formats.h"

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

namespace quorvant::engine::more_formats {

namespace {

struct Module {
  const Table* table = nullptr;
  std::string failure;  // why it could not be opened
};

// Where the module may be: installed, in lib/quorvant beside the program's
// bin folder; in a build, beside the program or one folder up (the tests'
// programs are in a folder of their own); else wherever the program's run
// path and the system's search find it. The places are named in full: a
// sanitizer's dlopen searches no run path of the program.
std::vector<std::string> places() {
  std::vector<std::string> candidates;
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    const std::filesystem::path folder = program.parent_path();
    for (const std::filesystem::path& place : {folder / "../lib/quorvant", folder, folder / ".."}) {
      candidates.push_back((place / kModuleFile).string());
    }
  }
  candidates.emplace_back(kModuleFile);
  return candidates;
}

// Opened once, by whichever conversion first needs it, and never closed:
// the readers and writers it makes may be alive until the process ends.
const Module& module() {
  static Module opened;
  static std::once_flag once;
  std::call_once(once, [] {
    void* handle = nullptr;
    for (const std::string& place : places()) {
      if ((handle = ::dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL)) != nullptr) break;
    }
    if (handle == nullptr) {
      const char* error = ::dlerror();
      opened.failure = std::string("the module of the WebP, GIF, AVIF, HEIC and JPEG XL formats cannot be opened: ") +
                       (error != nullptr ? error : kModuleFile);
      return;
    }
    using TableFunction = const Table* (*)();
    const auto give_table = reinterpret_cast<TableFunction>(::dlsym(handle, kTableFunction));
    if (give_table == nullptr) {
      opened.failure = std::string(kModuleFile) + " has no " + kTableFunction;
      return;
    }
    opened.table = give_table();
  });
  return opened;
}

template <class Made>
std::unique_ptr<Made> made_by(std::unique_ptr<Made> (*Table::*factory)()) {
  const Table* table = module().table;
  return table != nullptr ? (table->*factory)() : nullptr;
}

}  // namespace

std::unique_ptr<ImageReader> webp_reader() { return made_by(&Table::webp_reader); }
std::unique_ptr<ImageReader> gif_reader() { return made_by(&Table::gif_reader); }
std::unique_ptr<ImageReader> avif_reader() { return made_by(&Table::avif_reader); }
std::unique_ptr<ImageReader> heif_reader() { return made_by(&Table::heif_reader); }
std::unique_ptr<ImageReader> jxl_reader() { return made_by(&Table::jxl_reader); }
std::unique_ptr<ImageWriter> webp_writer() { return made_by(&Table::webp_writer); }
std::unique_ptr<ImageWriter> avif_writer() { return made_by(&Table::avif_writer); }
std::unique_ptr<ImageWriter> jxl_writer() { return made_by(&Table::jxl_writer); }

std::string unavailable() { return module().failure; }

}  // namespace quorvant::engine::more_formats
