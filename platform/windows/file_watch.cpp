#include "platform/file_watch.h"

#include <windows.h>
#include <shellapi.h>

#include <map>
#include <set>
#include <thread>
#include <vector>

#include "model/errors.h"

namespace compactor {
namespace {

// Changes closer together than this are one change: an editor's save is a
// write, a rename and more, and each would otherwise compile alone.
constexpr DWORD kSettleMs = 2;

std::wstring wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

std::string reason(DWORD code) {
  wchar_t* text = nullptr;
  ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out = "system error " + std::to_string(code);
  if (text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string t(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, t.data(), n, nullptr, nullptr);
    ::LocalFree(text);
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r' || t.back() == '.')) t.pop_back();
    out = t;
  }
  return out;
}

std::pair<std::string, std::string> split(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? path.substr(0, 1) : path.substr(0, slash), path.substr(slash + 1)};
}

// File names compare as the file system does: without regard to case.
bool same_name(const std::wstring& a, const wchar_t* b, size_t b_len) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b, static_cast<int>(b_len), TRUE) == CSTR_EQUAL;
}

}  // namespace

struct FileWatch::Impl {
  struct Folder {
    HANDLE handle = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    std::vector<std::wstring> names;
    alignas(DWORD) char buffer[16 * 1024];
  };
  std::vector<std::unique_ptr<Folder>> folders;
  HANDLE stop = nullptr;
  std::function<void()> changed;
  std::thread thread;

  ~Impl() {
    for (const auto& f : folders) {
      if (f->handle != INVALID_HANDLE_VALUE) {
        // The read may still be writing into the buffer: wait for its end.
        DWORD ignored = 0;
        if (::CancelIoEx(f->handle, &f->overlapped) || ::GetLastError() != ERROR_NOT_FOUND)
          ::GetOverlappedResult(f->handle, &f->overlapped, &ignored, TRUE);
        ::CloseHandle(f->handle);
      }
      if (f->overlapped.hEvent) ::CloseHandle(f->overlapped.hEvent);
    }
    if (stop) ::CloseHandle(stop);
  }

  static bool arm(Folder& f) {
    constexpr DWORD what = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;
    return ::ReadDirectoryChangesW(f.handle, f.buffer, sizeof f.buffer, FALSE, what, nullptr, &f.overlapped,
                                   nullptr) != 0;
  }

  // True when the changes read into `f` are about a watched name (or were
  // too many to be kept, which may hide one).
  static bool ours(Folder& f) {
    DWORD bytes = 0;
    if (!::GetOverlappedResult(f.handle, &f.overlapped, &bytes, FALSE)) return true;
    if (bytes == 0) return true;
    bool any = false;
    for (DWORD at = 0;;) {
      const auto* e = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(f.buffer + at);
      for (const std::wstring& n : f.names)
        if (same_name(n, e->FileName, e->FileNameLength / sizeof(wchar_t))) any = true;
      if (e->NextEntryOffset == 0) break;
      at += e->NextEntryOffset;
    }
    return any;
  }

  void run() {
    std::vector<HANDLE> waits;
    for (const auto& f : folders) waits.push_back(f->overlapped.hEvent);
    waits.push_back(stop);
    bool pending = false;
    for (;;) {
      const DWORD r = ::WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE,
                                               pending ? kSettleMs : INFINITE);
      if (r == WAIT_TIMEOUT) {
        pending = false;
        changed();
        continue;
      }
      const DWORD i = r - WAIT_OBJECT_0;
      if (r == WAIT_FAILED || i >= folders.size()) return;  // stopped
      Folder& f = *folders[i];
      pending = ours(f) || pending;
      if (!arm(f)) return;
    }
  }
};

FileWatch::FileWatch(const std::vector<std::string>& paths, std::function<void()> changed)
    : impl_(std::make_unique<Impl>()) {
  impl_->changed = std::move(changed);
  impl_->stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::map<std::wstring, Impl::Folder*> by_folder;
  for (const std::string& p : paths) {
    const auto [folder, name] = split(p);
    const std::wstring w = wide(folder);
    Impl::Folder*& f = by_folder[w];
    if (!f) {
      auto made = std::make_unique<Impl::Folder>();
      made->handle = ::CreateFileW(w.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
      if (made->handle == INVALID_HANDLE_VALUE) throw PlatformError(folder, "cannot watch: " + reason(::GetLastError()));
      made->overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
      if (!Impl::arm(*made)) throw PlatformError(folder, "cannot watch: " + reason(::GetLastError()));
      f = made.get();
      impl_->folders.push_back(std::move(made));
    }
    f->names.push_back(wide(name));
  }
  impl_->thread = std::thread([impl = impl_.get()] { impl->run(); });
}

FileWatch::~FileWatch() {
  ::SetEvent(impl_->stop);
  impl_->thread.join();
}

bool open_in_browser(const std::string& url) {
  const auto r = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", wide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return r > 32;
}

}  // namespace compactor
