// Runs one command once and prints its wall time and peak resident memory:
//   measure DIR COMMAND [ARG...]
//   -> "<wall microseconds> <peak KiB> <exit status> <CPU microseconds>"
// The command runs in DIR with its output discarded (the exit status tells
// a failure). The clock spans fork to reap, so start-up and exit count as
// they do for a user.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: measure DIR COMMAND [ARG...]\n");
    return 2;
  }
  timespec t0, t1;
  ::clock_gettime(CLOCK_MONOTONIC, &t0);
  const pid_t pid = ::fork();
  if (pid < 0) {
    std::perror("measure: fork");
    return 4;
  }
  if (pid == 0) {
    if (::chdir(argv[1]) != 0) _exit(126);
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
      ::dup2(null, 1);
      ::dup2(null, 2);
    }
    ::execv(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  rusage ru{};
  if (::wait4(pid, &status, 0, &ru) != pid) {
    std::perror("measure: wait4");
    return 4;
  }
  ::clock_gettime(CLOCK_MONOTONIC, &t1);
  const long long us = (t1.tv_sec - t0.tv_sec) * 1000000LL + (t1.tv_nsec - t0.tv_nsec) / 1000;
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  const long long cpu = (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1000000LL + ru.ru_utime.tv_usec + ru.ru_stime.tv_usec;
  std::printf("%lld %ld %d %lld\n", us, ru.ru_maxrss, code, cpu);
  return 0;
}
