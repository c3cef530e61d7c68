#include "engine/convert.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <thread>

#include "engine/bmp/bmp_writer.h"
#include "engine/codec.h"
#include "engine/image_buffer.h"
#include "engine/row_arrival.h"
#include "engine/jpeg/jpeg_writer.h"
#include "engine/loader.h"
#include "engine/more_formats.h"
#include "engine/target_preparation.h"
#include "engine/worker_pool.h"
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

// How each target format is written: which options it checks, which
// writer, and with which settings. What each writer takes (the picture's
// form, the largest size) it declares itself.
struct Recipe {
  TargetFormat format;
  bool (*options_valid)(const ConvertOptions&);
  WriterFactory make;
  WriteSettings (*settings)(const ConvertOptions&);
  // What the format holds besides its pixels, as written with the options.
  TargetHolds (*holds)(const ConvertOptions&);
};

bool any_options(const ConvertOptions&) { return true; }

TargetHolds pixels_only(const ConvertOptions&) { return {}; }
// A grey file has no room for a colour profile or for transparency.
TargetHolds jpg_holds(const ConvertOptions& o) { return {.profile = !o.grey, .alpha = false, .metadata = true}; }
TargetHolds png_holds(const ConvertOptions&) { return {.profile = true, .alpha = true, .metadata = true}; }
TargetHolds tif_holds(const ConvertOptions& o) { return {.profile = !o.grey, .alpha = !o.grey, .metadata = true}; }

// WebP, AVIF and JPEG XL: a quality or lossless, an effort, and room for a
// profile, transparency and metadata.
bool modern_options(const ConvertOptions& o) {
  return o.quality >= 1 && o.quality <= 100 && o.effort >= 0 && o.effort <= 9;
}
WriteSettings modern_settings(const ConvertOptions& o) {
  WriteSettings s;
  s.quality = o.quality;
  s.lossless = o.lossless;
  s.effort = o.effort;
  return s;
}
TargetHolds modern_holds(const ConvertOptions&) { return {.profile = true, .alpha = true, .metadata = true}; }

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
     &make_writer<jpeg::JpegWriter>,
     [](const ConvertOptions& o) {
       WriteSettings s;
       s.quality = o.quality;
       s.colour = !o.grey;
       s.optimise = o.optimise;
       s.smoothing = o.smoothing;
       return s;
     },
     jpg_holds},
    {TargetFormat::kBmp, any_options, &make_writer<bmp::BmpWriter>, plain_24_bits, pixels_only},
    // PBM is always the plain form.
    {TargetFormat::kPbm, any_options, &make_writer<pnm::PnmWriter>,
     [](const ConvertOptions&) { return pnm(PnmKind::kBilevel, false); }, pixels_only},
    {TargetFormat::kPcx, any_options, &make_writer<pcx::PcxWriter>, plain_24_bits, pixels_only},
    {TargetFormat::kPgm, any_options, &make_writer<pnm::PnmWriter>,
     [](const ConvertOptions& o) { return pnm(PnmKind::kGrey, o.raw); }, pixels_only},
    {TargetFormat::kPic, any_options, &make_writer<pic::PicWriter>, plain_24_bits, pixels_only},
    // PNG: 24 bits without palette is the only form offered.
    {TargetFormat::kPng, [](const ConvertOptions& o) { return o.bits == 24; }, &make_writer<png::PngWriter>,
     plain_24_bits, png_holds},
    {TargetFormat::kPpm, any_options, &make_writer<pnm::PnmWriter>,
     [](const ConvertOptions& o) { return pnm(PnmKind::kColour, o.raw); }, pixels_only},
    {TargetFormat::kSgi, any_options, &make_writer<sgi::SgiWriter>, plain_24_bits, pixels_only},
    {TargetFormat::kTif, any_options, &make_writer<tiff::TiffWriter>,
     [](const ConvertOptions& o) {
       WriteSettings s;
       s.bits = o.grey ? 8 : 24;
       return s;
     },
     tif_holds},
    // The command line's own targets, written by the module of more formats.
    {TargetFormat::kWebp, modern_options, &more_formats::webp_writer, modern_settings, modern_holds},
    {TargetFormat::kAvif, modern_options, &more_formats::avif_writer, modern_settings, modern_holds},
    {TargetFormat::kJxl, modern_options, &more_formats::jxl_writer, modern_settings, modern_holds},
};
constexpr bool recipes_in_format_order() {
  for (size_t i = 0; i < std::size(kRecipes); ++i) {
    if (static_cast<size_t>(kRecipes[i].format) != i) return false;
  }
  return std::size(kRecipes) == static_cast<size_t>(TargetFormat::kJxl) + 1;
}
static_assert(recipes_in_format_order(), "one recipe per target format, indexed by format");

