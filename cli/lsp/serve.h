// The language server on a stream pair: messages in, answers out, until the
// client says "exit" or the input ends.
#pragma once

#include <istream>
#include <ostream>

#include "platform/files.h"

namespace lsp {

// Returns the process's exit status: 0 after shutdown and exit, 1 when the
// input ended or broke off first. Only the protocol goes to `out`; what the
// server has to say otherwise goes to `log` (standard error).
int serve(std::istream& in, std::ostream& out, std::ostream& log, compactor::Files& files);

}  // namespace lsp
