// Files held in memory: a compile of sources that never touch the disk, and
// the fuzz targets, benchmarks and tests that run thousands of compiles a
// second. Same contract as the real layer: a file appears only on commit, whole.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/errors.h"
#include "platform/files.h"
#include "platform/path_separator.h"

namespace compactor {

// An output whose bytes stay in a string, `bytes_`; committing keeps them
// there.
class StringOutput : public OutputFile {
 public:
  void write(std::string_view bytes) override { bytes_.append(bytes); }
  bool writes_at() const override { return true; }
  void write_at(uint64_t offset, std::string_view bytes) override {
    if (bytes_.size() < offset + bytes.size()) bytes_.resize(offset + bytes.size());
    bytes_.replace(offset, bytes.size(), bytes);
  }
  void commit() override {}
  std::string bytes_;
};

class MemoryFiles : public Files {
 public:
  bool exists(const std::string& path) override { return file_.count(path) != 0; }

  std::string read(const std::string& path) override {
    const auto it = file_.find(path);
    if (it == file_.end()) throw PlatformError(path, "cannot open: No such file or directory");
    return it->second;
  }

  std::string read_at_most(const std::string& path, uint64_t limit) override {
    std::string bytes = read(path);
    if (bytes.size() > limit) bytes.resize(static_cast<size_t>(limit));
    return bytes;
  }

  // Folders are only a part of the names here: a folder holds the files
  // whose names continue it with a separator ("/" or the platform's) and
  // one more part.
  std::vector<std::string> list(const std::string& folder) override {
    const auto separator = [](char c) { return c == '/' || c == kPathSeparator; };
    std::string prefix = folder;
    while (prefix.size() > 1 && separator(prefix.back())) prefix.pop_back();
    if (prefix.empty()) prefix = "/";
    std::vector<std::string> names;
    for (auto it = file_.lower_bound(prefix); it != file_.end() && it->first.starts_with(prefix); ++it) {
      std::string_view rest = std::string_view(it->first).substr(prefix.size());
      if (prefix.size() > 1 || !separator(prefix.back())) {
        if (rest.empty() || !separator(rest.front())) continue;
        rest.remove_prefix(1);
      }
      if (!rest.empty() && std::find_if(rest.begin(), rest.end(), separator) == rest.end()) names.emplace_back(rest);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<OutputFile> create(const std::string& path) override { return std::make_unique<Output>(*this, path); }

  void remove(const std::string& path) override {
    if (file_.erase(path) == 0) throw PlatformError(path, "cannot delete: No such file or directory");
  }

  void put(const std::string& path, std::string bytes) { file_[path] = std::move(bytes); }

 private:
  class Output : public StringOutput {
   public:
    Output(MemoryFiles& files, std::string path) : files_(files), path_(std::move(path)) {}
    void commit() override { files_.file_[path_] = std::move(bytes_); }

   private:
    MemoryFiles& files_;
    std::string path_;
  };

  std::map<std::string, std::string> file_;
};

}  // namespace compactor
