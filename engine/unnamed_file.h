// Files that get their name only when they are complete. A file made
// without a name (O_TMPFILE) in the folder it is meant for is written
// through its descriptor, then linked under its name: until then nobody
// sees a half-written file there, and if the process ends first the file
// goes with it. Linking the descriptor itself cannot be redirected by a
// link someone put in the folder.
#pragma once

#include <functional>
#include <string>

#include "engine/unique_fd.h"

namespace quorvant::engine {

// A new, empty file without a name in the folder open as `folder`.
// Invalid (errno set) when the file system has no such files or the folder
// cannot be written.
UniqueFd open_unnamed_file(int folder);

// Whether open_unnamed_file failed only because the file system does not
// offer unnamed files (a name must be used instead).
bool unnamed_files_unsupported(int error);

// Links the file open as `fd` under `name` in `folder`; fails with EEXIST
// when something has that name.
bool link_file(int fd, int folder, const std::string& name);

// Whether `name` in `folder` is, without following a link, the file open
// as `fd`.
bool same_file(int fd, int folder, const std::string& name);

// Gives the file open as `fd` the name `name` in `folder`, replacing
// whatever had it (a link there is replaced, never followed): the file is
// linked under a private name first (".quorvant-<pid>-<n>.part", the first
// free n) and renamed into place in one step. `watch`, when given, hears of
// the private name before it is made (answering false cancels, ECANCELED)
// and after it is gone.
bool replace_with_file(int fd, int folder, const std::string& name,
                       const std::function<bool(const std::string& private_name, bool made)>& watch = {});

}  // namespace quorvant::engine
