#include "engine/jpeg/jpeg_errors.h"

#include <jerror.h>

namespace quorvant::engine::jpeg {

namespace {

// libjpeg's message codes, from its jerror.h (included for the enum only).
bool means_damaged_data(int code) {
  switch (code) {
    case JWRN_JPEG_EOF:        // premature end of the file
    case JWRN_HIT_MARKER:      // scan data ended at an unexpected marker
    case JWRN_MUST_RESYNC:     // lost its place in the scan data
    case JWRN_HUFF_BAD_CODE:   // invalid Huffman code
    case JWRN_NOT_SEQUENTIAL:  // scans out of order
    case JWRN_ARITH_BAD_CODE:  // invalid arithmetic code
      return true;
    default:
      return false;
  }
}

[[noreturn]] void jump_to_recovery(j_common_ptr cinfo) {
  // The message is formatted as the library expects but not shown anywhere.
  char message[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, message);
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  std::longjmp(errors->recovery, 1);
}

void emit_message(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages
  cinfo->err->num_warnings++;
  if (means_damaged_data(cinfo->err->msg_code)) jump_to_recovery(cinfo);
}

void output_message(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* install_errors(JpegErrors& errors) {
  jpeg_error_mgr* manager = jpeg_std_error(&errors.manager);
  manager->error_exit = jump_to_recovery;
  manager->emit_message = emit_message;
  manager->output_message = output_message;
  return manager;
}

}  // namespace quorvant::engine::jpeg
