// The private working folder on Windows: a fresh random name made with a
// protected access list that lets only this process's token owner in, then
// checked through a handle that does not follow reparse points; removal walks
// the tree by name, deletes links as links and never enters them.
#include "workfolder.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <filesystem>
#include <random>
#include <vector>

namespace {

std::wstring wide(const std::string& utf8) { return std::filesystem::u8path(utf8).wstring(); }

std::string utf8(const std::wstring& text) {
  const auto u8 = std::filesystem::path(text).u8string();
  return std::string(u8.begin(), u8.end());
}

// Deepest folder level the removal descends into (see the POSIX file).
constexpr int kMaxRemoveDepth = 256;
// Fresh names tried before giving up.
constexpr int kNameAttempts = 64;
// Characters after the prefix, as mkdtemp makes them on POSIX.
constexpr int kRandomChars = 6;

std::wstring randomSuffix(std::mt19937& gen) {
  static const wchar_t kAlphabet[] =
      L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::uniform_int_distribution<int> pick(
      0, static_cast<int>(sizeof kAlphabet / sizeof kAlphabet[0]) - 2);
  std::wstring s;
  for (int i = 0; i < kRandomChars; ++i) s += kAlphabet[pick(gen)];
  return s;
}

// A SID of this process's token: `kind` is TokenUser (the account) or
// TokenOwner (what new objects get as owner: the Administrators group for an
// elevated administrator on Windows, a group on Wine).
std::vector<unsigned char> tokenSid(TOKEN_INFORMATION_CLASS kind) {
  HANDLE token = nullptr;
  std::vector<unsigned char> sid;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return sid;
  DWORD size = 0;
  ::GetTokenInformation(token, kind, nullptr, 0, &size);
  std::vector<unsigned char> buf(size);
  if (size > 0 && ::GetTokenInformation(token, kind, buf.data(), size, &size)) {
    const PSID p = kind == TokenUser ? reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid
                                     : reinterpret_cast<TOKEN_OWNER*>(buf.data())->Owner;
    sid.assign(static_cast<unsigned char*>(p), static_cast<unsigned char*>(p) + ::GetLengthSid(p));
  }
  ::CloseHandle(token);
  return sid;
}

bool isOurs(PSID owner) {
  for (const TOKEN_INFORMATION_CLASS kind : {TokenUser, TokenOwner}) {
    std::vector<unsigned char> sid = tokenSid(kind);
    if (!sid.empty() && ::EqualSid(owner, sid.data())) return true;
  }
  return false;
}

// A real folder (not a reparse point) owned by this process's account or
// by its token's owner.
bool soundFolder(const std::wstring& path) {
  const HANDLE h = ::CreateFileW(
      path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  bool sound = ::GetFileInformationByHandle(h, &info) &&
               (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
               (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (sound) {
    sound = ::GetSecurityInfo(h, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                              nullptr, nullptr, &sd) == ERROR_SUCCESS &&
            isOurs(owner);
  }
  if (sd != nullptr) ::LocalFree(sd);
  ::CloseHandle(h);
  return sound;
}

// A descriptor whose access list gives full access to this process's
// account alone, inherited by everything below; "P" keeps the parent's
// entries out. Freed with LocalFree.
bool userOnlyDescriptor(PSECURITY_DESCRIPTOR& sd) {
  std::vector<unsigned char> user = tokenSid(TokenUser);
  LPWSTR text = nullptr;
  if (user.empty() || !::ConvertSidToStringSidW(user.data(), &text)) return false;
  const std::wstring sddl = L"D:P(A;OICI;FA;;;" + std::wstring(text) + L")";
  ::LocalFree(text);
  return ::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &sd,
                                                                nullptr) != 0;
}

// Removes everything inside `folder`; links are removed, never entered.
bool emptyFolder(const std::wstring& folder, int depth) {
  WIN32_FIND_DATAW found{};
  const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  std::vector<WIN32_FIND_DATAW> entries;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") entries.push_back(found);
  } while (::FindNextFileW(find, &found));
  ::FindClose(find);
  bool ok = true;
  for (const WIN32_FIND_DATAW& entry : entries) {
    const std::wstring path = folder + L"\\" + entry.cFileName;
    const DWORD attributes = entry.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
      ::SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (isFolder && !isLink && (depth >= kMaxRemoveDepth || !emptyFolder(path, depth + 1)))
      ok = false;
    // A folder link (junction, directory symlink) goes with RemoveDirectory,
    // which removes the link itself.
    const BOOL removed = isFolder ? ::RemoveDirectoryW(path.c_str()) : ::DeleteFileW(path.c_str());
    if (!removed) ok = false;
  }
  return ok;
}

}  // namespace

WorkFolder::~WorkFolder() {
  if (!m_keep) remove();
}

bool WorkFolder::create(const std::string& parent) {
  path_.clear();
  m_keep = false;
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::absolute(std::filesystem::u8path(parent), ec);
  if (ec) return false;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!userOnlyDescriptor(sd)) return false;
  SECURITY_ATTRIBUTES attributes{sizeof attributes, sd, FALSE};
  std::random_device seed;
  std::mt19937 gen(seed());
  std::wstring made;
  for (int attempt = 0; attempt < kNameAttempts && made.empty(); ++attempt) {
    const std::wstring candidate = (base / (wide(kNamePrefix) + randomSuffix(gen))).wstring();
    if (::CreateDirectoryW(candidate.c_str(), &attributes))
      made = candidate;
    else if (::GetLastError() != ERROR_ALREADY_EXISTS)
      break;
  }
  ::LocalFree(sd);
  if (made.empty()) return false;
  path_ = utf8(made) + "\\";
  if (!soundFolder(made)) {
    remove();
    return false;
  }
  return true;
}

bool WorkFolder::remove() {
  if (path_.empty()) return true;
  std::wstring folder = wide(path_);
  folder.pop_back();  // the trailing separator
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    path_.clear();
    return true;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) emptyFolder(folder, 0);
  if (!::RemoveDirectoryW(folder.c_str()) &&
      ::GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES)
    return false;
  path_.clear();
  return true;
}
