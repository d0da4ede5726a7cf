#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace lsp {

// Error codes of JSON-RPC and of the protocol on top of it.
enum class ErrorCode : int {
  parse_error = -32700,
  invalid_request = -32600,
  method_not_found = -32601,
  invalid_params = -32602,
  internal_error = -32603,
  server_not_initialized = -32002,
  request_failed = -32803,
};

// A message body sorted by what it asks of the server.
struct Incoming {
  enum class Kind { request, notification, response, invalid };
  Kind kind = Kind::invalid;
  nlohmann::json id;      // for a request; null when the id could not be read
  std::string method;     // for a request or notification
  nlohmann::json params;  // null when absent
  ErrorCode error = ErrorCode::invalid_request;  // for invalid
  std::string error_message;                     // for invalid
};

// Never throws: a body that is not JSON, or not a JSON-RPC 2.0 message, comes
// back invalid with the error to answer with.
Incoming parse_incoming(std::string_view body);

nlohmann::json result_response(const nlohmann::json& id, nlohmann::json result);
nlohmann::json error_response(const nlohmann::json& id, ErrorCode code, std::string_view message);
nlohmann::json notification(std::string_view method, nlohmann::json params);

// The framed bytes of a message, ready to write.
std::string frame(const nlohmann::json& message);

}  // namespace lsp
