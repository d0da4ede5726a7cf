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

std::string leggi(const std::string& path);
void scrivi(const std::string& path, const std::string& bytes);
// File names in a directory, sorted.
std::vector<std::string> elenco(const std::string& dir);

// The six files a run of the program leaves beside it.
extern const std::vector<std::string> kUsciteProgramma;
// An earlier version of an output: shorter than the new one and different.
std::string versione_vecchia(const std::string& nome);

}  // namespace compactor::testing
