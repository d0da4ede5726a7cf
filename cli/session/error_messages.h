// What each recorded error number means, in words.
#pragma once

#include <string>

namespace compactor::session {

// The meaning of a scenario error; empty for an unknown number.
std::string error_meaning(int numero);

// True for the errors that record a position in metres.
bool error_with_position(int numero);

}  // namespace compactor::session
