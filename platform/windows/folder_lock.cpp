// The folder lock on Windows. A directory handle cannot carry a byte-range
// lock, so the lock is on a hidden file in the folder that the system
// deletes when the last handle to it closes, however the run ends.
#include "platform/folder_lock.h"

#include <windows.h>

#include <thread>

#include "platform/windows/wide_path.h"

namespace compactor {

FolderLock::FolderLock(const std::string& folder, std::chrono::milliseconds wait) {
  const std::wstring name = windows::wide_path(folder) + L"\\.compactor-lock";
  const auto until = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const HANDLE h = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    DWORD error = ::GetLastError();
    if (h != INVALID_HANDLE_VALUE) {
      OVERLAPPED whole{};
      if (::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
        handle_ = ::HandleToLong(h);  // handles fit in 32 bits on 64-bit Windows
        return;
      }
      error = ::GetLastError();
      ::CloseHandle(h);
    }
    // ERROR_ACCESS_DENIED: the holder has just let go and the file waits to
    // be deleted; that too is a folder still taken for a moment.
    const bool taken = error == ERROR_LOCK_VIOLATION || error == ERROR_SHARING_VIOLATION ||
                       (error == ERROR_ACCESS_DENIED && h != INVALID_HANDLE_VALUE) ||
                       (error == ERROR_ACCESS_DENIED && ::GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES);
    if (!taken) throw PlatformError(folder, "cannot lock: " + windows::system_message(error));
    if (std::chrono::steady_clock::now() >= until) throw PlatformError(folder, "another run is using this folder");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

FolderLock::~FolderLock() {
  if (handle_ != -1) ::CloseHandle(::LongToHandle(handle_));  // closing lets the lock go and deletes the file
}

}  // namespace compactor
