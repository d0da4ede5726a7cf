// Tells when files change on disk: written and closed, replaced by a rename
// (how many editors save), created or deleted. The folders that hold them
// are watched, not the files, so that a file replaced by another keeps
// being watched.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace compactor {

class FileWatch {
 public:
  // Starts watching; `changed` is called on the watch's own thread, once
  // for a burst of changes that come within a few milliseconds. Throws
  // PlatformError when a folder cannot be watched.
  FileWatch(const std::vector<std::string>& paths, std::function<void()> changed);
  // Stops watching; no call of `changed` runs after it returns.
  ~FileWatch();
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Opens `url` in the desktop's default browser without waiting for it;
// false when no opener could be started.
bool open_in_browser(const std::string& url);

}  // namespace compactor
