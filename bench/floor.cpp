// The floor of a whole run: the least a careful program can do that leaves
// the same files behind, with every trick the program itself uses. It maps
// the reference bytes (already in the page cache, as the carried texts are
// in the program's image), all pages at once rather than a fault at a time,
// and writes each file as a careful writer does: to a temporary beside it
// whose space is taken ahead (fallocate), with one write, then closed and
// renamed over the target. The two sources are written and then deleted, as
// the run does with them.
//
//   floor DIR (write NAME REFERENCE | delete NAME)...
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int failed(const std::string& what) {
  std::fprintf(stderr, "floor: %s: %s\n", what.c_str(), std::strerror(errno));
  return 4;
}

int write_file(const std::string& path, const std::string& reference) {
  const int in = ::open(reference.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return failed(reference);
  struct stat st;
  if (::fstat(in, &st) != 0) return failed(reference);
  const auto size = static_cast<size_t>(st.st_size);
  const void* bytes = size ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, in, 0) : nullptr;
  ::close(in);
  if (bytes == MAP_FAILED) return failed(reference);

  std::string temporary_ = path + ".tmp-XXXXXX";
  const int out = ::mkstemp(temporary_.data());
  if (out < 0) return failed(path);
  // As the program does: without the space taken ahead, a file system that
  // allocates late does it for the whole file when it is renamed over.
  if (size) ::fallocate(out, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size));
  const char* p = static_cast<const char*>(bytes);
  for (size_t left = size; left > 0;) {
    const ssize_t n = ::write(out, p, left);
    if (n < 0) return failed(path);
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (::close(out) != 0) return failed(path);
  if (::rename(temporary_.c_str(), path.c_str()) != 0) return failed(path);
  if (size) ::munmap(const_cast<void*>(bytes), size);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: floor DIR (write NAME REFERENCE | delete NAME)...\n");
    return 2;
  }
  const std::string dir = argv[1];
  for (int i = 2; i < argc;) {
    const std::string verb = argv[i];
    if (verb == "write" && i + 2 < argc) {
      if (const int e = write_file(dir + "/" + argv[i + 1], argv[i + 2])) return e;
      i += 3;
    } else if (verb == "delete" && i + 1 < argc) {
      const std::string path = dir + "/" + argv[i + 1];
      if (::unlink(path.c_str()) != 0) return failed(path);
      i += 2;
    } else {
      std::fprintf(stderr, "floor: unexpected \"%s\"\n", argv[i]);
      return 2;
    }
  }
  return 0;
}
