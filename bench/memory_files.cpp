#include "bench/memory_files.h"

#include <cstdlib>
#include <filesystem>

namespace compactor::bench {
namespace {

class MemoryOutput : public OutputFile {
 public:
  MemoryOutput(MemoryFiles& files, std::string path) : files_(files), path_(std::move(path)) {}
  void write(std::string_view bytes) override { bytes_.append(bytes); }
  void commit() override { files_.put(path_, std::move(bytes_)); }

 private:
  MemoryFiles& files_;
  std::string path_;
  std::string bytes_;
};

}  // namespace

std::string MemoryFiles::read(const std::string& path) {
  const auto it = files_.find(path);
  if (it == files_.end()) throw PlatformError(path, "cannot open: no such file");
  return it->second;
}

std::unique_ptr<OutputFile> MemoryFiles::create(const std::string& path) {
  return std::make_unique<MemoryOutput>(*this, path);
}

void MemoryFiles::remove(const std::string& path) {
  if (files_.erase(path) == 0) throw PlatformError(path, "cannot delete: no such file");
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "compactor-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw PlatformError(pattern, "cannot create a temporary directory");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace compactor::bench
