// Ctrl-C, Ctrl-Break, a closed console window, a logoff or a shutdown on
// Windows: the console's handler runs on a thread of its own, deletes what
// the run registered and ends the run with the status of the matching POSIX
// signal (130 for Ctrl-C, 129 for a closed console, 143 for the rest).
//
// Unlike a POSIX signal, the handler does not stop the run while it works:
// the run's thread goes on beside it. So every step that makes, renames or
// registers a file is a held section (SignalsHeld), and once the handler
// has begun no new section begins: the thread that would start one waits
// for the end of the process.
#include "platform/signal_cleanup.h"

#include <windows.h>

#include <atomic>
#include <thread>

#include "platform/removed_on_signal.h"
#include "platform/windows/wide_path.h"

namespace compactor {
namespace {

// Static, as the table of paths is: the handler has no owner to ask.

// How many SignalsHeld are alive; the handler waits for none.
std::atomic<int> held{0};
// Set by the handler before it waits.
std::atomic<bool> ending{false};
// Sections this thread is in: a section within a section goes on, since
// the handler waits for the outer one to end.
thread_local int depth = 0;

BOOL WINAPI on_interrupt(DWORD event) {
  int status = 128 + 15;
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) status = 128 + 2;
  if (event == CTRL_CLOSE_EVENT) status = 128 + 1;
  ending.store(true);
  while (held.load() > 0) std::this_thread::yield();
  remove_registered([](const char* path) { ::DeleteFileW(windows::wide_path(path).c_str()); });
  // Not ExitProcess: it would run the libraries' detaching code, which may
  // wait on a lock the run's stopped thread holds (as _exit, not exit).
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(status));
  return TRUE;
}

}  // namespace

void install_signal_cleanup() { ::SetConsoleCtrlHandler(on_interrupt, TRUE); }

SignalsHeld::SignalsHeld() {
  held.fetch_add(1);
  if (ending.load() && depth == 0) {
    // The handler has begun, and may have passed the files already.
    held.fetch_sub(1);
    for (;;) ::Sleep(INFINITE);
  }
  ++depth;
}

SignalsHeld::~SignalsHeld() {
  --depth;
  held.fetch_sub(1);
}

}  // namespace compactor
