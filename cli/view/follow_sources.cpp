#include "cli/view/follow_sources.h"

#include "cli/view/routes.h"

namespace compactor::view {

std::unique_ptr<FileWatch> follow_sources(LiveScene& live, HttpServer& server, const std::vector<std::string>& paths,
                                          const PageWindows* windows) {
  return std::make_unique<FileWatch>(paths, [&live, &server, windows] {
    live.recompile();
    const auto scene = live.scene();
    // A page whose window is known gets its drawing with the event.
    std::map<uint64_t, std::string> own;
    if (windows)
      for (const auto& [stream, window] : windows->of(server.streams())) own[stream] = scene_event(*scene, window);
    server.publish(scene_event(*scene), std::move(own));
  });
}

}  // namespace compactor::view
