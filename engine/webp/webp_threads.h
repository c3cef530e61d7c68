// libwebp starts at most one thread of its own besides the caller's (to
// decode or encode two parts of a picture at once). That thread comes out
// of the process's one thread budget: it is leased from the worker pool.
#pragma once

#include <functional>

#include "engine/worker_pool.h"

namespace quorvant::engine::webp {

// Runs `work` on the calling thread, telling it whether it may start one
// thread of its own: true only while the pool lends a thread for it (not
// with `-j 1`, a single core, or every core busy with other conversions).
void run_with_one_extra_thread(WorkerPool& pool, const std::function<void(bool extra_thread)>& work);

}  // namespace quorvant::engine::webp
