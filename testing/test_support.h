// Helpers shared by the tests.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/path_separator.h"

namespace compactor::testing {

// A fresh directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // Joined as the program joins a folder and a name.
  std::string operator/(const std::string& name) const { return path_ + kPathSeparator + name; }

 private:
  std::string path_;
};

std::string file_text(const std::string& path);
void put_file(const std::string& path, const std::string& bytes);
// File names in a directory, sorted.
std::vector<std::string> folder_names(const std::string& dir);

// What differs between the platforms the tests run on (testing/posix,
// testing/windows).
//
// Keeps the window and the error stop's box of runs in this process off
// the screen: on Linux by forgetting DISPLAY; on Windows the tests run
// where there is no desktop (Wine without a display), so nothing is to do.
void hide_display();
// True where paths are bytes with the POSIX limits and the POSIX tools
// (script, /dev) are at hand; false on Windows, whose paths are UTF-16.
bool posix_system();
// The system's words for a file, and for a folder, that is not there.
std::string missing_file_reason();
std::string missing_folder_reason();

// The six files a run of the program leaves beside it.
extern const std::vector<std::string> kProgramOutputs;
// An earlier version of an output: shorter than the new one and different.
std::string old_version(const std::string& nome);

}  // namespace compactor::testing
