#include "ui/element_parents.h"

#include <algorithm>
#include <cstdint>

namespace quorvant::ui {

std::vector<std::optional<size_t>> without_parent_loops(std::vector<std::optional<size_t>> links) {
  enum class Seen : uint8_t { kNot, kOnPath, kDone };
  std::vector<Seen> seen(links.size(), Seen::kNot);
  std::vector<size_t> path;
  for (size_t start = 0; start < links.size(); ++start) {
    if (seen[start] != Seen::kNot) continue;
    // Follow the parents from `start` until the chain ends, reaches an
    // element settled before, or comes back to one on this path: a loop.
    path.clear();
    for (size_t at = start;;) {
      seen[at] = Seen::kOnPath;
      path.push_back(at);
      if (!links[at]) break;
      const size_t next = *links[at];
      if (seen[next] == Seen::kOnPath) {
        for (auto on_loop = std::find(path.begin(), path.end(), next); on_loop != path.end(); ++on_loop) {
          links[*on_loop].reset();
        }
        break;
      }
      if (seen[next] == Seen::kDone) break;
      at = next;
    }
    for (size_t settled : path) seen[settled] = Seen::kDone;
  }
  return links;
}

}  // namespace quorvant::ui
