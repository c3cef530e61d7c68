// The crafted bad files of tests/bad-files/<format>/, each converted as its
// folder's cases.txt says, once through the typed interface and once
// through the value-record command of its target: both answer the expected
// code; a written file is there (of the expected size, when the case gives
// one), a refused one is not; and no scratch file is left behind. Formats
// only the command line reads are converted with its options, and the
// window's two interfaces must still call them not a picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "engine/convert.h"
#include "engine/target_format.h"
#include "tests/robustness/conversion_command.h"
#include "tests/robustness/manifest.h"
#include "tests/robustness/written_files.h"
#include "tests/support/test_support.h"

namespace quorvant::testing {
namespace {

namespace fs = std::filesystem;

// "FILE TARGET CODE [command-line] [size=WxH] [padded-to=BYTES]
// [says=WORDS...]"; says= comes last and takes the rest of the line up to
// its comment: words the reason of a refusal must hold. command-line marks
// a format only the command line reads.
struct BadFile {
  engine::TargetFormat target = engine::TargetFormat::kPpm;
  int code = 0;
  bool command_line_only = false;
  std::optional<std::pair<int, int>> size;
  std::optional<unsigned long long> padded_to;
  std::string says;
};

// The case a manifest line describes, or why it describes none.
std::optional<BadFile> parse(const ManifestLine& line, std::string& error) {
  if (line.fields.size() < 2) {
    error = "needs a target and a result code";
    return std::nullopt;
  }
  BadFile c;
  const auto target = engine::parse_target_format(line.fields[0]);
  const std::string& code = line.fields[1];
  const auto magnitude = whole_number(code.starts_with('-') ? code.substr(1) : code);
  if (!target || !magnitude) {
    error = "the target or the result code cannot be read";
    return std::nullopt;
  }
  c.target = *target;
  c.code = static_cast<int>(code.starts_with('-') ? -static_cast<long long>(*magnitude) : *magnitude);
  for (size_t i = 2; i < line.fields.size(); ++i) {
    if (line.fields[i] == "command-line") {
      c.command_line_only = true;
    } else if (const auto size = field_value(line.fields[i], "size")) {
      c.size = picture_size(*size);
      if (!c.size) error = "a size is WxH";
    } else if (const auto padded = field_value(line.fields[i], "padded-to")) {
      c.padded_to = whole_number(*padded);
      if (!c.padded_to) error = "padded-to= takes a number of bytes";
    } else if (const auto says = field_value(line.fields[i], "says")) {
      c.says = *says;
      while (++i < line.fields.size()) c.says += " " + line.fields[i];
      if (c.says.empty()) error = "says= needs words";
    } else {
      error = "unknown field " + line.fields[i];
    }
  }
  if (c.size && c.code != engine::kWritten) error = "only a written file has a size";
  if (!c.says.empty() && c.code == engine::kWritten) error = "only a refusal says why";
  if (!error.empty()) return std::nullopt;
  return c;
}

class BadFiles : public ::testing::TestWithParam<std::string> {
 protected:
  ScratchFolder scratch_;
  TempFolder work_;

  std::string folder() const { return std::string(QUORVANT_BAD_FILES) + "/" + GetParam(); }

  // The source to convert: the stored file, or a copy padded with zeros.
  std::string source_of(const std::string& stored, const BadFile& c) const {
    if (!c.padded_to) return stored;
    std::vector<uint8_t> bytes = read_bytes(stored);
    EXPECT_LT(bytes.size(), *c.padded_to) << "the stored start is longer than the padded file";
    bytes.resize(static_cast<size_t>(*c.padded_to), 0);
    const std::string padded = work_.file("padded");
    write_bytes(padded, bytes);
    return padded;
  }

  // What one conversion left: the file when it says it wrote one, nothing
  // when it refused, and no scratch file either way.
  void expect_outcome(const char* how, int code, const std::string& output, const BadFile& c) {
    EXPECT_EQ(code, c.code) << how;
    const std::vector<std::string> left = scratch_.files();
    EXPECT_TRUE(left.empty()) << how << " left a scratch file: " << (left.empty() ? "" : left.front());
    if (code == engine::kWritten) {
      ASSERT_TRUE(file_exists(output)) << how << " answered 1 and wrote nothing";
      if (c.size) {
        EXPECT_EQ(check_written_file(c.target, output, c.size->first, c.size->second), "") << how;
      }
    } else {
      EXPECT_FALSE(file_exists(output)) << how << " answered " << code << " and left its output";
    }
    fs::remove(output);
  }
};

TEST_P(BadFiles, EachFileAnswersItsCaseThroughBothInterfaces) {
  const std::vector<ManifestLine> lines = read_manifest(folder() + "/cases.txt");
  ASSERT_FALSE(lines.empty()) << "no cases in " << folder() << "/cases.txt";
  std::set<std::string> named;
  for (const ManifestLine& line : lines) {
    SCOPED_TRACE(GetParam() + "/cases.txt:" + std::to_string(line.number) + ": " + line.text);
    named.insert(line.file);
    std::string error;
    const std::optional<BadFile> c = parse(line, error);
    if (!c) {
      ADD_FAILURE() << error;
      continue;
    }
    const std::string stored = folder() + "/" + line.file;
    if (!file_exists(stored)) {
      ADD_FAILURE() << "no file " << stored;
      continue;
    }
    const std::string source = source_of(stored, *c);
    const std::string extension(engine::describe(c->target).extension);

    const std::string typed = work_.file("typed." + extension);
    engine::ConvertOptions options;
    if (c->command_line_only) {
      options.more_kinds = true;
      options.alpha = true;
    }
    const engine::Conversion done = engine::convert_picture(c->target, source, typed, options);
    expect_outcome("the typed interface", done.code, typed, *c);
    // Failures say why; success says nothing.
    EXPECT_EQ(done.reason.empty(), done.code == engine::kWritten) << "reason: " << done.reason;
    EXPECT_NE(done.reason.find(c->says), std::string::npos) << "reason: " << done.reason;

    // The window's readers stay its own: a format only the command line
    // reads is no picture to it, through either interface.
    BadFile no_picture;
    no_picture.target = c->target;
    no_picture.code = engine::kUnreadable;
    if (c->command_line_only) {
      const engine::Conversion by_window = engine::convert_picture(c->target, source, typed);
      expect_outcome("the typed interface with the window's options", by_window.code, typed, no_picture);
      EXPECT_EQ(by_window.reason, engine::kNotAPicture);
    }

    const std::string by_command = work_.file("command." + extension);
    expect_outcome("the value-record command", convert_with_command(c->target, source, by_command), by_command,
                   c->command_line_only ? no_picture : *c);
  }
  // A file nobody expects anything of is a case someone forgot to write down.
  for (const std::string& file : files_beside_manifest(folder())) {
    EXPECT_TRUE(named.contains(file)) << GetParam() << "/" << file << " has no line in cases.txt";
  }
}

std::vector<std::string> folders_with_cases() {
  std::vector<std::string> folders;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(QUORVANT_BAD_FILES, error)) {
    if (entry.is_directory() && fs::exists(entry.path() / "cases.txt")) {
      folders.push_back(entry.path().filename().string());
    }
  }
  std::sort(folders.begin(), folders.end());
  return folders;
}

// One test per source format, so that a failure names it. No folder at all
// leaves the suite uninstantiated, which GoogleTest reports as a failure.
INSTANTIATE_TEST_SUITE_P(Formats, BadFiles, ::testing::ValuesIn(folders_with_cases()),
                         [](const ::testing::TestParamInfo<std::string>& folder) { return folder.param; });

}  // namespace
}  // namespace quorvant::testing
