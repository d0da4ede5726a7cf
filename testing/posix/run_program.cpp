#include "testing/run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "testing/test_support.h"

namespace compactor::testing {

namespace {

// In the child: the standard streams, the directory, the environment, then
// the program itself.
[[noreturn]] void becomes(const std::vector<std::string>& argv, const std::string& cwd,
                          const std::vector<std::string>& env, int out, int err) {
  const int in = ::open("/dev/null", O_RDONLY);
  if (out < 0 || err < 0 || in < 0 || ::chdir(cwd.c_str()) != 0) ::_exit(126);
  ::dup2(in, 0);
  ::dup2(out, 1);
  ::dup2(err, 2);
  for (const auto& e : env) ::putenv(const_cast<char*>(e.c_str()));
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

}  // namespace

pid_t start_program(const std::vector<std::string>& argv, const std::string& cwd, const std::vector<std::string>& env) {
  // Never a pid that kill() would take for a group or for everyone.
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    becomes(argv, cwd, env, null, null);
  }
  return pid;
}

int wait_program(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

RunResult run_program(const std::vector<std::string>& argv, const std::string& cwd, const std::vector<std::string>& env) {
  TempDir capture;
  const std::string out_path = capture / "out";
  const std::string err_path = capture / "err";
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0)
    becomes(argv, cwd, env, ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
            ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
  RunResult e;
  e.status = wait_program(pid);
  e.out = file_text(out_path);
  e.err = file_text(err_path);
  return e;
}

}  // namespace compactor::testing
