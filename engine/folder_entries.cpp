#include "engine/folder_entries.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <memory>

namespace quorvant::engine {

void for_each_name(int folder, const std::function<void(const char*)>& visit) {
  // A listing reads through a descriptor of its own, which closedir closes.
  const int own = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return;
  const std::unique_ptr<DIR, int (*)(DIR*)> listing(::fdopendir(own), ::closedir);
  if (!listing) {
    ::close(own);
    return;
  }
  ::rewinddir(listing.get());
  while (const dirent* entry = ::readdir(listing.get())) visit(entry->d_name);
}

}  // namespace quorvant::engine
