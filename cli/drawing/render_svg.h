// The whole route picture: a heading, the plan panel above and the profile
// panel below, as one SVG document.
#pragma once

#include <string>

#include "cli/drawing/render_data.h"
#include "model/model.h"

namespace compactor::cli {

// `avviso` (UTF-8), when not empty, is shown in red under the heading: what
// went wrong while loading, so that nobody takes a partial picture for a
// whole one. The same input always gives the same bytes.
std::string draw_scenario(const Stazioni& s, const Griglia& g, const Planimetria& p, const std::string& avviso = {});

// The same picture of the chainages of `window` only (see ChainageWindow).
std::string draw_scenario_window(const Stazioni& s, const Griglia& g, const Planimetria& p, const std::string& avviso,
                                 ChainageWindow window);

}  // namespace compactor::cli
