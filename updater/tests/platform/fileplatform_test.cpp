// The Windows file services under Wine: files made below an open folder,
// written, given their times and the read-only attribute, and read back
// through the system's own calls; what may and may not be replaced; links
// never followed; local-to-system time and ANSI names.
#include "fileplatform.h"

#include <testsupport/file_bytes.h>
#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

using testsupport::fileBytes;
using testsupport::utf8Of;

namespace {

std::int64_t unixSeconds(const FILETIME& ft) {
  ULARGE_INTEGER v{};
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  return static_cast<std::int64_t>(v.QuadPart / 10000000ULL) - 11644473600LL;
}

// The three times of `p` as the system reports them.
FileTimes timesOf(const fs::path& p) {
  FileTimes t;
  const HANDLE h =
      ::CreateFileW(p.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return t;
  FILETIME c{}, a{}, m{};
  if (::GetFileTime(h, &c, &a, &m)) {
    t.creation = unixSeconds(c);
    t.access = unixSeconds(a);
    t.modification = unixSeconds(m);
  }
  ::CloseHandle(h);
  return t;
}

DWORD attributes(const fs::path& p) { return ::GetFileAttributesW(p.c_str()); }

// Wine keeps files on a Unix file system, which stores no creation time:
// Wine reports another of the file's times in its place.
bool creationTimeKept() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr;
}

// 2017-07-14, 2019-02-08 and 2020-09-13 (UTC), all distinct.
const FileTimes kTimes = [] {
  FileTimes t;
  t.creation = 1500000000;
  t.modification = 1549584000;
  t.access = 1600000000;
  return t;
}();

}  // namespace

