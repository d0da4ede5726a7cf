#include "platform/file_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <set>
#include <thread>

#include "model/errors.h"

extern char** environ;

namespace compactor {
namespace {

// Changes closer together than this are one change: an editor's save is a
// write, a rename and more, and each would otherwise compile alone.
constexpr int kSettleMs = 2;

std::pair<std::string, std::string> split(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace

struct FileWatch::Impl {
  int inotify = -1;
  int stop_pipe[2] = {-1, -1};
  std::map<int, std::set<std::string>> names;  // by watch descriptor
  std::function<void()> changed;
  std::thread thread;

  ~Impl() {
    if (inotify >= 0) ::close(inotify);
    for (const int fd : stop_pipe)
      if (fd >= 0) ::close(fd);
  }

  // True when an event of the buffer is about a watched name.
  bool ours(const char* buffer, ssize_t n) const {
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
      const auto w = names.find(e->wd);
      if (w != names.end() && e->len > 0 && w->second.count(e->name) > 0) return true;
      if (e->mask & IN_Q_OVERFLOW) return true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
    }
    return false;
  }

  // Reads what is there; true when something was ours.
  bool drain() const {
    alignas(inotify_event) char buffer[16 * 1024];
    bool any = false;
    for (;;) {
      const ssize_t n = ::read(inotify, buffer, sizeof buffer);
      if (n <= 0) return any;
      any = ours(buffer, n) || any;
    }
  }

  void run() const {
    pollfd fds[2] = {{inotify, POLLIN, 0}, {stop_pipe[0], POLLIN, 0}};
    bool pending = false;
    for (;;) {
      const int ready = ::poll(fds, 2, pending ? kSettleMs : -1);
      if (ready < 0 && errno == EINTR) continue;
      if (ready < 0 || (fds[1].revents & POLLIN)) return;
      if (ready == 0) {  // quiet again: the burst is over
        pending = false;
        changed();
        continue;
      }
      if (fds[0].revents & POLLIN) pending = drain() || pending;
    }
  }
};

FileWatch::FileWatch(const std::vector<std::string>& paths, std::function<void()> changed)
    : impl_(std::make_unique<Impl>()) {
  impl_->changed = std::move(changed);
  impl_->inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (impl_->inotify < 0) throw PlatformError(paths.empty() ? "" : paths[0], std::string("cannot watch: ") + std::strerror(errno));
  if (::pipe2(impl_->stop_pipe, O_CLOEXEC) != 0) throw PlatformError("", std::string("cannot watch: ") + std::strerror(errno));
  for (const std::string& p : paths) {
    const auto [folder, name] = split(p);
    const int wd = ::inotify_add_watch(impl_->inotify, folder.c_str(),
                                       IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_ONLYDIR);
    if (wd < 0) throw PlatformError(folder, std::string("cannot watch: ") + std::strerror(errno));
    impl_->names[wd].insert(name);
  }
  impl_->thread = std::thread([impl = impl_.get()] { impl->run(); });
}

FileWatch::~FileWatch() {
  const char stop = 1;
  while (::write(impl_->stop_pipe[1], &stop, 1) < 0 && errno == EINTR) {
  }
  impl_->thread.join();
}

bool open_in_browser(const std::string& url) {
  pid_t pid = 0;
  char opener[] = "xdg-open";
  std::string arg = url;
  char* argv[] = {opener, arg.data(), nullptr};
  if (::posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ) != 0) return false;
  // The opener may stay as long as the browser does; it is reaped when it ends.
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

}  // namespace compactor
