#include "cli/lsp/json_rpc.h"

namespace lsp {

using nlohmann::json;

namespace {

Incoming invalid(ErrorCode code, std::string message, json id = nullptr) {
  Incoming in;
  in.kind = Incoming::Kind::invalid;
  in.error = code;
  in.error_message = std::move(message);
  in.id = std::move(id);
  return in;
}

}  // namespace

Incoming parse_incoming(std::string_view body) {
  json m = json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (m.is_discarded()) return invalid(ErrorCode::parse_error, "the message is not valid JSON");
  if (!m.is_object()) return invalid(ErrorCode::invalid_request, "a message must be a JSON object");
  json id = nullptr;
  if (auto it = m.find("id"); it != m.end()) {
    if (it->is_string() || it->is_number_integer()) id = *it;
    else if (!it->is_null()) return invalid(ErrorCode::invalid_request, "an id must be a number or a string");
  }
  if (auto v = m.find("jsonrpc"); v == m.end() || *v != "2.0")
    return invalid(ErrorCode::invalid_request, "the message is not JSON-RPC 2.0", id);
  auto method = m.find("method");
  if (method == m.end()) {
    if (m.contains("result") || m.contains("error")) {
      Incoming in;
      in.kind = Incoming::Kind::response;
      in.id = id;
      return in;
    }
    return invalid(ErrorCode::invalid_request, "the message has no method", id);
  }
  if (!method->is_string()) return invalid(ErrorCode::invalid_request, "a method must be a string", id);
  Incoming in;
  in.kind = m.contains("id") ? Incoming::Kind::request : Incoming::Kind::notification;
  in.id = id;
  in.method = method->get<std::string>();
  if (auto p = m.find("params"); p != m.end()) {
    if (!p->is_object() && !p->is_array())
      return invalid(ErrorCode::invalid_request, "params must be an object or an array", id);
    in.params = *p;
  }
  return in;
}

json result_response(const json& id, json result) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

json error_response(const json& id, ErrorCode code, std::string_view message) {
  return {{"jsonrpc", "2.0"},
          {"id", id},
          {"error", {{"code", static_cast<int>(code)}, {"message", std::string(message)}}}};
}

json notification(std::string_view method, json params) {
  return {{"jsonrpc", "2.0"}, {"method", std::string(method)}, {"params", std::move(params)}};
}

std::string frame(const json& message) {
  // Replacing keeps a stray invalid byte in a document from throwing here.
  std::string body = message.dump(-1, ' ', false, json::error_handler_t::replace);
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace lsp
