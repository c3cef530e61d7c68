// quorvant-convert run as a whole program, the way a script runs it.
#include <gtest/gtest.h>
#include <pty.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <variant>

#include "cli/options.h"
#include "engine/picture_formats.h"
#include "tests/support/test_support.h"

namespace quorvant::cli {
namespace {

using testing::shell_quote;

struct ProcessRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

class CommandLineTest : public ::testing::Test {
 protected:
  testing::TempFolder work_;
  testing::TempFolder pictures_;

  void SetUp() override {
    std::filesystem::copy_file(testing::corpus("jpeg/testorig.jpg"), pictures_.file("one.jpg"));
    std::filesystem::copy_file(testing::corpus("jpeg/vgl_6434_0018a.bmp"), pictures_.file("two.BMP"));
    testing::write_bytes(pictures_.file("broken.png"), {'n', 'o', 'p', 'e'});
    testing::write_bytes(pictures_.file("readme.txt"), {'h', 'i'});
  }

  // Runs the program in the work folder with standard output and error
  // captured (neither is a terminal), or standard output redirected as
  // `output` says.
  ProcessRun run(const std::string& arguments, const std::string& output = ">out.txt") {
    const std::string command = "cd " + shell_quote(work_.path()) + " && : >out.txt && " +
                                shell_quote(QUORVANT_CONVERT) + " " + arguments + " " + output + " 2>err.txt";
    const int raw = std::system(command.c_str());
    ProcessRun result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const auto out = testing::read_bytes(work_.file("out.txt"));
    const auto err = testing::read_bytes(work_.file("err.txt"));
    result.out.assign(out.begin(), out.end());
    result.err.assign(err.begin(), err.end());
    return result;
  }
  std::string folder() const { return shell_quote(pictures_.path()); }
};

TEST_F(CommandLineTest, ConvertsAFolderIntoTheDefaultOutputFolder) {
  const ProcessRun r =
      run("--to bmp -q " + shell_quote(pictures_.file("one.jpg")) + " " + shell_quote(pictures_.file("two.BMP")));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.err.empty()) << r.err;
  EXPECT_TRUE(r.out.empty()) << "nothing on standard output without --json";
  EXPECT_EQ(testing::decode_with_netpbm_bmp(work_.file("converted/one.bmp")).width, 227);
  EXPECT_EQ(testing::decode_with_netpbm_bmp(work_.file("converted/two.bmp")).width, 119);
}

TEST_F(CommandLineTest, ReportsEachFailedFileOnceAndExitsWithOne) {
  const ProcessRun r = run("--to jpg -o out " + folder() + " " + shell_quote(pictures_.file("missing.jpg")));
  EXPECT_EQ(r.status, 1);
  const auto err = lines(r.err);
  ASSERT_EQ(err.size(), 2u) << r.err;
  EXPECT_NE(r.err.find("broken.png': not a picture this program can read"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("missing.jpg': not found"), std::string::npos) << r.err;
  EXPECT_FALSE(testing::file_exists(work_.file("out/readme.jpg"))) << "folders contribute pictures only";
  EXPECT_TRUE(testing::file_exists(work_.file("out/one.jpg")));
  EXPECT_TRUE(testing::file_exists(work_.file("out/two.jpg")));
  EXPECT_FALSE(testing::file_exists(work_.file("out/broken.jpg"))) << "a failed file leaves nothing behind";
  for (const auto& entry : std::filesystem::directory_iterator(work_.file("out"))) {
    EXPECT_NE(entry.path().filename().string()[0], '.') << "temporary output left: " << entry.path();
  }
}

TEST_F(CommandLineTest, JsonGivesOneObjectPerFile) {
  const ProcessRun r = run("--to png --json -o out " + folder());
  const auto out = lines(r.out);
  ASSERT_EQ(out.size(), 3u) << r.out;
  int found = 0;
  for (const std::string& line : out) {
    EXPECT_EQ(line.front(), '{');
    EXPECT_EQ(line.back(), '}');
    if (line.find("broken.png\"") != std::string::npos) {
      EXPECT_NE(line.find("\"code\": -3"), std::string::npos) << line;
      EXPECT_NE(line.find("\"destination\": \"out/broken.png\""), std::string::npos) << line;
      ++found;
    }
  }
  EXPECT_EQ(found, 1);
}

TEST_F(CommandLineTest, NeverOverwritesWithoutBeingToldTo) {
  std::filesystem::create_directory(work_.file("out"));
  testing::write_bytes(work_.file("out/one.bmp"), {'o', 'l', 'd'});
  const ProcessRun r = run("--to bmp -q -o out " + shell_quote(pictures_.file("one.jpg")) + " --json");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("\"code\": 0"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("exists"), std::string::npos) << r.err;
  EXPECT_EQ(testing::read_bytes(work_.file("out/one.bmp")), (std::vector<uint8_t>{'o', 'l', 'd'}));

  const ProcessRun again = run("--to bmp -q -o out --overwrite " + shell_quote(pictures_.file("one.jpg")));
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(testing::decode_with_netpbm_bmp(work_.file("out/one.bmp")).width, 227);
}

TEST_F(CommandLineTest, TwoInputsNeverShareAnOutput) {
  std::filesystem::create_directory(pictures_.file("sub"));
  std::filesystem::copy_file(testing::corpus("jpeg/testimgint.jpg"), pictures_.file("sub/one.jpg"));
  const ProcessRun r = run("--to bmp -r -j 2 -o out " + folder());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("sub/one.jpg': skipped"), std::string::npos) << r.err;
  // The first input keeps the name.
  EXPECT_EQ(testing::decode_with_netpbm_bmp(work_.file("out/one.bmp")).samples,
            testing::decode_with_djpeg(pictures_.file("one.jpg")).samples);
}

// A damaged a/IMG_0001.jpg, or a sidecar IMG_0001.xmp in a list, does not
// take the name IMG_0001.png from the picture b/IMG_0001.jpg: a name
// belongs to a source once it has been found readable. --keep-folders
// writes both pictures of one name; --skip-existing makes a second run of
// the same batch succeed.
TEST_F(CommandLineTest, ANameBelongsToTheFirstSourceThatCanBeRead) {
  std::filesystem::create_directories(pictures_.file("tree/a"));
  std::filesystem::create_directories(pictures_.file("tree/b"));
  std::filesystem::create_directories(pictures_.file("tree/c"));
  testing::write_bytes(pictures_.file("tree/a/IMG_0001.jpg"), {'d', 'a', 'm', 'a', 'g', 'e', 'd'});
  std::filesystem::copy_file(testing::corpus("jpeg/testorig.jpg"), pictures_.file("tree/b/IMG_0001.jpg"));
  std::filesystem::copy_file(testing::corpus("jpeg/testimgint.jpg"), pictures_.file("tree/c/IMG_0001.jpg"));
  const std::string tree = shell_quote(pictures_.file("tree"));
  const auto b_pixels = testing::decode_with_djpeg(pictures_.file("tree/b/IMG_0001.jpg")).samples;

  const ProcessRun first = run("--to bmp -r -o out " + tree);
  EXPECT_EQ(first.status, 1);
  EXPECT_NE(first.err.find("a/IMG_0001.jpg': not a picture"), std::string::npos) << first.err;
  EXPECT_NE(first.err.find("c/IMG_0001.jpg': skipped: 'out/IMG_0001.bmp' is already the output of '" +
                           pictures_.file("tree/b/IMG_0001.jpg") + "'"),
            std::string::npos)
      << first.err;
  EXPECT_EQ(testing::decode_with_netpbm_bmp(work_.file("out/IMG_0001.bmp")).samples, b_pixels);

  const ProcessRun again = run("--to bmp -r -q --skip-existing --json -o out " + tree);
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(lines(again.out).size(), 3u);
  for (const std::string& line : lines(again.out)) EXPECT_NE(line.find("\"message\": \"exists\""), std::string::npos);

  const std::string list = "IMG_0001.xmp\nb/IMG_0001.jpg\n";
  testing::write_bytes(pictures_.file("tree/sidecars.txt"), {list.begin(), list.end()});
  testing::write_bytes(pictures_.file("tree/IMG_0001.xmp"), {'<', 'x', '/', '>'});
  const ProcessRun listed = run("--to bmp -q -o listed --files-from " + shell_quote(pictures_.file("tree/sidecars.txt")));
  EXPECT_EQ(testing::decode_with_netpbm_bmp(work_.file("listed/IMG_0001.bmp")).samples, b_pixels) << listed.err;

  const ProcessRun kept = run("--to bmp -r -q --keep-folders -o kept " + tree);
  EXPECT_EQ(kept.status, 1);
  EXPECT_EQ(testing::decode_with_netpbm_bmp(work_.file("kept/b/IMG_0001.bmp")).samples, b_pixels);
  EXPECT_TRUE(testing::file_exists(work_.file("kept/c/IMG_0001.bmp")));
  EXPECT_FALSE(testing::file_exists(work_.file("kept/a"))) << "no folder for a picture that cannot be read";
}

// When the report cannot be written (a full disk, a closed output), the
// run fails instead of losing it in silence.
TEST_F(CommandLineTest, AReportThatCannotBeWrittenFailsTheRun) {
  const std::string one = shell_quote(pictures_.file("one.jpg"));
  for (const std::string& where : {std::string(">/dev/full"), std::string(">&-")}) {
    const ProcessRun r = run("--to bmp --json --overwrite -o out " + one, where);
    EXPECT_EQ(r.status, 1) << where;
    EXPECT_NE(r.err.find("cannot write the report on standard output"), std::string::npos) << where << ": " << r.err;
    EXPECT_TRUE(testing::file_exists(work_.file("out/one.bmp"))) << where;
  }
}

// -j follows the cores the process may run on (taskset, a cgroup's cpuset,
// Slurm's binding), and the files it may hold open.
TEST_F(CommandLineTest, JobsFollowTheCoresAndFilesTheProcessMayUse) {
  cpu_set_t all;
  ASSERT_EQ(::sched_getaffinity(0, sizeof all, &all), 0);
  cpu_set_t one;
  CPU_ZERO(&one);
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &all)) {
      CPU_SET(cpu, &one);
      break;
    }
  }
  ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
  const char* arguments[] = {"quorvant-convert", "--to", "bmp", "x.jpg"};
  const auto parsed = parse_command_line(4, arguments);
  ::sched_setaffinity(0, sizeof all, &all);
  ASSERT_TRUE(std::holds_alternative<CliOptions>(parsed));
  EXPECT_EQ(std::get<CliOptions>(parsed).jobs, 1u);

  // Each conversion holds up to eight files, and the process sixteen: 40
  // allow three at once.
  const std::string command = "cd " + shell_quote(work_.path()) + " && ulimit -n 40 && " +
                              shell_quote(QUORVANT_CONVERT) + " --to bmp -q -j 64 -o few " + folder() + " 2>err.txt";
  const int raw = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 1) << "broken.png fails";
  const auto err = testing::read_bytes(work_.file("err.txt"));
  EXPECT_NE(std::string(err.begin(), err.end()).find("running 3 conversions at once, not 64: 40 files may be open"),
            std::string::npos)
      << std::string(err.begin(), err.end());
  EXPECT_TRUE(testing::file_exists(work_.file("few/one.bmp")));
  EXPECT_TRUE(testing::file_exists(work_.file("few/two.bmp")));
}

