#include "platform/console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/windows/wide_path.h"

namespace compactor {

std::vector<std::string> program_arguments(int argc, char** argv) {
  int n = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &n);
  if (wide == nullptr) return {argv, argv + argc};
  std::vector<std::string> args;
  for (int i = 0; i < n; ++i) args.push_back(windows::narrow(wide[i]));
  ::LocalFree(wide);
  return args;
}

void binary_standard_streams() {
  std::fflush(stdout);
  std::fflush(stderr);
  // Standard input too: the language server's framed messages count bytes.
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
}

bool is_terminal(int fd) {
  // _isatty is true for NUL too; only a console has a console mode.
  const auto h = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  DWORD mode = 0;
  if (h == INVALID_HANDLE_VALUE || !::GetConsoleMode(h, &mode)) return false;
  // The progress line redraws itself with the terminal's escape sequences.
  ::SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  return true;
}

}  // namespace compactor
