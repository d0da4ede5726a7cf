#include "cli/view/routes.h"

#include <charconv>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "cli/view/page_files.h"

namespace compactor::view {
namespace {

constexpr const char* kJson = "application/json; charset=utf-8";
constexpr const char* kText = "text/plain; charset=utf-8";

Response json_response(const nlohmann::json& j) {
  return {200, kJson, j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)};
}

std::optional<int64_t> whole_number(std::string_view t) {
  int64_t v = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc{} || end != t.data() + t.size() || t.empty()) return std::nullopt;
  return v;
}

const char* content_type(std::string_view name) {
  if (name.ends_with(".html")) return "text/html; charset=utf-8";
  if (name.ends_with(".js")) return "text/javascript; charset=utf-8";
  if (name.ends_with(".css")) return "text/css; charset=utf-8";
  return "application/octet-stream";
}

// The value of `name` in a query "a=1&b=2"; empty when not there.
std::string_view query_value(std::string_view query, std::string_view name) {
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    if (pair.size() > name.size() && pair.starts_with(name) && pair[name.size()] == '=')
      return pair.substr(name.size() + 1);
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return {};
}

// /drawing?from=A&to=B[&stream=N]: the picture of those chainages; without
// them, of the whole route.
Response drawing(const Scene& scene, std::string_view query, PageWindows* windows) {
  cli::ChainageWindow window;
  const std::string_view from = query_value(query, "from"), to = query_value(query, "to");
  if (!from.empty() || !to.empty()) {
    const auto a = whole_number(from), b = whole_number(to);
    if (!a || !b || *a < 0 || *b <= *a) return {400, kText, "a window is from=A&to=B, whole metres, A < B\n"};
    window = {*a, *b};
  }
  const std::string_view stream = query_value(query, "stream");
  if (!stream.empty()) {
    const auto n = whole_number(stream);
    if (!n || *n <= 0) return {400, kText, "a stream is the number its first event told\n"};
    if (windows && !window.whole()) windows->shows(static_cast<uint64_t>(*n), window);
  }
  return {200, "image/svg+xml", *scene_drawing(scene, window)};
}

}  // namespace

Response answer(const Scene& scene, const Request& request, PageWindows* windows) {
  const std::string_view target = request.target;
  const std::string_view path = target.substr(0, target.find('?'));
  if (path == "/" || path == "/index.html") return {200, content_type(".html"), std::string(*page_file("index.html"))};
  if (path == "/state") return {200, kJson, scene.state};
  if (path == "/plan") return {200, kJson, scene.plan->text};
  if (path == "/drawing")
    return drawing(scene, path.size() < target.size() ? target.substr(path.size() + 1) : std::string_view(), windows);
  if (path.starts_with("/cell/")) {
    const auto k = whole_number(path.substr(6));
    if (!k) return {400, kText, "a cell is a whole number: /cell/598\n"};
    const auto j = cell_json(scene, *k);
    if (!j) return {404, kText, fmt::format("no cell {}: the grid has cells 0 to {}\n", *k, scene.shown->model.griglia.last())};
    return json_response(*j);
  }
  const std::string_view name = path.substr(1);
  if (name.find('/') == std::string_view::npos && name != "index.html")
    if (const auto file = page_file(name)) return {200, content_type(name), std::string(*file)};
  return {404, kText, "not found\n"};
}

std::string scene_event(const Scene& scene) { return scene.state; }

std::string scene_event(const Scene& scene, cli::ChainageWindow window) {
  const auto svg = scene_drawing(scene, window);
  std::string text = scene.state;
  text.reserve(text.size() + svg->size() + 48);
  text += fmt::format("\n{} {}\n", window.from, window.to);
  text += *svg;
  return text;
}

}  // namespace compactor::view
