// Standard output that remembers why a write failed, so that the tool can
// say so at the end instead of passing a full disk or a broken pipe for
// success. The first failure is kept; nothing is written after it.
#pragma once

#include <cstdio>
#include <streambuf>

namespace compactor::cli {

class CheckedOutput : public std::streambuf {
 public:
  explicit CheckedOutput(std::FILE* file) : file_(file) {}
  // The system's error number of the first failed write, 0 when none.
  int error() const { return error_; }
  bool flush();

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override { return flush() ? 0 : -1; }

 private:
  bool put(const char* s, size_t n);
  std::FILE* file_;
  int error_ = 0;
};

}  // namespace compactor::cli
