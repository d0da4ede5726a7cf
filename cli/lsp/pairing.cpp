#include "cli/lsp/pairing.h"

#include <algorithm>

#include <nlohmann/json.hpp>

namespace lsp {
namespace {

constexpr std::string_view kLineEnd = "_linea.txt", kTrainEnd = "-.txt";

bool ends_with(std::string_view s, std::string_view end) { return s.size() >= end.size() && s.ends_with(end); }

std::string folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string join(const std::string& folder, const std::string& name) {
  return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

std::vector<std::string> listing(const std::string& folder, compactor::Files& files) {
  try {
    std::vector<std::string> names = files.list(folder);
    std::sort(names.begin(), names.end());
    return names;
  } catch (const std::exception&) {
    return {};
  }
}

// The pairing scenario.json names, when it names the file at `path`.
std::optional<Pairing> from_scenario_json(const std::string& folder, const std::string& name,
                                          compactor::Files& files) {
  const std::string json_path = join(folder, "scenario.json");
  try {
    if (!files.exists(json_path)) return std::nullopt;
    const auto j = nlohmann::json::parse(files.read_at_most(json_path, 1 << 16));
    Pairing p;
    const std::string line = j.at("line").get<std::string>(), train = j.at("train_source").get<std::string>();
    if (name != line && name != train) return std::nullopt;
    p.line_path = join(folder, line);
    p.train_path = join(folder, train);
    p.route = j.at("route").get<std::string>();
    p.train = j.at("train").get<std::string>();
    return p;
  } catch (const std::exception&) {
    return std::nullopt;  // a broken scenario.json is as none
  }
}

}  // namespace

Pairing pair_of(const std::string& path, compactor::Files& files) {
  const std::string folder = folder_of(path);
  const std::string name = path.substr(path.rfind('/') + 1);
  if (auto p = from_scenario_json(folder, name, files)) return *p;
  const std::vector<std::string> names = listing(folder, files);
  Pairing p;
  if (ends_with(name, kLineEnd)) {
    p.line_path = path;
    p.route = name.substr(0, name.size() - kLineEnd.size());
    std::vector<std::string> trains;
    for (const std::string& n : names)
      if (n.starts_with(p.route + "_") && ends_with(n, kTrainEnd) && n.size() > p.route.size() + 1 + kTrainEnd.size())
        trains.push_back(n);
    if (trains.empty()) {
      p.note = "no train source beside it (" + p.route + "_TRAIN-.txt): checked alone, as far as a line source can be";
      return p;
    }
    p.train_path = join(folder, trains.front());
    p.train = trains.front().substr(p.route.size() + 1, trains.front().size() - p.route.size() - 1 - kTrainEnd.size());
    if (trains.size() > 1)
      p.note = "compiled with " + trains.front() + ", the first of " + std::to_string(trains.size()) +
               " train sources beside it";
    return p;
  }
  if (ends_with(name, kTrainEnd)) {
    p.train_path = path;
    // The route is the longest "R" with an R_linea.txt here that the name starts with.
    for (const std::string& n : names) {
      if (!ends_with(n, kLineEnd)) continue;
      const std::string route = n.substr(0, n.size() - kLineEnd.size());
      if (name.starts_with(route + "_") && route.size() > p.route.size() &&
          name.size() > route.size() + 1 + kTrainEnd.size()) {
        p.route = route;
        p.line_path = join(folder, n);
      }
    }
    if (p.line_path.empty()) {
      p.note = "no line source beside it (ROUTE_linea.txt with this file named ROUTE_TRAIN-.txt): checked alone, as "
               "far as a train source can be";
      return p;
    }
    p.train = name.substr(p.route.size() + 1, name.size() - p.route.size() - 1 - kTrainEnd.size());
    return p;
  }
  p.note = "not named as a line source (ROUTE_linea.txt) or a train source (ROUTE_TRAIN-.txt): checked alone";
  return p;
}

std::optional<std::string> path_of_uri(const std::string& uri) {
  constexpr std::string_view scheme = "file://";
  if (!uri.starts_with(scheme)) return std::nullopt;
  std::string path;
  for (size_t i = scheme.size(); i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() && std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
      path += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      path += uri[i];
    }
  }
  // file:///C:/x on Windows
  if (path.size() >= 3 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
  return path;
}

std::string uri_of_path(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = path.starts_with('/') ? "file://" : "file:///";
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) || std::string_view("/-_.~:").find(ch) != std::string_view::npos) {
      uri += ch;
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

}  // namespace lsp
