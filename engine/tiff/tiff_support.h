// libtiff's messages are discarded: nothing it reports is shown, printed or
// logged. The handlers are process-wide; this sets them once, from
// whichever thread opens the first TIFF file.
#pragma once

namespace quorvant::engine::tiff {

void silence_libtiff();

}  // namespace quorvant::engine::tiff
