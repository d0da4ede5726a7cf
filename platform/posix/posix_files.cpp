// The file layer on a POSIX system.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/signal_cleanup.h"

namespace compactor {
namespace {

std::string reason() { return std::strerror(errno); }

// All of `bytes` to `fd`, however many calls the system takes: at
// `offset` when one is given, else where the file stands.
void write_all(int fd, std::string_view bytes, const std::string& path, std::optional<uint64_t> offset = {}) {
  while (!bytes.empty()) {
    const ssize_t n = offset ? ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(*offset))
                             : ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw PlatformError(path, "cannot write: " + reason());
    }
    bytes.remove_prefix(static_cast<size_t>(n));
    if (offset) *offset += static_cast<uint64_t>(n);
  }
}

// The temporary beside `path`: its name and ".tmp-" and six characters;
// a name too long to take them is shortened first, as a file name may be
// at most 255 bytes.
std::string temporary_pattern(const std::string& path) {
  constexpr size_t kNameMax = 255, kSuffix = 11;  // ".tmp-XXXXXX"
  const size_t slash = path.rfind('/');
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  std::string pattern = path;
  if (path.size() - start + kSuffix > kNameMax) pattern.resize(start + kNameMax - kSuffix);
  return pattern + ".tmp-XXXXXX";
}

class PosixOutputFile : public OutputFile {
 public:
  explicit PosixOutputFile(std::string path) : path_(std::move(path)) {
    std::string pattern = temporary_pattern(path_);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    {
      // An interruption between creating the temporary and registering it
      // would leave it behind.
      const SignalsHeld held;
      fd_ = ::mkstemp(name.data());
      if (fd_ >= 0) {
        temp_.assign(name.data());
        on_signal_.emplace(temp_);
      }
    }
    if (fd_ < 0) throw PlatformError(path_, "cannot create: " + reason());
    // mkstemp makes the file 0600; give it the usual mode of a new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
  }

  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
  }

  // Straight to the system: the writers hand over whole files or large
  // blocks, so gathering them here would only copy them.
  void write(std::string_view bytes) override {
    write_all(fd_, bytes, path_);
    written_ += bytes.size();
  }

  bool writes_at() const override { return true; }
  void write_at(uint64_t offset, std::string_view bytes) override {
    write_all(fd_, bytes, path_, offset);
    written_ = std::max(written_, offset + bytes.size());
  }

  // A file system that allocates space only when data goes to disk does so
  // for the whole file, and waits for it, when the file is renamed over an
  // existing one (6.8 MB: about 4 ms). Space taken beforehand is already
  // allocated, and the rename has nothing left to wait for.
  void reserve(uint64_t bytes) override {
    if (reserved_ != 0 || bytes == 0 || bytes > static_cast<uint64_t>(INT64_MAX)) return;
    // A file system that cannot take it ahead is no failure: the writes will tell.
    if (::fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes)) == 0) reserved_ = bytes;
  }

  void finish() override {
    if (fd_ < 0) return;
    // Space taken beyond the end is given back.
    if (reserved_ > written_ && ::ftruncate(fd_, static_cast<off_t>(written_)) != 0)
      throw PlatformError(path_, "cannot write: " + reason());
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throw PlatformError(path_, "cannot close: " + reason());
  }

  void commit() override {
    finish();
    if (::rename(temp_.c_str(), path_.c_str()) != 0) throw PlatformError(path_, "cannot rename: " + reason());
    temp_.clear();
    on_signal_.reset();
  }

 private:
  std::string path_;
  std::string temp_;
  std::optional<RemovedOnSignal> on_signal_;
  int fd_ = -1;
  uint64_t written_ = 0;
  uint64_t reserved_ = 0;
};

// An existing target that is not a regular file (a device such as
// /dev/null, a FIFO, a link to one) is written through, as other tools do:
// a temporary renamed over it would replace the device by a plain file.
class ThroughOutputFile : public OutputFile {
 public:
  explicit ThroughOutputFile(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) throw PlatformError(path_, "cannot open: " + reason());
  }
  ~ThroughOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  void write(std::string_view bytes) override { write_all(fd_, bytes, path_); }
  void finish() override {
    if (fd_ < 0) return;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throw PlatformError(path_, "cannot close: " + reason());
  }
  void commit() override { finish(); }

 private:
  std::string path_;
  int fd_ = -1;
};

class PosixFiles : public Files {
 public:
  bool exists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  std::string read(const std::string& path) override { return read_at_most(path, UINT64_MAX); }

  std::string read_at_most(const std::string& path, uint64_t limit) override {
    // Not blocking: opening a FIFO would otherwise wait for a writer forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw PlatformError(path, "cannot open: " + reason());
    // Only regular files are read: a device (/dev/zero), a FIFO or a socket
    // has no end to wait for, and a folder no bytes.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      throw PlatformError(path, "cannot read: not a regular file");
    }
    std::string bytes;
    char chunk[1 << 16];
    while (bytes.size() < limit) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof chunk, limit - bytes.size()));
      const ssize_t n = ::read(fd, chunk, want);
      if (n < 0) {
        if (errno == EINTR) continue;
        const std::string why = reason();
        ::close(fd);
        throw PlatformError(path, "cannot read: " + why);
      }
      if (n == 0) break;
      bytes.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    return bytes;
  }

  std::vector<std::string> list(const std::string& folder) override {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) throw PlatformError(folder, "cannot list: " + reason());
    std::vector<std::string> names;
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(dir);
      if (entry == nullptr) break;
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      // A link or an entry of unknown type is what it leads to.
      bool regular = entry->d_type == DT_REG;
      if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
        struct stat st;
        regular = ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
      }
      if (regular) names.push_back(name);
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0) throw PlatformError(folder, std::string("cannot list: ") + std::strerror(error));
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<OutputFile> create(const std::string& path) override {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
      return std::make_unique<ThroughOutputFile>(path);
    return std::make_unique<PosixOutputFile>(path);
  }

  void remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) throw PlatformError(path, "cannot delete: " + reason());
  }
};

}  // namespace

Files& real_files() {
  static PosixFiles files;
  return files;
}

}  // namespace compactor
