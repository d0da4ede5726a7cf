// The exit statuses of the program and of the author tool: one table, so
// that a status means the same whichever of the two returns it.
#pragma once

namespace compactor::exit_status {

inline constexpr int clean = 0;
// A scenario error was recorded (check: an error was found).
inline constexpr int scenario_error = 1;
// A command line that cannot work (the author tool).
inline constexpr int usage = 2;
// The error stop (1250, 1251): a reserved place was taken; nothing is written.
inline constexpr int error_stop = 3;
// A platform failure: a file could not be read, written, created, renamed or
// deleted, or the system refused what the run needed.
inline constexpr int platform = 4;
// check: warnings, and no error.
inline constexpr int warnings_only = 5;
// A compiled file that is truncated, foreign or not of one scenario (dump,
// diff, render).
inline constexpr int bad_compiled_file = 6;

}  // namespace compactor::exit_status
