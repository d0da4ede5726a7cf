#include "cli/lsp/protocol_range.h"
#include "cli/lsp/server.h"

#include <fmt/format.h>

#include <algorithm>

#include "platform/cp1252.h"

#include "cli/lsp/formatting.h"
#include "cli/lsp/json_rpc.h"
#include "cli/lsp/pairing.h"
#include "cli/lsp/quick_fix.h"
#include "cli/lsp/source_features.h"
#include "cli/session/further_errors.h"
#include "cli/session/scenario_names.h"
#include "loader/rounding.h"
#include "sources/source_limit.h"

namespace lsp {

using nlohmann::json;
namespace session = compactor::session;

namespace {

// The partner a lone source is compiled with: nothing to load from it, and
// room for every record of the other.
const std::string kLoneTrain = "[generale]\r\n[fine]\r\n";
const std::string kLoneLine = "[generale]\r\nlunghezza percorso,    1000000\r\n[curve]\r\n[fine]\r\n";


std::string words(const session::Diagnostic& d) {
  std::string message = d.message;
  if (d.has_position) message += fmt::format(" (at {} m)", d.position);
  if (!d.note.empty()) message += "\n" + d.note;
  return message;
}

json diagnostic(const session::Diagnostic& d, int line, int from, int to) {
  json j = {{"range", line_range(line, from, to)},
            {"severity", d.severity == session::Severity::error ? 1 : 2},
            {"source", "scenario"},
            {"message", words(d)}};
  if (d.number != 0) j["code"] = fmt::format("error {}", d.number);
  return j;
}

// Where an error of the finishing pass belongs: the record that set the
// cell at its position, when the provenance knows one.
std::optional<session::Record> record_at(const session::CompileResult& r, int32_t position) {
  const int64_t k = compactor::round_half_even(position / 50.0 + 1);
  for (int m = 0; m < compactor::kCellMemberCount; ++m) {
    const session::Origin o = r.provenance.cell(k, static_cast<compactor::CellMember>(m));
    if (o.kind == session::Origin::Kind::record) return r.provenance.record(o.record);
  }
  return std::nullopt;
}

}  // namespace

std::vector<json> Server::handle(std::string_view body) {
  std::vector<json> out;
  const Incoming in = parse_incoming(body);
  switch (in.kind) {
    case Incoming::Kind::invalid:
      out.push_back(error_response(in.id, in.error, in.error_message));
      break;
    case Incoming::Kind::response:
      break;  // the server asks nothing of the client
    case Incoming::Kind::notification:
      try {
        notified(in.method, in.params);
      } catch (const std::exception& e) {
        out.push_back(notification("window/logMessage", {{"type", 1}, {"message", std::string("scenario lsp: ") + e.what()}}));
      }
      break;
    case Incoming::Kind::request:
      if (!initialized_ && in.method != "initialize") {
        out.push_back(error_response(in.id, ErrorCode::server_not_initialized, "initialize first"));
        break;
      }
      if (shutdown_) {
        out.push_back(error_response(in.id, ErrorCode::invalid_request, "the server is shutting down"));
        break;
      }
      try {
        out.push_back(result_response(in.id, request(in.method, in.params)));
      } catch (const std::out_of_range&) {
        out.push_back(error_response(in.id, ErrorCode::method_not_found, "no method " + in.method));
      } catch (const std::exception& e) {
        out.push_back(error_response(in.id, ErrorCode::invalid_params, e.what()));
      }
      break;
  }
  return out;
}

json Server::request(const std::string& method, const json& params) {
  if (method == "initialize") {
    initialized_ = true;
    return {{"capabilities",
             {{"textDocumentSync", {{"openClose", true}, {"change", 1}}},
              {"hoverProvider", true},
              {"documentSymbolProvider", true},
              {"foldingRangeProvider", true},
              {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
              {"documentFormattingProvider", true},
              {"completionProvider", {{"triggerCharacters", json::array()}}}}},
            {"serverInfo", {{"name", "scenario"}, {"version", COMPACTOR_VERSION}}}};
  }
  if (method == "shutdown") {
    shutdown_ = true;
    return nullptr;
  }
  const Document* doc = document(params);
  if (method == "textDocument/documentSymbol") {
    if (doc == nullptr) return json::array();
    return outline(doc->source.bytes, language_of(params, *doc));
  }
  if (method == "textDocument/foldingRange") return doc == nullptr ? json::array() : folds(doc->source.bytes);
  if (method == "textDocument/completion") {
    if (doc == nullptr) return json::array();
    return key_word_items(language_of(params, *doc));
  }
  if (method == "textDocument/hover") {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    if (dirty_.contains(uri)) {
      std::vector<json> ignored;
      compile_for(uri, ignored);  // the hover speaks of the text as it is now
    }
    const auto c = compiled_.find(uri);
    if (doc == nullptr || c == compiled_.end()) return nullptr;
    const auto& position = params.at("position");
    const int line = position.at("line").get<int>(), character = position.at("character").get<int>();
    std::string text = hover_text(*c->second.result, c->second.source, doc->source.bytes, line, character);
    const session::Diagnostic* stop = c->second.result->error();
    if (text.empty() && stop != nullptr && stop->line > 0 && !c->second.last_loaded)
      c->second.last_loaded = std::make_shared<const session::CompileResult>(
          session::compiled_past_errors(*c->second.request, *c->second.result));
    if (text.empty() && stop != nullptr && stop->line > 0) {
      // Loading stops short of this record now: what the last compile that
      // got past it made.
      text = hover_text(*c->second.last_loaded, c->second.source, doc->source.bytes, line, character);
      if (!text.empty())
        text = fmt::format("*Loading now stops at line {} (error {}); this is what the record makes past it.*\n\n{}",
                           stop->line, stop->number, text);
    }
    if (text.empty()) return nullptr;
    return {{"contents", {{"kind", "markdown"}, {"value", text}}}};
  }
  if (method == "textDocument/formatting") {
    // A character the code page lacks stands as "?" in the bytes: writing
    // them back would lose it.
    if (doc == nullptr || !doc->source.missing.empty()) return json::array();
    const std::string& before = doc->source.bytes;
    const std::string after = formatted(before, language_of(params, *doc));
    if (after == before) return json::array();
    const int lines = static_cast<int>(std::count(before.begin(), before.end(), '\n'));
    return json::array({{{"range", {{"start", {{"line", 0}, {"character", 0}}},
                                    {"end", {{"line", lines + 1}, {"character", 0}}}}},
                         {"newText", compactor::cp1252_to_utf8(after)}}});
  }
  if (method == "textDocument/codeAction") {
    json actions = json::array();
    if (doc == nullptr) return actions;
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    for (const json& d : params.at("context").at("diagnostics"))
      if (auto fix = quick_fix(doc->source.bytes, d)) {
        json edit = {{"range", fix->range}, {"newText", fix->text}};
        actions.push_back({{"title", fix->title},
                           {"kind", "quickfix"},
                           {"diagnostics", json::array({d})},
                           {"isPreferred", true},
                           {"edit", {{"changes", {{uri, json::array({edit})}}}}}});
      }
    return actions;
  }
  throw std::out_of_range(method);
}

void Server::notified(const std::string& method, const json& params) {
  if (method == "exit") {
    exited_ = true;
    return;
  }
  if (!initialized_) return;  // notifications before initialize are dropped
  if (method == "textDocument/didOpen") {
    const auto& td = params.at("textDocument");
    const std::string uri = td.at("uri").get<std::string>();
    Document& d = documents_[uri];
    d.path = path_of_uri(uri).value_or("");
    d.version = td.value("version", 0);
    d.source = to_source_bytes(td.at("text").get<std::string>());
    dirty_.insert(uri);
  } else if (method == "textDocument/didChange") {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const auto it = documents_.find(uri);
    if (it == documents_.end()) return;
    const auto& changes = params.at("contentChanges");
    if (changes.empty()) return;
    // Full synchronisation: the last change holds the whole text.
    it->second.source = to_source_bytes(changes.back().at("text").get<std::string>());
    it->second.version = params.at("textDocument").value("version", it->second.version + 1);
    dirty_.insert(uri);
  } else if (method == "textDocument/didClose") {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    documents_.erase(uri);
    compiled_.erase(uri);
    dirty_.erase(uri);
  }
}

const Server::Document* Server::document(const json& params) const {
  if (!params.is_object() || !params.contains("textDocument")) return nullptr;
  const auto it = documents_.find(params.at("textDocument").at("uri").get<std::string>());
  return it == documents_.end() ? nullptr : &it->second;
}

compactor::SourceLanguage Server::language_of(const json& params, const Document& d) const {
  // The pairing decided it when the document was compiled (scenario.json
  // may name a line source of any name); before that, its name does.
  const auto c = compiled_.find(params.at("textDocument").at("uri").get<std::string>());
  const bool line =
      c != compiled_.end() ? c->second.source == session::Source::line : d.path.ends_with("_linea.txt");
  return line ? compactor::SourceLanguage::line : compactor::SourceLanguage::train;
}

std::optional<std::string> Server::source_at(const std::string& path) {
  for (const auto& [uri, d] : documents_)
    if (d.path == path) return d.source.bytes;
  try {
    if (!files_.exists(path)) return std::nullopt;
    std::string bytes = files_.read_at_most(path, compactor::kSourceLimit + 1);
    if (bytes.size() > compactor::kSourceLimit) return std::nullopt;
    return bytes;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::vector<json> Server::publish() {
  std::vector<json> out;
  while (!dirty_.empty()) {
    const std::string uri = *dirty_.begin();
    compile_for(uri, out);
  }
  return out;
}

void Server::compile_for(const std::string& uri, std::vector<json>& out) {
  dirty_.erase(uri);
  const auto doc = documents_.find(uri);
  if (doc == documents_.end()) return;
  const Document& d = doc->second;
  Pairing p = d.path.empty() ? Pairing{} : pair_of(d.path, files_);
  if (p.line_path.empty() && p.train_path.empty()) p.train_path = d.path;  // neither name: read as a train source
  const bool is_line = p.line_path == d.path;
  session::CompileRequest request;
  request.plan = false;
  request.provenance = true;
  const std::optional<std::string> line = p.line_path.empty() ? std::nullopt : source_at(p.line_path);
  const std::optional<std::string> train = p.train_path.empty() ? std::nullopt : source_at(p.train_path);
  const bool alone = !line || !train;
  request.line = {p.line_path, is_line ? d.source.bytes : line.value_or(kLoneLine)};
  request.train = {p.train_path, !is_line ? d.source.bytes : train.value_or(kLoneTrain)};
  std::string problem;
  request.route = session::scenario_name(p.route.empty() ? "R" : p.route, "route", problem).value_or("R");
  request.train_name = session::scenario_name(p.train.empty() ? "T" : p.train, "train", problem).value_or("T");
  auto compiled_from = std::make_shared<const session::CompileRequest>(request);
  auto result = std::make_shared<const session::CompileResult>(session::compile(std::move(request)));

  // Every open document of the pair gets the result and its diagnostics.
  std::map<std::string, json> published;
  for (const auto& [other_uri, other] : documents_) {
    session::Source s = session::Source::none;
    if (other.path == p.line_path && (is_line || !alone)) s = session::Source::line;
    if (other.path == p.train_path && (!is_line || !alone)) s = session::Source::train;
    if (other_uri == uri) s = is_line ? session::Source::line : session::Source::train;
    if (s == session::Source::none) continue;
    Compiled& c = compiled_[other_uri];
    c.result = result;
    c.request = compiled_from;
    c.source = s;
    c.last_loaded = nullptr;  // made again when a hover needs it
    dirty_.erase(other_uri);
    published[other_uri] = json::array();
  }
  const auto place_in = [&](session::Source s) -> json* {
    for (auto& [u, list] : published)
      if (compiled_[u].source == s) return &list;
    return nullptr;
  };
  for (const session::Diagnostic& diag : result->diagnostics) {
    session::Source s = diag.source;
    int line = diag.line - 1, from = diag.column, to = diag.column_end;
    if (s == session::Source::none) {
      // An error of the finishing pass: on the record behind it, if known.
      const auto rec = diag.has_position ? record_at(*result, diag.position) : std::nullopt;
      if (rec) {
        s = rec->source;
        line = rec->line - 1;
        from = rec->column;
        to = rec->column;
      } else {
        s = session::Source::train;
        line = from = to = 0;
      }
    }
    if (alone && s != (is_line ? session::Source::line : session::Source::train)) continue;
    if (line < 0) line = from = to = 0;
    if (json* list = place_in(s)) list->push_back(diagnostic(diag, line, from, to));
  }
  for (auto& [u, list] : published) {
    const Document& doc_u = documents_.at(u);
    for (const MissingCharacter& m : doc_u.source.missing)
      list.push_back({{"range", line_range(m.line, m.column, m.column + m.width)},
                      {"severity", 2},
                      {"source", "scenario"},
                      {"message", fmt::format("U+{:04X} has no Windows-1252 form: the file cannot keep it, and it is "
                                              "read as \"?\"",
                                              static_cast<uint32_t>(m.code))}});
    if (!p.note.empty() && (u == uri || alone))
      list.push_back({{"range", line_range(0, 0, 0)}, {"severity", 3}, {"source", "scenario"}, {"message", p.note}});
    out.push_back(notification("textDocument/publishDiagnostics",
                               {{"uri", u}, {"version", doc_u.version}, {"diagnostics", std::move(list)}}));
  }
}

}  // namespace lsp
