// libFuzzer entry point: the reader of compiled files, fed any bytes.
#include "fuzz/reader_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return compactor::fuzz::compiled_reader(data, size);
}
