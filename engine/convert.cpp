#include "engine/convert.h"

#include <memory>
#include <new>

#include "engine/bmp/bmp_writer.h"
#include "engine/codec.h"
#include "engine/image_buffer.h"
#include "engine/jpeg/jpeg_writer.h"
#include "engine/loader.h"
#include "engine/pcx/pcx_writer.h"
#include "engine/pic/pic_writer.h"
#include "engine/png/png_writer.h"
#include "engine/pnm/pnm_writer.h"
#include "engine/sgi/sgi_writer.h"
#include "engine/tiff/tiff_writer.h"

namespace quorvant::engine {

namespace {

using WriterFactory = std::unique_ptr<ImageWriter> (*)();

template <class Writer>
std::unique_ptr<ImageWriter> make_writer() {
  return std::make_unique<Writer>();
}

// How each target format is written: which options it checks, whether the
// picture is brought to 24 bits before the writer sees it, which writer and
// with which settings.
struct Recipe {
  TargetFormat format;
  bool (*options_valid)(const ConvertOptions&);
  bool needs_24_bits;
  WriterFactory make;
  WriteSettings (*settings)(const ConvertOptions&);
};

bool any_options(const ConvertOptions&) { return true; }

WriteSettings plain_24_bits(const ConvertOptions&) { return {}; }

WriteSettings pnm(PnmKind kind, bool raw) {
  WriteSettings s;
  s.pnm_kind = kind;
  s.raw = raw;
  return s;
}

// Indexed by TargetFormat, in command-table order.
constexpr Recipe kRecipes[] = {
    {TargetFormat::kJpg,
     [](const ConvertOptions& o) {
       return o.quality >= 1 && o.quality <= 100 && o.smoothing >= 0 && o.smoothing <= 100;
     },
     false, &make_writer<jpeg::JpegWriter>,
     [](const ConvertOptions& o) {
       WriteSettings s;
       s.quality = o.quality;
       s.colour = !o.grey;
       s.optimise = o.optimise;
       s.smoothing = o.smoothing;
       return s;
     }},
    {TargetFormat::kBmp, any_options, true, &make_writer<bmp::BmpWriter>, plain_24_bits},
    // PBM is always the plain form.
    {TargetFormat::kPbm, any_options, false, &make_writer<pnm::PnmWriter>,
     [](const ConvertOptions&) { return pnm(PnmKind::kBilevel, false); }},
    {TargetFormat::kPcx, any_options, true, &make_writer<pcx::PcxWriter>, plain_24_bits},
    {TargetFormat::kPgm, any_options, false, &make_writer<pnm::PnmWriter>,
     [](const ConvertOptions& o) { return pnm(PnmKind::kGrey, o.raw); }},
    {TargetFormat::kPic, any_options, false, &make_writer<pic::PicWriter>, plain_24_bits},
    // PNG: 24 bits without palette is the only form offered.
    {TargetFormat::kPng, [](const ConvertOptions& o) { return o.bits == 24; }, false, &make_writer<png::PngWriter>,
     plain_24_bits},
    {TargetFormat::kPpm, any_options, false, &make_writer<pnm::PnmWriter>,
     [](const ConvertOptions& o) { return pnm(PnmKind::kColour, o.raw); }},
    {TargetFormat::kSgi, any_options, false, &make_writer<sgi::SgiWriter>, plain_24_bits},
    {TargetFormat::kTif, any_options, false, &make_writer<tiff::TiffWriter>,
     [](const ConvertOptions& o) {
       WriteSettings s;
       s.bits = o.grey ? 8 : 24;
       return s;
     }},
};
constexpr bool recipes_in_format_order() {
  for (size_t i = 0; i < std::size(kRecipes); ++i) {
    if (static_cast<size_t>(kRecipes[i].format) != i) return false;
  }
  return std::size(kRecipes) == 10;
}
static_assert(recipes_in_format_order(), "one recipe per target format, indexed by format");

ResultCode write_picture(const Recipe& recipe, const ImageBuffer& loaded, const std::string& destination,
                         const ConvertOptions& options) {
  ImageBuffer converted;
  const ImageBuffer* picture = recipe.needs_24_bits ? in_form(loaded, 24, 0, converted) : &loaded;
  if (picture == nullptr) return kWriteFailed;
  std::unique_ptr<ImageWriter> writer = recipe.make();
  if (!writer->open(destination, *picture, recipe.settings(options), nullptr)) return kWriteFailed;
  return writer->write() ? kWritten : kWriteFailed;
}

}  // namespace

ResultCode convert_picture(TargetFormat format, const std::string& source, const std::string& destination,
                           const ConvertOptions& options) {
  const Recipe& recipe = kRecipes[static_cast<int>(format)];
  if (!recipe.options_valid(options)) return kBadArguments;

  // Running out of memory is reported like any other failure of the stage
  // it happens in; no exception leaves the engine.
  ImageBuffer loaded;
  try {
    const ResultCode read = load_picture(source, loaded);
    if (read != kLoaded) return read;
  } catch (const std::bad_alloc&) {
    return kUnreadable;
  }
  try {
    return write_picture(recipe, loaded, destination, options);
  } catch (const std::bad_alloc&) {
    return kWriteFailed;
  }
}

}  // namespace quorvant::engine
