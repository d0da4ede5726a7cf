// The scene of two source files, compiled again on demand: each compile
// replaces the scene whole, so a reader holding the one before keeps it
// unchanged. Safe to read from one thread while another recompiles.
#pragma once

#include <memory>
#include <mutex>

#include "cli/source_options.h"
#include "cli/view/scene.h"
#include "platform/files.h"

namespace compactor::view {

class LiveScene {
 public:
  // Compiles once; throws UsageError for names that cannot be, and
  // PlatformError when a source cannot be read at the start.
  LiveScene(cli::SourceOptions sources, Files& files);

  // Reads both sources again and compiles them. A source that cannot be
  // read (an editor between its delete and its rename) keeps the scene
  // before, with the failure told.
  void recompile();

  std::shared_ptr<const Scene> scene() const;

 private:
  void replace(std::shared_ptr<const Scene> next);
  std::shared_ptr<const Scene> compile_now(const Scene& before);

  cli::SourceOptions sources_;
  Files& files_;
  std::mutex recompiling_;  // one compile at a time
  mutable std::mutex mutex_;
  std::shared_ptr<const Scene> scene_;
};

// The scene of a compiled scenario: read-only, without provenance.
std::shared_ptr<const Scene> compiled_scene(Model model, const std::string& route, const std::string& train);

}  // namespace compactor::view
