// What a command-line program asks of its platform: its arguments as
// UTF-8, standard streams that carry bytes unchanged, and whether a stream
// is a terminal a person reads.
#pragma once

#include <string>
#include <vector>

namespace compactor {

// The arguments the program was started with, as UTF-8 (on Windows taken
// from the wide command line, so that any name typed there arrives whole).
std::vector<std::string> program_arguments(int argc, char** argv);

// Standard input, output and error carry bytes as they are: no "\n" grows
// a "\r" (a picture or a dump piped to a file must be the bytes the tool
// made, and the language server's messages are counted in bytes).
void binary_standard_streams();

// True when `fd` is a terminal or a console window, not a file, a pipe or
// a device such as NUL.
bool is_terminal(int fd);

}  // namespace compactor
