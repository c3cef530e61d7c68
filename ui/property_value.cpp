#include "ui/property_value.h"

#include <QStringList>

#include <algorithm>
#include <cstring>

#include "platform/gbk.h"
#include "platform/little_endian.h"

namespace quorvant::ui {

namespace {

constexpr size_t kStoredFontSize = 60;
constexpr size_t kFaceAt = 28;
constexpr size_t kFaceSize = 32;
constexpr int32_t kBoldWeight = 700;
// Point sizes and pixel heights convert at the usual 96 pixels per inch.
constexpr int32_t kPixelsPerInch = 96;
constexpr const char* kDefaultFace = "宋体";

std::string usable_face(const std::string& face) {
  return face.empty() || platform::utf8_to_gbk(face).size() > 31 ? kDefaultFace : face;
}

}  // namespace

std::optional<FontRecord> decode_font(const Bytes& stored) {
  if (stored.size() != kStoredFontSize) return std::nullopt;
  FontRecord font;
  const int32_t height = platform::read_le32_signed(stored, 0);
  font.size = std::max(1, (std::abs(height) * 72 + kPixelsPerInch / 2) / kPixelsPerInch);
  font.angle = ((platform::read_le32_signed(stored, 8) % 3600) + 3600) % 3600;
  font.bold = platform::read_le32_signed(stored, 16) >= kBoldWeight;
  font.italic = stored[20] != 0;
  font.underline = stored[21] != 0;
  font.strike_out = stored[22] != 0;
  const char* face = reinterpret_cast<const char*>(stored.data() + kFaceAt);
  font.face = usable_face(platform::gbk_to_utf8(std::string(face, strnlen(face, kFaceSize))));
  return font;
}

Bytes encode_font(const FontRecord& font) {
  Bytes stored(kStoredFontSize, 0);
  platform::store_le32(stored, 0, static_cast<uint32_t>(-(font.size * kPixelsPerInch + 36) / 72));
  const int32_t angle = ((font.angle % 3600) + 3600) % 3600;
  platform::store_le32(stored, 8, static_cast<uint32_t>(angle));
  platform::store_le32(stored, 12, static_cast<uint32_t>(angle));
  platform::store_le32(stored, 16, static_cast<uint32_t>(font.bold ? kBoldWeight : 400));
  stored[20] = font.italic ? 1 : 0;
  stored[21] = font.underline ? 1 : 0;
  stored[22] = font.strike_out ? 1 : 0;
  stored[23] = 1;  // default character set
  const std::string face = platform::utf8_to_gbk(usable_face(font.face));
  std::memcpy(stored.data() + kFaceAt, face.data(), std::min(face.size(), kFaceSize - 1));
  return stored;
}

FontRecord font_or_default(const Bytes& stored) {
  if (auto font = decode_font(stored)) return *font;
  // The interface font of the Chinese desktop the windows were laid out on.
  FontRecord system;
  system.face = kDefaultFace;
  return system;
}

QFont to_qfont(const FontRecord& font) {
  QFont qt;
  const QString face = QString::fromStdString(font.face);
  if (face == kDefaultFace || face.compare("SimSun", Qt::CaseInsensitive) == 0) {
    // The layouts assume its metrics: CJK characters one em wide, Latin ones
    // half an em, lines hardly taller than the characters (9 pt: 12-pixel
    // characters on 12 to 13 pixels a line). Where it is not installed, AR
    // PL UMing, a Song face of the same build, stands in; the Noto CJK face,
    // whose lines are 17 pixels, only fills in characters UMing lacks.
    qt.setFamilies(
        {QStringLiteral("SimSun"), QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans Mono CJK SC")});
    // Drawn as the desktop draws it at these sizes: from the face's own
    // bitmaps, crisp, not smoothed into thin grey strokes.
    qt.setStyleStrategy(QFont::NoAntialias);
  } else {
    qt.setFamily(face);
  }
  qt.setPointSize(std::max(1, font.size));
  qt.setBold(font.bold);
  qt.setItalic(font.italic);
  qt.setUnderline(font.underline);
  qt.setStrikeOut(font.strike_out);
  return qt;
}

QFont to_qfont_for_typed_text(const FontRecord& font) {
  QFont qt = to_qfont(font);
  QStringList families = qt.families();
  // Only where the Song face itself is missing: its own Latin letters are
  // legible.
  if (families.size() > 1 && families.front() == QLatin1String("SimSun")) {
    families.insert(1, QStringLiteral("DejaVu Sans Mono"));
    qt.setFamilies(families);
  }
  return qt;
}

PropertyValue font_field_of(const FontRecord& font, int field) {
  switch (field) {
    case 0:
      return font.angle;
    case 1:
      return int32_t{font.bold};
    case 2:
      return int32_t{font.italic};
    case 3:
      return int32_t{font.strike_out};
    case 4:
      return int32_t{font.underline};
    case 5:
      return font.size;
    case 6:
      return font.face;
    default:
      return std::monostate{};
  }
}

FontRecord with_font_field(FontRecord font, int field, const PropertyValue& value) {
  switch (field) {
    case 0:
      font.angle = ((as_int(value) % 3600) + 3600) % 3600;
      break;
    case 1:
      font.bold = as_int(value) == 1;
      break;
    case 2:
      font.italic = as_int(value) == 1;
      break;
    case 3:
      font.strike_out = as_int(value) == 1;
      break;
    case 4:
      font.underline = as_int(value) == 1;
      break;
    case 5:
      font.size = as_int(value);
      break;
    case 6:
      font.face = usable_face(as_text(value));
      break;
    default:
      break;
  }
  return font;
}

int32_t as_int(const PropertyValue& value) {
  if (const auto* v = std::get_if<int32_t>(&value)) return *v;
  if (const auto* v = std::get_if<int64_t>(&value)) return static_cast<int32_t>(*v);
  if (const auto* v = std::get_if<double>(&value)) return static_cast<int32_t>(*v);
  return 0;
}

std::string as_text(const PropertyValue& value) {
  if (const auto* v = std::get_if<std::string>(&value)) return *v;
  return {};
}

Bytes as_bytes(const PropertyValue& value) {
  if (const auto* v = std::get_if<Bytes>(&value)) return *v;
  if (const auto* v = std::get_if<std::string>(&value)) return {v->begin(), v->end()};
  return {};
}

}  // namespace quorvant::ui
