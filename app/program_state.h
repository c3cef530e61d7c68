// The program-wide state of the converter, and nothing else: the current
// item index that the start handler, the folder listing and the jobs share,
// and the folder the folder browser remembers.
#pragma once

#include <atomic>
#include <cstdint>

#include "app/runtime_calls.h"

namespace quorvant::app {

// Set to 0 on the window thread before a job starts and when the list is
// refilled; advanced by the job's thread. Atomic, so that the two threads
// never race, though the disabled buttons keep them from overlapping.
std::atomic<int32_t>& current_item_index();

// Used on the window thread only; released by the clean-up routine.
Text& remembered_folder();

}  // namespace quorvant::app
