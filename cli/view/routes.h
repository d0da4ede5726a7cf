// What the server answers, read from one scene: the page, /state, /plan,
// /cell/N and /drawing.
#pragma once

#include "cli/view/http_server.h"
#include "cli/view/page_windows.h"
#include "cli/view/scene.h"

namespace compactor::view {

inline constexpr const char* kEventsPath = "/events";

// A drawing asked for with `stream=N` is remembered in `windows` as what
// the page of stream N shows.
Response answer(const Scene& scene, const Request& request, PageWindows* windows = nullptr);

// The event that tells the pages of `scene`: its state, and for a page whose
// window is known the state, "FROM TO" and the drawing of that window, a
// line each (the drawing takes the lines after the second).
std::string scene_event(const Scene& scene);
std::string scene_event(const Scene& scene, cli::ChainageWindow window);

}  // namespace compactor::view
