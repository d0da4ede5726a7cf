// libFuzzer entry point: the language server's reader of framed messages.
#include "fuzz/message_reader_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return compactor::fuzz::message_reader(data, size);
}
