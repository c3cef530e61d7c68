// The names in a folder held open, for the clean-ups that look for what
// killed processes left behind.
#pragma once

#include <functional>

namespace quorvant::engine {

// Calls `visit` with each name in the folder open as `folder` ("." and ".."
// included); the folder's own descriptor is left as it was.
void for_each_name(int folder, const std::function<void(const char* name)>& visit);

}  // namespace quorvant::engine
