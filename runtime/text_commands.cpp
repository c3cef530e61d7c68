// The core commands on texts. Lengths and positions count bytes; commands
// that scan a text step over each multi-byte character whole, so that no
// byte inside a character is taken for a delimiter.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "runtime/core_commands.h"
#include "runtime/memory.h"
#include "runtime/values.h"

namespace quorvant::runtime::core {

namespace {

// The length of the character starting with `lead`, by its lead byte.
size_t character_length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

std::string_view text_argument(int32_t count, const ValueRecord* args, int32_t index) {
  const ValueRecord record = argument(count, args, index);
  return record.tag == tag::kText ? text_of(record.as_text()) : std::string_view{};
}

double as_double(const ValueRecord& value) {
  if (value.tag == tag::kFloat) {
    float f = 0;
    std::memcpy(&f, &value.value, sizeof f);
    return f;
  }
  double d = 0;
  const uint64_t bits = value.payload();
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

// Full-width forms (U+FF01 to U+FF5E, and the ideographic space U+3000)
// become their single-byte forms.
std::string narrowed(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t length = std::min(character_length(c), text.size() - i);
    if (length == 3) {
      const uint32_t code = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                            (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
      if (code >= 0xFF01 && code <= 0xFF5E) {
        out += static_cast<char>(code - 0xFF01 + 0x21);
        i += 3;
        continue;
      }
      if (code == 0x3000) {
        out += ' ';
        i += 3;
        continue;
      }
    }
    out.append(text.substr(i, length));
    i += length;
  }
  return out;
}

// The leading decimal number: white space, a sign, digits; 0 when none.
int32_t leading_number(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{std::numeric_limits<int32_t>::max()} + 1);
  }
  if (negative) value = -value;
  return static_cast<int32_t>(
      std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The date form of a date-time value (days since 30 December 1899, as a
// double): "2026年12月7日8时5分0秒".
std::string date_form(double days) {
  const auto whole = static_cast<int64_t>(std::floor(days));
  const auto seconds = static_cast<int64_t>(std::llround((days - static_cast<double>(whole)) * 86400.0));
  // Civil date from a day count (days from 1970-01-01).
  int64_t z = whole - 25569 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  return std::to_string(year) + "年" + std::to_string(month) + "月" + std::to_string(day) + "日" +
         std::to_string(seconds / 3600) + "时" + std::to_string(seconds / 60 % 60) + "分" +
         std::to_string(seconds % 60) + "秒";
}

}  // namespace

std::string text_form(const ValueRecord& value) {
  switch (value.tag) {
    case tag::kInt:
      return std::to_string(value.as_int());
    case tag::kShort:
      return std::to_string(static_cast<int16_t>(value.value));
    case tag::kByte:
      return std::to_string(value.value & 0xFF);
    case tag::kInt64:
      return std::to_string(static_cast<int64_t>(value.payload()));
    case tag::kFloat:
    case tag::kDouble: {
      char text[64];
      const auto end = std::to_chars(text, text + sizeof text, as_double(value), std::chars_format::fixed).ptr;
      std::string out(text, end);
      // Decimal notation without needless trailing zeros.
      if (out.find('.') != std::string::npos) {
        while (out.back() == '0') out.pop_back();
        if (out.back() == '.') out.pop_back();
      }
      return out;
    }
    case tag::kBool:
      return value.is_true() ? "真" : "假";
    case tag::kText:
      return std::string(text_of(value.as_text()));
    case tag::kDateTime:
      return date_form(as_double(value));
    default:
      break;
  }
  // A byte set or a numeric array: its bytes up to the first zero byte.
  const bool numeric_array = (value.tag & tag::kArrayFlag) != 0 && value.tag != (tag::kText | tag::kArrayFlag);
  if ((value.tag == tag::kByteSet || numeric_array) && value.as_pointer() != nullptr) {
    const auto* block = static_cast<const char*>(value.as_pointer());
    int32_t dimensions = 0;
    std::memcpy(&dimensions, block, 4);
    const char* bytes = block + 4 + 4 * static_cast<size_t>(std::max(0, dimensions));
    const size_t element = value.tag == tag::kByteSet ? 1 : type_size(value.tag & ~tag::kArrayFlag);
    const size_t size = static_cast<size_t>(element_count(block)) * element;
    return std::string(bytes, strnlen(bytes, size));
  }
  return {};
}

void text_length(ValueRecord* result, int32_t count, ValueRecord* args) {
  *result = ValueRecord::of_int(static_cast<int32_t>(text_argument(count, args, 0).size()));
}

void left_text(ValueRecord* result, int32_t count, ValueRecord* args) {
  const std::string_view text = text_argument(count, args, 0);
  const int32_t wanted = argument(count, args, 1).as_int();
  *result = text_record(wanted <= 0 ? std::string_view{} : text.substr(0, static_cast<size_t>(wanted)));
}

void right_text(ValueRecord* result, int32_t count, ValueRecord* args) {
  const std::string_view text = text_argument(count, args, 0);
  const int32_t wanted = argument(count, args, 1).as_int();
  const size_t taken = wanted <= 0 ? 0 : std::min(text.size(), static_cast<size_t>(wanted));
  *result = text_record(text.substr(text.size() - taken));
}

void to_upper(ValueRecord* result, int32_t count, ValueRecord* args) {
  std::string text(text_argument(count, args, 0));
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 'a' && c <= 'z') text[i] = static_cast<char>(c - 'a' + 'A');
    i += (c & 0x80) != 0 ? character_length(c) : 1;  // a multi-byte character stays as it is
  }
  *result = text_record(text);
}

void to_integer(ValueRecord* result, int32_t count, ValueRecord* args) {
  const ValueRecord value = argument(count, args, 0);
  int32_t number = 0;
  switch (value.tag) {
    case tag::kText:
      number = leading_number(narrowed(text_of(value.as_text())));
      break;
    case tag::kBool:
    case tag::kInt:
      number = value.as_int();
      break;
    case tag::kByte:
      number = static_cast<int32_t>(value.value & 0xFF);
      break;
    case tag::kShort:
      number = static_cast<int16_t>(value.value);
      break;
    case tag::kInt64:
    case tag::kSubroutine:
      number = static_cast<int32_t>(value.value);  // the low 32 bits
      break;
    case tag::kFloat:
    case tag::kDouble: {
      const double d = std::trunc(as_double(value));
      number = std::isfinite(d) ? static_cast<int32_t>(std::clamp(d, -2147483648.0, 2147483647.0)) : 0;
      break;
    }
    default:
      break;
  }
  *result = ValueRecord::of_int(number);
}

void split_text(ValueRecord* result, int32_t count, ValueRecord* args) {
  const std::string_view text = text_argument(count, args, 0);
  // A comma only when the delimiter is omitted; a record that is no text is
  // the empty delimiter.
  const std::string_view delimiter =
      argument(count, args, 1).tag == tag::kOmitted ? std::string_view(",") : text_argument(count, args, 1);
  const ValueRecord maximum_record = argument(count, args, 2);
  const bool unlimited = maximum_record.tag == tag::kOmitted;
  int64_t remaining = unlimited ? 0 : std::max(0, maximum_record.as_int());

  std::vector<std::string> parts;
  if (!text.empty() && (unlimited || remaining > 0)) {
    if (delimiter.empty()) {
      parts.emplace_back(text);
    } else {
      size_t start = 0;
      size_t at = 0;
      bool stopped = false;
      while (!stopped && text.size() - at >= delimiter.size()) {
        if (text.compare(at, delimiter.size(), delimiter) == 0) {
          parts.emplace_back(text.substr(start, at - start));
          at += delimiter.size();
          start = at;
          stopped = !unlimited && --remaining == 0;
        } else {
          const auto c = static_cast<unsigned char>(text[at]);
          at += std::min((c & 0x80) != 0 ? character_length(c) : 1, text.size() - at);
        }
      }
      if (!stopped && start < text.size()) parts.emplace_back(text.substr(start));
    }
  }
  *result = ValueRecord::of_pointer(make_text_array(parts), tag::kText | tag::kArrayFlag);
}

void blank_text(ValueRecord* result, int32_t count, ValueRecord* args) {
  const int32_t wanted = argument(count, args, 0).as_int();
  *result = text_record(wanted <= 0 ? std::string{} : std::string(static_cast<size_t>(wanted), ' '));
}

void to_text(ValueRecord* result, int32_t count, ValueRecord* args) {
  *result = text_record(text_form(argument(count, args, 0)));
}

}  // namespace quorvant::runtime::core
