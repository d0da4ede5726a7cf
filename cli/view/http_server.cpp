#include "cli/view/http_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <deque>
#include <mutex>
#include <optional>
#include <set>
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

// The numbers of the streams open, read from any thread.
class OpenStreams {
 public:
  void add(uint64_t id) {
    const std::lock_guard lock(mutex_);
    ids_.insert(id);
  }
  void remove(uint64_t id) {
    const std::lock_guard lock(mutex_);
    ids_.erase(id);
  }
  std::vector<uint64_t> ids() const {
    const std::lock_guard lock(mutex_);
    return {ids_.begin(), ids_.end()};
  }

 private:
  mutable std::mutex mutex_;
  std::set<uint64_t> ids_;
};

// One open event stream: events wait in a queue and go out one at a time.
class EventStream : public std::enable_shared_from_this<EventStream> {
 public:
  EventStream(beast::tcp_stream stream, uint64_t id, OpenStreams& open)
      : stream_(std::move(stream)), id_(id), open_(open) {}

  void start() {
    stream_.expires_never();
    open_.add(id_);
    send(
        "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\n"
        "X-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\n"
        "retry: 500\nevent: stream\n" +
        event_text(std::to_string(id_)));
    watch_close();
  }

  uint64_t id() const { return id_; }

  void event(std::string text) { send(std::move(text)); }

  void close() {
    open_.remove(id_);
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
  const uint64_t id_;
  OpenStreams& open_;
  std::deque<std::string> queue_;
  char scratch_[256];
};

}  // namespace

bool ip_address(const std::string& address) {
  beast::error_code ec;
  asio::ip::make_address(address, ec);
  return !ec;
}

bool loopback_address(const std::string& address) {
  beast::error_code ec;
  const auto ip = asio::ip::make_address(address, ec);
  return !ec && ip.is_loopback();
}

bool host_allowed(std::string_view host, uint16_t port, const std::string& address) {
  const std::string h = lower(host);
  const std::string p = ":" + std::to_string(port);
  if (!h.ends_with(p)) return false;
  const std::string name = h.substr(0, h.size() - p.size());
  if (name == "127.0.0.1" || name == "localhost") return true;
  beast::error_code ec;
  const auto own = asio::ip::make_address(address, ec);
  if (ec) return false;
  // An IPv6 address goes in brackets in a Host header, an IPv4 one not.
  const bool bracketed = name.size() > 2 && name.front() == '[' && name.back() == ']';
  const auto named = asio::ip::make_address(bracketed ? name.substr(1, name.size() - 2) : name, ec);
  if (ec || named.is_v6() != bracketed) return false;
  return named == own || own.is_unspecified();
}

std::string event_text(std::string_view data) {
  std::string text;
  text.reserve(data.size() + 64);
  // A stream's lines may end in CR, LF or both: each ends a data line.
  for (;;) {
    const size_t end = data.find_first_of("\r\n");
    text += "data: ";
    text += data.substr(0, end);
    text += '\n';
    if (end == std::string_view::npos) break;
    data.remove_prefix(data.substr(end, 2) == "\r\n" ? end + 2 : end + 1);
  }
  text += '\n';
  return text;
}

struct HttpServer::Impl {
  asio::io_context io{1};
  tcp::acceptor acceptor{io};
  std::string address;
  std::string events_path;
  Handler handler;
  uint16_t port = 0;
  std::vector<std::weak_ptr<EventStream>> streams;
  uint64_t streams_made = 0;
  OpenStreams open;

  void accept();
  void add_stream(beast::tcp_stream stream) {
    auto s = std::make_shared<EventStream>(std::move(stream), ++streams_made, open);
    std::erase_if(streams, [](const std::weak_ptr<EventStream>& w) {
      const auto p = w.lock();
      return !p || !p->open();
    });
    streams.push_back(s);
    s->start();
  }
  void publish(const std::string& data, const std::map<uint64_t, std::string>& own) {
    const std::string text = event_text(data);
    for (const auto& w : streams)
      if (const auto s = w.lock()) {
        const auto o = own.find(s->id());
        s->event(o == own.end() ? text : event_text(o->second));
      }
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
    if (host == req.end() ||
        !host_allowed(std::string_view(host->value().data(), host->value().size()), server_.port, server_.address))
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
    if (!ec) {
      // Answers and events go out as soon as they are written, not held
      // back to fill a segment.
      beast::error_code ignored;
      socket.set_option(tcp::no_delay(true), ignored);
      std::make_shared<Connection>(std::move(socket), *this)->read();
    }
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
  impl_->address = ip.to_string();
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

void HttpServer::publish(const std::string& data, std::map<uint64_t, std::string> own) {
  asio::post(impl_->io, [impl = impl_.get(), data, own = std::move(own)] { impl->publish(data, own); });
}

std::vector<uint64_t> HttpServer::streams() const { return impl_->open.ids(); }

}  // namespace compactor::view
