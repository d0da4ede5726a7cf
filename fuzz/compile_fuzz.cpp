// libFuzzer entry point: the whole compile step, fed a line source and a train source.
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return compactor::fuzz::compilation(data, size);
}
