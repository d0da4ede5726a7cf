// libFuzzer entry point: train loading: the input is the train source.
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return compactor::fuzz::train_loading(data, size);
}
