// Splitting a command line into program and arguments the way programs on
// the original platform split theirs: white space separates arguments,
// double quotes group, and backslashes escape quotes only in front of them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvant::runtime {

std::vector<std::string> split_command_line(std::string_view line);

}  // namespace quorvant::runtime
