// What the server answers, read from one scene: the page, /state,
// /cell/N and /drawing.
#pragma once

#include "cli/view/http_server.h"
#include "cli/view/scene.h"

namespace compactor::view {

inline constexpr const char* kEventsPath = "/events";

Response answer(const Scene& scene, const Request& request);

}  // namespace compactor::view
