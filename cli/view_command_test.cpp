// The view command's command line and its failures; the server and the
// page are tested in cli/view/.
#include <gtest/gtest.h>

#include <algorithm>

#include <boost/asio/ip/tcp.hpp>

#include "emitters/carried_texts.h"
#include "emitters/source_emitter.h"
#include "model/exit_status.h"
#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

TEST(ViewCommand, RefusesWhatCannotBeServed) {
  testing::TempDir dir;
  testing::put_file(dir / "line.txt", joined_lines(line_lines()));
  testing::put_file(dir / "train.txt", joined_lines(train_lines()));
  // A port that is taken: told, and nothing served.
  boost::asio::io_context io;
  boost::asio::ip::tcp::acceptor taken(io, {boost::asio::ip::make_address("127.0.0.1"), 0});
  const std::string port = std::to_string(taken.local_endpoint().port());
  boost::asio::ip::tcp::acceptor taken_everywhere(io, {boost::asio::ip::make_address("0.0.0.0"), 0});
  const std::string port_everywhere = std::to_string(taken_everywhere.local_endpoint().port());
  const std::string warning = "other machines can reach the page";
  const struct {
    std::vector<std::string> args;
    int status;
    std::string said;
  } cases[] = {
      {{"line.txt", "train.txt", "--route", "R", "--train", "T", "--host", "localhost"}, exit_status::usage,
       "--host localhost: not an IP address"},
      // Any address other than loopback is warned about before it is tried.
      {{"line.txt", "train.txt", "--route", "R", "--train", "T", "--host", "0.0.0.0", "--port", port_everywhere},
       exit_status::platform, warning},
      {{"line.txt", "train.txt", "--route", "R", "--train", "T", "--host", "0.0.0.0", "--port", port_everywhere},
       exit_status::platform, "cannot listen on 0.0.0.0:" + port_everywhere},
      {{"line.txt", "train.txt", "--train", "T"}, exit_status::usage, "--route"},
      {{"line.txt", "train.txt", "--route", "R", "--train", "T", "--port", "70000"}, exit_status::usage,
       "a port is 0 to 65535"},
      {{"line.txt", "missing.txt", "--route", "R", "--train", "T"}, exit_status::platform, "missing.txt"},
      {{"line.txt", "train.txt", "--route", "R", "--train", "T", "--port", port}, exit_status::platform,
       "cannot listen on 127.0.0.1:" + port},
      {{"nowhere", "--route", "R", "--train", "T"}, exit_status::platform, "nowhere: no such file"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = {SCENARIO_BINARY, "view"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const testing::RunResult r = testing::run_program(argv, dir.path());
    EXPECT_EQ(r.status, c.status) << c.said << "\n" << r.err;
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << c.said;
    const bool everywhere = std::find(c.args.begin(), c.args.end(), "0.0.0.0") != c.args.end();
    EXPECT_EQ(r.err.find(warning) != std::string::npos, everywhere) << r.err;
  }
}

}  // namespace
}  // namespace compactor
