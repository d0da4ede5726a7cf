// Helpers shared by the tests.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace compactor::testing {

// A fresh directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string file_text(const std::string& path);
void put_file(const std::string& path, const std::string& bytes);
// File names in a directory, sorted.
std::vector<std::string> folder_names(const std::string& dir);

// The six files a run of the program leaves beside it.
extern const std::vector<std::string> kProgramOutputs;
// An earlier version of an output: shorter than the new one and different.
std::string old_version(const std::string& nome);

}  // namespace compactor::testing
