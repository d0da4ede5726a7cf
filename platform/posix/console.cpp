#include "platform/console.h"

#include <unistd.h>

namespace compactor {

std::vector<std::string> program_arguments(int argc, char** argv) { return {argv, argv + argc}; }

void binary_standard_streams() {}

bool is_terminal(int fd) { return ::isatty(fd) == 1; }

}  // namespace compactor
