// Writes the line and train sources of a generated route, for the whole-run
// benchmark: gen_route METRES LINE_SOURCE TRAIN_SOURCE
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/routes.h"

namespace {

bool write(const char* path, const std::string& bytes) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: gen_route METRES LINE_SOURCE TRAIN_SOURCE\n");
    return 2;
  }
  const auto s = compactor::bench::generated_sources(std::atoi(argv[1]));
  if (!write(argv[2], s.linea) || !write(argv[3], s.treno)) {
    std::perror("gen_route");
    return 4;
  }
  return 0;
}
