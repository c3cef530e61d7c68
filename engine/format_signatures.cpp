#include "engine/format_signatures.h"

#include <cstring>
#include <string_view>

namespace quorvant::engine {

namespace {

bool has_at(Head head, size_t offset, std::string_view bytes) {
  return head.size() >= offset + bytes.size() && std::memcmp(head.data() + offset, bytes.data(), bytes.size()) == 0;
}

}  // namespace

bool looks_like_jpeg(Head head) { return has_at(head, 0, "\xFF\xD8"); }

bool looks_like_bmp(Head head) { return has_at(head, 0, "BM") || has_at(head, 0, "BA"); }

bool looks_like_tiff(Head head) {
  using namespace std::string_view_literals;
  return has_at(head, 0, "II\x2A\0"sv) || has_at(head, 0, "II\x2B\0"sv) || has_at(head, 0, "MM\0\x2A"sv) ||
         has_at(head, 0, "MM\0\x2B"sv);
}

bool looks_like_png(Head head) { return has_at(head, 0, "\x89PNG\r\n\x1A\n"); }

bool looks_like_pcx(Head head) { return !head.empty() && head[0] == 10; }

bool looks_like_photocd(Head head) { return has_at(head, 0x800, "PCD_IPI"); }

bool looks_like_webp(Head head) { return has_at(head, 0, "RIFF") && has_at(head, 8, "WEBP"); }

bool looks_like_heif(Head head) { return has_at(head, 4, "ftyp"); }

bool looks_like_gif(Head head) { return has_at(head, 0, "GIF87a") || has_at(head, 0, "GIF89a"); }

bool looks_like_jxl(Head head) {
  using namespace std::string_view_literals;
  return has_at(head, 0, "\xFF\x0A") || has_at(head, 0, "\0\0\0\x0CJXL \r\n\x87\n"sv);
}

}  // namespace quorvant::engine
