// Converting through the engine's value-record commands, as the window
// program calls them.
#pragma once

#include <string>

#include "engine/target_format.h"

namespace quorvant::testing {

// Calls the command named after `format` with the records it declares (JPG:
// colour, quality 75, optimised, no smoothing; PNG: 24 bits; PPM and PGM:
// binary; TIF: colour) and returns the result code it answers. A command
// table without that name fails the test and answers 0.
int convert_with_command(engine::TargetFormat format, const std::string& source, const std::string& destination);

}  // namespace quorvant::testing
