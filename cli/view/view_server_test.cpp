// The page's server end to end: the carried scenario's sources in a folder,
// the server on a free port, requests as a browser (or an attacker) sends
// them.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/streambuf.hpp>
#include <boost/asio/write.hpp>
#include <nlohmann/json.hpp>

#include "cli/view/follow_sources.h"
#include "cli/view/http_server.h"
#include "cli/view/live_scene.h"
#include "cli/view/routes.h"
#include "emitters/carried_texts.h"
#include "emitters/source_emitter.h"
#include "testing/test_support.h"

namespace compactor::view {
namespace {

namespace asio = boost::asio;
using asio::ip::tcp;
using nlohmann::json;

struct Reply {
  int status = 0;
  std::string head, body;
};

// A raw exchange: `request` sent as it is, the answer read to its end
// (requests say Connection: close), given up after a few seconds.
Reply exchange(uint16_t port, const std::string& request) {
  asio::io_context io;
  tcp::socket socket(io);
  socket.connect({asio::ip::make_address("127.0.0.1"), port});
  asio::write(socket, asio::buffer(request));
  std::string got;
  std::array<char, 4096> chunk;
  std::function<void()> read = [&] {
    socket.async_read_some(asio::buffer(chunk), [&](boost::system::error_code ec, size_t n) {
      got.append(chunk.data(), n);
      if (!ec) read();
    });
  };
  read();
  io.run_for(std::chrono::seconds(10));
  Reply r;
  const size_t end = got.find("\r\n\r\n");
  r.head = got.substr(0, end);
  r.body = end == std::string::npos ? "" : got.substr(end + 4);
  std::smatch m;
  if (std::regex_search(r.head, m, std::regex("^HTTP/1\\.1 (\\d{3})"))) r.status = std::stoi(m[1]);
  return r;
}

class ViewServer : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::put_file(line_path, joined_lines(line_lines()));
    testing::put_file(train_path, joined_lines(train_lines()));
    live = std::make_unique<LiveScene>(cli::SourceOptions{line_path, train_path, "Orvena_Lusco", "REG 4105"},
                                       real_files());
    server = std::make_unique<HttpServer>("127.0.0.1", 0, kEventsPath,
                                          [this](const Request& r) { return answer(*live->scene(), r, &windows); });
    thread = std::thread([this] { server->run(); });
  }
  void TearDown() override {
    server->stop();
    thread.join();
  }

  Reply get(const std::string& target, const std::string& host = "") {
    const std::string h = host.empty() ? "127.0.0.1:" + std::to_string(server->port()) : host;
    return exchange(server->port(), "GET " + target + " HTTP/1.1\r\nHost: " + h + "\r\nConnection: close\r\n\r\n");
  }

  // Replaces the first `from` in the train source by `to`.
  void edit_train(const std::string& from, const std::string& to) {
    std::string t = testing::file_text(train_path);
    const size_t at = t.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    t.replace(at, from.size(), to);
    testing::put_file(train_path, t);
  }

  testing::TempDir dir;
  const std::string line_path = dir / "Orvena_Lusco_linea.txt";
  const std::string train_path = dir / "Orvena_Lusco_REG 4105-.txt";
  std::unique_ptr<LiveScene> live;
  PageWindows windows;
  std::unique_ptr<HttpServer> server;
  std::thread thread;
};

TEST_F(ViewServer, StateTellsTheSummaryAndStaysSmall) {
  const Reply r = get("/state");
  ASSERT_EQ(r.status, 200) << r.head;
  EXPECT_NE(r.head.find("application/json"), std::string::npos);
  EXPECT_LT(r.body.size(), 1u << 20);
  const json s = json::parse(r.body);
  EXPECT_EQ(s["route"], "Orvena_Lusco");
  EXPECT_EQ(s["train"], "REG 4105");
  EXPECT_EQ(s["summary"]["stations"], 45);
  EXPECT_EQ(s["summary"]["timed_stops"], 23);
  EXPECT_EQ(s["summary"]["signals"], 179);
  EXPECT_EQ(s["errors"].size(), 0u);
  EXPECT_FALSE(s["stale"].get<bool>());
  // The plan's points come apart, by key: most saves leave them as they were.
  EXPECT_FALSE(s["plan"].contains("xy"));
  EXPECT_EQ(s["plan"]["key"], 1);
  const json plan = json::parse(get("/plan").body);
  EXPECT_EQ(plan["xy"].size(), 2 * (334000 / 50 + 1));
}

