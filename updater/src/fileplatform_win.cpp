// Windows file services: wide-character calls on UTF-8 paths; reparse points
// (symbolic links, junctions) are never followed (FILE_FLAG_OPEN_REPARSE_POINT)
// and refused where a real file or folder is expected; an open folder is held
// without delete sharing, so it cannot be moved or replaced while files are
// made below it; times and the read-only attribute are set through the open
// handle in one call.
#include "fileplatform.h"

#include <windows.h>

#include <filesystem>
#include <utility>

namespace {

std::wstring wide(const std::string& utf8) { return std::filesystem::u8path(utf8).wstring(); }

// Seconds from 1601-01-01 (FILETIME's origin) to 1970-01-01.
constexpr std::int64_t kEpochOffsetSeconds = 11644473600LL;
// FILETIME counts 100-nanosecond steps.
constexpr std::int64_t kTicksPerSecond = 10000000LL;
// Largest piece handed to one WriteFile call (it takes a 32-bit count).
constexpr std::int64_t kMaxWriteChunk = 1 << 30;

LARGE_INTEGER toFileTimeValue(std::int64_t unixSeconds) {
  LARGE_INTEGER v{};
  v.QuadPart = (unixSeconds + kEpochOffsetSeconds) * kTicksPerSecond;
  return v;
}

FILETIME toFileTime(std::int64_t unixSeconds) {
  const LARGE_INTEGER v = toFileTimeValue(unixSeconds);
  FILETIME ft{};
  ft.dwLowDateTime = v.LowPart;
  ft.dwHighDateTime = static_cast<DWORD>(v.HighPart);
  return ft;
}

HANDLE asHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
std::intptr_t asInt(HANDLE h) { return reinterpret_cast<std::intptr_t>(h); }

DWORD attributesOf(const std::string& path) { return ::GetFileAttributesW(wide(path).c_str()); }

bool isReparsePoint(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// One level of a path: not empty, not "." or "..", no separator, and no
// ":" (which would name an alternate data stream or a drive).
bool isPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\:") == std::string::npos;
}

std::string joined(const std::string& folder, const std::string& name) {
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
  return folder + '\\' + name;
}

// An existing entry that a new file may replace: an ordinary file, not a
// link, not read-only.
bool replaceable(DWORD attributes) {
  return (attributes &
          (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY)) == 0;
}

}  // namespace

FolderHandle::~FolderHandle() {
  if (m_handle >= 0) ::CloseHandle(asHandle(m_handle));
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : m_handle(other.m_handle), path_(std::move(other.path_)) {
  other.m_handle = -1;
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
  if (this != &other) {
    if (m_handle >= 0) ::CloseHandle(asHandle(m_handle));
    m_handle = other.m_handle;
    path_ = std::move(other.path_);
    other.m_handle = -1;
  }
  return *this;
}

bool FolderHandle::open(const std::string& path) {
  // No FILE_SHARE_DELETE: while we hold it, the folder cannot be renamed,
  // deleted or swapped for a link.
  const HANDLE h =
      ::CreateFileW(wide(path).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    ::CloseHandle(h);
    return false;
  }
  *this = FolderHandle();
  m_handle = asInt(h);
  path_ = path;
  return true;
}

bool FolderHandle::openChild(const FolderHandle& parent, const std::string& name, bool create) {
  if (!parent.isOpen() || !isPlainName(name)) return false;
  const std::string path = joined(parent.path_, name);
  if (create && !::CreateDirectoryW(wide(path).c_str(), nullptr) &&
      ::GetLastError() != ERROR_ALREADY_EXISTS)
    return false;
  return open(path);
}

NewFile::~NewFile() {
  if (m_handle >= 0) ::CloseHandle(asHandle(m_handle));
}

namespace {

// Creates `path` for writing, not shared, with `disposition`; refuses to
// open a reparse point.
HANDLE createForWriting(const std::string& path, DWORD disposition) {
  return ::CreateFileW(wide(path).c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES | DELETE, 0,
                       nullptr, disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                       nullptr);
}

}  // namespace

bool NewFile::createIn(const FolderHandle& folder, const std::string& name) {
  if (!folder.isOpen() || !isPlainName(name)) return false;
  const std::string path = joined(folder.path_, name);
  const DWORD existing = attributesOf(path);
  if (existing != INVALID_FILE_ATTRIBUTES) {
    if (!replaceable(existing) || !::DeleteFileW(wide(path).c_str())) return false;
  }
  // CREATE_NEW: whatever appears under the name meanwhile is never written.
  const HANDLE h = createForWriting(path, CREATE_NEW);
  if (h == INVALID_HANDLE_VALUE) return false;
  m_handle = asInt(h);
  path_ = path;
  return true;
}

bool NewFile::create(const std::string& path) {
  const DWORD existing = attributesOf(path);
  if (existing != INVALID_FILE_ATTRIBUTES && !replaceable(existing)) return false;
  const HANDLE h = createForWriting(path, CREATE_ALWAYS);
  if (h == INVALID_HANDLE_VALUE) return false;
  m_handle = asInt(h);
  path_ = path;
  return true;
}

bool NewFile::write(const char* data, std::int64_t size) {
  if (m_handle < 0) return false;
  while (size > 0) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(size < kMaxWriteChunk ? size : kMaxWriteChunk);
    if (!::WriteFile(asHandle(m_handle), data, chunk, &written, nullptr) || written == 0)
      return false;
    data += written;
    size -= written;
  }
  return true;
}

