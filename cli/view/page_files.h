// The page and its script and style, built into the program from
// cli/view/page/ so that the page works with no file and no network.
#pragma once

#include <optional>
#include <string_view>

namespace compactor::view {

// The bytes of the page file of that name ("index.html", "view.js").
std::optional<std::string_view> page_file(std::string_view name);

}  // namespace compactor::view
