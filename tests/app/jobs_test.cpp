// The conversion jobs, started from the 格式转换 button: every listed file
// converted with the options of its format into the output folder, the
// window locked meanwhile, the output folder opened at the end.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "app/ids.h"
#include "app/program_state.h"
#include "engine/convert.h"
#include "runtime/runtime.h"
#include "tests/app/app_test_support.h"
#include "tests/engine/independent_readers.h"

namespace quorvant::testing {
namespace {

namespace element = app::element;
using engine::TargetFormat;

const std::string kPicture = corpus("jpeg/testorig.jpg");  // 227 x 149
const std::string kOther = corpus("jpeg/testimgint.jpg");

struct Format {
  TargetFormat format;
  uint32_t radio_box;
  const char* extension;
  // What the job must pass, each option named with its value rather than
  // taken from the engine's defaults, so that a change of those cannot hide
  // a job that passes the wrong one.
  engine::ConvertOptions options;
  Pnm (*read_back)(const std::string&);
};

Pnm read_pbm(const std::string& path) { return read_with_imagemagick(path); }

const Format kFormats[] = {
    {TargetFormat::kJpg,
     0x160102A3,
     ".Jpg",
     {.grey = false, .quality = 75, .optimise = true, .smoothing = 0},
     decode_with_djpeg},
    {TargetFormat::kBmp, 0x160102A1, ".Bmp", {}, decode_with_netpbm_bmp},
    {TargetFormat::kPbm, 0x1601029D, ".Pbm", {}, read_pbm},
    {TargetFormat::kPcx, 0x1601029C, ".Pcx", {}, read_pcx_with_netpbm},
    {TargetFormat::kPgm, 0x1601029E, ".Pgm", {.raw = true}, read_with_imagemagick},
    {TargetFormat::kPic, 0x1601029B, ".Pic", {}, read_pic},
    {TargetFormat::kPng, 0x160102A2, ".Png", {.bits = 24}, read_png_with_libpng},
    {TargetFormat::kPpm, 0x1601029F, ".Ppm", {.raw = true}, read_with_imagemagick},
    {TargetFormat::kSgi, 0x1601029A, ".Sgi", {}, read_sgi_with_netpbm},
    {TargetFormat::kTif, 0x160102A0, ".Tif", {.grey = false}, read_tiff_with_libtiff},
};

bool disabled(uint32_t element_id) {
  return runtime::read_property(app::kMainWindow, element_id, app::property::kDisabled).is_true();
}

bool busy_box_shown() { return !widget(element::kBusyBox)->isHidden(); }

// The ids of this process's threads. A job runs on a thread of its own,
// which waits for the window thread at its first step, so it is still there
// as long as the test does not let the window work.
std::set<std::string> threads() {
  std::set<std::string> ids;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    ids.insert(task.path().filename().string());
  }
  return ids;
}

size_t threads_started_since(const std::set<std::string>& before) {
  size_t started = 0;
  for (const std::string& id : threads()) started += before.count(id) == 0 ? 1 : 0;
  return started;
}

struct Jobs : ::testing::Test {
  TestProgram& program = test_program();
  TempFolder scratch;
  void SetUp() override { reset_program(); }

  void add(const std::string& path) {
    program.dialogs.answer_file(path);
    click(element::kAddFile);
  }
  // Presses 格式转换 and waits until the job has opened the output folder.
  void convert() {
    click(element::kConvert);
    ASSERT_TRUE(pump_until(job_ended)) << "the job ends";
  }
  // What the engine writes for `source` with `options`, for comparison.
  std::vector<uint8_t> expected(TargetFormat format, const std::string& source, const engine::ConvertOptions& options) {
    const std::string path = scratch.file("expected");
    EXPECT_EQ(engine::convert_picture(format, source, path, options).code, engine::kWritten);
    return read_bytes(path);
  }
};

struct EachFormat : Jobs, ::testing::WithParamInterface<Format> {};

TEST_P(EachFormat, ConvertsEveryListedFileWithTheOptionsOfItsFormat) {
  const Format& format = GetParam();
  add(kPicture);
  add(kPicture);  // listed twice: converted twice, to the same file
  click(format.radio_box);
  convert();
  const std::string written = output_folder() + "testorig" + format.extension;
  ASSERT_TRUE(file_exists(written));
  EXPECT_EQ(read_bytes(written), expected(format.format, kPicture, format.options)) << "the job's options";
  const Pnm picture = format.read_back(written);
  EXPECT_EQ(picture.width, 227);
  EXPECT_EQ(picture.height, 149);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(output_folder()), {}), 1);
  EXPECT_EQ(browser_arguments(), std::vector<std::string>({output_folder()})) << "one argument, the folder";
  EXPECT_FALSE(disabled(element::kConvert));
  EXPECT_FALSE(disabled(element::kChooseFolder));
  EXPECT_FALSE(busy_box_shown());
}

void PrintTo(const Format& format, std::ostream* out) { *out << format.extension + 1; }

std::string format_name(const ::testing::TestParamInfo<Format>& format) { return format.param.extension + 1; }

INSTANTIATE_TEST_SUITE_P(Jobs, EachFormat, ::testing::ValuesIn(kFormats), format_name);

