// The language server's state and its answers: the open documents, their
// pairing, the last compile of each pair, and what each message asks. It
// does no input or output of its own (see serve() for that), so a test can
// drive it message by message.
//
// Changes are coalesced: handle() only marks the pairs a change touched, and
// publish() compiles each of them once, from the documents as they stand
// then, so a burst of edits costs one compile and no result older than the
// text it is published for is ever shown.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/lsp/text_encoding.h"
#include "cli/session/compile_session.h"
#include "sources/record_fields.h"
#include "platform/files.h"

namespace lsp {

class Server {
 public:
  explicit Server(compactor::Files& files) : files_(files) {}

  // Answers one message body: responses, and notifications such as log
  // messages. Never throws for anything a client sends.
  std::vector<nlohmann::json> handle(std::string_view body);
  // Compiles what changed since the last call; returns publishDiagnostics
  // notifications.
  std::vector<nlohmann::json> publish();
  bool has_pending() const { return !dirty_.empty(); }

  // After "exit": whether to stop, and with which status.
  bool exited() const { return exited_; }
  int exit_status() const { return shutdown_ ? 0 : 1; }

 private:
  struct Document {
    std::string path;  // empty for a document that is not a file
    int version = 0;
    SourceBytes source;
  };
  struct Compiled {
    std::shared_ptr<const compactor::session::CompileResult> result;
    compactor::session::Source source = compactor::session::Source::none;
    // The result's request compiled past its errors, for a hover on a
    // record that an error stops short of; made when first needed.
    std::shared_ptr<const compactor::session::CompileResult> last_loaded;
    // What the result was compiled from.
    std::shared_ptr<const compactor::session::CompileRequest> request;
  };

  nlohmann::json request(const std::string& method, const nlohmann::json& params);
  void notified(const std::string& method, const nlohmann::json& params);
  // The bytes of the source at `path`: its open document's, else the file's.
  std::optional<std::string> source_at(const std::string& path);
  void compile_for(const std::string& uri, std::vector<nlohmann::json>& out);
  const Document* document(const nlohmann::json& params) const;
  // The language of the open document `d` that `params` names.
  compactor::SourceLanguage language_of(const nlohmann::json& params, const Document& d) const;

  compactor::Files& files_;
  bool initialized_ = false, shutdown_ = false, exited_ = false;
  std::map<std::string, Document> documents_;  // by URI
  std::set<std::string> dirty_;                // URIs to compile for
  std::map<std::string, Compiled> compiled_;   // by URI: the last compile it took part in
};

}  // namespace lsp
