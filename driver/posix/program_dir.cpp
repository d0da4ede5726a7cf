#include "driver/program_dir.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "model/errors.h"

namespace compactor {

std::string program_folder() {
  std::vector<char> buf(4096);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) throw PlatformError("/proc/self/exe", std::strerror(errno));
    if (static_cast<size_t>(n) < buf.size()) {
      std::string path(buf.data(), static_cast<size_t>(n));
      const auto slash = path.rfind('/');
      if (slash == std::string::npos) throw PlatformError(path, "not an absolute path");
      return slash == 0 ? std::string() : path.substr(0, slash);
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace compactor