Conversion failed(ResultCode code, std::string reason) { return {code, std::move(reason)}; }

// The recipe's settings for a picture of `bits`: transparency is written
// where the target holds it and the picture has it.
WriteSettings settings_for(const Recipe& recipe, const ConvertOptions& options, uint32_t bits) {
  WriteSettings settings = recipe.settings(options);
  if (options.alpha && recipe.holds(options).alpha && bits == 32) settings.bits = 32;
  return settings;
}

// The second half of a conversion: the picture read with `notes` prepared
// for the target and written. While the picture is still being read, only
// a preparation that leaves its pixels as they are may come here.
Conversion prepare_and_write(ImageBuffer& loaded, const PictureNotes& notes, const ConvertOptions& options,
                             TargetFormat format, const SourceFile& source, const Destination& destination,
                             ImageWriter& writer) {
  const Recipe& recipe = kRecipes[static_cast<int>(format)];
  try {
    // Turning, colour conversion and flattening belong to the writing: a
    // failure there is a failure to make the target's picture.
    Prepared prepared;
    const PictureNotes& embedded = prepared.embedded;
    const TargetHolds holds = recipe.holds(options);
    if (std::string why; !prepare_for_target(loaded, notes, options, holds, prepared, why)) {
      return failed(kWriteFailed, why);
    }
    WriteSettings settings = settings_for(recipe, options, loaded.bits());
    // A JPEG whose pixels go on as stored can be recompressed as it is;
    // its own metadata then stays with it, so not when any is to go.
    if (format == TargetFormat::kJxl && options.lossless && prepared.as_stored &&
        options.metadata == MetadataHandling::kAll) {
      settings.jpeg_source = &source;
    }
    if (!embedded.icc_profile.empty() || !embedded.exif.empty() || !embedded.xmp.empty() ||
        !embedded.photoshop.empty()) {
      settings.embedded = &embedded;
    }
    if (!writer.open(destination, loaded, settings, nullptr) || !writer.write()) {
      const std::string& why = writer.failure();
      return failed(kWriteFailed, why.empty() ? "cannot write " + destination.name() : why);
    }
  } catch (const std::bad_alloc&) {
    // The writer, gone with the exception, has discarded what it wrote.
    return failed(kWriteFailed, "out of memory while writing " + destination.name());
  }
  return {kWritten, {}};
}

// Whether the writer can start on the picture while it is read: the reader
// gives its rows final from the top, the writer takes them from the top as
// they come, and nothing between the two changes the pixels but a change of
// depth, which goes row by row as the rows come (grey for PGM and PBM).
// (Pictures of 8 bits are left out: the header does not say whether they
// have a palette, which a writer may have to take away.)
bool writes_while_reading(const ImageReader& reader, const ImageWriter& writer, const PictureNotes& notes,
                          const ConvertOptions& options, TargetFormat format) {
  if (!reader.delivers_rows_in_order() || !writer.takes_rows_as_they_arrive()) return false;
  const Recipe& recipe = kRecipes[static_cast<int>(format)];
  const uint32_t bits = reader.header().bits;
  const WriterNeeds needs = writer.needs(settings_for(recipe, options, bits));
  return needs.valid && bits != 8 && needs.palette_count == 0 &&
         !prepare_changes_pixels(bits, 0, notes, options, recipe.holds(options));
}

// Reads on this thread while the writer, on a thread of its own, writes
// each row as soon as it has been decoded. A failed read fails the
// conversion whatever the writer did: the writer, starved of rows, has
// discarded its file.
Conversion read_while_writing(ImageReader& reader, ImageBuffer& loaded, RowArrival& arrival,
                              const PictureNotes& notes, const ConvertOptions& options, TargetFormat format,
                              const SourceFile& source, const Destination& destination, ImageWriter& writer) {
  loaded.arriving_through(&arrival);
  Conversion written = failed(kWriteFailed, "the picture was not read");
  std::thread writing([&] {
    // Nothing to write until the picture exists (its first row is in).
    if (loaded.rows_ready(1)) written = prepare_and_write(loaded, notes, options, format, source, destination, writer);
  });
  bool read = false;
  bool out_of_memory = false;
  try {
    read = reader.read();
  } catch (const std::bad_alloc&) {
    out_of_memory = true;
  }
  if (read) arrival.arrived(loaded.height());
  arrival.stopped();
  writing.join();
  loaded.arriving_through(nullptr);
  if (out_of_memory) return failed(kUnreadable, "out of memory while reading the picture");
  if (!read) return failed(kUnreadable, read_failure(reader));
  return written;
}

}  // namespace