bool NewFile::finish(const FileTimes& times, const FilePermissions& permissions) {
  if (m_handle < 0) return false;
  const HANDLE h = asHandle(m_handle);
  // Windows has one permission of its own: the read-only attribute. A mode
  // without the owner's write bit means read-only too.
  const bool readOnly =
      permissions.readOnly || (permissions.unixMode >= 0 && (permissions.unixMode & 0200) == 0);
  FILE_BASIC_INFO basic{};
  basic.CreationTime = toFileTimeValue(times.creation);
  basic.LastAccessTime = toFileTimeValue(times.access);
  basic.LastWriteTime = toFileTimeValue(times.modification);
  basic.FileAttributes = readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL;
  bool ok = ::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic) != 0;
  if (!::CloseHandle(h)) ok = false;
  m_handle = -1;
  return ok;
}

void NewFile::discard() {
  if (m_handle < 0) return;
  ::CloseHandle(asHandle(m_handle));
  m_handle = -1;
  ::DeleteFileW(wide(path_).c_str());
}

bool makeFolderLevel(const std::string& path) {
  const DWORD attributes = attributesOf(path);
  if (attributes != INVALID_FILE_ATTRIBUTES)
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !isReparsePoint(attributes);
  if (::CreateDirectoryW(wide(path).c_str(), nullptr)) return true;
  // Someone else may have made it meanwhile.
  const DWORD now = attributesOf(path);
  return now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         !isReparsePoint(now);
}

bool isSymbolicLink(const std::string& path) { return isReparsePoint(attributesOf(path)); }

bool isReadOnlyFile(const std::string& path) {
  const DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return ::MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool setFileTimes(const std::string& path, const FileTimes& times) {
  const HANDLE h =
      ::CreateFileW(wide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  // As on POSIX only access and modification: the creation time stays.
  const FILETIME access = toFileTime(times.access);
  const FILETIME modification = toFileTime(times.modification);
  const bool ok = ::SetFileTime(h, nullptr, &access, &modification) != 0;
  ::CloseHandle(h);
  return ok;
}

int filePermissionBits(const std::string& path) {
  // The closest mode bits: read for everyone, write for the owner unless
  // read-only, search on folders.
  const DWORD attributes = attributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return -1;
  int mode = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0644;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) mode |= 0111;
  return mode;
}

bool setFilePermissionBits(const std::string& path, int mode) {
  const std::wstring w = wide(path);
  const DWORD attributes = ::GetFileAttributesW(w.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  DWORD wanted = (mode & 0200) != 0 ? (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY))
                                    : (attributes | FILE_ATTRIBUTE_READONLY);
  if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
  return wanted == attributes || ::SetFileAttributesW(w.c_str(), wanted) != 0;
}

std::int64_t localTimeToUnixSeconds(int year, int month, int day, int hour, int minute,
                                    int second) {
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(year);
  local.wMonth = static_cast<WORD>(month);
  local.wDay = static_cast<WORD>(day);
  local.wHour = static_cast<WORD>(hour);
  local.wMinute = static_cast<WORD>(minute);
  local.wSecond = static_cast<WORD>(second);
  // The rules of the zone at that date (daylight saving included), not the
  // offset that holds today as LocalFileTimeToFileTime would take.
  SYSTEMTIME utc{};
  FILETIME ft{};
  if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) ||
      !::SystemTimeToFileTime(&utc, &ft))
    return 0;
  ULARGE_INTEGER v{};
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  return static_cast<std::int64_t>(v.QuadPart / kTicksPerSecond) - kEpochOffsetSeconds;
}

std::string ansiToUtf8(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int n =
      ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring text(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  const auto u8 = std::filesystem::path(text).u8string();
  return std::string(u8.begin(), u8.end());
}
