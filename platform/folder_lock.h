// One run at a time in a folder. Two runs writing the same outputs at once
// would mix their files (a plan of one beside a grid of the other); a run
// holds the folder for as long as it writes there, and a second one waits
// for it, a bounded time.
//
// The lock is taken on the folder itself, so no lock file is ever left
// behind, and the system lets it go when the process ends, however it ends.
#pragma once

#include <chrono>
#include <string>

#include "model/errors.h"

namespace compactor {

class FolderLock {
 public:
  // Waits up to `wait` for the folder; throws PlatformError "another run is
  // using this folder" when it stays taken, or a PlatformError with the system's
  // reason when it cannot be locked at all.
  explicit FolderLock(const std::string& folder, std::chrono::milliseconds wait = std::chrono::seconds(30));
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int handle_ = -1;
};

}  // namespace compactor
