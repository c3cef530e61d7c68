// A file written for a name in a folder, and given that name only when it
// is complete: nobody sees a half-written file under the name, a file that
// was there stays until the new one replaces it, and a write that fails or
// is cut short never leaves a broken file under the name. Both programs
// publish every file they write this way.
//
// The file is written through its own descriptor and published by linking
// or renaming relative to the folder's descriptor: whoever can write the
// folder cannot redirect the write or the publication through a link.
// Where the file system allows (O_TMPFILE) the file has no name at all
// until it is published, and vanishes with the process however that ends.
// Elsewhere (FAT, some network file systems) it has a short private name,
// ".quorvant-<host>-<pid>-<n>.part", which a later run removes when the
// process that made it is gone (remove_stale_private_names).
#pragma once

#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "engine/unique_fd.h"

namespace quorvant::engine {

// The private names a process has made, for removing them all when it is
// stopped at once (a second Ctrl-C).
class PrivateNames {
 public:
  // False once remove_all has run: no new name may appear then.
  bool add(int folder, const std::string& name);
  void forget(int folder, const std::string& name);
  // Removes every name still listed; later add() calls fail.
  void remove_all();

 private:
  std::mutex mutex_;
  std::multiset<std::pair<int, std::string>> names_;
  bool closed_ = false;
};

class OutputFile {
 public:
  // A new, empty file in the folder open as `folder` (the file keeps a
  // descriptor of its own for the folder), to become `name` there. Without
  // `allow_unnamed` the private-name way is taken even where O_TMPFILE
  // works. `names`, when given, hears of every private name. Nothing on
  // failure; errno says why.
  static std::optional<OutputFile> create(int folder, std::string name, PrivateNames* names = nullptr,
                                          bool allow_unnamed = true);

  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();  // the file goes unless it was published

  // The file, open for reading and writing.
  int descriptor() const { return fd_.get(); }
  // Whether the file has a private name until it is published.
  bool named() const { return !private_name_.empty(); }

  enum class Published { kDone, kDestinationExists, kFailed };
  // Gives the written file its name. Without `replace`, an existing
  // destination (a file, a folder or a link) is left alone
  // (kDestinationExists), checked atomically where the file system can;
  // with it, the destination is replaced, a link itself and never its
  // target. kFailed leaves errno saying why.
  Published publish(bool replace);

 private:
  OutputFile(UniqueFd folder, UniqueFd fd, std::string name, std::string private_name, PrivateNames* names);
  Published publish_new();
  Published rename_private_name(bool replace);
  void drop_private_name();

  UniqueFd folder_;
  UniqueFd fd_;
  std::string name_;
  std::string private_name_;  // empty while the file has no name of its own
  PrivateNames* names_;
};

// Removes, from the folder open as `folder`, the private names of this
// machine whose process no longer runs (left by a process that was killed).
// Private names of other machines, which may share the folder, are left.
void remove_stale_private_names(int folder);

}  // namespace quorvant::engine
