// Names and messages made safe for where they are printed: JSON string
// literals, and text on a terminal.
#pragma once

#include <string>
#include <string_view>

namespace quorvant::cli {

// `text` as a JSON string literal. Bytes that are not valid UTF-8 become
// U+FFFD so that every line stays valid JSON.
std::string json_string(std::string_view text);
// Text that is safe on a terminal: control characters (C0, DEL and C1),
// and bytes that are not valid UTF-8, are written as escapes (\n, \x1b,
// \u009b), so a name cannot split a line or drive the terminal.
std::string terminal_text(std::string_view text);
// A file name for a message: terminal-safe, in single quotes, with a quote
// or backslash inside escaped ('it\'s.jpg').
std::string quote(std::string_view name);

}  // namespace quorvant::cli
