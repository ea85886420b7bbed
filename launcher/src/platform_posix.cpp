// POSIX (Linux) implementation of the launcher's platform layer.
#include "platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace carrack::platform {

std::string programFolder() {
  // /proc/self/exe names the running executable; grow the buffer until the
  // whole target fits, so long paths are never cut.
  std::vector<char> buf(256);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buf.size()) {
      std::string exe(buf.data(), static_cast<std::size_t>(n));
      const std::size_t cut = exe.find_last_of('/');
      if (cut == std::string::npos) return {};
      return cut == 0 ? std::string("/") : exe.substr(0, cut);
    }
    buf.resize(buf.size() * 2);
  }
}

std::uint64_t millisecondsSinceBoot() {
  timespec ts{};
  // CLOCK_BOOTTIME includes time spent suspended; fall back to the plain
  // monotonic clock where it is missing.
  if (::clock_gettime(CLOCK_BOOTTIME, &ts) != 0) ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
         static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

LocalDate localDate() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  ::localtime_r(&now, &parts);
  return LocalDate{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
}

bool pathExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

bool createFolder(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

char pathSeparator() { return '/'; }

std::FILE* openAppend(const std::string& path) {
  // Not blocking, so that a FIFO put there by someone else cannot hold the
  // run before it is refused.
  const int fd =
      ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return nullptr;
  struct stat st {};
  const int flags = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
      ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int why = S_ISREG(st.st_mode) ? errno : EINVAL;
    ::close(fd);
    errno = why;
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "ab+");
  if (file == nullptr) {
    const int why = errno;
    ::close(fd);
    errno = why;
  }
  return file;
}

void ignoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

bool displayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace carrack::platform
