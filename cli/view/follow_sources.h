// A live scene kept up with its sources: each change on disk compiles them
// again and tells every open page the new state, with the drawing of its
// window when `windows` knows it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/view/http_server.h"
#include "cli/view/live_scene.h"
#include "cli/view/page_windows.h"
#include "platform/file_watch.h"

namespace compactor::view {

// All three must outlive the watch returned.
std::unique_ptr<FileWatch> follow_sources(LiveScene& live, HttpServer& server, const std::vector<std::string>& paths,
                                          const PageWindows* windows = nullptr);

}  // namespace compactor::view