TEST_F(CommandLineTest, EngineOptionsReachTheFile) {
  const ProcessRun r = run("--to jpg --grey --quality 30 -o out " + shell_quote(pictures_.file("one.jpg")));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(testing::decode_with_djpeg(work_.file("out/one.jpg")).channels, 1);
}

TEST_F(CommandLineTest, UsageErrorsExitWithTwo) {
  const std::string one = shell_quote(pictures_.file("one.jpg"));
  for (const std::string& arguments :
       {std::string("--to gif ") + one, std::string("--to jpg"), std::string(one), "--to jpg --quality 0 " + one,
        "--to jpg --quality 101 " + one, "--to jpg --smoothing 101 " + one, "--to png --quality 50 " + one,
        "--to bmp --grey " + one, "--to jpg --plain " + one, "--to jpg -j 0 " + one, "--to jpg --bogus " + one,
        "--to jpg --overwrite --skip-existing " + one}) {
    const ProcessRun r = run(arguments);
    EXPECT_EQ(r.status, 2) << arguments << "\n" << r.err;
    EXPECT_FALSE(r.err.empty()) << arguments;
  }
  EXPECT_FALSE(testing::file_exists(work_.file("converted/one.jpg")));
  EXPECT_EQ(run("--help").status, 0);
}

TEST_F(CommandLineTest, FormatNamesTakeAnyCase) {
  EXPECT_EQ(run("--to BmP -o out " + shell_quote(pictures_.file("one.jpg"))).status, 0);
}

