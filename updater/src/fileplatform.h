// File services that differ between operating systems, used by archive
// extraction and file copying. One implementation file per system
// (fileplatform_posix.cpp, fileplatform_win.cpp), chosen by the build. Plain
// C++ types, so that each builds without Qt: paths are UTF-8 strings.
#pragma once

#include <cstdint>
#include <string>

// Times of a file in seconds since 1970-01-01 UTC. Systems that cannot set
// a creation time ignore it.
struct FileTimes {
  std::int64_t access = 0;
  std::int64_t creation = 0;
  std::int64_t modification = 0;
};

// How an extracted file's permissions are set when it is finished.
struct FilePermissions {
  bool readOnly = false;  // no one may write (Windows: the read-only attribute)
  int unixMode = -1;      // permission bits 0..0777 to apply; -1: system default
};

// Permission bits that an installed or extracted file never carries: write
// for group and others, set-user-id and set-group-id.
constexpr int kForbiddenModeBits = 06022;

// An open folder, reached without following a symbolic link in its last
// step; files and folders below it are made relative to the handle, so a
// folder replaced by a link while we work is never entered.
class FolderHandle {
public:
  FolderHandle() = default;
  ~FolderHandle();
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;
  FolderHandle(FolderHandle&& other) noexcept;
  FolderHandle& operator=(FolderHandle&& other) noexcept;

  // Opens the folder `path`; false when it is missing, a link or no folder.
  bool open(const std::string& path);
  // Opens the child folder `name` (one level, no separator) of `parent`,
  // creating it first when `create` is set and it is missing; false when it
  // exists as a link or as anything but a folder.
  bool openChild(const FolderHandle& parent, const std::string& name, bool create);
  bool isOpen() const { return m_handle >= 0; }
  std::intptr_t handle() const { return m_handle; }

private:
  friend class NewFile;
  std::intptr_t m_handle = -1;
  std::string path_;  // Windows: children are reached by path below the
                      // handle, which keeps the folder from being moved
};

// A file being written from scratch, never through a symbolic link. Closed
// (and kept) on destruction unless discard() was called.
class NewFile {
public:
  NewFile() = default;
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Creates `path` for writing, replacing an existing ordinary file. Fails
  // for a read-only existing file, for a symbolic link and for a folder.
  bool create(const std::string& path);
  // The same for the entry `name` (one level) of the open `folder`: an
  // existing ordinary, writable file is removed first, then the file is
  // created exclusively, so nothing that appears meanwhile is written through.
  bool createIn(const FolderHandle& folder, const std::string& name);
  // Writes all `size` bytes; false on any failure.
  bool write(const char* data, std::int64_t size);
  // Applies `permissions` (without kForbiddenModeBits) and `times`, then
  // closes; false if any step failed.
  bool finish(const FileTimes& times, const FilePermissions& permissions);
  // Closes and deletes the file.
  void discard();

private:
  std::intptr_t m_handle = -1;
  std::intptr_t m_folder = -1;  // a duplicate of the folder handle for createIn
  std::string path_;            // the path for create; createIn: the entry name
                                // (POSIX) or the file's full path (Windows)
};

// Makes sure `path` is a real folder: creates it when missing (one level,
// the parent must exist); false when it exists as anything else, including a
// symbolic link to a folder.
bool makeFolderLevel(const std::string& path);

// True when `path` is a symbolic link (dangling or not).
bool isSymbolicLink(const std::string& path);

// True when `path` exists and its owner may not write it.
bool isReadOnlyFile(const std::string& path);

// Moves `from` onto `to` in one step, replacing an existing `to`; both lie in
// the same folder.
bool replaceFile(const std::string& from, const std::string& to);

// Sets the access and modification times of the existing file `path`.
bool setFileTimes(const std::string& path, const FileTimes& times);

// Permission bits (0..07777) of `path`, -1 when it cannot be read.
int filePermissionBits(const std::string& path);

// Sets the permission bits of `path`.
bool setFilePermissionBits(const std::string& path, int mode);

// Seconds since 1970-01-01 UTC of a wall-clock time in the system's local
// time zone, by the zone's rules at that date (daylight saving included).
// The fields must form a valid date and time.
std::int64_t localTimeToUnixSeconds(int year, int month, int day, int hour, int minute, int second);

// A name in the system's narrow encoding (Windows: the ANSI code page; POSIX:
// the locale's encoding, or Latin-1 where the bytes are not valid in it, so
// that different names stay different), as UTF-8.
std::string ansiToUtf8(const std::string& bytes);
