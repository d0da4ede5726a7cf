#include "platform/files.h"

namespace compactor {

void write_whole(Files& files, const std::string& path, std::string_view bytes) {
  auto out = files.create(path);
  out->reserve(bytes.size());
  out->write(bytes);
  out->commit();
}

}  // namespace compactor
