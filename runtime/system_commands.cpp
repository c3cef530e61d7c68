// The core commands on files, folders and processes.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <thread>

#include "runtime/command_line.h"
#include "runtime/core_commands.h"
#include "runtime/file_search.h"
#include "runtime/runtime_object.h"
#include "runtime/values.h"

extern char** environ;

namespace quorvant::runtime::core {

namespace {

std::string text_argument(int32_t count, const ValueRecord* args, int32_t index) {
  const ValueRecord record = argument(count, args, index);
  return record.tag == tag::kText ? std::string(text_of(record.as_text())) : std::string{};
}

}  // namespace

void run_program(ValueRecord* result, int32_t count, ValueRecord* args) {
  const std::vector<std::string> words = split_command_line(text_argument(count, args, 0));
  const bool wait = argument(count, args, 1).is_true();
  // The show mode (1 hidden to 6 minimised without activation, 2 when
  // omitted) has no counterpart for programs started here.
  *result = ValueRecord::of_bool(false);
  if (words.empty()) return;
  std::vector<char*> argv;
  for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  // The program starts with the usual handling of the signals this one
  // ignores (a file-size limit), not with ours.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGXFSZ);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  // posix_spawnp returns once the program is running, or fails when it
  // cannot start.
  const int failed = ::posix_spawnp(&child, argv[0], nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (failed != 0) return;
  if (wait) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  } else {
    // Nobody waits for the program, so a thread reaps it when it ends.
    std::thread([child] {
      int status = 0;
      while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  }
  *result = ValueRecord::of_bool(true);
}

void program_directory(ValueRecord* result, int32_t, ValueRecord*) {
  *result = text_record(runtime_object().program_directory);
}

void create_directory(ValueRecord* result, int32_t count, ValueRecord* args) {
  const std::string path = text_argument(count, args, 0);
  *result = ValueRecord::of_bool(!path.empty() && ::mkdir(path.c_str(), 0777) == 0);
}

void file_exists(ValueRecord* result, int32_t count, ValueRecord* args) {
  // A directory search for the path: a path ending with the separator
  // names no entry.
  const std::string path = text_argument(count, args, 0);
  *result = ValueRecord::of_bool(!path.empty() && FileSearch::start(path).has_value());
}

}  // namespace quorvant::runtime::core
