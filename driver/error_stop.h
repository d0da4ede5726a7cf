#pragma once

#include <string>

namespace compactor {

// The error stop: shows " Errore n. " and the number `a` in a modal box with
// one OK button (on standard error when there is no display) and ends the
// program with exit status 3.
[[noreturn]] void errore(const std::string& a);

// The message the error stop shows.
std::string error_message(const std::string& a);

}  // namespace compactor
