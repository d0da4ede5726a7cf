#include "cli/lsp/serve.h"

#include "cli/lsp/json_rpc.h"
#include "cli/lsp/message_reader.h"
#include "cli/lsp/server.h"

namespace lsp {

int serve(std::istream& in, std::ostream& out, std::ostream& log, compactor::Files& files) {
  Server server(files);
  const auto send = [&](const std::vector<nlohmann::json>& messages) {
    for (const auto& m : messages) out << frame(m);
    out.flush();
  };
  for (;;) {
    const ReadResult r = read_message(in);
    if (r.kind == ReadResult::Kind::end_of_input) return 1;
    if (r.kind == ReadResult::Kind::bad_framing) {
      log << "scenario lsp: " << r.error << "; the input cannot be followed further\n";
      return 1;
    }
    send(server.handle(r.body));
    if (server.exited()) return server.exit_status();
    // Edits that have already arrived are taken in before compiling: a
    // burst costs one compile, and no stale result is published.
    if (server.has_pending() && in.rdbuf()->in_avail() <= 0) send(server.publish());
  }
}

}  // namespace lsp
