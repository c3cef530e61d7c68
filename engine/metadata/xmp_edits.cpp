// The XMP side of the metadata edits (declared with the EXIF ones in
// exif_block.h). The packet is edited as text, in one pass: only the
// properties an edit concerns change, every other byte stays as it was. A
// packet that stops making sense part-way (a tag, quote or element never
// closed) is copied from there on as it is, which keeps the work linear
// whatever the bytes.
#include <set>
#include <string>
#include <string_view>

#include "engine/metadata/exif_block.h"

namespace quorvant::engine::metadata {

namespace {

constexpr std::string_view kExifNamespace = "http://ns.adobe.com/exif/1.0/";
constexpr std::string_view kTiffNamespace = "http://ns.adobe.com/tiff/1.0/";

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool ends_name(char c) { return is_space(c) || c == '>' || c == '/' || c == '=' || c == '<'; }

// The prefixes the packet binds to the EXIF and TIFF namespaces, besides
// the usual "exif" and "tiff".
struct Prefixes {
  std::set<std::string_view, std::less<>> exif{"exif"};
  std::set<std::string_view, std::less<>> tiff{"tiff"};
};

Prefixes prefixes_of(std::string_view packet) {
  Prefixes found;
  constexpr std::string_view kDeclaration = "xmlns:";
  for (size_t at = packet.find(kDeclaration); at != std::string_view::npos;
       at = packet.find(kDeclaration, at + 1)) {
    const size_t name_start = at + kDeclaration.size();
    size_t name_end = name_start;
    while (name_end < packet.size() && !ends_name(packet[name_end])) ++name_end;
    size_t quote = name_end;
    while (quote < packet.size() && (is_space(packet[quote]) || packet[quote] == '=')) ++quote;
    if (quote >= packet.size() || (packet[quote] != '"' && packet[quote] != '\'')) continue;
    const std::string_view value = packet.substr(quote + 1);
    const std::string_view name = packet.substr(name_start, name_end - name_start);
    if (value.starts_with(kExifNamespace) && value.size() > kExifNamespace.size() &&
        value[kExifNamespace.size()] == packet[quote]) {
      found.exif.insert(name);
    } else if (value.starts_with(kTiffNamespace) && value.size() > kTiffNamespace.size() &&
               value[kTiffNamespace.size()] == packet[quote]) {
      found.tiff.insert(name);
    }
  }
  return found;
}

class XmpEditor {
 public:
  XmpEditor(std::string_view packet, const ExifEdits& edits)
      : packet_(packet), edits_(edits), prefixes_(prefixes_of(packet)) {}

  std::string edited() {
    out_.reserve(packet_.size());
    size_t at = 0;
    while (at < packet_.size()) {
      const size_t open = packet_.find('<', at);
      if (open == std::string_view::npos) break;
      out_.append(packet_.substr(at, open - at));
      const size_t written = out_.size();
      at = markup(open);
      if (at == std::string_view::npos) {
        out_.resize(written);  // what the unfinished markup began to write
        return finish(open);
      }
    }
    return finish(at);
  }

 private:
  // The rest of the packet from `from` on, unchanged.
  std::string finish(size_t from) {
    if (from < packet_.size()) out_.append(packet_.substr(from));
    return std::move(out_);
  }

  // Copies or edits the markup that starts at `open`; where the text after
  // it starts, or npos when it is never closed.
  size_t markup(size_t open) {
    const std::string_view rest = packet_.substr(open);
    if (rest.starts_with("<!--")) return copy_through(open, "-->");
    if (rest.starts_with("<![CDATA[")) return copy_through(open, "]]>");
    if (rest.starts_with("<?")) return copy_through(open, "?>");
    if (rest.starts_with("<!") || rest.starts_with("</")) return copy_through(open, ">");
    return start_tag(open);
  }

  size_t copy_through(size_t open, std::string_view end) {
    const size_t found = packet_.find(end, open);
    if (found == std::string_view::npos) return found;
    const size_t after = found + end.size();
    out_.append(packet_.substr(open, after - open));
    return after;
  }

  bool is_property(std::string_view name, const std::set<std::string_view, std::less<>>& prefixes,
                   std::string_view local, bool local_is_start) const {
    const size_t colon = name.find(':');
    if (colon == std::string_view::npos || !prefixes.contains(name.substr(0, colon))) return false;
    const std::string_view name_local = name.substr(colon + 1);
    return local_is_start ? name_local.starts_with(local) : name_local == local;
  }
  bool is_location(std::string_view name) const {
    return edits_.drop_location && is_property(name, prefixes_.exif, "GPS", true);
  }
  bool is_orientation(std::string_view name) const {
    return edits_.reset_orientation && is_property(name, prefixes_.tiff, "Orientation", false);
  }

