// libFuzzer entry point: line loading: the input is the line source.
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return compactor::fuzz::line_loading(data, size);
}
