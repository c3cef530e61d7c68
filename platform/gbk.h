// Conversions between the GBK texts stored in form templates and the UTF-8
// texts used by the runtime and by Qt.
#pragma once

#include <string>
#include <string_view>

namespace quorvant::platform {

// Bytes that are not valid in the source encoding become "?".
std::string gbk_to_utf8(std::string_view gbk);
std::string utf8_to_gbk(std::string_view utf8);

}  // namespace quorvant::platform
