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
  const int padrone = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(padrone, 0);
  ASSERT_EQ(::grantpt(padrone), 0);
  ASSERT_EQ(::unlockpt(padrone), 0);
  const int terminale = ::open(::ptsname(padrone), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminale, 0);

  cli::Progress(false, terminale).passo("drawing...");
  char buf[128] = {};
  const auto n = ::read(padrone, buf, sizeof buf - 1);
  ASSERT_GT(n, 0);
  EXPECT_NE(std::string(buf, static_cast<size_t>(n)).find("scenario render: drawing..."), std::string::npos);
  EXPECT_TRUE(cli::Progress(false, terminale).attivo());
  EXPECT_FALSE(cli::Progress(true, terminale).attivo()) << "--quiet";

  int tubo[2];
  ASSERT_EQ(::pipe(tubo), 0);
  EXPECT_FALSE(cli::Progress(false, tubo[1]).attivo()) << "a pipe is not a terminal";
  for (const int fd : {padrone, terminale, tubo[0], tubo[1]}) ::close(fd);
}

}  // namespace
}  // namespace compactor
