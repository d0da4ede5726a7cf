#include <windows.h>

#include "platform/windows/wide_path.h"
#include "testing/test_support.h"

namespace compactor::testing {

void hide_display() {}
bool posix_system() { return false; }
std::string missing_file_reason() { return windows::system_message(ERROR_FILE_NOT_FOUND); }
std::string missing_folder_reason() { return windows::system_message(ERROR_PATH_NOT_FOUND); }

}  // namespace compactor::testing
