// POSIX file services: files opened with O_NOFOLLOW, times set with
// utimensat/futimens, permissions from mode bits.
#include "fileplatform.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

timespec toTimespec(qint64 secs) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(secs);
  ts.tv_nsec = 0;
  return ts;
}

bool modeIsReadOnly(mode_t mode) { return (mode & S_IWUSR) == 0; }

}  // namespace

NewFile::~NewFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

bool NewFile::create(const QString& path) {
  const QByteArray p = encoded(path);
  struct stat st {};
  if (::lstat(p.constData(), &st) == 0) {
    if (!S_ISREG(st.st_mode) || modeIsReadOnly(st.st_mode)) return false;
  }
  const int fd = ::open(p.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  handle_ = fd;
  path_ = path;
  return true;
}

bool NewFile::write(const char* data, qint64 size) {
  if (handle_ < 0) return false;
  while (size > 0) {
    const ssize_t n = ::write(static_cast<int>(handle_), data, static_cast<size_t>(size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= n;
  }
  return true;
}

bool NewFile::finish(const FileTimes& times, const FilePermissions& permissions) {
  if (handle_ < 0) return false;
  const int fd = static_cast<int>(handle_);
  bool ok = true;
  struct stat st {};
  if (::fstat(fd, &st) != 0) ok = false;
  mode_t mode = permissions.unixMode >= 0 ? static_cast<mode_t>(permissions.unixMode & 0777)
                                          : (st.st_mode & 0777);
  if (permissions.readOnly) mode &= ~static_cast<mode_t>(0222);
  if (ok && mode != (st.st_mode & 0777) && ::fchmod(fd, mode) != 0) ok = false;
  const timespec ts[2] = {toTimespec(times.access), toTimespec(times.modification)};
  if (::futimens(fd, ts) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  handle_ = -1;
  return ok;
}

void NewFile::discard() {
  if (handle_ < 0) return;
  ::close(static_cast<int>(handle_));
  handle_ = -1;
  ::unlink(encoded(path_).constData());
}

bool makeFolderLevel(const QString& path) {
  const QByteArray p = encoded(path);
  struct stat st {};
  if (::lstat(p.constData(), &st) == 0) return S_ISDIR(st.st_mode);
  if (::mkdir(p.constData(), 0777) == 0) return true;
  // Someone else may have made it meanwhile.
  return errno == EEXIST && ::lstat(p.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isSymbolicLink(const QString& path) {
  struct stat st {};
  return ::lstat(encoded(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool isReadOnlyFile(const QString& path) {
  struct stat st {};
  return ::stat(encoded(path).constData(), &st) == 0 && modeIsReadOnly(st.st_mode);
}

bool replaceFile(const QString& from, const QString& to) {
  return ::rename(encoded(from).constData(), encoded(to).constData()) == 0;
}

bool setFileTimes(const QString& path, const FileTimes& times) {
  const timespec ts[2] = {toTimespec(times.access), toTimespec(times.modification)};
  return ::utimensat(AT_FDCWD, encoded(path).constData(), ts, 0) == 0;
}

int filePermissionBits(const QString& path) {
  struct stat st {};
  if (::stat(encoded(path).constData(), &st) != 0) return -1;
  return static_cast<int>(st.st_mode & 07777);
}

bool setFilePermissionBits(const QString& path, int mode) {
  return ::chmod(encoded(path).constData(), static_cast<mode_t>(mode)) == 0;
}