TEST_F(ViewServer, CellTellsItsMembersAndTheRecordThatSetThem) {
  const Reply r = get("/cell/598");
  ASSERT_EQ(r.status, 200) << r.head;
  const json c = json::parse(r.body);
  EXPECT_EQ(c["kind"], "signal");
  EXPECT_EQ(c["from_m"], 29900);
  EXPECT_EQ(c["dato1"], 42);
  EXPECT_EQ(c["dato2"], 11);
  EXPECT_EQ(c["words"][0]["words"], "aspects 42/11/0");
  const json& why = c["why"]["dato1"];
  EXPECT_EQ(why["file"], train_path);
  EXPECT_EQ(why["line"], 116);
  EXPECT_NE(why["record"].get<std::string>().find("segnale,   29850"), std::string::npos);
  // An approach code names the signal that put it.
  const json a = json::parse(get("/cell/596").body);
  EXPECT_EQ(a["preavviso"], 81);
  EXPECT_EQ(a["why"]["preavviso"]["line"], 116);
}

// An event stream opened as a page opens it, its first event (its number)
// read.
struct Events {
  Events(asio::io_context& io, uint16_t port) : socket(io) {
    socket.connect({asio::ip::make_address("127.0.0.1"), port});
    asio::write(socket, asio::buffer("GET /events HTTP/1.1\r\nHost: localhost:" + std::to_string(port) + "\r\n\r\n"));
    in.consume(asio::read_until(socket, in, "\r\n\r\n"));
    in.consume(asio::read_until(socket, in, "\n\n"));
  }
  // The next event's text, read by `io` running.
  void next(std::string& text) {
    asio::async_read_until(socket, in, "\n\n", [this, &text](boost::system::error_code ec, size_t n) {
      if (!ec) text.assign(asio::buffers_begin(in.data()), asio::buffers_begin(in.data()) + static_cast<ptrdiff_t>(n));
    });
  }
  tcp::socket socket;
  asio::streambuf in;
};

TEST_F(ViewServer, EventsFollowASourceChange) {
  asio::io_context io;
  Events plain(io, server->port()), shown(io, server->port());
  ASSERT_EQ(server->streams(), (std::vector<uint64_t>{1, 2}));
  // The second page shows 20 to 40 km: its events bring that drawing.
  ASSERT_EQ(get("/drawing?from=20000&to=40000&stream=2").status, 200);

  const auto watch = follow_sources(*live, *server, {line_path, train_path}, &windows);
  edit_train("segnale,   29850,   2, 4, 1", "segnale,   29850,   2, 5, 1");
  std::string a, b;
  plain.next(a);
  shown.next(b);
  io.run_for(std::chrono::seconds(10));
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  // The state, one line; the plan's key stays, since the plan did not change.
  ASSERT_EQ(a.find("data: "), 0u) << a;
  const json state = json::parse(a.substr(6, a.find('\n') - 6));
  EXPECT_EQ(state["version"], 2);
  EXPECT_EQ(state["plan"]["key"], 1);
  EXPECT_EQ(a.find('\n'), a.size() - 2) << "one data line";
  // The same state, the window, then its drawing line by line.
  EXPECT_EQ(b.substr(0, b.find('\n')), a.substr(0, a.find('\n')));
  EXPECT_NE(b.find("\ndata: 20000 40000\ndata: <"), std::string::npos) << b.substr(0, 300);
  EXPECT_NE(b.find("data-from=\"20000\""), std::string::npos);
  EXPECT_EQ(b.find("\n<"), std::string::npos) << "every line of the drawing is a data line";
  EXPECT_EQ(json::parse(get("/cell/598").body)["dato1"], 52);
}

