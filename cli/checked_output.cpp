#include "cli/checked_output.h"

#include <cerrno>

namespace compactor::cli {

bool CheckedOutput::put(const char* s, size_t n) {
  if (error_ != 0) return false;
  errno = 0;
  if (std::fwrite(s, 1, n, file_) != n) {
    error_ = errno != 0 ? errno : EIO;
    return false;
  }
  return true;
}

bool CheckedOutput::flush() {
  if (error_ != 0) return false;
  errno = 0;
  if (std::fflush(file_) != 0) {
    error_ = errno != 0 ? errno : EIO;
    return false;
  }
  return true;
}

CheckedOutput::int_type CheckedOutput::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return flush() ? traits_type::not_eof(c) : traits_type::eof();
  const char ch = traits_type::to_char_type(c);
  return put(&ch, 1) ? c : traits_type::eof();
}

std::streamsize CheckedOutput::xsputn(const char* s, std::streamsize n) {
  return put(s, static_cast<size_t>(n)) ? n : 0;
}

}  // namespace compactor::cli
