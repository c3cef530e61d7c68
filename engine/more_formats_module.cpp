// The module of the WebP, GIF, AVIF, HEIC and JPEG XL readers and writers:
// the one function the engine looks up in it.
#include "engine/avif/avif_reader.h"
#include "engine/avif/avif_writer.h"
#include "engine/gif/gif_reader.h"
#include "engine/heif/heif_reader.h"
#include "engine/jxl/jxl_reader.h"
#include "engine/jxl/jxl_writer.h"
#include "engine/more_formats.h"
#include "engine/webp/webp_reader.h"
#include "engine/webp/webp_writer.h"

namespace {

using namespace quorvant::engine;

template <class Made, class Base>
std::unique_ptr<Base> make() {
  return std::make_unique<Made>();
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const more_formats::Table* quorvant_more_formats_table() {
  static const more_formats::Table table{
      &make<webp::WebpReader, ImageReader>, &make<gif::GifReader, ImageReader>,   &make<avif::AvifReader, ImageReader>,
      &make<heif::HeifReader, ImageReader>, &make<jxl::JxlReader, ImageReader>,   &make<webp::WebpWriter, ImageWriter>,
      &make<avif::AvifWriter, ImageWriter>, &make<jxl::JxlWriter, ImageWriter>,
  };
  return &table;
}
