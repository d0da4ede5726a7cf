// The window lives in a module of its own, loaded only when a display is
// there, so that a run without one never pays for the toolkit's start-up.
// These are the module's entry points, with C linkage so that they can be
// looked up by name.
#pragma once

extern "C" {

// Shows and paints "Form1"; null when the display cannot be reached.
using OpenWindowFn = void* ();
// True while the window is shown.
using WindowVisibleFn = int(void* window);
// Hides and frees the window.
using CloseWindowFn = void(void* window);
// The error stop's modal box; 0 when the display cannot be reached.
using ShowMessageFn = int(const char* text);

}

namespace compactor {

// The module's file, beside the program.
inline constexpr const char* kWindowModule = "compactor_window.so";

}  // namespace compactor