TEST(EventText, MakesEveryLineADataLine) {
  const struct {
    std::string data, text;
  } cases[] = {
      {"7", "data: 7\n\n"},
      {"", "data: \n\n"},
      {"a\nb", "data: a\ndata: b\n\n"},
      {"a\r\nb\rc\n", "data: a\ndata: b\ndata: c\ndata: \n\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(event_text(c.data), c.text) << c.data;
}

TEST_F(ViewServer, ABrokenSaveKeepsTheLastGoodDrawingUnderItsError) {
  edit_train("stazione,    3100, 12,  400", "stazione,    3100, 12,  4x0");
  live->recompile();
  const json s = json::parse(get("/state").body);
  ASSERT_EQ(s["errors"].size(), 1u) << s.dump();
  EXPECT_TRUE(s["stale"].get<bool>());
  EXPECT_EQ(s["errors"][0]["line"], 54);
  EXPECT_EQ(s["summary"]["stations"], 45);  // the drawing's, of the last good compile
  edit_train("stazione,    3100, 12,  4x0", "stazione,    3100, 12,  400");
  live->recompile();
  const json fixed = json::parse(get("/state").body);
  EXPECT_EQ(fixed["errors"].size(), 0u);
  EXPECT_FALSE(fixed["stale"].get<bool>());
}

TEST_F(ViewServer, AnswersOnlyToItsOwnAddress) {
  const std::string port = std::to_string(server->port());
  const struct {
    std::string host;
    int status;
  } cases[] = {
      {"127.0.0.1:" + port, 200},     {"localhost:" + port, 200}, {"LOCALHOST:" + port, 200},
      {"evil.example:" + port, 403},  {"127.0.0.1", 403},         {"127.0.0.1:1" + port, 403},
      {"localhost.evil:" + port, 403},
  };
  for (const auto& c : cases) EXPECT_EQ(get("/state", c.host).status, c.status) << c.host;
  EXPECT_EQ(exchange(server->port(), "GET /state HTTP/1.1\r\nConnection: close\r\n\r\n").status, 403);
}

TEST(HostAllowed, NamesTheAddressListenedOn) {
  const struct {
    std::string host, address;
    bool allowed;
  } cases[] = {
      {"localhost:80", "127.0.0.1", true},
      {"127.0.0.1:80", "::1", true},
      {"[::1]:80", "::1", true},
      {"::1:80", "::1", false},  // an IPv6 address without brackets
      {"[::1]:80", "127.0.0.1", false},
      {"192.168.1.5:80", "192.168.1.5", true},
      {"192.168.1.5:81", "192.168.1.5", false},
      {"192.168.1.6:80", "192.168.1.5", false},
      {"localhost:80", "192.168.1.5", true},
      // On every address: any IP address, never a name.
      {"10.1.2.3:80", "0.0.0.0", true},
      {"[fe80::1]:80", "::", true},
      {"my-laptop:80", "0.0.0.0", false},
      {"10.1.2.3.evil:80", "0.0.0.0", false},
      {"10.1.2.3", "0.0.0.0", false},
  };
  for (const auto& c : cases) EXPECT_EQ(host_allowed(c.host, 80, c.address), c.allowed) << c.host << " on " << c.address;
}

TEST_F(ViewServer, RefusesWhatItDoesNotServe) {
  const std::string host = "Host: 127.0.0.1:" + std::to_string(server->port()) + "\r\nConnection: close\r\n";
  const struct {
    std::string request;
    int status;
  } cases[] = {
      {"GET /nothing HTTP/1.1\r\n" + host + "\r\n", 404},
      {"GET /cell/x HTTP/1.1\r\n" + host + "\r\n", 400},
      {"GET /drawing?from=0&to=100&stream=x HTTP/1.1\r\n" + host + "\r\n", 400},
      {"GET /cell/-1 HTTP/1.1\r\n" + host + "\r\n", 404},
      {"GET /cell/99999999999999999999 HTTP/1.1\r\n" + host + "\r\n", 400},
      {"GET /../../etc/passwd HTTP/1.1\r\n" + host + "\r\n", 404},
      {"POST /state HTTP/1.1\r\n" + host + "\r\n", 405},
      {"DELETE /state HTTP/1.1\r\n" + host + "\r\n", 405},
      {"GET /state HTTP/1.1\r\n" + host + "Content-Length: 5\r\n\r\nhello", 413},
      {"HELLO\r\n\r\n", 400},
      {"GET /state HTTP/1.1\r\n" + host + "X-Big: " + std::string(kMostHeaderBytes, 'a') + "\r\n\r\n", 431},
  };
  for (const auto& c : cases) EXPECT_EQ(exchange(server->port(), c.request).status, c.status) << c.request.substr(0, 60);
  // ...and is still there.
  EXPECT_EQ(get("/state").status, 200);
}

TEST_F(ViewServer, ServesThePageAndTheDrawingFromMemory) {
  const Reply page = get("/");
  ASSERT_EQ(page.status, 200);
  EXPECT_NE(page.head.find("text/html"), std::string::npos);
  EXPECT_NE(page.body.find("view.js"), std::string::npos);
  EXPECT_NE(page.head.find("Content-Security-Policy"), std::string::npos);
  EXPECT_NE(get("/view.js").head.find("text/javascript"), std::string::npos);
  const Reply svg = get("/drawing");
  ASSERT_EQ(svg.status, 200);
  EXPECT_NE(svg.body.find("id=\"profile\""), std::string::npos);
}

}  // namespace
}  // namespace compactor::view
