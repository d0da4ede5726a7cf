// A small HTTP/1.1 server for a page on this machine: GET and HEAD only,
// bounded requests, every answer made by one handler, and one path that is
// an event stream (Server-Sent Events) the server pushes to.
//
// It answers only requests whose Host header names it as 127.0.0.1:PORT,
// localhost:PORT or its own ADDRESS:PORT, so that a page from elsewhere
// cannot reach it through a name that resolves to this machine (DNS
// rebinding).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace compactor::view {

struct Request {
  std::string method;  // "GET" or "HEAD"
  std::string target;  // path and query as sent, e.g. "/cell/598"
};

struct Response {
  int status = 200;
  std::string content_type;
  std::string body;
};

using Handler = std::function<Response(const Request&)>;

// Whether `host` (a Host header) names the server listening on `address`
// and `port`: 127.0.0.1, localhost or `address` itself, with the port. On
// every address (0.0.0.0, ::) any IP address with the port: a name could be
// another site's, rebound to this machine, an IP address cannot.
bool host_allowed(std::string_view host, uint16_t port, const std::string& address = "127.0.0.1");

// Whether `address` is an IP address, and one of this machine's loopback.
bool ip_address(const std::string& address);
bool loopback_address(const std::string& address);

// The text of one event: each line of `data` a data line.
std::string event_text(std::string_view data);

// The largest request head accepted; a longer one gets 431.
inline constexpr size_t kMostHeaderBytes = 8 * 1024;

class HttpServer {
 public:
  // Listens on `address` (an IP address) and `port` (0: a free one); throws
  // std::runtime_error when it cannot. `events_path` is the event stream.
  HttpServer(const std::string& address, uint16_t port, std::string events_path, Handler handler);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  uint16_t port() const;

  // Serves until stop(); with `until_interrupted`, also until Ctrl-C or a
  // termination request.
  void run(bool until_interrupted = false);
  // From any thread: run() returns soon after, every connection closed.
  void stop();
  // From any thread: sends `data` as an event to every open stream, or
  // to the streams in `own` their own data instead.
  void publish(const std::string& data, std::map<uint64_t, std::string> own = {});
  // The streams open now, by number: each stream's first event, named
  // "stream", tells its number (counted from 1).
  std::vector<uint64_t> streams() const;

  // The server's workings, known to its connections only.
  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace compactor::view
