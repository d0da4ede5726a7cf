#include "platform/windows/wide_path.h"

#include <windows.h>

#include <array>
#include <cwctype>
#include <vector>

#include "platform/cp1252.h"

namespace compactor::windows {
namespace {

// UTF-8 to UTF-16; nothing when the bytes are not UTF-8.
std::optional<std::wstring> from_utf8(std::string_view utf8) {
  if (utf8.empty()) return std::wstring();
  const int size = static_cast<int>(utf8.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), n);
  return wide;
}

// Below this length the plain calls take a path as it is (MAX_PATH less
// the room a temporary's suffix takes).
constexpr size_t kPlainLength = MAX_PATH - 20;

}  // namespace

std::wstring widen_part(std::string_view part) {
  if (auto wide = from_utf8(part)) return *wide;
  return *from_utf8(cp1252_to_utf8(part));
}

std::wstring wide_path(const std::string& path) {
  std::wstring wide;
  size_t start = 0;
  for (;;) {
    const size_t end = path.find_first_of("\\/", start);
    wide += widen_part(std::string_view(path).substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    wide += L'\\';
    start = end + 1;
  }
  if (wide.size() < kPlainLength || wide.starts_with(LR"(\\?\)")) return wide;
  // The prefixed form is taken literally: it must be absolute, with no "."
  // or ".." left in it.
  const DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return wide;
  std::wstring full(n, L'\0');
  const DWORD m = ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  if (m == 0 || m >= n) return wide;
  full.resize(m);
  if (full.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + full.substr(2);
  return LR"(\\?\)" + full;
}

std::string narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::string system_message(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n > 0 && buffer != nullptr ? std::wstring(buffer, n) : std::wstring();
  if (buffer != nullptr) ::LocalFree(buffer);
  // One line, without the closing full stop the system puts.
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                           text.back() == L'.'))
    text.pop_back();
  if (text.empty()) return "system error " + std::to_string(code);
  return narrow(text);
}

std::optional<std::string> refused_name(std::wstring_view name) {
  if (name.empty()) return "an empty file name";
  for (const wchar_t c : name) {
    if (c < 32 || std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos)
      return "Windows does not allow the character '" + (c < 32 ? "\\x" + std::to_string(c) : narrow({&c, 1})) +
             "' in a file name";
  }
  if (name.back() == L'.' || name.back() == L' ')
    return "Windows does not allow a file name that ends with a dot or a blank";
  // A device name is reserved with any extension and with blanks before it
  // ("NUL.txt", "COM1 .dat").
  std::wstring stem(name.substr(0, name.find(L'.')));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  for (wchar_t& c : stem) c = static_cast<wchar_t>(std::towupper(c));
  static constexpr std::array<std::wstring_view, 4> kDevices = {L"CON", L"PRN", L"AUX", L"NUL"};
  bool device = false;
  for (const auto d : kDevices) device = device || stem == d;
  // COM1 to COM9 and LPT1 to LPT9, also with the superscript digits.
  if (stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")))
    device = (stem[3] >= L'1' && stem[3] <= L'9') || stem[3] == L'\u00B9' || stem[3] == L'\u00B2' ||
             stem[3] == L'\u00B3';
  if (device) return "\"" + narrow(stem) + "\" is a device name that Windows reserves";
  return std::nullopt;
}

}  // namespace compactor::windows
