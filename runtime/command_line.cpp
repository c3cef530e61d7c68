#include "runtime/command_line.h"

namespace quorvant::runtime {

std::vector<std::string> split_command_line(std::string_view line) {
  std::vector<std::string> arguments;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
      if (line[i] == '\\') {
        // 2n backslashes before a quote give n backslashes and the quote
        // groups; 2n + 1 give n backslashes and a literal quote; elsewhere
        // backslashes are plain characters.
        size_t count = 0;
        while (i < line.size() && line[i] == '\\') {
          ++count;
          ++i;
        }
        if (i < line.size() && line[i] == '"') {
          argument.append(count / 2, '\\');
          if (count % 2 == 1) {
            argument += '"';
            ++i;
          }
        } else {
          argument.append(count, '\\');
        }
      } else if (line[i] == '"') {
        // Inside quotes, a doubled quote is a literal quote.
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          argument += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument += line[i++];
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

}  // namespace quorvant::runtime
