// Which control a control is placed in. A template names each control's
// parent element by id; this decides, once, which of those names the window
// runtime follows, so that no template can make a widget its own ancestor.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace quorvant::ui {

// `links[i]` is the element position of the container control element i
// names as its parent, or nothing when it names none (or one that cannot
// hold controls). Every position in `links` must be below links.size().
//
// Returns the links with every link that lies on a loop removed: the
// controls of a loop of parents (A in B, B in A; A in B, B in C, C in A)
// stay on the window itself, at their stored positions; a control that
// merely hangs below a loop still goes into its parent.
std::vector<std::optional<size_t>> without_parent_loops(std::vector<std::optional<size_t>> links);

}  // namespace quorvant::ui
