// POSIX file services: files opened with O_NOFOLLOW, times set with
// utimensat/futimens, permissions from mode bits.
#include "fileplatform.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QTextCodec>

#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace {

// UTF-8 at the interface, the local 8-bit encoding of file names here.
QByteArray encoded(const std::string& path) {
  return QFile::encodeName(QString::fromStdString(path));
}

timespec toTimespec(std::int64_t secs) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(secs);
  ts.tv_nsec = 0;
  return ts;
}

bool modeIsReadOnly(mode_t mode) { return (mode & S_IWUSR) == 0; }

}  // namespace

FolderHandle::~FolderHandle() {
  if (m_handle >= 0) ::close(static_cast<int>(m_handle));
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : m_handle(other.m_handle), path_(std::move(other.path_)) {
  other.m_handle = -1;
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
  if (this != &other) {
    if (m_handle >= 0) ::close(static_cast<int>(m_handle));
    m_handle = other.m_handle;
    path_ = std::move(other.path_);
    other.m_handle = -1;
  }
  return *this;
}

bool FolderHandle::open(const std::string& path) {
  const int fd = ::open(encoded(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  *this = FolderHandle();
  m_handle = fd;
  return true;
}

bool FolderHandle::openChild(const FolderHandle& parent, const std::string& name, bool create) {
  if (!parent.isOpen() || name.empty() || name.find('/') != std::string::npos || name == "." ||
      name == "..")
    return false;
  const int dir = static_cast<int>(parent.handle());
  const QByteArray n = encoded(name);
  if (create && ::mkdirat(dir, n.constData(), 0755) != 0 && errno != EEXIST) return false;
  const int fd = ::openat(dir, n.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  *this = FolderHandle();
  m_handle = fd;
  return true;
}

NewFile::~NewFile() {
  if (m_handle >= 0) ::close(static_cast<int>(m_handle));
  if (m_folder >= 0) ::close(static_cast<int>(m_folder));
}

bool NewFile::createIn(const FolderHandle& folder, const std::string& name) {
  if (!folder.isOpen() || name.empty() || name.find('/') != std::string::npos || name == "." ||
      name == "..")
    return false;
  const int dir = static_cast<int>(folder.handle());
  const QByteArray n = encoded(name);
  struct stat st {};
  if (::fstatat(dir, n.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (!S_ISREG(st.st_mode) || modeIsReadOnly(st.st_mode)) return false;
    if (::unlinkat(dir, n.constData(), 0) != 0) return false;
  }
  const int fd =
      ::openat(dir, n.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const int dup = ::fcntl(dir, F_DUPFD_CLOEXEC, 0);
  if (dup < 0) {
    ::close(fd);
    ::unlinkat(dir, n.constData(), 0);
    return false;
  }
  m_handle = fd;
  m_folder = dup;
  path_ = name;
  return true;
}

bool NewFile::create(const std::string& path) {
  const QByteArray p = encoded(path);
  struct stat st {};
  if (::lstat(p.constData(), &st) == 0) {
    if (!S_ISREG(st.st_mode) || modeIsReadOnly(st.st_mode)) return false;
  }
  const int fd = ::open(p.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  m_handle = fd;
  path_ = path;
  return true;
}

bool NewFile::write(const char* data, std::int64_t size) {
  if (m_handle < 0) return false;
  while (size > 0) {
    const ssize_t n = ::write(static_cast<int>(m_handle), data, static_cast<size_t>(size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= n;
  }
  return true;
}

bool NewFile::finish(const FileTimes& times, const FilePermissions& permissions) {
  if (m_handle < 0) return false;
  const int fd = static_cast<int>(m_handle);
  bool ok = true;
  struct stat st {};
  if (::fstat(fd, &st) != 0) ok = false;
  // createIn makes files 0600 until here; the default then is 0644.
  const mode_t fallback = m_folder >= 0 ? 0644 : (st.st_mode & 0777);
  mode_t mode =
      permissions.unixMode >= 0 ? static_cast<mode_t>(permissions.unixMode & 0777) : fallback;
  mode &= ~static_cast<mode_t>(kForbiddenModeBits);
  if (permissions.readOnly) mode &= ~static_cast<mode_t>(0222);
  if (ok && mode != (st.st_mode & 0777) && ::fchmod(fd, mode) != 0) ok = false;
  const timespec ts[2] = {toTimespec(times.access), toTimespec(times.modification)};
  if (::futimens(fd, ts) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  m_handle = -1;
  return ok;
}

void NewFile::discard() {
  if (m_handle < 0) return;
  ::close(static_cast<int>(m_handle));
  m_handle = -1;
  if (m_folder >= 0) {
    ::unlinkat(static_cast<int>(m_folder), encoded(path_).constData(), 0);
  } else {
    ::unlink(encoded(path_).constData());
  }
}

bool makeFolderLevel(const std::string& path) {
  const QByteArray p = encoded(path);
  struct stat st {};
  if (::lstat(p.constData(), &st) == 0) return S_ISDIR(st.st_mode);
  // Never group or other write, whatever the umask: others must not swap
  // what is installed below.
  if (::mkdir(p.constData(), 0755) == 0) return true;
  // Someone else may have made it meanwhile.
  return errno == EEXIST && ::lstat(p.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isSymbolicLink(const std::string& path) {
  struct stat st {};
  return ::lstat(encoded(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool isReadOnlyFile(const std::string& path) {
  struct stat st {};
  return ::stat(encoded(path).constData(), &st) == 0 && modeIsReadOnly(st.st_mode);
}

bool replaceFile(const std::string& from, const std::string& to) {
  return ::rename(encoded(from).constData(), encoded(to).constData()) == 0;
}

bool setFileTimes(const std::string& path, const FileTimes& times) {
  const timespec ts[2] = {toTimespec(times.access), toTimespec(times.modification)};
  return ::utimensat(AT_FDCWD, encoded(path).constData(), ts, 0) == 0;
}

int filePermissionBits(const std::string& path) {
  struct stat st {};
  if (::stat(encoded(path).constData(), &st) != 0) return -1;
  return static_cast<int>(st.st_mode & 07777);
}

bool setFilePermissionBits(const std::string& path, int mode) {
  return ::chmod(encoded(path).constData(), static_cast<mode_t>(mode)) == 0;
}

std::int64_t localTimeToUnixSeconds(int year, int month, int day, int hour, int minute,
                                    int second) {
  return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::LocalTime)
      .toSecsSinceEpoch();
}

std::string ansiToUtf8(const std::string& bytes) {
  const int size = static_cast<int>(bytes.size());
  QTextCodec::ConverterState state;
  const QString text = QTextCodec::codecForLocale()->toUnicode(bytes.data(), size, &state);
  if (state.invalidChars == 0 && state.remainingChars == 0) return text.toStdString();
  // Not valid in the locale's encoding (always so for legacy names under a
  // UTF-8 locale): read byte for byte as Latin-1, so that names that differ
  // stay different instead of all becoming replacement characters.
  return QString::fromLatin1(bytes.data(), size).toStdString();
}
