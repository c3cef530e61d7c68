// What the program gives its system shim when the shim is loaded: the
// widgets behind window handles and the dialogs.
#pragma once

#include <cstdint>

class QWidget;
namespace quorvant::platform {
class Dialogs;
}

namespace quorvant::runtime {

struct ShimServices {
  QWidget* (*widget_of)(int32_t handle);
  platform::Dialogs* (*dialogs)();
};

using ShimAttach = void (*)(const ShimServices* services);
inline constexpr const char* kShimAttachSymbol = "quorvant_shim_attach";

}  // namespace quorvant::runtime
