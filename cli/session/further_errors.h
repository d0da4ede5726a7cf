// Every error of a pair of sources in one run, not only the first. The
// loader stops at the first error, as the program does; to find the next one
// the pair is compiled again with the failing record's line left out (a copy
// in memory, the same loader), and so on. Each error after the first was
// found with the ones before it set aside.
#pragma once

#include <vector>

#include "cli/session/compile_session.h"

namespace compactor::session {

inline constexpr int kMostErrors = 20;

// The errors after `first`'s (which `request` gave), up to kMostErrors in
// all. Stops at an error that no source line carries (the finishing pass,
// the error stop) or that repeats.
std::vector<Diagnostic> further_errors(const CompileRequest& request, const CompileResult& first);

// `request` compiled with the records of its errors set aside one after the
// other (up to kMostErrors), so that it loads as far as it can: what the
// records after an error would make, for an editor's hover. `first` is the
// compile of `request` as it stands.
CompileResult compiled_past_errors(CompileRequest request, const CompileResult& first);

}  // namespace compactor::session
