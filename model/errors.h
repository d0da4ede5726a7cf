// The three kinds of failure that cross module boundaries.
#pragma once

#include <stdexcept>
#include <string>

namespace compactor {

// A failure while loading that is not a scenario error: an index outside a
// table, a read past the end of a source, a number too wide for its field.
// The loader turns every one of them into error 25.
class LoadFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file that cannot be created, written, renamed, read or deleted.
// Only the entry points catch it: one line naming the file, exit status 4.
class PlatformError : public std::runtime_error {
 public:
  PlatformError(std::string path, std::string reason)
      : std::runtime_error(path + ": " + reason),
        path_(std::move(path)),
        reason_(std::move(reason)) {}
  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

// The numbered error stop of the finishing step ("1250", "1251"). Nothing
// is written after it; the entry point shows it and exits with status 3.
class ErrorStop : public std::runtime_error {
 public:
  explicit ErrorStop(std::string numero)
      : std::runtime_error(" Errore n. " + numero), number_(std::move(numero)) {}
  const std::string& numero() const { return number_; }

 private:
  std::string number_;
};

}  // namespace compactor
