#include "codecs/jpeg_errors.h"

#include <jerror.h>

#include <cstring>

namespace quorvant::codecs {

namespace {

// Which of libjpeg's warnings (its jerror.h) mean that picture data is
// damaged or missing. The others are kept silent: an unknown Adobe colour
// transform or JFIF revision, stray bytes between segments, a bad ICC
// profile, or scan parameters that baseline files often store as zeros
// ("Invalid SOS parameters for sequential JPEG") leave every pixel as the
// file means it. A file that ends without its end marker ("Premature end of
// JPEG file") is damaged only when rows were still missing, and the
// decoders say so themselves: the Huffman decoder with a premature end of
// its data segment, the arithmetic decoder not at all (the reader checks
// that case itself).
bool means_damaged_data(int code) {
  switch (code) {
    case JWRN_HIT_MARKER:         // the scan data ended before the picture did
    case JWRN_MUST_RESYNC:        // a restart marker is missing: data was lost
    case JWRN_HUFF_BAD_CODE:      // invalid Huffman code
    case JWRN_ARITH_BAD_CODE:     // invalid arithmetic code
    case JWRN_BOGUS_PROGRESSION:  // progressive scans that contradict each other
      return true;
    default:
      return false;
  }
}

// Which of libjpeg's errors refuse a valid file, of a kind the format
// allows but this build of the library does not decode. Every other error
// is damage (or a fault of ours, which the same refusal covers).
Failure failure_of(int code) {
  switch (code) {
    case JERR_BAD_PRECISION:         // 12 bits a sample (the library reads 8)
    case JERR_SOF_UNSUPPORTED:       // lossless and hierarchical processes
    case JERR_ARITH_NOTIMPL:         // arithmetic coding, where it is left out
    case JERR_NOT_COMPILED:          // other features left out of the build
    case JERR_IMAGE_TOO_BIG:         // sides over 65500 pixels (the format allows 65535)
    case JERR_WIDTH_OVERFLOW:        // a row too long for the library's buffers
    case JERR_COMPONENT_COUNT:       // more than 10 components (the format allows 255)
    case JERR_EMPTY_IMAGE:           // a height given by a DNL marker after the first scan
    case JERR_FRACT_SAMPLE_NOTIMPL:  // sampling factors that do not divide the largest
    case JERR_CONVERSION_NOTIMPL:    // a colour space the library cannot convert
      return Failure::kNotRead;
    case JERR_NO_BACKING_STORE:  // the whole-image buffers would pass max_memory_to_use
      return Failure::kMemoryLimit;
    case JERR_OUT_OF_MEMORY:
      return Failure::kOutOfMemory;
    default:
      return Failure::kDamaged;
  }
}

[[noreturn]] void jump_to_recovery(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  errors->code = cinfo->err->msg_code;
  errors->failure = failure_of(errors->code);
  (*cinfo->err->format_message)(cinfo, errors->message);
  std::longjmp(errors->recovery, 1);
}

void emit_message(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages
  cinfo->err->num_warnings++;
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  if (cinfo->err->msg_code == JWRN_JPEG_EOF) errors->ended_early = true;
  if (errors->damaged == DamagedData::kFatal && means_damaged_data(cinfo->err->msg_code)) jump_to_recovery(cinfo);
}

void output_message(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* install_errors(JpegErrors& errors, DamagedData damaged) {
  errors.message[0] = '\0';
  errors.failure = Failure::kDamaged;
  errors.code = 0;
  errors.ended_early = false;
  errors.damaged = damaged;
  jpeg_error_mgr* manager = jpeg_std_error(&errors.manager);
  manager->error_exit = jump_to_recovery;
  manager->emit_message = emit_message;
  manager->output_message = output_message;
  return manager;
}

void fail_operation(j_common_ptr cinfo, const char* message, Failure failure) {
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  errors->failure = failure;
  errors->code = 0;
  std::strncpy(errors->message, message, sizeof errors->message - 1);
  errors->message[sizeof errors->message - 1] = '\0';
  std::longjmp(errors->recovery, 1);
}

}  // namespace quorvant::codecs
