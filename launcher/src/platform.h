// The operating-system services the launcher needs, behind a few plain
// functions. One implementation file per operating system is chosen by the
// build (platform_posix.cpp, platform_win.cpp); the rest of the launcher
// calls only these.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace carrack {

// A calendar date in local time (month 1-12, day 1-31).
struct LocalDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

namespace platform {

// Folder of the running executable (UTF-8), without a trailing separator;
// empty when the system cannot tell. No length limit.
std::string programFolder();

// Milliseconds of a monotonic clock that starts at boot (it keeps counting
// while the machine sleeps, like the Windows tick counter).
std::uint64_t millisecondsSinceBoot();

// Today's date in the local time zone.
LocalDate localDate();

// True when anything (file or folder) exists at path.
bool pathExists(const std::string& path);

// Creates one folder level; false when it could not be created.
bool createFolder(const std::string& path);

// Separator between path components on this system.
char pathSeparator();

// Opens `path` with C stdio mode "ab+" (created if missing, every write
// appended, bytes unchanged); nullptr when it cannot be opened (errno says
// why). On POSIX systems a symbolic link at `path` is refused (ELOOP), and
// anything but a regular file (a FIFO, a device) too (EINVAL), without
// blocking. Paths are UTF-8 on every system.
std::FILE* openAppend(const std::string& path);

// Makes a write to a pipe whose reader has gone fail (EPIPE) instead of
// ending the process, as it does on Windows: a finished audit still
// completes its record and returns its result. Nothing to do on Windows.
void ignoreBrokenPipes();

// True when a window the program opens can be seen by a user: on POSIX
// systems when DISPLAY (X11) or WAYLAND_DISPLAY names a display server (set
// and not empty); on Windows always, the program running in a desktop
// session.
bool displayAvailable();

}  // namespace platform
}  // namespace carrack
