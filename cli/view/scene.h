// The scenario as the page shows it: the latest compile of the sources, and
// the one drawn, which is the latest that loaded without an error (a save
// that breaks a record keeps the last good drawing, dimmed, under the
// error). What /state and /cell/N answer is made from it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "cli/drawing/render_data.h"
#include "cli/session/compile_session.h"
#include "cli/view/drawing_cache.h"

namespace compactor::view {

// The plan every 50 m, x and y in turn, as metres to 0.1 m: enough for a
// page to find the chainage under the pointer on the plan and to mark one
// there. Its key is the version of the scene it first came with: a page
// fetches the points only when that changes, since most saves leave the
// plan as it was.
struct PagePlan {
  std::vector<double> xy;
  std::string text;  // {"step_m": 50, "xy": [...]}
  uint64_t key = 0;
};

struct Scene {
  uint64_t version = 0;  // counts the compiles; the page asks for it anew on each event
  std::shared_ptr<const session::CompileResult> latest;
  std::shared_ptr<const session::CompileResult> shown;
  // The errors after the latest's first, as `check` finds them.
  std::vector<session::Diagnostic> further_errors;
  // A source that could not be read, in words; the scene before it stays.
  std::string failure;
  // Drawn from compiled files: no sources, no provenance, nothing to watch.
  bool compiled_files = false;
  // state_json's text, made once when the scene is (see finish_scene).
  std::string state;
  // The plan's points for the page, shared by the scenes with the same.
  std::shared_ptr<const PagePlan> plan;
  // The drawings of `shown`, shared by the scenes that show the same compile.
  std::shared_ptr<DrawingCache> drawings = std::make_shared<DrawingCache>();

  // The drawing is of an older compile than the latest.
  bool stale() const { return latest != shown; }
};

// Makes the scene's state and plan. A scene that shows the compile `before`
// showed keeps its drawings; one whose plan is the same keeps the plan.
void finish_scene(Scene& scene, const Scene* before);

// The drawing of `window` of the compile shown, as `render` draws it.
std::shared_ptr<const std::string> scene_drawing(const Scene& scene, cli::ChainageWindow window);

// Summary, diagnostics (as `check --json`, each with the chainage the page
// moves to) and the plan's key; small, whatever the route's length.
nlohmann::json state_json(const Scene& scene);

// Cell k of the drawn compile: its members, in words, and the records that
// set them. Nothing when the grid has no cell k.
std::optional<nlohmann::json> cell_json(const Scene& scene, int64_t k);

// The chainage (m) an error or warning is about: its recorded position, or
// the first cell or station its record set. Nothing when neither is known.
std::optional<int64_t> diagnostic_chainage(const session::CompileResult& r, const session::Diagnostic& d);

}  // namespace compactor::view
