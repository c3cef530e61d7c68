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

[[noreturn]] void jump_to_recovery(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
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
  errors.ended_early = false;
  errors.damaged = damaged;
  jpeg_error_mgr* manager = jpeg_std_error(&errors.manager);
  manager->error_exit = jump_to_recovery;
  manager->emit_message = emit_message;
  manager->output_message = output_message;
  return manager;
}

void fail_operation(j_common_ptr cinfo, const char* message) {
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  std::strncpy(errors->message, message, sizeof errors->message - 1);
  errors->message[sizeof errors->message - 1] = '\0';
  std::longjmp(errors->recovery, 1);
}

}  // namespace quorvant::codecs
