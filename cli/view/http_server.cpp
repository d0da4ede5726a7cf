#include "cli/view/http_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <deque>
#include <optional>
#include <stdexcept>
#include <vector>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

namespace compactor::view {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

// A connection that says nothing for this long is closed, so that idle or
// half-sent requests cannot hold the server's sockets for ever.
constexpr auto kIdle = std::chrono::seconds(30);

std::string lower(std::string_view s) {
  std::string t(s);
  std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return t;
}

// One open event stream: events wait in a queue and go out one at a time.
class EventStream : public std::enable_shared_from_this<EventStream> {
 public:
  explicit EventStream(beast::tcp_stream stream) : stream_(std::move(stream)) {}

  void start() {
    stream_.expires_never();
    send(
        "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\n"
        "X-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\n"
        "retry: 500\n\n");
    watch_close();
  }

  void event(const std::string& data) { send("data: " + data + "\n\n"); }

  void close() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.socket().close(ignored);
  }

  bool open() const { return stream_.socket().is_open(); }

 private:
  void send(std::string bytes) {
    queue_.push_back(std::move(bytes));
    if (queue_.size() == 1) write_next();
  }

  void write_next() {
    asio::async_write(stream_, asio::buffer(queue_.front()),
                      [self = shared_from_this()](beast::error_code ec, size_t) {
                        if (ec) return self->close();
                        self->queue_.pop_front();
                        if (!self->queue_.empty()) self->write_next();
                      });
  }

  // The page never sends on a stream; a read ends when it goes away.
  void watch_close() {
    stream_.async_read_some(asio::buffer(scratch_), [self = shared_from_this()](beast::error_code ec, size_t) {
      if (ec) return self->close();
      self->watch_close();
    });
  }

  beast::tcp_stream stream_;
  std::deque<std::string> queue_;
  char scratch_[256];
};

}  // namespace

bool host_allowed(std::string_view host, uint16_t port) {
  const std::string h = lower(host);
  const std::string p = ":" + std::to_string(port);
  return h == "127.0.0.1" + p || h == "localhost" + p;
}

struct HttpServer::Impl {
  asio::io_context io{1};
  tcp::acceptor acceptor{io};
  std::string events_path;
  Handler handler;
  uint16_t port = 0;
  std::vector<std::weak_ptr<EventStream>> streams;

  void accept();
  void add_stream(beast::tcp_stream stream) {
    auto s = std::make_shared<EventStream>(std::move(stream));
    std::erase_if(streams, [](const std::weak_ptr<EventStream>& w) {
      const auto p = w.lock();
      return !p || !p->open();
    });
    streams.push_back(s);
    s->start();
  }
  void publish(const std::string& data) {
    for (const auto& w : streams)
      if (const auto s = w.lock()) s->event(data);
  }
  void close_all() {
    beast::error_code ignored;
    acceptor.close(ignored);
    for (const auto& w : streams)
      if (const auto s = w.lock()) s->close();
    streams.clear();
  }
};

namespace {

// One connection: requests read and answered one after another.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(tcp::socket socket, HttpServer::Impl& server) : stream_(std::move(socket)), server_(server) {}

  void read() {
    parser_.emplace();
    parser_->header_limit(kMostHeaderBytes);
    parser_->body_limit(0);
    stream_.expires_after(kIdle);
    http::async_read(stream_, buffer_, *parser_, [self = shared_from_this()](beast::error_code ec, size_t) {
      self->on_read(ec);
    });
  }

