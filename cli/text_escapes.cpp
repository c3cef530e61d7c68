#include "cli/text_escapes.h"

#include <cstdint>
#include <cstdio>

namespace quorvant::cli {

namespace {

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not a
// valid one.
size_t utf8_sequence_length(std::string_view text, size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  size_t length = 0;
  uint32_t minimum = 0;
  uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, minimum = 0x80, code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, minimum = 0x800, code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, minimum = 0x10000, code = lead & 0x07u;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    const auto c = static_cast<unsigned char>(text[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    code = (code << 6) | (c & 0x3Fu);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

// How one kind of escaping treats what is not plain printable ASCII.
struct EscapeRules {
  char quote;           // escaped with a backslash, as is the backslash; 0: none
  const char* control;  // printf format for a C0 control or DEL byte
  const char* invalid;  // printf format for a byte that is not UTF-8 (given the byte)
  bool escape_c1;       // C1 controls (U+0080 to U+009F) as \u00NN
};

constexpr EscapeRules kJson{'"', "\\u%04x", "\\ufffd", false};
constexpr EscapeRules kTerminal{0, "\\x%02x", "\\x%02x", true};
constexpr EscapeRules kQuotedName{'\'', "\\x%02x", "\\x%02x", true};

std::string escape(std::string_view text, const EscapeRules& rules) {
  std::string out;
  char escaped[12];
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t length = 1;
    if (rules.quote != 0 && (c == static_cast<unsigned char>(rules.quote) || c == '\\')) {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      std::snprintf(escaped, sizeof escaped, rules.control, c);
      out += escaped;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (length = utf8_sequence_length(text, i); length == 0) {
      std::snprintf(escaped, sizeof escaped, rules.invalid, c);
      out += escaped;
      length = 1;
    } else if (rules.escape_c1 && length == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(text[i + 1]));
      out += escaped;
    } else {
      out.append(text.substr(i, length));
    }
    i += length;
  }
  return out;
}

}  // namespace

std::string json_string(std::string_view text) { return '"' + escape(text, kJson) + '"'; }

std::string terminal_text(std::string_view text) { return escape(text, kTerminal); }

std::string quote(std::string_view name) { return "'" + escape(name, kQuotedName) + "'"; }

}  // namespace quorvant::cli
