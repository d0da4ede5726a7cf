// scenario view: the scenario as a live page in the browser, served from
// this machine only and compiled again whenever a source is saved.
#include <iostream>
#include <memory>

#include <fmt/format.h>

#include "cli/command.h"
#include "cli/compiled_inputs.h"
#include "cli/read_failures.h"
#include "cli/report.h"
#include "cli/session/scenario_names.h"
#include "cli/source_options.h"
#include "cli/view/follow_sources.h"
#include "cli/view/http_server.h"
#include "cli/view/live_scene.h"
#include "cli/view/routes.h"
#include "model/exit_status.h"

namespace compactor::cli {
namespace {

struct ViewOptions {
  std::vector<std::string> inputs;
  std::string route, train;
  std::string host = "127.0.0.1";
  int64_t port = 0;
  bool open = false;
};

bool names_compiled_files(const std::vector<std::string>& inputs) {
  if (inputs.size() != 2) return true;
  for (const std::string& f : inputs)
    if (f.ends_with(".sim") || f.ends_with(".dat")) return true;
  return false;
}

// The host of the page's address: this machine's loopback when listening on
// every address (which includes it).
std::string url_host(const std::string& host) {
  const bool v6 = host.find(':') != std::string::npos;
  if (host == "0.0.0.0" || host == "::") return v6 ? "[::1]" : "127.0.0.1";
  return v6 ? "[" + host + "]" : host;
}

// Serves `scene_of()` until Ctrl-C; with `live`, compiles again and tells
// every page whenever a source changes.
int serve(const ViewOptions& o, const std::function<std::shared_ptr<const view::Scene>()>& scene_of,
          view::LiveScene* live) {
  if (o.port < 0 || o.port > 65535) throw UsageError(fmt::format("--port {}: a port is 0 to 65535", o.port));
  if (!view::ip_address(o.host)) throw UsageError(fmt::format("--host {}: not an IP address", o.host));
  // Given explicitly, as it must be: said once more, since it opens the
  // page, its sources' records included, to the network.
  if (!view::loopback_address(o.host))
    tell(std::cerr, fmt::format("warning: --host {} is not loopback: other machines can reach the page", o.host));
  view::PageWindows windows;
  view::HttpServer server(o.host, static_cast<uint16_t>(o.port), view::kEventsPath,
                          [&](const view::Request& r) { return view::answer(*scene_of(), r, &windows); });
  std::unique_ptr<FileWatch> watch;
  if (live) watch = view::follow_sources(*live, server, {o.inputs[0], o.inputs[1]}, &windows);
  const std::string url = fmt::format("http://{}:{}/", url_host(o.host), server.port());
  std::cout << fmt::format("serving the scenario at {} (Ctrl-C ends)", url) << std::endl;
  if (o.open && !open_in_browser(url)) tell(std::cerr, "could not start a browser: open " + url + " yourself");
  server.run(true);
  watch.reset();  // no compile after the server is gone
  return exit_status::clean;
}

int view_command(const ViewOptions& o, Files& files) {
  if (o.route.empty() || o.train.empty()) throw UsageError("view needs --route and --train");
  if (!names_compiled_files(o.inputs)) {
    view::LiveScene live({o.inputs[0], o.inputs[1], o.route, o.train}, files);
    return serve(o, [&] { return live.scene(); }, &live);
  }
  return reporting_read_failures(std::cerr, [&] {
    CompiledScenario c = read_compiled_inputs(o.inputs, o.route, o.train, files);
    Model m;
    m.stazioni = std::move(c.stazioni);
    m.griglia = std::move(c.griglia);
    m.planimetria = std::move(c.planimetria);
    std::string problem;
    const auto scene = view::compiled_scene(std::move(m), session::scenario_name(o.route, "route", problem).value_or(""),
                                            session::scenario_name(o.train, "train", problem).value_or(""));
    return serve(o, [&] { return scene; }, nullptr);
  });
}

}  // namespace

Command command_view(CommandLine& app) {
  auto opz = std::make_shared<ViewOptions>();
  auto* cmd = app.add_subcommand("view", "Show a scenario as a live page in the browser, following every save");
  cmd->add_option("INPUT", opz->inputs,
                  "the line source and the train source; or a directory of compiled files, or the compiled files "
                  "themselves (read-only)")
      ->required();
  cmd->add_option("--route", opz->route, "route name, e.g. --route Orvena_Lusco")->required();
  cmd->add_option("--train", opz->train, "train name, e.g. --train \"REG 4105\"")->required();
  cmd->add_option("--host", opz->host,
                  "IP address to listen on (default 127.0.0.1); one that is not loopback, such as 0.0.0.0, makes "
                  "the page reachable from other machines and is warned about");
  cmd->add_option("--port", opz->port, "port (default 0: a free one)");
  cmd->add_flag("--open", opz->open, "open the page in the default browser");
  cmd->footer(
      "Serves a page on 127.0.0.1 (or --host), answering only requests addressed to\n"
      "127.0.0.1:PORT, localhost:PORT or the --host address with the port. The page shows the\n"
      "route plan and the profile as `render` draws them, the summary, every error and warning\n"
      "`check` tells, and under the pointer the 50 m cell with the source records that set it.\n"
      "Saving either source recompiles and updates every open page.\n"
      "Examples:\n"
      "  scenario view route.txt train.txt --route Orvena_Lusco --train \"REG 4105\" --open\n"
      "  scenario view build --route Orvena_Lusco --train \"REG 4105\"\n"
      "Exit status: 0 ended by Ctrl-C; 2 usage error; 4 a file could not be read or the port taken;\n"
      "6 a bad compiled file.");
  return {cmd, [opz] { return view_command(*opz, real_files()); }};
}

}  // namespace compactor::cli
