// What the author tool asks of a Windows console.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>

#include "platform/console.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

// Progress is for a person at a console: not for a file, a pipe, or NUL,
// which the C library calls a terminal because it is a character device.
TEST(Console, OnlyAConsoleIsATerminal) {
  testing::TempDir dir;
  const std::string file = dir / "out.txt";
  const int to_file = ::_open(file.c_str(), _O_CREAT | _O_WRONLY | _O_BINARY, 0600);
  ASSERT_GE(to_file, 0);
  EXPECT_FALSE(is_terminal(to_file)) << "a file";
  ::_close(to_file);

  const int nul = ::_open("NUL", _O_WRONLY);
  ASSERT_GE(nul, 0);
  EXPECT_NE(::_isatty(nul), 0) << "the C library's view of NUL";
  EXPECT_FALSE(is_terminal(nul)) << "NUL";
  ::_close(nul);

  int pipe[2];
  ASSERT_EQ(::_pipe(pipe, 256, _O_BINARY), 0);
  EXPECT_FALSE(is_terminal(pipe[1])) << "a pipe";
  ::_close(pipe[0]);
  ::_close(pipe[1]);
}

}  // namespace
}  // namespace compactor
