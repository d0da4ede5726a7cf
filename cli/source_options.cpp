#include "cli/source_options.h"

#include "cli/command.h"
#include "cli/session/scenario_names.h"

namespace compactor::cli {

session::CompileRequest compile_request(const SourceOptions& o, Files& files) {
  std::string problem;
  const auto route = session::scenario_name(o.route, "route", problem);
  if (!route) throw UsageError(problem);
  const auto train = session::scenario_name(o.train_name, "train", problem);
  if (!train) throw UsageError(problem);
  session::CompileRequest request;
  request.route = *route;
  request.train_name = *train;
  request.line = session::read_source(files, o.line);
  request.train = session::read_source(files, o.train);
  return request;
}

}  // namespace compactor::cli
