// The file layer on Windows: the same contract as on POSIX systems, through
// the system's wide calls.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/files.h"
#include "platform/signal_cleanup.h"
#include "platform/windows/wide_path.h"

namespace compactor {
namespace {

using windows::system_message;
using windows::wide_path;

std::string reason() { return system_message(::GetLastError()); }

// The last part of a path, after its last separator.
std::wstring file_name(const std::wstring& wide) {
  const size_t sep = wide.find_last_of(L"\\/");
  return sep == std::wstring::npos ? wide : wide.substr(sep + 1);
}

// Why the file at `wide` cannot be replaced, asked before anything is
// written: the reasons the system would give for the rename at the end are
// "access denied" for all of them, which tells the user nothing.
std::optional<std::string> replacing_refused(const std::wstring& wide) {
  if (auto why = windows::refused_name(file_name(wide))) return "cannot create: " + *why;
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;  // a new file
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return std::string("cannot replace: a directory has this name");
  if (attributes & FILE_ATTRIBUTE_READONLY) return std::string("cannot replace: the old file is read-only");
  // A file another program holds open without letting it be deleted (the
  // simulator reading the old grid) cannot be renamed over.
  const HANDLE h = ::CreateFileW(wide.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
      return "cannot replace: another program has the old file open (" + system_message(error) + ")";
    if (error == ERROR_ACCESS_DENIED) return "cannot replace: " + system_message(error);
    return std::nullopt;
  }
  ::CloseHandle(h);
  return std::nullopt;
}

// All of `bytes`: at `offset` when one is given (a handle opened for plain
// writes still writes where an OVERLAPPED structure says, and waits for
// it), else where the file stands.
void write_all(HANDLE h, std::string_view bytes, const std::string& path, std::optional<uint64_t> offset = {}) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    OVERLAPPED where{};
    if (offset) {
      where.Offset = static_cast<DWORD>(*offset & 0xFFFFFFFFu);
      where.OffsetHigh = static_cast<DWORD>(*offset >> 32);
    }
    DWORD written = 0;
    if (!::WriteFile(h, bytes.data(), chunk, &written, offset ? &where : nullptr))
      throw PlatformError(path, "cannot write: " + reason());
    bytes.remove_prefix(written);
    if (offset) *offset += written;
  }
}

// A name for a temporary that no other run picks at the same moment.
std::wstring temporary_suffix(uint64_t attempt) {
  static std::atomic<uint64_t> counter{0};
  uint64_t v = ::GetTickCount64() * 0x9E3779B97F4A7C15ull ^ (uint64_t{::GetCurrentProcessId()} << 20) ^
               (counter.fetch_add(1) * 0x100000001B3ull) ^ attempt;
  std::wstring s = L".tmp-";
  for (int i = 0; i < 6; ++i, v /= 36) s += L"0123456789abcdefghijklmnopqrstuvwxyz"[v % 36];
  return s;
}

class WindowsOutputFile : public OutputFile {
 public:
  explicit WindowsOutputFile(std::string path) : path_(std::move(path)), wide_(wide_path(path_)) {
    if (auto why = replacing_refused(wide_)) throw PlatformError(path_, *why);
    for (uint64_t attempt = 0; attempt < 100; ++attempt) {
      const std::wstring temp = wide_ + temporary_suffix(attempt);
      // An interruption between creating the temporary and registering it
      // would leave it behind.
      const SignalsHeld held;
      // Shared for deleting: an interruption deletes it while it is open
      // (it goes when the process ends and closes it).
      handle_ = ::CreateFileW(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle_ != INVALID_HANDLE_VALUE) {
        temp_ = temp;
        on_signal_.emplace(windows::narrow(temp_));
        return;
      }
      if (::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    throw PlatformError(path_, "cannot create: " + reason());
  }

  ~WindowsOutputFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    if (!temp_.empty()) ::DeleteFileW(temp_.c_str());
  }

  void write(std::string_view bytes) override { write_all(handle_, bytes, path_); }
  bool writes_at() const override { return true; }
  void write_at(uint64_t offset, std::string_view bytes) override { write_all(handle_, bytes, path_, offset); }

  void finish() override {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    const HANDLE h = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(h)) throw PlatformError(path_, "cannot close: " + reason());
    // Asked again just before the renames: the old file may have been
    // opened meanwhile, and one refused rename would break a set.
    if (auto why = replacing_refused(wide_)) throw PlatformError(path_, *why);
  }

  void commit() override {
    finish();
    // Not while an interruption deletes the run's files: the output it
    // deleted would come back.
    const SignalsHeld held;
    if (!::MoveFileExW(temp_.c_str(), wide_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      throw PlatformError(path_, "cannot rename: " + reason());
    temp_.clear();
    on_signal_.reset();
  }

 private:
  std::string path_;
  std::wstring wide_;
  std::wstring temp_;
  std::optional<RemovedOnSignal> on_signal_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

class WindowsFiles : public Files {
 public:
  bool exists(const std::string& path) override {
    const DWORD attributes = ::GetFileAttributesW(wide_path(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::string read(const std::string& path) override { return read_at_most(path, UINT64_MAX); }

  std::string read_at_most(const std::string& path, uint64_t limit) override {
    const std::wstring wide = wide_path(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
      throw PlatformError(path, "cannot read: not a regular file");
    const HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw PlatformError(path, "cannot open: " + reason());
    // Only files on a disk are read: a device (CON, a pipe) has no end to
    // wait for.
    if (::GetFileType(h) != FILE_TYPE_DISK) {
      ::CloseHandle(h);
      throw PlatformError(path, "cannot read: not a regular file");
    }
    std::string bytes;
    std::vector<char> chunk(1 << 16);
    while (bytes.size() < limit) {
      const DWORD want = static_cast<DWORD>(std::min<uint64_t>(chunk.size(), limit - bytes.size()));
      DWORD n = 0;
      if (!::ReadFile(h, chunk.data(), want, &n, nullptr)) {
        const std::string why = reason();
        ::CloseHandle(h);
        throw PlatformError(path, "cannot read: " + why);
      }
      if (n == 0) break;
      bytes.append(chunk.data(), n);
    }
    ::CloseHandle(h);
    return bytes;
  }

  std::vector<std::string> list(const std::string& folder) override {
    WIN32_FIND_DATAW found;
    const HANDLE h = ::FindFirstFileW((wide_path(folder) + L"\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) {
      if (::GetLastError() == ERROR_FILE_NOT_FOUND) return {};  // an empty drive
      throw PlatformError(folder, "cannot list: " + reason());
    }
    std::vector<std::string> names;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(windows::narrow(found.cFileName));
    } while (::FindNextFileW(h, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(h);
    if (error != ERROR_NO_MORE_FILES) throw PlatformError(folder, "cannot list: " + system_message(error));
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<OutputFile> create(const std::string& path) override {
    return std::make_unique<WindowsOutputFile>(path);
  }

  void remove(const std::string& path) override {
    if (!::DeleteFileW(wide_path(path).c_str())) throw PlatformError(path, "cannot delete: " + reason());
  }
};

}  // namespace

Files& real_files() {
  static WindowsFiles files;
  return files;
}

}  // namespace compactor
