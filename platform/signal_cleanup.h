// What an interrupted run leaves behind: nothing of its own. Ctrl-C, a
// closed terminal or a kill (SIGINT, SIGHUP, SIGTERM) delete the
// temporaries and working copies the run has registered, then end it with
// status 128 + the signal. The outputs themselves are whole old or whole
// new: the renames that put a set of files in place are not interrupted.
//
// A file-size limit (SIGXFSZ) does not kill the run: the write fails with
// "File too large" and is reported like a full disk.
#pragma once

#include <string>

namespace compactor {

// Once, at the start of a program.
void install_signal_cleanup();

// While it lives, `path` is deleted if the run is interrupted.
class RemovedOnSignal {
 public:
  explicit RemovedOnSignal(const std::string& path);
  ~RemovedOnSignal();
  RemovedOnSignal(const RemovedOnSignal&) = delete;
  RemovedOnSignal& operator=(const RemovedOnSignal&) = delete;

 private:
  int slot_ = -1;
};

// While it lives, the interrupting signals wait: a few renames that belong
// together finish first.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;
};

}  // namespace compactor
