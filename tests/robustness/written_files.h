// Whether a file a conversion command says it wrote is a whole picture of
// the expected size, read back by a reader of its format.
#pragma once

#include <string>

#include "engine/target_format.h"

namespace quorvant::testing {

// Empty when the file is whole; otherwise what is wrong with it.
std::string check_written_file(engine::TargetFormat format, const std::string& path, int width, int height);

}  // namespace quorvant::testing
