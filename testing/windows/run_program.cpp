// Running a program of the build on Windows, for the tests.
#include "testing/run_program.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <stdexcept>

#include "platform/windows/wide_path.h"
#include "testing/test_support.h"

namespace compactor::testing {
namespace {

using windows::widen_part;

// One argument as the C runtime of the started program splits it again.
std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    while (i < arg.size() && arg[i] == L'\\') {
      ++i;
      ++backslashes;
    }
    if (i == arg.size()) {
      out.append(backslashes * 2, L'\\');
      break;
    }
    if (arg[i] == L'"')
      out.append(backslashes * 2 + 1, L'\\');
    else
      out.append(backslashes, L'\\');
    out += arg[i];
  }
  return out + L"\"";
}

// This process's environment with `env` (NAME=VALUE) laid over it, as the
// block CreateProcessW takes: sorted, each entry ended by a zero.
std::wstring environment(const std::vector<std::string>& env) {
  std::map<std::wstring, std::wstring> entries;
  wchar_t* block = ::GetEnvironmentStringsW();
  for (const wchar_t* p = block; *p != L'\0'; p += std::wcslen(p) + 1) {
    const std::wstring entry(p);
    const size_t eq = entry.find(L'=', 1);  // "=C:=C:\..." entries start with '='
    entries[entry.substr(0, eq)] = entry;
  }
  ::FreeEnvironmentStringsW(block);
  for (const auto& e : env) {
    const std::wstring entry = widen_part(e);
    entries[entry.substr(0, entry.find(L'='))] = entry;
  }
  std::wstring out;
  for (const auto& [name, entry] : entries) out += entry + L'\0';
  return out + L'\0';
}

HANDLE inheritable(const std::wstring& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  const HANDLE h = ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, disposition,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + windows::narrow(path));
  return h;
}

HANDLE start(const std::vector<std::string>& argv, const std::string& cwd, const std::vector<std::string>& env,
             const std::wstring& out, const std::wstring& err) {
  std::wstring command;
  for (const auto& a : argv) command += (command.empty() ? L"" : L" ") + quoted(widen_part(a));
  std::wstring block = environment(env);
  const HANDLE in = inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
  const HANDLE o = inheritable(out, GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE e = inheritable(err, GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in;
  si.hStdOutput = o;
  si.hStdError = e;
  PROCESS_INFORMATION pi{};
  const std::wstring dir = windows::wide_path(cwd);
  const BOOL ok = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                                   block.data(), dir.c_str(), &si, &pi);
  ::CloseHandle(in);
  ::CloseHandle(o);
  ::CloseHandle(e);
  if (!ok) throw std::runtime_error("cannot start " + argv.at(0) + ": " + windows::system_message(::GetLastError()));
  ::CloseHandle(pi.hThread);
  return pi.hProcess;
}

}  // namespace

// The "pid" of a program started here is its process handle.
pid_t start_program(const std::vector<std::string>& argv, const std::string& cwd, const std::vector<std::string>& env) {
  return static_cast<pid_t>(reinterpret_cast<intptr_t>(start(argv, cwd, env, L"NUL", L"NUL")));
}

int wait_program(pid_t pid) {
  const HANDLE h = reinterpret_cast<HANDLE>(static_cast<intptr_t>(pid));
  ::WaitForSingleObject(h, INFINITE);
  DWORD status = 0;
  ::GetExitCodeProcess(h, &status);
  ::CloseHandle(h);
  return static_cast<int>(status);
}

RunResult run_program(const std::vector<std::string>& argv, const std::string& cwd, const std::vector<std::string>& env) {
  TempDir capture;
  const std::string out_path = capture / "out";
  const std::string err_path = capture / "err";
  RunResult r;
  r.status = wait_program(static_cast<pid_t>(reinterpret_cast<intptr_t>(
      start(argv, cwd, env, windows::wide_path(out_path), windows::wide_path(err_path)))));
  r.out = file_text(out_path);
  r.err = file_text(err_path);
  return r;
}

}  // namespace compactor::testing
