#include "platform/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace quorvant::platform {

namespace {

struct IconvCloser {
  void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};

std::string convert(std::string_view text, const char* to, const char* from) {
  if (text.empty()) return {};
  iconv_t raw = iconv_open(to, from);
  if (raw == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  const std::unique_ptr<void, IconvCloser> converter(raw);

  std::string out;
  out.resize(text.size() * 2 + 8);  // GBK to UTF-8 grows by at most 3 bytes for 2
  char* in = const_cast<char*>(text.data());
  size_t in_left = text.size();
  size_t written = 0;
  while (in_left > 0) {
    char* out_at = out.data() + written;
    size_t out_left = out.size() - written;
    const size_t result = iconv(raw, &in, &in_left, &out_at, &out_left);
    written = out.size() - out_left;
    if (result != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
    } else {
      // An invalid or cut-off sequence: one "?" for its first byte.
      if (out.size() - written < 1) out.resize(out.size() * 2);
      out[written++] = '?';
      ++in;
      --in_left;
    }
  }
  out.resize(written);
  return out;
}

}  // namespace

std::string gbk_to_utf8(std::string_view gbk) { return convert(gbk, "UTF-8", "GBK"); }

std::string utf8_to_gbk(std::string_view utf8) { return convert(utf8, "GBK", "UTF-8"); }

}  // namespace quorvant::platform
