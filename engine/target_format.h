// The ten formats the engine writes.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace quorvant::engine {

// Listed in the order of the engine's command table.
enum class TargetFormat { kJpg, kBmp, kPbm, kPcx, kPgm, kPic, kPng, kPpm, kSgi, kTif };

struct TargetFormatName {
  TargetFormat format;
  std::string_view name;       // "JPG"
  std::string_view extension;  // "jpg", the lower-case file name extension
};

// All ten, in command-table order.
std::span<const TargetFormatName> target_formats();
const TargetFormatName& describe(TargetFormat format);
// Finds a format by its name, in any case ("png", "PNG").
std::optional<TargetFormat> parse_target_format(std::string_view name);

}  // namespace quorvant::engine
