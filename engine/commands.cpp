#include "engine/commands.h"

#include <string>

#include "engine/convert.h"

namespace quorvant::engine {

namespace {

using runtime::ValueRecord;

// Arguments are read by position. A position beyond the count the caller
// passed reads as an omitted record rather than past the caller's array.
class Arguments {
 public:
  Arguments(int32_t count, const ValueRecord* records) : count_(count), records_(records) {}

  ValueRecord at(int32_t index) const {
    return (records_ != nullptr && index < count_) ? records_[index] : ValueRecord{};
  }
  // A path is present when it is a text record with a non-null pointer.
  const char* path(int32_t index) const {
    const ValueRecord r = at(index);
    return r.tag == runtime::tag::kText ? r.as_text() : nullptr;
  }
  bool flag(int32_t index) const { return at(index).is_true(); }
  int32_t number(int32_t index) const { return at(index).as_int(); }

 private:
  int32_t count_;
  const ValueRecord* records_;
};

ConvertOptions options_for(TargetFormat format, const Arguments& args) {
  ConvertOptions options;
  switch (format) {
    case TargetFormat::kJpg:
      options.grey = args.flag(2);
      options.quality = args.number(3);
      options.optimise = args.flag(4);
      options.smoothing = args.number(5);
      break;
    case TargetFormat::kTif:
      options.grey = args.flag(2);
      break;
    case TargetFormat::kPng:
      options.bits = args.number(2);
      break;
    case TargetFormat::kPpm:
    case TargetFormat::kPgm:
      options.raw = args.flag(2);
      break;
    default:
      break;
  }
  return options;
}

template <TargetFormat kFormat>
void conversion_command(ValueRecord* result, int32_t argument_count, ValueRecord* arguments) {
  const Arguments args(argument_count, arguments);
  const char* source = args.path(0);
  const char* destination = args.path(1);
  ResultCode code = kBadArguments;
  if (source != nullptr && destination != nullptr) {
    try {
      code = convert_picture(kFormat, source, destination, options_for(kFormat, args)).code;
    } catch (...) {
      // Nothing may unwind into the runtime; the only exception possible
      // here is running out of memory while copying the paths.
      code = kWriteFailed;
    }
  }
  if (result != nullptr) *result = ValueRecord::of_int(code);
}

int32_t notify(int32_t code, intptr_t, intptr_t) { return code == 1 ? 0 : -1; }

constexpr runtime::CommandInfo kCommands[] = {
    {"JPG", &conversion_command<TargetFormat::kJpg>}, {"BMP", &conversion_command<TargetFormat::kBmp>},
    {"PBM", &conversion_command<TargetFormat::kPbm>}, {"PCX", &conversion_command<TargetFormat::kPcx>},
    {"PGM", &conversion_command<TargetFormat::kPgm>}, {"PIC", &conversion_command<TargetFormat::kPic>},
    {"PNG", &conversion_command<TargetFormat::kPng>}, {"PPM", &conversion_command<TargetFormat::kPpm>},
    {"SGI", &conversion_command<TargetFormat::kSgi>}, {"TIF", &conversion_command<TargetFormat::kTif>},
};

constexpr runtime::LibraryRecord kLibrary = {"quorvant-engine", kCommands, std::size(kCommands), &notify};

}  // namespace

const runtime::LibraryRecord& engine_library() { return kLibrary; }

}  // namespace quorvant::engine
