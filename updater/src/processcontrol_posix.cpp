// Process control on Linux and other POSIX systems: the single-instance lock is
// an flock(2) on a file, which the kernel drops when the process dies; processes
// are found through /proc; programs start detached and unelevated.
#include "processcontrol.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Poll step while waiting for a signalled process to go (ms).
constexpr int kPollMs = 20;
// After SIGKILL a process normally vanishes at once; wait this long (ms)
// before reporting failure.
constexpr int kKillWaitMs = 2000;

// Ids of all processes visible in /proc, ascending.
std::vector<pid_t> listProcessIds() {
  std::vector<pid_t> ids;
  DIR* dir = ::opendir("/proc");
  if (dir == nullptr) return ids;
  while (const dirent* entry = ::readdir(dir)) {
    const QByteArray name(entry->d_name);
    bool ok = false;
    const long id = name.toLong(&ok);
    if (ok && id > 0) ids.push_back(static_cast<pid_t>(id));
  }
  ::closedir(dir);
  std::sort(ids.begin(), ids.end());
  return ids;
}

// Full path of the executable of `pid`, empty when it cannot be read
// (kernel threads, zombies, processes of other users without the right).
QString executablePath(pid_t pid) {
  const QByteArray link = "/proc/" + QByteArray::number(pid) + "/exe";
  std::vector<char> buf(4096);
  const ssize_t n = ::readlink(link.constData(), buf.data(), buf.size());
  if (n <= 0 || static_cast<size_t>(n) >= buf.size()) return QString();
  return QFile::decodeName(QByteArray(buf.data(), static_cast<int>(n)));
}

// True while `pid` exists and has not yet died. A zombie (dead, waiting for
// its parent to reap it) counts as gone: it holds no files and runs no code.
bool processRunning(pid_t pid) {
  if (::kill(pid, 0) != 0 && errno != EPERM) return false;
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return true;
  const QByteArray text = stat.readAll();
  // The state letter follows the command name, which is in parentheses and
  // may itself hold ") ".
  const int close = text.lastIndexOf(") ");
  if (close < 0 || close + 2 >= text.size()) return true;
  const char state = text.at(close + 2);
  return state != 'Z' && state != 'X';
}

// Polls until `pid` is gone or `ms` milliseconds have passed.
bool waitGone(pid_t pid, int ms) {
  for (int waited = 0;; waited += kPollMs) {
    if (!processRunning(pid)) return true;
    if (waited >= ms) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
}

}  // namespace

QString singleInstanceLockPath() {
  return QDir::tempPath() + QLatin1Char('/') + QLatin1String(kSingleInstanceLockName) +
         QStringLiteral(".lock");
}

bool checkSingleInstance() {
  const QByteArray path = QFile::encodeName(singleInstanceLockPath());
  // Close-on-exec: the application and installers that the updater starts
  // must not inherit (and so keep) the lock.
  int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);  // someone else's file
  if (fd < 0) return true;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;  // fd stays open: lock held
  const bool held = errno == EWOULDBLOCK;
  ::close(fd);
  return !held;
}

bool enableDebugPrivilege() { return true; }

qint64 findProcessByName(const QString& name) {
  if (name.isEmpty()) return 0;
  const pid_t self = ::getpid();
  for (const pid_t pid : listProcessIds()) {
    if (pid == self) continue;
    if (executablePath(pid).indexOf(name, 1) >= 1) return pid;
  }
  return 0;
}

bool killProcess(qint64 pid, int graceMs) {
  // Ids beyond pid_t would wrap on conversion, to a group or to -1 (every
  // process) among others: refused like the ids <= 0 they could become.
  if (pid <= 0 || pid > std::numeric_limits<pid_t>::max() || pid == ::getpid()) return false;
  const auto id = static_cast<pid_t>(pid);
  if (!processRunning(id)) return true;
  if (::kill(id, SIGTERM) == 0 && waitGone(id, graceMs)) return true;
  if (::kill(id, SIGKILL) != 0 && errno != ESRCH) return false;
  return waitGone(id, kKillWaitMs);
}

bool startProgram(const QString& path, int mode, const QString& parameters) {
  Q_UNUSED(mode);  // no elevation on this platform: every mode is "open"
  if (path.isEmpty()) return false;
  QStringList args;
  if (!parameters.isEmpty()) args << parameters;
  return QProcess::startDetached(QDir::toNativeSeparators(path), args);
}
