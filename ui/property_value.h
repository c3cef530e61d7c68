// Property values as the program sees them, and fonts.
#pragma once

#include <QFont>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "ui/form_reader/byte_io.h"

namespace quorvant::ui {

using form::Bytes;

// A font as the program sees it: seven fields, addressed 0 to 6 when a
// single field is read or written.
struct FontRecord {
  int32_t angle = 0;  // tenths of a degree, modulo 3600
  bool bold = false;
  bool italic = false;
  bool strike_out = false;
  bool underline = false;
  int32_t size = 9;  // points
  std::string face;  // UTF-8; empty or longer than 31 bytes gives "宋体"
  friend bool operator==(const FontRecord&, const FontRecord&) = default;
};

// Integers, booleans, choices and colours are int32; texts are UTF-8;
// pictures, icons, sounds and other byte blocks are Bytes.
using PropertyValue = std::variant<std::monostate, int32_t, int64_t, double, std::string, Bytes, FontRecord>;

// Stored fonts are the 60-byte logical-font record of the original
// platform: height, width, escapement, orientation, weight (int32 each),
// italic, underline, strike-out, character set and four more bytes, and a
// 32-byte GBK face name. Nothing for any other length.
std::optional<FontRecord> decode_font(const Bytes& stored);
Bytes encode_font(const FontRecord& font);
// The control's font, or the default interface font for an empty blob.
FontRecord font_or_default(const Bytes& stored);
QFont to_qfont(const FontRecord& font);
// The same font for boxes that show file names and other typed text. Where
// the Song face stands in, its Latin letters are hard to tell apart at 12
// pixels ("g" reads "8", "l" reads "1"): Latin comes from DejaVu Sans Mono
// instead, Chinese still from the Song face.
QFont to_qfont_for_typed_text(const FontRecord& font);

// One field (0 angle, 1 bold, 2 italic, 3 strike-out, 4 underline, 5 size,
// 6 face) of a font as a property value, and the font with one field
// replaced.
PropertyValue font_field_of(const FontRecord& font, int field);
FontRecord with_font_field(FontRecord font, int field, const PropertyValue& value);

// The value as an integer (texts are not numbers: 0).
int32_t as_int(const PropertyValue& value);
std::string as_text(const PropertyValue& value);
Bytes as_bytes(const PropertyValue& value);

}  // namespace quorvant::ui
