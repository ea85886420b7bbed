// Process control on Windows: the named mutex "GKBriselUpdate.exe" for the
// single instance, SeDebugPrivilege in the own token, processes found
// through Toolhelp snapshots (process list, then each one's first module:
// its executable), terminated through an opened handle, and programs started
// through the shell with the verb "open" or "RunAs". Strings are UTF-8 at the
// interface and wide inside.
#include "processplatform.h"

#include <windows.h>

#include <tlhelp32.h>
#include <versionhelpers.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace {

std::wstring wide(const std::string& utf8) { return std::filesystem::u8path(utf8).wstring(); }

// Ids the search and the termination never touch: the idle process (0) and
// the kernel's System process (4).
constexpr DWORD kIdleProcessId = 0;
constexpr DWORD kSystemProcessId = 4;
// Terminate, create-thread, VM operation, VM write, query information.
constexpr DWORD kTerminateAccess = 0x42B;
// A terminated process normally vanishes at once; wait at most this long
// (ms) before reporting failure.
constexpr DWORD kKillWaitMs = 2000;
// Longest image path that QueryFullProcessImageNameW returns, in characters
// (the limit of extended-length paths).
constexpr std::size_t kLongPathMax = 32768;
// Show command of started programs: shown normally.
constexpr int kShowNormally = SW_SHOW;

// A handle closed at the end of its scope.
class Handle {
public:
  explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~Handle() {
    if (h_ != nullptr) ::CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

private:
  HANDLE h_;
};

// Ids of all processes in one Toolhelp snapshot, ascending.
std::vector<DWORD> listProcessIds() {
  std::vector<DWORD> ids;
  const Handle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snap) return ids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snap.get(), &entry); more;
       more = ::Process32NextW(snap.get(), &entry))
    ids.push_back(entry.th32ProcessID);
  std::sort(ids.begin(), ids.end());
  return ids;
}

// Full path of the first module (the executable) of `pid`; empty when the
// process cannot be opened or queried.
std::wstring executablePath(DWORD pid) {
  const Handle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid));
  if (!snap) return {};
  MODULEENTRY32W module{};
  module.dwSize = sizeof module;
  if (!::Module32FirstW(snap.get(), &module)) return {};
  return module.szExePath;
}

// Folders compare as Windows compares names: without regard to case, with
// either separator.
bool sameFolder(std::wstring a, std::wstring b) {
  std::replace(a.begin(), a.end(), L'/', L'\\');
  std::replace(b.begin(), b.end(), L'/', L'\\');
  while (a.size() > 1 && a.back() == L'\\') a.pop_back();
  while (b.size() > 1 && b.back() == L'\\') b.pop_back();
  return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool refusedId(std::int64_t pid) {
  return pid <= 0 || pid > static_cast<std::int64_t>(MAXDWORD) || pid == kSystemProcessId ||
         pid == static_cast<std::int64_t>(::GetCurrentProcessId());
}

// `text` as one argument of a command line, quoted as CommandLineToArgvW
// reads it back: backslashes before a quote, and before the closing quote,
// are doubled.
std::wstring quotedArgument(const std::wstring& text) {
  if (!text.empty() && text.find_first_of(L" \t\n\v\"") == std::wstring::npos) return text;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : text) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

// True when the last component of `path` (after either separator) is exactly
// `wanted`, case included.
bool hasFileName(const std::wstring& path, const std::wstring& wanted) {
  const std::size_t cut = path.find_last_of(L"\\/");
  return cut != std::wstring::npos && path.compare(cut + 1, std::wstring::npos, wanted) == 0;
}

// True when the image of the process behind `process` has the file name
// `wanted` (compared as findProcessByName compares), or when `wanted` is
// null. A process whose image cannot be queried is taken to be the found
// one, as the stop by id always took it.
bool runsProgram(HANDLE process, const std::wstring* wanted) {
  if (wanted == nullptr) return true;
  std::vector<wchar_t> path(kLongPathMax);
  DWORD size = static_cast<DWORD>(path.size());
  if (!::QueryFullProcessImageNameW(process, 0, path.data(), &size)) return true;
  return hasFileName(std::wstring(path.data(), size), *wanted);
}

// killProcess, and killProcessIfNamed when `wanted` is not null. The handle
// pins the process: once it is open, the id cannot pass to another one.
bool stopProcess(std::int64_t pid, const std::wstring* wanted) {
  if (refusedId(pid)) return false;
  const Handle process(
      ::OpenProcess(kTerminateAccess | SYNCHRONIZE, FALSE, static_cast<DWORD>(pid)));
  if (!process) return false;
  DWORD code = 0;
  if (::GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE) return true;
  if (!runsProgram(process.get(), wanted)) return true;
  if (!::TerminateProcess(process.get(), 0)) return false;
  return ::WaitForSingleObject(process.get(), kKillWaitMs) == WAIT_OBJECT_0;
}

}  // namespace

namespace processplatform {

std::string singleInstanceLockName() { return kSingleInstanceLockName; }

bool checkSingleInstance() {
  // Default security: the handle is not inherited by programs we start. It
  // stays open on purpose; the system releases the mutex when we end.
  const HANDLE mutex = ::CreateMutexW(nullptr, TRUE, wide(kSingleInstanceLockName).c_str());
  const bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
  if (mutex != nullptr && existed) {
    ::CloseHandle(mutex);
    return false;
  }
  return true;
}

bool enableDebugPrivilege() {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
    return false;
  const Handle token(raw);
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid))
    return false;
  // Only this privilege is named, so no other one changes.
  return ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, nullptr,
                                 nullptr) != 0;
}

std::int64_t findProcessByName(const std::string& name, const std::string& preferredFolder) {
  if (!isMatchableProcessName(name)) return 0;
  const std::wstring wanted = wide(name);
  const std::wstring preferred = wide(preferredFolder);
  const DWORD self = ::GetCurrentProcessId();
  std::int64_t first = 0;
  for (const DWORD pid : listProcessIds()) {
    if (pid == kIdleProcessId || pid == kSystemProcessId || pid == self) continue;
    const std::wstring path = executablePath(pid);
    if (!hasFileName(path, wanted)) continue;
    if (!preferred.empty() && sameFolder(path.substr(0, path.find_last_of(L"\\/")), preferred))
      return pid;
    if (first == 0) first = pid;
  }
  return first;
}

bool killProcess(std::int64_t pid, int graceMs) {
  (void)graceMs;  // Windows has no request to end that every program obeys
  return stopProcess(pid, nullptr);
}

bool killProcessIfNamed(std::int64_t pid, const std::string& name, int graceMs) {
  (void)graceMs;
  const std::wstring wanted = wide(name);
  return stopProcess(pid, &wanted);
}

bool startProgram(const std::string& path, int mode, const std::string& parameters) {
  if (path.empty()) return false;
  std::wstring file = wide(path);
  std::replace(file.begin(), file.end(), L'/', L'\\');
  const std::wstring arguments =
      parameters.empty() ? std::wstring() : quotedArgument(wide(parameters));
  const bool elevate = mode != StartOpen && ::IsWindows7OrGreater();
  SHELLEXECUTEINFOW request{};
  request.cbSize = sizeof request;
  request.lpVerb = elevate ? L"RunAs" : L"open";
  request.lpFile = file.c_str();
  request.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
  request.nShow = kShowNormally;
  return ::ShellExecuteExW(&request) != 0;
}

}  // namespace processplatform
