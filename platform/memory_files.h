// Files held in memory: a compile of sources that never touch the disk, and
// the fuzz targets, benchmarks and tests that run thousands of compiles a
// second. Same contract as the real layer: a file appears only on commit, whole.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "model/errors.h"
#include "platform/files.h"

namespace compactor {

class FileInMemoria : public Files {
 public:
  bool exists(const std::string& path) override { return file_.count(path) != 0; }

  std::string read(const std::string& path) override {
    const auto it = file_.find(path);
    if (it == file_.end()) throw PlatformError(path, "cannot open: No such file or directory");
    return it->second;
  }

  std::unique_ptr<OutputFile> create(const std::string& path) override { return std::make_unique<Uscita>(*this, path); }

  void remove(const std::string& path) override {
    if (file_.erase(path) == 0) throw PlatformError(path, "cannot delete: No such file or directory");
  }

  void metti(const std::string& path, std::string bytes) { file_[path] = std::move(bytes); }

 private:
  class Uscita : public OutputFile {
   public:
    Uscita(FileInMemoria& files, std::string path) : files_(files), path_(std::move(path)) {}
    void write(std::string_view bytes) override { bytes_.append(bytes); }
    void commit() override { files_.file_[path_] = std::move(bytes_); }

   private:
    FileInMemoria& files_;
    std::string path_;
    std::string bytes_;
  };

  std::map<std::string, std::string> file_;
};

}  // namespace compactor
