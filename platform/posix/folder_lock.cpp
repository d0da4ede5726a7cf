#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace compactor {

FolderLock::FolderLock(const std::string& folder, std::chrono::milliseconds wait) {
  handle_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle_ < 0) throw PlatformError(folder, std::string("cannot lock: ") + std::strerror(errno));
  const auto until = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(handle_, LOCK_EX | LOCK_NB) == 0) return;
    const int error = errno;
    if (error == EINTR) continue;
    if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= until) {
      ::close(handle_);
      handle_ = -1;
      if (error == EWOULDBLOCK) throw PlatformError(folder, "another run is using this folder");
      // A file system without locks (some network mounts): nothing to wait
      // for, and nothing lost by going on unguarded.
      if (error == ENOLCK || error == EOPNOTSUPP) return;
      throw PlatformError(folder, std::string("cannot lock: ") + std::strerror(error));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

FolderLock::~FolderLock() {
  if (handle_ >= 0) ::close(handle_);  // closing lets the lock go
}

}  // namespace compactor
