#include "engine/more_formats.h"

#include <dlfcn.h>

#include <mutex>

namespace quorvant::engine::more_formats {

namespace {

struct Module {
  const Table* table = nullptr;
  std::string failure;  // why it could not be opened
};

// Opened once, by whichever conversion first needs it, and never closed:
// the readers and writers it makes may be alive until the process ends.
const Module& module() {
  static Module opened;
  static std::once_flag once;
  std::call_once(once, [] {
    void* handle = ::dlopen(kModuleFile, RTLD_NOW | RTLD_LOCAL);
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
