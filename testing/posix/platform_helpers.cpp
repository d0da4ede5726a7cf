#include <stdlib.h>

#include <cerrno>
#include <cstring>

#include "testing/test_support.h"

namespace compactor::testing {

void hide_display() { ::unsetenv("DISPLAY"); }
bool posix_system() { return true; }
std::string missing_file_reason() { return std::strerror(ENOENT); }
std::string missing_folder_reason() { return std::strerror(ENOENT); }

}  // namespace compactor::testing
