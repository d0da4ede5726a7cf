// libFuzzer entry point: the field reader, with a pattern of reads chosen by the first byte.
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return compactor::fuzz::field_reader(data, size);
}
