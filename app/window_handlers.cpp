// The handlers that shape the window and keep its controls in step: the
// rounded, partly transparent window, the title buttons and the JPEG
// options with their value labels.
#include "app/handlers.h"
#include "app/ids.h"
#include "app/runtime_calls.h"
#include "forms/main_window.h"
#include "runtime/shim/windows_api.h"

namespace quorvant::app {

namespace {

using runtime::CoreCommand;
using namespace winapi;

constexpr int32_t kCornerSize = 15;
constexpr BYTE kOpacity = 234;
constexpr int32_t kMinimised = 2;

void show_position(uint32_t slider, uint32_t label) {
  const ValueRecord position = ValueRecord::of_int(read_int(slider, property::kSliderPosition));
  const Text number = core_text(CoreCommand::kToText, {position});
  const Text caption = joined({number.view(), " 度"});
  write(label, property::kText, caption.record());
}

}  // namespace

void shape_window() {
  const HWND window =
      core(CoreCommand::kWindowHandle, {control(element::kWindowItself, ui::form::type_id::kWindow)}).as_int();
  const int32_t width = read_int(element::kWindowItself, property::kWidth);
  const int32_t height = read_int(element::kWindowItself, property::kHeight);
  const HRGN region =
      runtime::call_dll_command<HRGN>(dll::kCreateRoundRegion, 0, 0, width, height, kCornerSize, kCornerSize);
  // The window owns the region from here on.
  runtime::call_dll_command<int32_t>(dll::kSetWindowRegion, window, region, BOOL{1});
  runtime::call_dll_command<LONG>(dll::kSetWindowLong, window, kExtendedStyle, kLayered);
  runtime::call_dll_command<BOOL>(dll::kSetLayeredAttributes, window, COLORREF{0}, kOpacity, kLayeredAlpha);
}

void open_web_addresses() {
  library_command(library::kInterface, 0, {text_arg(forms::kForumAddress)});
  library_command(library::kInterface, 0, {text_arg(forms::kWebSiteAddress)});
}

void close_program() {
  open_web_addresses();
  runtime::end_program(0);
}

void minimise_window() { write(element::kWindowItself, property::kWindowPosition, ValueRecord::of_int(kMinimised)); }

void enable_jpeg_options() { write(element::kJpegOptions, property::kDisabled, ValueRecord::of_bool(false)); }

void disable_jpeg_options() { write(element::kJpegOptions, property::kDisabled, ValueRecord::of_bool(true)); }

void show_quality() { show_position(element::kQuality, element::kQualityLabel); }

void show_smoothing() { show_position(element::kSmoothing, element::kSmoothingLabel); }

}  // namespace quorvant::app