Conversion convert_picture(TargetFormat format, const std::string& source, const Destination& destination,
                           const ConvertOptions& options) {
  // Nothing is read when the options are out of range.
  if (!kRecipes[static_cast<int>(format)].options_valid(options)) {
    return failed(kBadArguments, "an option is out of range for this format");
  }
  return convert_picture(format, SourceFile::open(source), destination, options);
}

Conversion convert_picture(TargetFormat format, const SourceFile& source, const Destination& destination,
                           const ConvertOptions& options) {
  const Recipe& recipe = kRecipes[static_cast<int>(format)];
  if (recipe.make == nullptr) return failed(kBadArguments, "this build does not write " + std::string(describe(format).name));
  if (!recipe.options_valid(options)) return failed(kBadArguments, "an option is out of range for this format");
  // This conversion keeps one core busy; the worker pool's helpers use the
  // others.
  WorkerPool& pool = WorkerPool::shared();
  const WorkerPool::ConversionSlot slot(pool);

  // Running out of memory fails the stage it happens in, like any other
  // failure: the engine lets std::bad_alloc rise to here and no further.
  ImageBuffer loaded;
  PictureNotes notes;
  // The rows the reader has decoded so far, for a writer that starts early.
  RowArrival arrival;
  const std::unique_ptr<ImageWriter> writer = recipe.make();
  if (!writer) return failed(kWriteFailed, more_formats::unavailable());
  try {
    ResultCode code = kUnreadable;
    std::string why;
    const std::unique_ptr<ImageReader> reader = open_picture(
        source, loaded, code, why, read_options_for(options), &notes,
        [&arrival](int32_t phase, int32_t, int32_t rows, int32_t) {
          if (phase == kPhaseReading) arrival.arrived(rows);
        });
    if (!reader) return failed(code, why);
    if (writes_while_reading(*reader, *writer, notes, options, format)) {
      // The writer's thread comes out of the one budget, as a helper's.
      const WorkerPool::ThreadLease lease(pool, 1);
      if (lease.extra_threads() == 1) {
        return read_while_writing(*reader, loaded, arrival, notes, options, format, source, destination, *writer);
      }
    }
    if (!reader->read()) return failed(kUnreadable, read_failure(*reader));
  } catch (const std::bad_alloc&) {
    return failed(kUnreadable, "out of memory while reading the picture");
  }
  return prepare_and_write(loaded, notes, options, format, source, destination, *writer);
}

uint64_t conversion_memory(TargetFormat format, const PictureHeader& header, const ConvertOptions& options) {
  const Recipe& recipe = kRecipes[static_cast<int>(format)];
  if (recipe.make == nullptr) return 0;
  const std::unique_ptr<ImageWriter> writer = recipe.make();
  if (!writer) return 0;  // nothing will be written: the conversion fails before it reads
  const WriteSettings settings = recipe.settings(options);
  const WriterNeeds needs = writer->needs(settings);
  const auto pixels = static_cast<uint64_t>(header.width) * static_cast<uint64_t>(header.height);
  // The reader's working memory is gone before the writer starts: the peak
  // is the picture and the larger of the two stages' own needs. A picture
  // not already in the writer's form is copied into it (an 8-bit picture
  // may be a palette picture: counted as one that is copied).
  const uint64_t copy =
      (header.bits != needs.bits || needs.palette_count != 0 || header.bits == 8) ? pixels * (needs.bits / 8) : 0;
  // Turning the picture upright, or putting it over a background, makes a
  // second picture before the writer starts.
  const bool prepared = options.upright || options.alpha;
  const uint64_t preparing = prepared ? pixels * (header.bits / 8) : 0;
  const uint64_t writing = copy + preparing + writer->working_memory(settings, header.width, header.height);
  return pixels * (header.bits / 8) + std::max(header.working_bytes, writing);
}

}  // namespace quorvant::engine
