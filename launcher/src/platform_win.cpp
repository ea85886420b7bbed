// Windows implementation of the launcher's platform layer. Paths cross the
// interface as UTF-8 and reach the system through its wide-character calls,
// so folders whose names the ANSI code page cannot spell still work.
#include "platform.h"

#include <windows.h>

#include <filesystem>
#include <vector>

namespace carrack::platform {

namespace {

// UTF-8 to the system's wide form and back, through std::filesystem, whose
// paths are wide on Windows.
std::wstring wide(const std::string& utf8) { return std::filesystem::u8path(utf8).wstring(); }

std::string utf8(const std::wstring& text) {
  const auto u8 = std::filesystem::path(text).u8string();
  return std::string(u8.begin(), u8.end());
}

// Longest path the wide calls accept (characters, "\\?\" form).
constexpr DWORD kMaxWidePath = 32768;

}  // namespace

std::string programFolder() {
  // GetModuleFileNameW cuts the path silently when the buffer is too small
  // (the result then fills the buffer): grow it until the whole path fits.
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) {
      const std::wstring exe(buf.data(), n);
      const std::size_t cut = exe.find_last_of(L"\\/");
      if (cut == std::wstring::npos) return {};
      return utf8(exe.substr(0, cut));
    }
    if (buf.size() >= kMaxWidePath) return {};
    buf.resize(buf.size() * 2);
  }
}

std::uint64_t millisecondsSinceBoot() { return ::GetTickCount64(); }

LocalDate localDate() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return LocalDate{now.wYear, now.wMonth, now.wDay};
}

bool pathExists(const std::string& path) {
  return ::GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool createFolder(const std::string& path) {
  return ::CreateDirectoryW(wide(path).c_str(), nullptr) != 0;
}

char pathSeparator() { return '\\'; }

std::FILE* openAppend(const std::string& path) { return ::_wfopen(wide(path).c_str(), L"ab+"); }

// A desktop program on Windows always runs in a session with a desktop;
// there is no display server to look for.
bool displayAvailable() { return true; }

// Writes to a pipe without a reader already fail there.
void ignoreBrokenPipes() {}

}  // namespace carrack::platform
