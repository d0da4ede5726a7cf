// The paths an interrupted run deletes, for this platform's handler.
#pragma once

namespace compactor {

// Calls `remove` with each path registered by a living RemovedOnSignal.
// Safe in a signal handler when `remove` is.
void remove_registered(void (*remove)(const char* path));

}  // namespace compactor
