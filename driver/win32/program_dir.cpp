#include "driver/program_dir.h"

#include <windows.h>

#include <string>

#include "model/errors.h"
#include "platform/windows/wide_path.h"

namespace compactor {

std::string program_folder() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) throw PlatformError("the program's file", windows::system_message(::GetLastError()));
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(buf.size() * 2);  // a path longer than MAX_PATH is cut to fit
  }
  const auto sep = buf.find_last_of(L"\\/");
  if (sep == std::wstring::npos) throw PlatformError(windows::narrow(buf), "not an absolute path");
  return windows::narrow(buf.substr(0, sep));
}

}  // namespace compactor