TEST(FilePlatform, NewFileBelowAFolderGetsItsBytesTimesAndAttribute) {
  testsupport::TempDir dir;
  FolderHandle base;
  ASSERT_TRUE(base.open(utf8Of(dir.path())));
  FolderHandle sub;
  ASSERT_TRUE(sub.openChild(base, "sub", true));
  EXPECT_TRUE(fs::is_directory(dir.path() / "sub"));

  NewFile file;
  ASSERT_TRUE(file.createIn(sub, "data.bin"));
  const std::string bytes("ab\0\r\ncd", 7);
  ASSERT_TRUE(file.write(bytes.data(), static_cast<std::int64_t>(bytes.size())));
  ASSERT_TRUE(file.finish(kTimes, FilePermissions{}));

  // The times first: reading the data may move the access time.
  const fs::path written = dir.path() / "sub" / "data.bin";
  const FileTimes back = timesOf(written);
  if (creationTimeKept()) {
    EXPECT_EQ(back.creation, kTimes.creation);
  }
  EXPECT_EQ(back.modification, kTimes.modification);
  EXPECT_EQ(back.access, kTimes.access);
  EXPECT_EQ(fileBytes(written), bytes);
  EXPECT_EQ(attributes(written) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_FALSE(isReadOnlyFile(utf8Of(written)));
}

TEST(FilePlatform, ReadOnlyFilesAreMadeAndNeverReplaced) {
  testsupport::TempDir dir;
  FolderHandle base;
  ASSERT_TRUE(base.open(utf8Of(dir.path())));
  NewFile file;
  ASSERT_TRUE(file.createIn(base, "locked.txt"));
  ASSERT_TRUE(file.write("keep", 4));
  FilePermissions readOnly;
  readOnly.readOnly = true;
  ASSERT_TRUE(file.finish(kTimes, readOnly));
  const fs::path locked = dir.path() / "locked.txt";
  EXPECT_NE(attributes(locked) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_TRUE(isReadOnlyFile(utf8Of(locked)));
  EXPECT_EQ(filePermissionBits(utf8Of(locked)), 0444);

  NewFile again;
  EXPECT_FALSE(again.createIn(base, "locked.txt"));
  NewFile byPath;
  EXPECT_FALSE(byPath.create(utf8Of(locked)));
  EXPECT_EQ(fileBytes(locked), "keep");

  // A mode with the owner's write bit clears the attribute again.
  ASSERT_TRUE(setFilePermissionBits(utf8Of(locked), 0644));
  EXPECT_FALSE(isReadOnlyFile(utf8Of(locked)));
  EXPECT_EQ(filePermissionBits(utf8Of(locked)), 0644);
  ASSERT_TRUE(setFilePermissionBits(utf8Of(locked), 0444));
  EXPECT_TRUE(isReadOnlyFile(utf8Of(locked)));
}

TEST(FilePlatform, OrdinaryFilesAreReplacedAndDiscardedFilesGone) {
  testsupport::TempDir dir;
  std::ofstream(dir.path() / "old.txt") << "old contents";
  FolderHandle base;
  ASSERT_TRUE(base.open(utf8Of(dir.path())));
  NewFile replacing;
  ASSERT_TRUE(replacing.createIn(base, "old.txt"));
  ASSERT_TRUE(replacing.write("new", 3));
  ASSERT_TRUE(replacing.finish(kTimes, FilePermissions{}));
  EXPECT_EQ(fileBytes(dir.path() / "old.txt"), "new");

  NewFile byPath;
  ASSERT_TRUE(byPath.create(utf8Of(dir.path() / "old.txt")));
  ASSERT_TRUE(byPath.write("newer", 5));
  ASSERT_TRUE(byPath.finish(kTimes, FilePermissions{}));
  EXPECT_EQ(fileBytes(dir.path() / "old.txt"), "newer");

  NewFile dropped;
  ASSERT_TRUE(dropped.createIn(base, "partial.txt"));
  ASSERT_TRUE(dropped.write("half", 4));
  dropped.discard();
  EXPECT_FALSE(fs::exists(dir.path() / "partial.txt"));

  ASSERT_TRUE(replaceFile(utf8Of(dir.path() / "old.txt"), utf8Of(dir.path() / "moved.txt")));
  std::ofstream(dir.path() / "other.txt") << "other";
  ASSERT_TRUE(replaceFile(utf8Of(dir.path() / "other.txt"), utf8Of(dir.path() / "moved.txt")));
  EXPECT_EQ(fileBytes(dir.path() / "moved.txt"), "other");
  EXPECT_FALSE(fs::exists(dir.path() / "other.txt"));
}

TEST(FilePlatform, NamesThatLeaveTheFolderAreRefused) {
  testsupport::TempDir dir;
  FolderHandle base;
  ASSERT_TRUE(base.open(utf8Of(dir.path())));
  for (const char* bad : {"", ".", "..", "a\\b", "a/b", "..\\up", "file.txt:stream", "C:x"}) {
    FolderHandle child;
    EXPECT_FALSE(child.openChild(base, bad, true)) << bad;
    NewFile file;
    EXPECT_FALSE(file.createIn(base, bad)) << bad;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 0)
      << "nothing made";
  std::ofstream(dir.path() / "plain.txt") << "x";
  FolderHandle notAFolder;
  EXPECT_FALSE(notAFolder.open(utf8Of(dir.path() / "plain.txt")));
  EXPECT_FALSE(notAFolder.openChild(base, "plain.txt", true));
  NewFile overFolder;
  ASSERT_TRUE(makeFolderLevel(utf8Of(dir.path() / "level")));
  EXPECT_FALSE(overFolder.createIn(base, "level"));
}

TEST(FilePlatform, FolderLevelsAreMadeOnceAndFilesAreNoFolders) {
  testsupport::TempDir dir;
  const std::string level = utf8Of(dir.path() / "one");
  EXPECT_TRUE(makeFolderLevel(level));
  EXPECT_TRUE(makeFolderLevel(level)) << "already a folder";
  EXPECT_FALSE(makeFolderLevel(utf8Of(dir.path() / "missing" / "two"))) << "one level only";
  std::ofstream(dir.path() / "file") << "x";
  EXPECT_FALSE(makeFolderLevel(utf8Of(dir.path() / "file")));
  EXPECT_EQ(filePermissionBits(level), 0755);
  // Neither a folder, nor a file, nor a missing name is a link.
  EXPECT_FALSE(isSymbolicLink(level));
  EXPECT_FALSE(isSymbolicLink(utf8Of(dir.path() / "file")));
  EXPECT_FALSE(isSymbolicLink(utf8Of(dir.path() / "nothing")));
  EXPECT_EQ(filePermissionBits(utf8Of(dir.path() / "nothing")), -1);
}

TEST(FilePlatform, SetFileTimesChangesAccessAndModificationOnly) {
  testsupport::TempDir dir;
  const fs::path p = dir.path() / "t.txt";
  std::ofstream(p) << "t";
  const std::int64_t created = timesOf(p).creation;
  ASSERT_TRUE(setFileTimes(utf8Of(p), kTimes));
  const FileTimes back = timesOf(p);
  EXPECT_EQ(back.access, kTimes.access);
  EXPECT_EQ(back.modification, kTimes.modification);
  if (creationTimeKept()) {
    EXPECT_EQ(back.creation, created);
  }
  EXPECT_FALSE(setFileTimes(utf8Of(dir.path() / "missing.txt"), kTimes));
}

TEST(FilePlatform, UnicodeNamesReachTheDisk) {
  testsupport::TempDir dir;
  const std::string name = "\xe6\x9b\xb4\xe6\x96\xb0-Z\xc3\xbcrich.txt";  // "更新-Zürich.txt"
  FolderHandle base;
  ASSERT_TRUE(base.open(utf8Of(dir.path())));
  NewFile file;
  ASSERT_TRUE(file.createIn(base, name));
  ASSERT_TRUE(file.finish(kTimes, FilePermissions{}));
  EXPECT_TRUE(fs::exists(dir.path() / fs::u8path(name)));
}

TEST(FilePlatform, LinksAreNeitherEnteredNorWrittenThrough) {
  testsupport::TempDir dir;
  const fs::path target = dir.path() / "elsewhere";
  fs::create_directory(target);
  const fs::path link = dir.path() / "link";
  // Wine 8 answers success and makes nothing.
  if (!::CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
      attributes(link) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "this system makes no symbolic links";
  EXPECT_TRUE(isSymbolicLink(utf8Of(link)));
  EXPECT_FALSE(isSymbolicLink(utf8Of(target)));
  FolderHandle base;
  ASSERT_TRUE(base.open(utf8Of(dir.path())));
  FolderHandle through;
  EXPECT_FALSE(through.open(utf8Of(link)));
  EXPECT_FALSE(through.openChild(base, "link", true));
  EXPECT_FALSE(makeFolderLevel(utf8Of(link)));
  NewFile over;
  EXPECT_FALSE(over.createIn(base, "link"));
  EXPECT_EQ(std::distance(fs::directory_iterator(target), fs::directory_iterator()), 0);
}

TEST(FilePlatform, LocalTimeBecomesSystemTimeByTheZonesRules) {
  // Round trip through the system's own opposite conversion, at dates in
  // winter and in summer.
  const SYSTEMTIME cases[] = {
      {2020, 1, 0, 15, 8, 30, 0, 0}, {2020, 7, 0, 15, 23, 59, 58, 0}, {1980, 1, 0, 1, 0, 0, 0, 0}};
  for (const SYSTEMTIME& local : cases) {
    const std::int64_t secs = localTimeToUnixSeconds(local.wYear, local.wMonth, local.wDay,
                                                     local.wHour, local.wMinute, local.wSecond);
    ULARGE_INTEGER v{};
    v.QuadPart = static_cast<ULONGLONG>(secs + 11644473600LL) * 10000000ULL;
    FILETIME ft{v.LowPart, v.HighPart};
    SYSTEMTIME utc{}, back{};
    ASSERT_TRUE(::FileTimeToSystemTime(&ft, &utc));
    ASSERT_TRUE(::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &back));
    EXPECT_EQ(back.wYear, local.wYear);
    EXPECT_EQ(back.wMonth, local.wMonth);
    EXPECT_EQ(back.wDay, local.wDay);
    EXPECT_EQ(back.wHour, local.wHour);
    EXPECT_EQ(back.wMinute, local.wMinute);
    EXPECT_EQ(back.wSecond, local.wSecond);
  }
  // The zone's offset from UTC is whole minutes.
  EXPECT_EQ(localTimeToUnixSeconds(2020, 1, 15, 8, 30, 0) % 60, 0);
}

TEST(FilePlatform, AnsiNamesBecomeUtf8) {
  EXPECT_EQ(ansiToUtf8("plain/name.txt"), "plain/name.txt");
  EXPECT_EQ(ansiToUtf8(""), "");
  if (::GetACP() == 1252) {
    EXPECT_EQ(ansiToUtf8("caf\xe9 \x80"), "caf\xc3\xa9 \xe2\x82\xac");  // é and the euro sign
  } else {
    // Whatever the code page, a byte it maps comes back as that character.
    wchar_t one = 0;
    ASSERT_EQ(::MultiByteToWideChar(CP_ACP, 0, "\xe9", 1, &one, 1), 1);
    const auto u8 = fs::path(std::wstring(1, one)).u8string();
    EXPECT_EQ(ansiToUtf8("\xe9"), std::string(u8.begin(), u8.end()));
  }
}
