#include "cli/view/follow_sources.h"

namespace compactor::view {

std::unique_ptr<FileWatch> follow_sources(LiveScene& live, HttpServer& server, const std::vector<std::string>& paths) {
  return std::make_unique<FileWatch>(paths, [&live, &server] {
    live.recompile();
    server.publish(std::to_string(live.scene()->version));
  });
}

}  // namespace compactor::view
