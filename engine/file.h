// A stdio file owned by one object: closed when the object goes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace quorvant::engine {

class File {
 public:
  File() = default;

  // Opens an existing file for binary reading.
  static File open_read(const std::string& path);
  // Creates or truncates a file for binary writing.
  static File open_write(const std::string& path);

  explicit operator bool() const { return handle_ != nullptr; }
  FILE* get() const { return handle_.get(); }

  bool read_exact(void* bytes, size_t count);
  bool write_all(const void* bytes, size_t count);
  bool seek(uint64_t offset);
  // The file's size in bytes, or nothing when it cannot be told.
  std::optional<uint64_t> size() const;
  // Closes the file; false when buffered data could not be written.
  bool close();

 private:
  struct Closer {
    void operator()(FILE* f) const { std::fclose(f); }
  };
  explicit File(FILE* f);
  // The stdio buffer must outlive the handle, which flushes through it when
  // it closes: members are destroyed in reverse order.
  std::unique_ptr<char[]> buffer_;
  std::unique_ptr<FILE, Closer> handle_;
};

}  // namespace quorvant::engine
