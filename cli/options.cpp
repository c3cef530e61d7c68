#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <filesystem>

#include "engine/worker_pool.h"

namespace quorvant::cli {

namespace {

using engine::TargetFormat;

std::string format_list() {
  std::string names;
  for (const auto& f : engine::target_formats()) {
    if (!names.empty()) names += ", ";
    names += f.name;
  }
  return names;
}

// Engine options that belong to other formats are refused rather than
// silently ignored.
std::string misplaced_option(const CLI::App& app, TargetFormat format) {
  const bool jpg = format == TargetFormat::kJpg;
  const bool modern = format == TargetFormat::kWebp || format == TargetFormat::kAvif || format == TargetFormat::kJxl;
  for (const char* name : {"--smoothing", "--no-optimize"}) {
    if (!jpg && app.count(name) > 0) return std::string(name) + " applies to JPG only";
  }
  if (app.count("--quality") > 0 && !jpg && !modern) return "--quality applies to JPG, WEBP, AVIF and JXL only";
  if (app.count("--lossless") > 0 && !modern) return "--lossless applies to WEBP, AVIF and JXL only";
  if (app.count("--effort") > 0 && !modern) return "--effort applies to WEBP, AVIF and JXL only";
  if (app.count("--grey") > 0 && !jpg && format != TargetFormat::kTif) return "--grey applies to JPG and TIF only";
  if (app.count("--plain") > 0 && format != TargetFormat::kPgm && format != TargetFormat::kPpm) {
    return "--plain applies to PGM and PPM only";
  }
  return {};
}

// The inputs a list file names. A relative name is taken relative to the
// list file's own folder, so that a list means the same wherever the run
// starts (a remote shell's home folder, a batch job's folder); names read
// from standard input are relative to the working folder.
std::vector<Input> listed_inputs(const std::string& list, const std::vector<std::string>& names) {
  const std::filesystem::path folder = list == "-" ? std::filesystem::path() : std::filesystem::path(list).parent_path();
  std::vector<Input> inputs;
  for (const std::string& name : names) {
    // find's "./photos/x.jpg" is "photos/x.jpg".
    const std::filesystem::path listed(name.starts_with("./") ? name.substr(2) : name);
    const bool relative_to_list = listed.is_relative() && !folder.empty();
    inputs.push_back({relative_to_list ? (folder / listed).string() : name, name});
  }
  return inputs;
}

}  // namespace

std::optional<uint32_t> parse_colour(const std::string& text) {
  if (text == "white") return 0xFFFFFF;
  if (text == "black") return 0x000000;
  const std::string digits = text.starts_with("#") ? text.substr(1) : text;
  if (digits.size() != 6 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
    return std::nullopt;
  }
  return static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
}

std::variant<CliOptions, int> parse_command_line(int argc, const char* const* argv) {
  CliOptions options;
  options.jobs = engine::usable_cores();

  CLI::App app{"Converts pictures (JPEG, BMP, TIFF, PNG, PCX, PhotoCD, WebP, AVIF, HEIC, GIF, JPEG XL) into one of "
               "thirteen formats.",
               "quorvant-convert"};
  std::string format_name;
  bool no_optimize = false;
  bool plain = false;
  app.add_option("--to", format_name, "target format: " + format_list())->required();
  std::vector<std::string> named;
  app.add_option("inputs", named, "picture files, or folders whose pictures are all converted");
  std::string files_from;
  bool nul_separated = false;
  std::string shard;
  app.add_option("--files-from", files_from,
                 "also convert the inputs listed in FILE, one a line (-: standard input); "
                 "relative names are relative to FILE's folder")
      ->type_name("FILE");
  app.add_flag("-0,--null", nul_separated, "--files-from: the inputs end with NUL bytes, as find -print0 writes");
  app.add_option("--shard", shard,
                 "convert only part K of N of the pictures: N runs with K = 1 to N convert each picture once")
      ->type_name("K/N");
  app.set_version_flag("--version", "quorvant-convert " QUORVANT_VERSION);
  app.add_option("-o,--output", options.output_folder, "output folder, created when missing")->capture_default_str();
  app.add_flag("-r,--recursive", options.recursive, "also convert the pictures in sub-folders");
  app.add_option("-j,--jobs", options.jobs,
                 "conversions run in parallel, and threads at work at most (default: one per core)")
      ->check(CLI::Range(1u, 1024u));
  app.add_option("--memory", options.memory,
                 "most memory the conversions running at once may use, as 800M or 4G "
                 "(default: what the machine has available)")
      ->transform(CLI::AsSizeValue(false))
      ->check(CLI::PositiveNumber);
  app.add_option("--quality", options.convert.quality, "JPG, WEBP, AVIF, JXL: picture quality")
      ->check(CLI::Range(1, 100))
      ->capture_default_str();
  app.add_option("--smoothing", options.convert.smoothing, "JPG: smoothing")
      ->check(CLI::Range(0, 100))
      ->capture_default_str();
  app.add_flag("--grey,--gray", options.convert.grey, "JPG, TIF: write grey instead of colour");
  app.add_flag("--no-optimize", no_optimize, "JPG: keep the standard Huffman tables");
  app.add_flag("--plain", plain, "PGM, PPM: write the plain text form instead of the binary one");
  app.add_flag("--lossless", options.convert.lossless,
               "WEBP, AVIF, JXL: lossless (JXL from a JPEG: the JPEG itself recompressed)");
  app.add_option("--effort", options.convert.effort,
                 "WEBP, AVIF, JXL: how hard the encoder works, 1 (fastest) to 9 (default: the library's)")
      ->check(CLI::Range(1, 9));
  std::string orientation = "upright";
  app.add_option("--orientation", orientation,
                 "upright: turn photos as their EXIF orientation says (the default); keep: write the pixels as "
                 "stored and keep the tag")
      ->check(CLI::IsMember({"upright", "keep"}))
      ->type_name("MODE");
  std::string colour = "profile";
  app.add_option("--colour,--color", colour,
                 "profile: keep a picture's colour profile where the target holds one, else convert to sRGB (the "
                 "default); srgb: convert to sRGB always; as-stored: the colours as stored, no profile")
      ->check(CLI::IsMember({"profile", "srgb", "as-stored"}))
      ->type_name("MODE");
  std::string background = "white";
  app.add_option("--background", background,
                 "what transparent pictures are put over for targets without transparency: white, black or "
                 "#RRGGBB (default: white)")
      ->type_name("COLOUR");
  bool strip = false;
  bool strip_location = false;
  app.add_flag("--strip", strip, "write no EXIF, XMP or IPTC metadata (the colour profile stays)");
  app.add_flag("--strip-location", strip_location, "write the metadata without its GPS data");
  app.add_flag("--overwrite", options.overwrite, "replace existing files and let later inputs replace earlier ones");
  app.add_flag("--skip-existing", options.skip_existing,
               "count a picture whose output exists already as done (for running a batch again)");
  app.add_flag("--keep-folders", options.keep_folders,
               "write each picture into the folder below the output folder that it is in below its input "
               "(with -r or a list: pictures of the same name in different folders)");
  app.add_flag("--json", options.json, "print one JSON object per file on standard output");
  app.add_flag("-q,--quiet", options.quiet, "no progress bar");

  try {
    app.parse(argc, argv);
    const auto format = engine::parse_target_format(format_name);
    if (!format)
      throw CLI::ValidationError("--to", "unknown format '" + format_name + "'; use one of " + format_list());
    options.format = *format;
    if (std::string why = misplaced_option(app, *format); !why.empty()) throw CLI::ValidationError(why);
    if (!shard.empty()) {
      options.shard = parse_shard(shard);
      if (!options.shard) throw CLI::ValidationError("--shard", "'" + shard + "' is not K/N with 1 <= K <= N");
    }
    if (nul_separated && files_from.empty()) throw CLI::ValidationError("-0 applies to --files-from only");
    if (options.overwrite && options.skip_existing) {
      throw CLI::ValidationError("--overwrite and --skip-existing exclude each other");
    }
    for (const std::string& input : named) options.inputs.push_back({input, input});
    if (!files_from.empty()) {
      std::string why;
      const auto listed = read_input_list(files_from, nul_separated, why);
      if (!listed) throw CLI::ValidationError("--files-from", "cannot read '" + files_from + "': " + why);
      const std::vector<Input> inputs = listed_inputs(files_from, *listed);
      options.inputs.insert(options.inputs.end(), inputs.begin(), inputs.end());
    } else if (options.inputs.empty()) {
      throw CLI::RequiredError("inputs (or --files-from)");
    }
    const std::optional<uint32_t> rgb = parse_colour(background);
    if (!rgb) throw CLI::ValidationError("--background", "'" + background + "' is not white, black or #RRGGBB");
    options.convert.background = *rgb;
    if (strip && strip_location) throw CLI::ValidationError("--strip already drops what --strip-location does");
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? 0 : static_cast<int>(kUsageError);
  }
  options.convert.optimise = !no_optimize;
  options.convert.raw = !plain;
  // Beyond the window: every kind of picture read, transparency kept, and
  // photos upright, in their true colours, with their metadata unless asked
  // otherwise.
  options.convert.more_kinds = true;
  options.convert.alpha = true;
  options.convert.upright = orientation == "upright";
  options.convert.colour = colour == "srgb"        ? engine::ColourHandling::kSrgb
                           : colour == "as-stored" ? engine::ColourHandling::kAsStored
                                                   : engine::ColourHandling::kProfile;
  options.convert.metadata = strip            ? engine::MetadataHandling::kNone
                             : strip_location ? engine::MetadataHandling::kAllButPlace
                                              : engine::MetadataHandling::kAll;
  return options;
}

}  // namespace quorvant::cli
