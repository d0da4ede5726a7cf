// A live scene kept up with its sources: each change on disk compiles them
// again and tells every open page the new version.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/view/http_server.h"
#include "cli/view/live_scene.h"
#include "platform/file_watch.h"

namespace compactor::view {

// Both must outlive the watch returned.
std::unique_ptr<FileWatch> follow_sources(LiveScene& live, HttpServer& server, const std::vector<std::string>& paths);

}  // namespace compactor::view
