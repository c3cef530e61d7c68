// A converted file is written into a file of its own in the output folder
// and published under its name only when the conversion succeeded, so a
// failed or interrupted conversion never leaves a broken file under the
// destination's name and never damages a file that was there before.
//
// The file is written through the descriptor made for it and published by
// linking that very file under its name: nobody who can write the output
// folder can redirect the write or the publication through a link. Where
// the file system allows (O_TMPFILE) the file has no name at all until it
// is published, and vanishes with the process however that ends; elsewhere
// it has a short private name (".quorvant-<n>.part") that PendingNames
// keeps track of.
#pragma once

#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "cli/output_folder.h"
#include "engine/destination.h"
#include "engine/unique_fd.h"

namespace quorvant::cli {

// The private names now in the output folder, for removing them when the
// program is stopped at once.
class PendingNames {
 public:
  explicit PendingNames(int folder) : folder_(folder) {}
  // False once remove_all has run: no new name may appear then.
  bool add(const std::string& name);
  void forget(const std::string& name);
  // Removes every name still listed; later add() calls fail.
  void remove_all();

 private:
  const int folder_;
  std::mutex mutex_;
  std::multiset<std::string> names_;
  bool closed_ = false;
};

class PendingOutput {
 public:
  // A new, empty file in `folder` that becomes `name` (a name in that
  // folder) when published; `shown` is how messages show the destination.
  // Without `allow_unnamed`, the private-name way is taken even where
  // O_TMPFILE works. Nothing on failure (errno tells why).
  static std::optional<PendingOutput> create(const OutputFolder& folder, std::string name, std::string shown,
                                             PendingNames& names, bool allow_unnamed = true);

  PendingOutput(PendingOutput&& other) noexcept;
  PendingOutput& operator=(PendingOutput&&) = delete;
  PendingOutput(const PendingOutput&) = delete;
  ~PendingOutput();  // the file goes unless it was published

  // Where the engine writes the file.
  engine::Destination destination() const { return engine::Destination::open_file(fd_.get(), shown_); }
  // Whether the file has a private name (false where it has none).
  bool named() const { return !private_name_.empty(); }

  enum class Published { kDone, kDestinationExists, kFailed };
  // Gives the written file its name. Without `replace`, an existing
  // destination (a file, a folder or a link) is left alone
  // (kDestinationExists), checked atomically; with it, the destination is
  // replaced, a link itself and never its target.
  Published publish(bool replace);

 private:
  PendingOutput(int folder, engine::UniqueFd fd, std::string name, std::string shown, std::string private_name,
                PendingNames& names);
  void drop_private_name();

  int folder_;
  engine::UniqueFd fd_;
  std::string name_;
  std::string shown_;
  std::string private_name_;  // empty while the file has no name of its own
  PendingNames* names_;
};

}  // namespace quorvant::cli
