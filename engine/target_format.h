// The formats the engine writes: the ten of the window's commands, then
// those only the command line offers.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace quorvant::engine {

// The first ten in the order of the engine's command table.
enum class TargetFormat { kJpg, kBmp, kPbm, kPcx, kPgm, kPic, kPng, kPpm, kSgi, kTif, kWebp, kAvif, kJxl };

struct TargetFormatName {
  TargetFormat format;
  std::string_view name;       // "JPG"
  std::string_view extension;  // "jpg", the lower-case file name extension
};

// All of them, in the enumeration's order.
std::span<const TargetFormatName> target_formats();
// The ten of the engine's command table, the window's formats.
std::span<const TargetFormatName> command_formats();
const TargetFormatName& describe(TargetFormat format);
// Finds a format by its name, in any case ("png", "PNG").
std::optional<TargetFormat> parse_target_format(std::string_view name);

}  // namespace quorvant::engine
