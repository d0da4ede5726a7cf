// A directory of a command's own for a compile step, removed with all it
// holds.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace compactor::cli {

class CartellaTemporanea {
 public:
  // `prefisso` names the directory for whoever finds it in the temporary
  // directory; path() is empty when it could not be made.
  explicit CartellaTemporanea(const char* prefisso) {
    std::string modello = (std::filesystem::temp_directory_path() / (std::string(prefisso) + "-XXXXXX")).string();
    if (::mkdtemp(modello.data()) != nullptr) path_ = modello;
  }
  ~CartellaTemporanea() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  CartellaTemporanea(const CartellaTemporanea&) = delete;
  CartellaTemporanea& operator=(const CartellaTemporanea&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace compactor::cli