  // Drops the white space just written before a removed property, so that
  // no empty line or double space is left where it stood.
  void drop_trailing_space() {
    while (!out_.empty() && is_space(out_.back())) out_.pop_back();
  }

  size_t start_tag(size_t open) {
    size_t at = open + 1;
    while (at < packet_.size() && !ends_name(packet_[at])) ++at;
    const std::string_view name = packet_.substr(open + 1, at - open - 1);
    if (is_location(name)) return skip_element(open, name);
    // The tag's name, then its attributes one by one.
    out_.append(packet_.substr(open, at - open));
    for (;;) {
      const size_t space_start = at;
      while (at < packet_.size() && is_space(packet_[at])) ++at;
      if (at >= packet_.size()) return std::string_view::npos;
      if (packet_[at] == '>' || packet_[at] == '/') break;
      const size_t attribute = at;
      while (at < packet_.size() && !ends_name(packet_[at])) ++at;
      const std::string_view attribute_name = packet_.substr(attribute, at - attribute);
      while (at < packet_.size() && (is_space(packet_[at]) || packet_[at] == '=')) ++at;
      if (at >= packet_.size() || (packet_[at] != '"' && packet_[at] != '\'') || attribute_name.empty()) {
        return std::string_view::npos;
      }
      const size_t value_start = at + 1;
      const size_t value_end = packet_.find(packet_[at], value_start);
      if (value_end == std::string_view::npos) return value_end;
      at = value_end + 1;
      if (is_location(attribute_name)) continue;  // dropped with the space before it
      if (is_orientation(attribute_name)) {
        out_.append(packet_.substr(space_start, value_start - space_start));
        out_.push_back('1');
        out_.append(packet_.substr(value_end, at - value_end));
        continue;
      }
      out_.append(packet_.substr(space_start, at - space_start));
    }
    const bool empty_element = packet_[at] == '/';
    const size_t close = packet_.find('>', at);
    if (close == std::string_view::npos) return close;
    out_.append(packet_.substr(at, close + 1 - at));
    if (!empty_element && is_orientation(name)) return orientation_value(close + 1, name);
    return close + 1;
  }

  // <tiff:Orientation>6</tiff:Orientation>: the text becomes 1.
  size_t orientation_value(size_t text, std::string_view name) {
    const size_t end = packet_.find('<', text);
    if (end == std::string_view::npos) return end;
    if (packet_.substr(end).starts_with("</") && packet_.substr(end + 2).starts_with(name)) {
      out_.push_back('1');
      return end;
    }
    return text;  // not a plain value: left as it is
  }

  // Skips a property element with everything inside it: up to its own
  // "/>" or the end tag of its name.
  size_t skip_element(size_t open, std::string_view name) {
    size_t at = open + 1 + name.size();
    for (char quote = 0; at < packet_.size(); ++at) {
      const char c = packet_[at];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        break;
      }
    }
    if (at >= packet_.size()) return std::string_view::npos;
    if (packet_[at - 1] == '/') {
      drop_trailing_space();
      return at + 1;
    }
    const std::string end_tag = "</" + std::string(name);
    for (size_t end = packet_.find(end_tag, at); end != std::string_view::npos;
         end = packet_.find(end_tag, end + 1)) {
      size_t after = end + end_tag.size();
      while (after < packet_.size() && is_space(packet_[after])) ++after;
      if (after < packet_.size() && packet_[after] == '>') {
        drop_trailing_space();
        return after + 1;
      }
    }
    return std::string_view::npos;
  }

  std::string_view packet_;
  ExifEdits edits_;
  Prefixes prefixes_;
  std::string out_;
};

}  // namespace

std::vector<uint8_t> edited_xmp(std::span<const uint8_t> xmp, const ExifEdits& edits) {
  if (!(edits.reset_orientation || edits.drop_location) || xmp.empty()) return {xmp.begin(), xmp.end()};
  const std::string_view packet(reinterpret_cast<const char*>(xmp.data()), xmp.size());
  const std::string edited = XmpEditor(packet, edits).edited();
  return {edited.begin(), edited.end()};
}

}  // namespace quorvant::engine::metadata