// Runs the program on a pseudo-terminal and returns all it printed there.
std::string run_on_terminal(const std::vector<std::string>& arguments, const std::string& cwd) {
  int master = -1;
  const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (child == 0) {
    if (::chdir(cwd.c_str()) != 0) ::_exit(127);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(QUORVANT_CONVERT));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(QUORVANT_CONVERT, argv.data());
    ::_exit(127);
  }
  std::string printed;
  char chunk[4096];
  for (;;) {
    const ssize_t n = ::read(master, chunk, sizeof chunk);
    if (n <= 0) break;  // EIO once the child has gone
    printed.append(chunk, static_cast<size_t>(n));
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(master);
  return printed;
}

TEST_F(CommandLineTest, ShowsAProgressBarOnATerminalUnlessQuiet) {
  const std::string shown = run_on_terminal({"--to", "bmp", "-o", "bar", pictures_.file("one.jpg")}, work_.path());
  EXPECT_NE(shown.find("1/1"), std::string::npos) << shown;
  EXPECT_NE(shown.find("pictures/s"), std::string::npos) << shown;
  const std::string quiet =
      run_on_terminal({"--to", "bmp", "-q", "-o", "quiet", pictures_.file("one.jpg")}, work_.path());
  EXPECT_EQ(quiet.find("pictures/s"), std::string::npos) << quiet;
  EXPECT_TRUE(testing::file_exists(work_.file("quiet/one.bmp")));
}

}  // namespace
}  // namespace quorvant::cli

