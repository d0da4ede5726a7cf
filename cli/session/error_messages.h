// What each recorded error number means, in words.
#pragma once

#include <string>

namespace compactor::session {

// The meaning of a scenario error; empty for an unknown number.
std::string significato_errore(int numero);

// True for the errors that record a position in metres.
bool errore_con_posizione(int numero);

}  // namespace compactor::session