 private:
  void on_read(beast::error_code ec) {
    if (ec == http::error::end_of_stream || ec == beast::error::timeout || ec == asio::error::operation_aborted ||
        ec == asio::error::connection_reset || ec == asio::error::eof)
      return close();
    if (ec == http::error::header_limit) return answer({431, "text/plain; charset=utf-8", "request head too large\n"}, false);
    if (ec == http::error::body_limit || ec == http::error::unexpected_body)
      return answer({413, "text/plain; charset=utf-8", "this server takes no request bodies\n"}, false);
    if (ec) return answer({400, "text/plain; charset=utf-8", "malformed request\n"}, false);

    const auto& req = parser_->get();
    const auto host = req.find(http::field::host);
    if (host == req.end() || !host_allowed(std::string_view(host->value().data(), host->value().size()), server_.port))
      return answer({403, "text/plain; charset=utf-8", "this server answers only to its own address\n"}, false);
    if (req.method() != http::verb::get && req.method() != http::verb::head)
      return answer({405, "text/plain; charset=utf-8", "read-only: GET and HEAD only\n"}, false);

    const std::string target(req.target());
    if (target == server_.events_path && req.method() == http::verb::get) {
      server_.add_stream(std::move(stream_));
      return;
    }
    Response r;
    try {
      r = server_.handler({std::string(req.method_string()), target});
    } catch (const std::exception& e) {
      r = {500, "text/plain; charset=utf-8", std::string(e.what()) + "\n"};
    }
    head_only_ = req.method() == http::verb::head;
    answer(std::move(r), req.keep_alive());
  }

  void answer(Response r, bool keep_alive) {
    auto res = std::make_shared<http::response<http::string_body>>(static_cast<http::status>(r.status), 11);
    res->set(http::field::content_type, r.content_type);
    res->set(http::field::cache_control, "no-store");
    res->set("X-Content-Type-Options", "nosniff");
    // The page is whole in itself: nothing of it comes from anywhere else.
    res->set("Content-Security-Policy",
             "default-src 'none'; script-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self' data:; "
             "connect-src 'self'");
    res->keep_alive(keep_alive);
    res->body() = std::move(r.body);
    res->prepare_payload();
    if (head_only_) res->body().clear();  // the length stays that of the body not sent
    head_only_ = false;
    http::async_write(stream_, *res, [self = shared_from_this(), res, keep_alive](beast::error_code ec, size_t) {
      if (ec || !keep_alive) return self->close();
      self->read();
    });
  }

  void close() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.socket().close(ignored);
  }

  beast::tcp_stream stream_;
  HttpServer::Impl& server_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::empty_body>> parser_;
  bool head_only_ = false;
};

}  // namespace

void HttpServer::Impl::accept() {
  acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
    if (ec == asio::error::operation_aborted) return;
    if (!ec) std::make_shared<Connection>(std::move(socket), *this)->read();
    accept();
  });
}

HttpServer::HttpServer(const std::string& address, uint16_t port, std::string events_path, Handler handler)
    : impl_(std::make_unique<Impl>()) {
  impl_->events_path = std::move(events_path);
  impl_->handler = std::move(handler);
  beast::error_code ec;
  const auto ip = asio::ip::make_address(address, ec);
  if (ec) throw std::runtime_error("not an IP address: " + address);
  const tcp::endpoint endpoint(ip, port);
  impl_->acceptor.open(endpoint.protocol(), ec);
  if (!ec) impl_->acceptor.set_option(asio::socket_base::reuse_address(true), ec);
  if (!ec) impl_->acceptor.bind(endpoint, ec);
  if (!ec) impl_->acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) + ": " + ec.message());
  impl_->port = impl_->acceptor.local_endpoint().port();
  impl_->accept();
}

HttpServer::~HttpServer() = default;

uint16_t HttpServer::port() const { return impl_->port; }

void HttpServer::run(bool until_interrupted) {
  std::optional<asio::signal_set> signals;
  if (until_interrupted) {
    signals.emplace(impl_->io, SIGINT, SIGTERM);
    signals->async_wait([this](beast::error_code ec, int) {
      if (!ec) stop();
    });
  }
  impl_->io.run();
}

void HttpServer::stop() {
  asio::post(impl_->io, [impl = impl_.get()] {
    impl->close_all();
    impl->io.stop();
  });
}

void HttpServer::publish(const std::string& data) {
  asio::post(impl_->io, [impl = impl_.get(), data] { impl->publish(data); });
}

}  // namespace compactor::view
