// Files held in memory, so that a benchmark of a loading stage measures the
// stage and not the disk.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/files.h"

namespace compactor::bench {

class MemoryFiles : public Files {
 public:
  void put(const std::string& path, std::string bytes) { files_[path] = std::move(bytes); }
  const std::string& get(const std::string& path) const { return files_.at(path); }

  bool exists(const std::string& path) override { return files_.count(path) != 0; }
  std::string read(const std::string& path) override;
  std::unique_ptr<OutputFile> create(const std::string& path) override;
  void remove(const std::string& path) override;

 private:
  std::map<std::string, std::string> files_;
};

// A fresh directory under the system's temporary directory, removed with
// everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace compactor::bench