namespace quorvant::cli {
namespace {

TEST(Interruption, FinishesTheRunningFileAndAccountsForEveryOther) {
  testing::TempFolder pictures;
  testing::TempFolder out;
  testing::TempFolder scratch;
  testing::TempFolder printed;
  constexpr int kCount = 400;
  for (int i = 0; i < kCount; ++i) {
    std::filesystem::copy_file(testing::corpus("jpeg/testorig.jpg"), pictures.file("p" + std::to_string(i) + ".jpg"));
  }
  const pid_t child = ::fork();
  if (child == 0) {
    ::setenv("TMPDIR", scratch.path().c_str(), 1);
    if (::freopen(printed.file("out").c_str(), "w", stdout) == nullptr ||
        ::freopen(printed.file("err").c_str(), "w", stderr) == nullptr) {
      ::_exit(126);
    }
    ::execl(QUORVANT_CONVERT, QUORVANT_CONVERT, "--to", "bmp", "--json", "-j", "1", "-o", out.path().c_str(),
            pictures.path().c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Interrupt once the first picture is out.
  auto outputs = [&] {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(out.path())) n += entry.path().extension() == ".bmp";
    return n;
  };
  for (int wait = 0; wait < 10000 && outputs() == 0; ++wait) ::usleep(1000);
  ::kill(child, SIGINT);
  int status = 0;
  ::waitpid(child, &status, 0);

  ASSERT_TRUE(WIFEXITED(status)) << "the first signal lets the program end by itself";
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_LT(outputs(), static_cast<size_t>(kCount)) << "no new conversion starts after the signal";
  for (const auto& entry : std::filesystem::directory_iterator(out.path())) {
    EXPECT_EQ(entry.path().extension(), ".bmp") << "left behind: " << entry.path();
    EXPECT_EQ(testing::decode_with_netpbm_bmp(entry.path().string()).width, 227) << entry.path();
  }
  EXPECT_TRUE(std::filesystem::is_empty(scratch.path())) << "no scratch file left";

  // Every file has its object: the written ones, and the others skipped.
  const auto json_bytes = testing::read_bytes(printed.file("out"));
  const auto objects = lines(std::string(json_bytes.begin(), json_bytes.end()));
  EXPECT_EQ(objects.size(), static_cast<size_t>(kCount));
  size_t skipped = 0;
  for (const std::string& line : objects) skipped += line.find("skipped: interrupted") != std::string::npos;
  EXPECT_EQ(skipped, kCount - outputs());
  const auto err_bytes = testing::read_bytes(printed.file("err"));
  const std::string err(err_bytes.begin(), err_bytes.end());
  EXPECT_NE(err.find("interrupted"), std::string::npos) << err;
  // The notice, a line for the file that was running (none when the signal
  // fell between two files) and a line per skipped file.
  size_t finishing = 0;
  for (const std::string& line : lines(err)) finishing += line.find(": finishing") != std::string::npos;
  EXPECT_LE(finishing, 1u);
  EXPECT_EQ(lines(err).size(), 1 + finishing + (kCount - outputs())) << err;
}

}  // namespace
}  // namespace quorvant::cli

namespace quorvant::cli {
namespace {

TEST(EmptyInput, SaysThatThereWasNothingToConvert) {
  testing::TempFolder empty;
  const std::string command = shell_quote(QUORVANT_CONVERT) + " --to png -o " + shell_quote(empty.file("out")) + " " +
                              shell_quote(empty.path()) + " 2>&1";
  const auto printed = testing::run_tool(command);
  EXPECT_NE(std::string(printed.begin(), printed.end()).find("no pictures found"), std::string::npos);
  EXPECT_FALSE(testing::file_exists(empty.file("out"))) << "no output folder for nothing";
}

}  // namespace
}  // namespace quorvant::cli

namespace quorvant::cli {
namespace {

TEST(MixedFolder, ConvertsEverySourceKindToEachOfTheTenFormats) {
  testing::TempFolder pictures;
  testing::TempFolder work;
  std::filesystem::copy_file(testing::corpus("jpeg/testorig.jpg"), pictures.file("a.jpg"));
  std::filesystem::copy_file(testing::corpus("jpeg/vgl_6548_0026a.bmp"), pictures.file("b.bmp"));
  std::filesystem::copy_file(testing::corpus("pngsuite/basn3p08.png"), pictures.file("c.png"));
  std::filesystem::copy_file(testing::corpus("tiff/rgb-3c-8b.tiff"), pictures.file("d.tif"));
  testing::run_tool("ppmtopcx " + shell_quote(testing::corpus("jpeg/testorig.ppm")) + " > " +
                    shell_quote(pictures.file("e.pcx")) + " 2>/dev/null");
  std::vector<uint8_t> pack(0x100001, 128);
  std::memcpy(&pack[0x800], "PCD_IPI", 7);
  testing::write_bytes(pictures.file("f.pcd"), pack);

  for (const char* format : {"jpg", "bmp", "pbm", "pcx", "pgm", "pic", "png", "ppm", "sgi", "tif"}) {
    const std::string out = work.file(format);
    const std::string command = shell_quote(QUORVANT_CONVERT) + " --to " + format + " -q -o " + shell_quote(out) + " " +
                                shell_quote(pictures.path()) + " && ls " + shell_quote(out);
    const auto listed = testing::run_tool(command);
    EXPECT_EQ(lines(std::string(listed.begin(), listed.end())).size(), 6u) << format;
  }
}

TEST_F(CommandLineTest, VersionIsThePackagesVersion) {
  const ProcessRun r = run("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "quorvant-convert " QUORVANT_VERSION "\n");
}

// The libraries of WebP, GIF, AVIF, HEIC and JPEG XL are loaded only for a
// file or target of theirs: the program itself needs none of them, and a
// JPEG converted to PNG loads none, while a WebP source opens the module.
TEST_F(CommandLineTest, TheLibrariesOfMoreFormatsLoadOnlyWhenNeeded) {
  const std::string needed = testing::run_command("readelf -d " + shell_quote(QUORVANT_CONVERT)).out;
  ASSERT_NE(needed.find("NEEDED"), std::string::npos) << needed;
  for (const char* library : {"libjxl", "libheif", "libavif", "libwebp", "libgif"}) {
    EXPECT_EQ(needed.find(library), std::string::npos) << library;
  }
  const testing::TempFolder out;
  auto loaded = [&](const std::string& source) {
    return testing::run_command("LD_DEBUG=files " + shell_quote(QUORVANT_CONVERT) + " --to png -q --overwrite -o " +
                                shell_quote(out.path()) + " " + shell_quote(source) + " 2>&1 >/dev/null")
        .out;
  };
  EXPECT_EQ(loaded(testing::corpus("jpeg/testorig.jpg")).find("libquorvant_more_formats"), std::string::npos);
  const std::string webp = loaded(std::string(QUORVANT_SOURCE_DIR) + "/tests/bad-files/webp/lossy-whole.webp");
  EXPECT_NE(webp.find("libquorvant_more_formats"), std::string::npos) << webp.substr(0, 2000);
}

// Every option --help names is in the manual page, the bash completion and
// the README's table, and they name no option the program lacks.
TEST_F(CommandLineTest, HelpManualCompletionAndReadmeNameTheSameOptions) {
  const ProcessRun help = run("--help");
  ASSERT_EQ(help.status, 0);
  // "  -j,--jobs UINT ..." in the Options section: each line one option.
  std::vector<std::set<std::string>> options;
  std::set<std::string> names;
  bool in_options = false;
  for (const std::string& line : lines(help.out)) {
    if (line == "Options:") in_options = true;
    const size_t start = line.find_first_not_of(' ');
    if (!in_options || start == std::string::npos || line[start] != '-') continue;
    std::set<std::string> option;
    std::istringstream spellings(line.substr(start, line.find(' ', start) - start));
    for (std::string name; std::getline(spellings, name, ',');) option.insert(name);
    names.insert(option.begin(), option.end());
    options.push_back(option);
  }
  ASSERT_GE(options.size(), 20u) << help.out;
  std::set<std::string> long_names;
  for (const std::string& name : names) {
    if (name.rfind("--", 0) == 0) long_names.insert(name);
  }
  const std::regex option_name(R"((^|[\s"`])(--?[a-z0-9][a-z0-9-]*))");
  auto names_in = [&](const std::string& text) {
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option_name); it != std::sregex_iterator(); ++it)
      found.insert((*it)[2]);
    return found;
  };
  auto source_text = [](const std::string& path) {
    const auto bytes = testing::read_bytes(std::string(QUORVANT_SOURCE_DIR) + "/" + path);
    return std::string(bytes.begin(), bytes.end());
  };

  // The manual page: the item line after each .TP, its "\-" unescaped.
  std::set<std::string> manual;
  const std::vector<std::string> page = lines(source_text("packaging/quorvant-convert.1"));
  for (size_t i = 0; i + 1 < page.size(); ++i) {
    if (page[i] != ".TP") continue;
    const std::string item = std::regex_replace(page[i + 1], std::regex(R"(\\-)"), "-");
    const std::set<std::string> found = names_in(item);
    manual.insert(found.begin(), found.end());
  }
  EXPECT_EQ(manual, names) << "the manual page's options";

  std::smatch words;
  const std::string completion = source_text("packaging/quorvant-convert.bash");
  ASSERT_TRUE(std::regex_search(completion, words, std::regex(R"re(compgen -W "(--[^"]*)")re")));
  EXPECT_EQ(names_in(words[1]), long_names) << "the bash completion's options";

  // The README's table: each row's first cell is an option, and every
  // option has a spelling somewhere in the table.
  const std::string readme = source_text("README.md");
  const size_t table = readme.find("| option | meaning |");
  ASSERT_NE(table, std::string::npos);
  const std::string rows = readme.substr(table, readme.find("\n\n", table) - table);
  const std::set<std::string> in_table = names_in(rows);
  for (const std::string& row : lines(rows)) {
    if (row.rfind("| `", 0) != 0) continue;
    const std::set<std::string> first = names_in(row.substr(0, row.find('|', 1)));
    ASSERT_EQ(first.size(), 1u) << row;
    EXPECT_EQ(names.count(*first.begin()), 1u) << "the README names an option the program lacks: " << row;
  }
  for (const std::set<std::string>& option : options) {
    if (option.count("--help") != 0) continue;
    EXPECT_TRUE(std::any_of(option.begin(), option.end(), [&](const std::string& n) { return in_table.count(n); }))
        << "the README's table lacks " << *option.rbegin();
  }
}

// The README and the manual page name every extension the command line
// reads and every format it writes, as the table of formats has them.
TEST(Documentation, ReadmeAndManualNameTheFormatsOfTheTable) {
  auto source_text = [](const std::string& path) {
    const auto bytes = testing::read_bytes(std::string(QUORVANT_SOURCE_DIR) + "/" + path);
    return std::string(bytes.begin(), bytes.end());
  };
  const std::string readme = source_text("README.md");
  const std::string manual = std::regex_replace(source_text("packaging/quorvant-convert.1"), std::regex(R"(\\&)"), "");
  for (const engine::PictureFormat& format : engine::picture_formats()) {
    if (!format.read) continue;
    for (std::string_view extension : format.extensions) {
      EXPECT_NE(readme.find("`." + std::string(extension) + "`"), std::string::npos) << "README lacks ." << extension;
      EXPECT_TRUE(std::regex_search(manual, std::regex("\\." + std::string(extension) + "\\b")))
          << "the manual page lacks ." << extension;
    }
  }
  // The README's --to row and the manual page's description.
  const size_t row = readme.find("| `--to FORMAT` |");
  ASSERT_NE(row, std::string::npos);
  const std::string to_row = readme.substr(row, readme.find('\n', row) - row);
  for (const engine::TargetFormatName& target : engine::target_formats()) {
    EXPECT_TRUE(std::regex_search(manual, std::regex("\\b" + std::string(target.name) + "\\b")))
        << "the manual page lacks " << target.name;
    EXPECT_TRUE(std::regex_search(to_row, std::regex("\\b" + std::string(target.extension) + "\\b")))
        << "README's --to row lacks " << target.extension;
  }
}

TEST_F(CommandLineTest, InputsComeFromAListOnStandardInputOrNulSeparated) {
  // As `find ... -print0 | quorvant-convert --files-from - -0` gives it.
  const std::string list = work_.file("list");
  const std::string entries = pictures_.file("one.jpg") + '\0' + pictures_.file("two.BMP") + '\0';
  testing::write_bytes(list, {entries.begin(), entries.end()});
  const ProcessRun nul = run("--to bmp -q -o nul --files-from - -0 < " + shell_quote(list));
  EXPECT_EQ(nul.status, 0) << nul.err;
  EXPECT_TRUE(testing::file_exists(work_.file("nul/one.bmp")));
  EXPECT_TRUE(testing::file_exists(work_.file("nul/two.bmp")));

  // A file of lines, beside inputs on the command line.
  const std::string lines_list = work_.file("lines");
  const std::string text = pictures_.file("one.jpg") + "\n";
  testing::write_bytes(lines_list, {text.begin(), text.end()});
  const ProcessRun both =
      run("--to pgm -q -o both --files-from " + shell_quote(lines_list) + " " + shell_quote(pictures_.file("two.BMP")));
  EXPECT_EQ(both.status, 0) << both.err;
  EXPECT_TRUE(testing::file_exists(work_.file("both/one.pgm")));
  EXPECT_TRUE(testing::file_exists(work_.file("both/two.pgm")));

  // Relative names in a list file are below the list file's folder,
  // wherever the run starts; read from standard input, below the working
  // folder.
  const std::string relative = "one.jpg\n./two.BMP\n";
  testing::write_bytes(pictures_.file("list.txt"), {relative.begin(), relative.end()});
  const ProcessRun beside = run("--to pgm -q -o beside --files-from " + shell_quote(pictures_.file("list.txt")));
  EXPECT_EQ(beside.status, 0) << beside.err;
  EXPECT_TRUE(testing::file_exists(work_.file("beside/one.pgm")));
  EXPECT_TRUE(testing::file_exists(work_.file("beside/two.pgm")));
  const ProcessRun piped = run("--to pgm -q -o piped --files-from - < " + shell_quote(pictures_.file("list.txt")));
  EXPECT_EQ(piped.status, 1) << "one.jpg is not in the working folder";

  const ProcessRun missing = run("--to bmp --files-from " + shell_quote(work_.file("no-such-list")));
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos) << missing.err;
  EXPECT_EQ(run("--to bmp").status, 2) << "no inputs at all";
  EXPECT_EQ(run("--to bmp --shard 5/4 " + folder()).status, 2);
  EXPECT_EQ(run("--to bmp -0 " + folder()).status, 2) << "-0 without a list";
}

// Four runs of one list under GNU parallel, as docs/scaling.md shows:
// every picture converted exactly once, reported once in the JSON lines.
TEST_F(CommandLineTest, FourShardsUnderGnuParallelConvertEveryPictureOnce) {
  constexpr int kPictures = 24;
  std::string list_text;
  for (int i = 0; i < kPictures; ++i) {
    const std::string name = pictures_.file("p" + std::to_string(i) + (i % 2 ? ".jpg" : ".BMP"));
    std::filesystem::copy_file(testing::corpus(i % 2 ? "jpeg/testorig.jpg" : "jpeg/vgl_6434_0018a.bmp"), name);
    list_text += name + "\n";
  }
  testing::write_bytes(work_.file("list"), {list_text.begin(), list_text.end()});
  const std::string command = "cd " + shell_quote(work_.path()) + " && parallel --will-cite -j 4 " +
                              shell_quote(QUORVANT_CONVERT) +
                              " --to png -q -j 1 --json -o shards --files-from list --shard {}/4 ::: 1 2 3 4"
                              " >json.txt 2>err.txt";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << testing::read_bytes(work_.file("err.txt")).size();
  size_t written = 0;
  for (const auto& entry : std::filesystem::directory_iterator(work_.file("shards"))) {
    ++written;
    EXPECT_EQ(entry.path().extension(), ".png");
  }
  EXPECT_EQ(written, static_cast<size_t>(kPictures));
  const auto json = testing::read_bytes(work_.file("json.txt"));
  const std::vector<std::string> reports = lines(std::string(json.begin(), json.end()));
  EXPECT_EQ(reports.size(), static_cast<size_t>(kPictures)) << "one report per picture, from one shard";
  std::set<std::string> destinations;
  for (const std::string& report : reports) {
    const size_t at = report.find("\"destination\": \"");
    ASSERT_NE(at, std::string::npos) << report;
    destinations.insert(report.substr(at, report.find('"', at + 16) - at));
    EXPECT_NE(report.find("\"code\": 1"), std::string::npos) << report;
  }
  EXPECT_EQ(destinations.size(), static_cast<size_t>(kPictures));
}

}  // namespace
}  // namespace quorvant::cli
