// The start handler and the ten conversion jobs. Each job runs on a thread
// of its own, converts every listed file with one engine command, writes
// the results into the output folder below the program's directory and
// opens that folder when it is done. Results of the engine are not looked
// at: a file that fails is skipped without a word.
#include <array>
#include <utility>
#include <vector>

#include "app/handlers.h"
#include "app/ids.h"
#include "app/output_location.h"
#include "app/program_state.h"
#include "app/runtime_calls.h"
#include "runtime/libraries.h"

namespace quorvant::app {

namespace {

using runtime::CoreCommand;

constexpr const char* kOutputFolder = "/保存文件/";
constexpr const char* kSeparator = "/";

enum class Options { kNone, kJpeg, kRaw, kTwentyFourBits, kColourTiff };

struct Job {
  uint32_t radio_box;
  const char* extension;
  Options options;
};

// In the order the start handler tests the radio boxes; a job's position
// is also its command's position in the engine library.
constexpr std::array<Job, 10> kJobs = {{
    {element::kToJpg, ".Jpg", Options::kJpeg},
    {element::kToBmp, ".Bmp", Options::kNone},
    {element::kToPbm, ".Pbm", Options::kNone},
    {element::kToPcx, ".Pcx", Options::kNone},
    {element::kToPgm, ".Pgm", Options::kRaw},
    {element::kToPic, ".Pic", Options::kNone},
    {element::kToPng, ".Png", Options::kTwentyFourBits},
    {element::kToPpm, ".Ppm", Options::kRaw},
    {element::kToSgi, ".Sgi", Options::kNone},
    {element::kToTif, ".Tif", Options::kColourTiff},
}};

constexpr size_t kJpegJob = 0;

ValueRecord file_list() { return control(element::kFileList, ui::form::type_id::kListBox); }

// Rebuilt every time: nothing caches it. Below the program's folder, or,
// for an installed program, below the user's pictures folder.
Text output_folder() {
  const Text program = core_text(CoreCommand::kProgramDirectory, {});
  const std::string parent = output_parent(std::string(program.view()), QUORVANT_INSTALL_PREFIX);
  return joined({parent, kOutputFolder});
}

// The path ends with a separator, so the test never finds it and the
// folder is created each time; creating an existing one fails harmlessly.
void ensure_output_folder() {
  if (!core(CoreCommand::kFileExists, {output_folder().record()}).is_true()) {
    core(CoreCommand::kCreateDirectory, {output_folder().record()});
  }
}

Text list_item(int32_t index) {
  return core_text(CoreCommand::kListItemText, {file_list(), ValueRecord::of_int(index)});
}

void lock_window() {
  write(element::kChooseFolder, property::kDisabled, ValueRecord::of_bool(true));
  write(element::kConvert, property::kDisabled, ValueRecord::of_bool(true));
  write(element::kBusyBox, property::kVisible, ValueRecord::of_bool(true));
}

void unlock_window() {
  write(element::kChooseFolder, property::kDisabled, ValueRecord::of_bool(false));
  write(element::kConvert, property::kDisabled, ValueRecord::of_bool(false));
  write(element::kWindowItself, property::kDisabled, ValueRecord::of_bool(false));
  write(element::kBusyBox, property::kVisible, ValueRecord::of_bool(false));
}

// The output folder in the desktop's file browser; quoted, so that a
// folder with spaces in its path stays one argument.
void open_output_folder() {
  const Text command = joined({"xdg-open \"", output_folder().view(), "\""});
  core(CoreCommand::kRunProgram, {command.record(), ValueRecord::of_bool(false), {}});
}

// The JPEG settings: grey and optimise are read once per job, quality and
// smoothing afresh for every file.
struct JpegFlags {
  bool grey = false;
  bool optimise = false;
};

// Converts list item `index`: the destination is the output folder, the
// item's file name without its last four bytes, and the job's extension.
void convert_item(size_t job, int32_t index, TextArray& parts, Text& base_name, const JpegFlags& jpeg) {
  const Text item = list_item(index);
  parts = TextArray(core(CoreCommand::kSplitText, {item.record(), text_arg(kSeparator), {}}).as_pointer());
  const char* file_name = parts.element(parts.count());
  const double length = core(CoreCommand::kTextLength, {text_arg(file_name)}).as_int() - 4;
  base_name =
      core_text(CoreCommand::kLeftText, {text_arg(file_name), ValueRecord::of_int(static_cast<int32_t>(length))});

  const Text source = list_item(index);
  const Text destination = joined({output_folder().view(), base_name.view(), kJobs[job].extension});
  std::vector<ValueRecord> args = {source.record(), destination.record()};
  switch (kJobs[job].options) {
    case Options::kJpeg:
      args.push_back(ValueRecord::of_bool(jpeg.grey));
      args.push_back(ValueRecord::of_int(read_int(element::kQuality, property::kSliderPosition)));
      args.push_back(ValueRecord::of_bool(jpeg.optimise));
      args.push_back(ValueRecord::of_int(read_int(element::kSmoothing, property::kSliderPosition)));
      break;
    case Options::kRaw:
      args.push_back(ValueRecord::of_bool(true));
      break;
    case Options::kTwentyFourBits:
      args.push_back(ValueRecord::of_int(24));
      break;
    case Options::kColourTiff:
      args.push_back(ValueRecord::of_bool(false));
      break;
    case Options::kNone:
      break;
  }
  runtime::call_library_command(library::kEngine, static_cast<int32_t>(job), static_cast<int32_t>(args.size()),
                                args.data());
}

// The nine list jobs: every pass reads the list again, so files added
// while the job runs are converted too, up to the first empty item.
void run_list_job(size_t job) {
  TextArray parts(runtime::make_array(0, sizeof(char*)));
  Text base_name;
  lock_window();
  ensure_output_folder();
  std::atomic<int32_t>& index = current_item_index();
  while (!list_item(index).empty()) {
    convert_item(job, index, parts, base_name, {});
    ++index;
  }
  unlock_window();
  open_output_folder();
}

// The JPG job converts as many files as the list held when it started.
void run_jpeg_job() {
  TextArray parts(runtime::make_array(0, sizeof(char*)));
  Text base_name;
  lock_window();
  JpegFlags flags;
  flags.grey = !read_bool(element::kColour, property::kChecked);
  flags.optimise = read_bool(element::kOptimise, property::kChecked);
  ensure_output_folder();
  const int32_t count = core(CoreCommand::kListItemCount, {file_list()}).as_int();
  std::atomic<int32_t>& index = current_item_index();
  for (int32_t i = 1; i <= count; ++i) {
    index = i;
    convert_item(kJpegJob, static_cast<int32_t>(i - 1.0), parts, base_name, flags);
    ++index;
  }
  unlock_window();
  open_output_folder();
}

template <size_t kJob>
void job_thread(intptr_t) {
  if constexpr (kJob == kJpegJob) {
    run_jpeg_job();
  } else {
    run_list_job(kJob);
  }
}

template <size_t... kJob>
constexpr std::array<runtime::ThreadEntry, sizeof...(kJob)> thread_entries(std::index_sequence<kJob...>) {
  return {&job_thread<kJob>...};
}

constexpr std::array<runtime::ThreadEntry, kJobs.size()> kThreadEntries =
    thread_entries(std::make_index_sequence<kJobs.size()>());

}  // namespace

void start_conversion() {
  ensure_output_folder();
  current_item_index() = 0;
  for (size_t job = 0; job < kJobs.size(); ++job) {
    if (!read_bool(kJobs[job].radio_box, property::kChecked)) continue;
    const ValueRecord entry =
        ValueRecord::of_pointer(reinterpret_cast<const void*>(kThreadEntries[job]), runtime::tag::kSubroutine);
    library_command(library::kThreads, 0, {entry, {}, {}});
    return;
  }
}

}  // namespace quorvant::app
