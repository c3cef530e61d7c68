// The file a TIFF is written to, seen by libtiff through a buffer.
//
// libtiff writes each strip with a system call of its own and asks the file
// for its end before every strip: 4000 system calls for a 3000 x 2000
// picture in one-row strips, and 9 KB writes cost the kernel three times
// what 64 KB writes do. Through this class strips that follow one another
// go out in writes of up to 1 MiB, and seeks only move a position. The file
// receives the same bytes at the same places.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <memory>
#include <string>

#include "engine/unique_fd.h"

namespace quorvant::engine::tiff {

class BufferedOutput {
 public:
  BufferedOutput() = default;
  ~BufferedOutput() { close(); }
  BufferedOutput(const BufferedOutput&) = delete;
  BufferedOutput& operator=(const BufferedOutput&) = delete;

  // Takes over `file` (created and empty) and opens libtiff on it with
  // `mode` ("w..."); `name` is what libtiff calls it. nullptr on failure.
  // The TIFF must be closed before this object is closed or destroyed:
  // libtiff calls back into it.
  TIFF* open(UniqueFd file, const std::string& name, const char* mode);
  // Writes out the buffered bytes; false when any write so far failed.
  bool flush();
  // The errno of the first failed write; 0 while none failed.
  int error() const { return error_; }
  // Writes out what is buffered (failures are the caller's to see through
  // flush()) and closes the file.
  void close();

 private:
  static tmsize_t read(thandle_t self, void* data, tmsize_t count);
  static tmsize_t write(thandle_t self, void* data, tmsize_t count);
  static toff_t seek(thandle_t self, toff_t offset, int whence);
  static int close_nothing(thandle_t self);
  static toff_t size(thandle_t self);
  static int map_nothing(thandle_t self, void** base, toff_t* size);
  static void unmap_nothing(thandle_t self, void* base, toff_t size);

  bool append(const uint8_t* data, size_t count);
  void note_failure();
  bool write_at(uint64_t offset, const uint8_t* data, size_t count);

  UniqueFd fd_;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t buffered_ = 0;        // bytes in buffer_, meant for buffer_start_ on
  uint64_t buffer_start_ = 0;  // the file offset of buffer_[0]
  uint64_t position_ = 0;      // where libtiff reads or writes next
  uint64_t size_ = 0;          // the file's size once the buffer is out
  bool failed_ = false;
  int error_ = 0;
};

}  // namespace quorvant::engine::tiff
