// How libjpeg's errors come back to whoever runs the library: the engine's
// JPEG reader and writer, and the window runtime's picture decoding.
//
// libjpeg reports a fatal error by calling error_exit, which must not
// return. Ours jumps back to the recovery point that the running codec
// operation set with setjmp. The rules that make this safe:
// - only the function that calls setjmp, libjpeg's own C frames and
//   error_exit (or another hook of ours that jumps the same way) may lie
//   between setjmp and the jump, and
// - that function keeps no object with a destructor alive across a library
//   call, and keeps its state in members rather than in locals (a jump
//   leaves non-volatile locals undefined).
// No C++ exception ever travels through libjpeg.
#pragma once

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jpeglib.h>

namespace quorvant::codecs {

// What a warning that picture data is damaged or missing does (see
// jpeg_errors.cpp for which warnings mean that). A converter makes it fatal,
// so that a damaged file is reported as unreadable rather than half
// converted; a picture that is only shown keeps what could be decoded.
enum class DamagedData { kFatal, kTolerated };

// What ended an operation, so that a refusal can say what it is: a file of
// a kind this libjpeg does not decode, or one that needs more memory than
// it may have, is not damaged.
enum class Failure {
  kDamaged,      // damaged or missing data, or data built to keep the decoder busy
  kNotRead,      // a valid kind of file this libjpeg does not decode (12 bits a sample, lossless, ...)
  kMemoryLimit,  // whole-image buffers beyond max_memory_to_use
  kOutOfMemory,  // an allocation of the library failed
};

struct JpegErrors {
  jpeg_error_mgr manager;  // first, so libjpeg's pointer to it is ours too
  std::jmp_buf recovery;
  char message[JMSG_LENGTH_MAX];  // the message of the error that jumped
  Failure failure = Failure::kDamaged;  // what the error that jumped means
  int code = 0;                   // its libjpeg message code (jerror.h); 0 for fail_operation
  bool ended_early = false;       // the file ended without its end marker
  DamagedData damaged = DamagedData::kFatal;
};

// Prepares `errors` and returns the pointer to hand to cinfo.err. Nothing
// is ever printed.
jpeg_error_mgr* install_errors(JpegErrors& errors, DamagedData damaged);

// Ends the running operation like a library error, with `message`.
[[noreturn]] void fail_operation(j_common_ptr cinfo, const char* message, Failure failure = Failure::kDamaged);

}  // namespace quorvant::codecs
