// Progress on a terminal, tried on a pseudo-terminal of the system's own.
#include "cli/progress.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace compactor {
namespace {

TEST(Progress, ProgressGoesOnlyToATerminalAndNotWithQuiet) {
  const int owner = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(owner, 0);
  ASSERT_EQ(::grantpt(owner), 0);
  ASSERT_EQ(::unlockpt(owner), 0);
  const int terminal = ::open(::ptsname(owner), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);

  cli::Progress(false, terminal).step("drawing...");
  char buf[128] = {};
  const auto n = ::read(owner, buf, sizeof buf - 1);
  ASSERT_GT(n, 0);
  EXPECT_NE(std::string(buf, static_cast<size_t>(n)).find("scenario render: drawing..."), std::string::npos);
  EXPECT_TRUE(cli::Progress(false, terminal).active());
  EXPECT_FALSE(cli::Progress(true, terminal).active()) << "--quiet";

  int pipe_[2];
  ASSERT_EQ(::pipe(pipe_), 0);
  EXPECT_FALSE(cli::Progress(false, pipe_[1]).active()) << "a pipe is not a terminal";
  for (const int fd : {owner, terminal, pipe_[0], pipe_[1]}) ::close(fd);
}

}  // namespace
}  // namespace compactor