TEST_F(Jobs, JpegQualityAndSmoothingAreReadForEveryFileAndTheFlagsOnce) {
  add(kPicture);
  runtime::write_property(app::kMainWindow, element::kQuality, app::property::kSliderPosition, -1,
                          runtime::ValueRecord::of_int(1));
  runtime::write_property(app::kMainWindow, element::kSmoothing, app::property::kSliderPosition, -1,
                          runtime::ValueRecord::of_int(100));
  click(element::kColour);  // unchecked: grey
  click(element::kOptimise);
  convert();
  engine::ConvertOptions options;
  options.grey = true;
  options.quality = 1;
  options.optimise = false;
  options.smoothing = 100;
  EXPECT_EQ(read_bytes(output_folder() + "testorig.Jpg"), expected(TargetFormat::kJpg, kPicture, options));
}

// A name that is not UTF-8 (GBK's 保存 here) is converted by its bytes.
TEST_F(Jobs, NamesDropTheLastFourBytesOfTheFileName) {
  const char* const names[] = {"photo.jpeg", "a.b", "\xb1\xa3\xb4\xe6.jpg"};
  for (const char* name : names) std::filesystem::copy_file(kPicture, scratch.file(name));
  // Only a folder listing or a single file with an accepted ending reaches
  // the list; these are written into it directly, as a test of the job.
  for (const char* name : names) {
    const std::string path = scratch.file(name);
    runtime::ValueRecord args[] = {{app::kMainWindow, element::kFileList, ui::form::type_id::kListBox},
                                   runtime::ValueRecord::of_text(path.c_str()),
                                   {}};
    runtime::call_core_command(runtime::CoreCommand::kAddListItem, 3, args);
  }
  click(0x160102A1);  // BMP
  convert();
  EXPECT_TRUE(file_exists(output_folder() + "photo..Bmp"));
  EXPECT_TRUE(file_exists(output_folder() + ".Bmp"));
  EXPECT_TRUE(file_exists(output_folder() + "\xb1\xa3\xb4\xe6.Bmp"));
}

TEST_F(Jobs, AnEmptyListConvertsNothingButStillOpensTheFolder) {
  convert();
  EXPECT_TRUE(std::filesystem::is_empty(output_folder()));
  EXPECT_EQ(browser_arguments(), std::vector<std::string>({output_folder()}));
}

TEST_F(Jobs, WithoutACheckedFormatOnlyTheOutputFolderIsMade) {
  add(kPicture);
  runtime::write_property(app::kMainWindow, 0x160102A3, app::property::kChecked, -1,
                          runtime::ValueRecord::of_bool(false));
  const std::set<std::string> before = threads();
  click(element::kConvert);
  EXPECT_EQ(threads_started_since(before), 0u) << "no job";
  EXPECT_TRUE(std::filesystem::is_directory(output_folder()));
  EXPECT_TRUE(std::filesystem::is_empty(output_folder()));

  // The same press with a format checked does start one, seen the same way.
  click(0x160102A2);  // PNG
  const std::set<std::string> idle = threads();
  click(element::kConvert);
  EXPECT_EQ(threads_started_since(idle), 1u) << "one job";
  ASSERT_TRUE(pump_until(job_ended));
  EXPECT_EQ(browser_arguments(), std::vector<std::string>({output_folder()})) << "the folder opens once";
}

// A job caught while it runs: every use of the window by the job waits for
// this thread, so the job stands still while the test does not let the
// window work.
struct RunningJob : Jobs {
  // Starts the job with four files listed and lets it run until `reached`.
  void start(uint32_t radio_box, const std::function<bool()>& reached) {
    for (int i = 0; i < 4; ++i) add(kPicture);
    click(radio_box);
    click(element::kConvert);
    ASSERT_TRUE(pump_until(reached));
  }
  void finish() { ASSERT_TRUE(pump_until(job_ended)); }
};

TEST_F(RunningJob, TheWindowIsLockedWhileAJobRuns) {
  start(0x160102A3, busy_box_shown);
  EXPECT_TRUE(disabled(element::kConvert));
  EXPECT_TRUE(disabled(element::kChooseFolder));
  EXPECT_FALSE(disabled(element::kAddFile));
  EXPECT_FALSE(disabled(element::kJpegOptions));
  finish();
  EXPECT_FALSE(disabled(element::kConvert));
  EXPECT_FALSE(disabled(element::kChooseFolder));
  EXPECT_FALSE(busy_box_shown());
}

TEST_F(RunningJob, AFileAddedDuringAListJobIsConvertedToo) {
  start(0x160102A2, busy_box_shown);  // PNG
  add(kOther);
  finish();
  EXPECT_TRUE(file_exists(output_folder() + "testorig.Png"));
  EXPECT_TRUE(file_exists(output_folder() + "testimgint.Png"));
}

TEST_F(RunningJob, AFileAddedDuringTheJpgJobIsNot) {
  // The JPG job has counted the list once it stores its first pass number.
  start(0x160102A3, [] { return app::current_item_index() >= 1; });
  add(kOther);
  finish();
  EXPECT_TRUE(file_exists(output_folder() + "testorig.Jpg"));
  EXPECT_FALSE(file_exists(output_folder() + "testimgint.Jpg"));
}

}  // namespace
}  // namespace quorvant::testing
