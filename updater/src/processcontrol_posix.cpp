// Process control on Linux: the single-instance lock is a listening socket in
// the abstract namespace, which the kernel drops when the process dies;
// processes are found through /proc and stopped through a process descriptor;
// programs start detached and unelevated, with their standard streams on the
// null device.
#include "processpin_posix.h"
#include "processplatform.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>
#include <cstring>

namespace {

// Poll step while waiting for a signalled process to go, where the kernel
// offers no process descriptor to wait on (ms).
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

// Names tried in turn for the lock: another user can bind any abstract name,
// so a name held by someone else is passed over for the next one.
constexpr int kLockNameCandidates = 8;
// Connections to the held lock that may wait to be accepted: later starts
// probing it at the same moment.
constexpr int kLockBacklog = 16;
// Room for the name in sockaddr_un after the leading zero byte.
constexpr int kAbstractNameMax = static_cast<int>(sizeof(sockaddr_un::sun_path)) - 1;

sockaddr_un abstractAddress(const QByteArray& name, socklen_t& length) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const int n = qMin(name.size(), kAbstractNameMax);
  std::memcpy(address.sun_path + 1, name.constData(), static_cast<size_t>(n));
  length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
  return address;
}

// A holder's queue of unaccepted connections may be full for a moment
// (probes faster than it accepts): tries and pause between them (ms).
constexpr int kProbeTries = 10;
constexpr int kProbeRetryMs = 10;

// Who listens on the abstract name: the holder's user id, or -1 when no one
// answers (a socket bound without listening, or one whose queue stays full,
// counts as a stranger). The probe never blocks: a listener that never
// accepts holds up a start by kProbeTries * kProbeRetryMs at most.
long holderOf(const QByteArray& name) {
  socklen_t length = 0;
  const sockaddr_un address = abstractAddress(name, length);
  for (int attempt = 0; attempt < kProbeTries; ++attempt) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    // A local stream connection is queued at once or refused, with EAGAIN
    // while the queue is full; the listener's credentials are known then.
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    const bool full = !connected && errno == EAGAIN;
    long uid = -1;
    ucred credentials{};
    socklen_t size = sizeof(credentials);
    if (connected && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0)
      uid = static_cast<long>(credentials.uid);
    ::close(fd);
    if (!full) return uid;
    std::this_thread::sleep_for(std::chrono::milliseconds(kProbeRetryMs));
  }
  return -1;
}

// Pause before accepting again when the process is out of descriptors (ms).
constexpr int kAcceptRetryMs = 100;

// Accepts and closes every connection to the held lock for the rest of the
// process: each later start connects once to learn the holder's user, and
// connections left queued would fill the queue, after which the probes of
// later starts could no longer tell this updater from a stranger.
void drainProbes(int fd) {
  std::thread([fd] {
    for (;;) {
      const int connection = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection >= 0) {
        ::close(connection);
      } else if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kAcceptRetryMs));
      } else if (errno != EINTR && errno != ECONNABORTED && errno != EPROTO) {
        return;
      }
    }
  }).detach();
}

// The candidate's abstract name: the lock name, the temporary folder (so
// that separate installations under separate TMPDIRs do not exclude one
// another, as the lock file there did) and the candidate's number.
QByteArray lockName(int candidate) {
  QByteArray name = QByteArray(kSingleInstanceLockName) + ":" + QFile::encodeName(QDir::tempPath());
  const QByteArray suffix = "#" + QByteArray::number(candidate);
  return name.left(kAbstractNameMax - suffix.size()) + suffix;
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

// The executable of `pid` as findProcessByName matches it: a program whose
// file was replaced or deleted while it runs keeps its name.
QString runningExecutable(pid_t pid) {
  QString path = executablePath(pid);
  if (path.endsWith(QLatin1String(" (deleted)"))) path.chop(10);
  return path;
}

// True when the last component of `path` is exactly `name`.
bool hasFileName(const QString& path, const QString& name) {
  const int slash = path.lastIndexOf('/');
  return slash >= 0 && path.mid(slash + 1) == name;
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

// Waits until `pid` is gone or `ms` milliseconds have passed, looking at its
// state every kPollMs: the way for processes that no descriptor pins.
bool waitGone(pid_t pid, int ms) {
  for (int waited = 0;; waited += kPollMs) {
    if (!processRunning(pid)) return true;
    if (waited >= ms) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
}

// Waits until the process of `pidfd` has ended or `ms` milliseconds have
// passed: the descriptor turns readable when it ends, so the wait ends on
// that event. True when it has ended.
bool waitEnded(int pidfd, int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd ready{pidfd, POLLIN, 0};
    const int n = ::poll(&ready, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
    if (n > 0) return (ready.revents & POLLIN) != 0;
    if (n == 0 || errno != EINTR) return false;
  }
}

int sendSignal(int pidfd, int signal) {
  return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0));
}

}  // namespace

namespace processpin {

int openProcess(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

bool stopPinned(int pidfd, int graceMs) {
  if (waitEnded(pidfd, 0)) return true;
  if (sendSignal(pidfd, SIGTERM) == 0 && waitEnded(pidfd, graceMs)) return true;
  if (sendSignal(pidfd, SIGKILL) != 0 && errno != ESRCH) return false;
  return waitEnded(pidfd, kKillWaitMs);
}

}  // namespace processpin

namespace {

// True when the executable of `id` is named `name`, or when `name` is null.
bool runsProgram(pid_t id, const std::string* name) {
  return name == nullptr || hasFileName(runningExecutable(id), QString::fromStdString(*name));
}

// killProcess, and killProcessIfNamed when `name` is not null.
bool stopProcess(std::int64_t pid, const std::string* name, int graceMs) {
  // Ids beyond pid_t would wrap on conversion, to a group or to -1 (every
  // process) among others: refused like the ids <= 0 they could become.
  if (pid <= 0 || pid > std::numeric_limits<pid_t>::max() || pid == ::getpid()) return false;
  const auto id = static_cast<pid_t>(pid);
  // Pinned from here on: every signal and wait reaches the process that
  // holds the id now, even if it ends and the id passes to another. Read
  // after the pinning, the executable is the pinned process's own, or that
  // process has ended already and any signal to it is void.
  const int pidfd = processpin::openProcess(id);
  if (pidfd >= 0) {
    const bool gone = !runsProgram(id, name) || processpin::stopPinned(pidfd, graceMs);
    ::close(pidfd);
    return gone;
  }
  if (errno == ESRCH) return true;
  // No descriptor to be had (an older kernel, a thread's id, no descriptor
  // free): by id, as the system's own kill does.
  if (!processRunning(id) || !runsProgram(id, name)) return true;
  if (::kill(id, SIGTERM) == 0 && waitGone(id, graceMs)) return true;
  if (::kill(id, SIGKILL) != 0 && errno != ESRCH) return false;
  return waitGone(id, kKillWaitMs);
}

}  // namespace

namespace processplatform {

std::string singleInstanceLockName() { return QFile::decodeName(lockName(0)).toStdString(); }

bool checkSingleInstance() {
  const long self = static_cast<long>(::geteuid());
  // Another updater of this user may hold any of the names (it passed over
  // those that strangers held when it started, and they may have let go
  // since): all are asked before one is taken.
  for (int candidate = 0; candidate < kLockNameCandidates; ++candidate) {
    if (holderOf(lockName(candidate)) == self) return false;
  }
  for (int candidate = 0; candidate < kLockNameCandidates; ++candidate) {
    const QByteArray name = lockName(candidate);
    // Close-on-exec: the application and installers that the updater starts
    // must not inherit (and so keep) the lock.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return true;
    socklen_t length = 0;
    const sockaddr_un address = abstractAddress(name, length);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
        ::listen(fd, kLockBacklog) == 0) {
      drainProbes(fd);
      return true;  // fd stays open: lock held until the process ends
    }
    const bool inUse = errno == EADDRINUSE;
    ::close(fd);
    if (!inUse) return true;
    // Another updater of this user holds it; a stranger's socket is skipped.
    if (holderOf(name) == self) return false;
  }
  return true;  // every name squatted: work unlocked rather than never
}

bool enableDebugPrivilege() { return true; }

std::int64_t findProcessByName(const std::string& nameUtf8, const std::string& preferredFolder) {
  if (!isMatchableProcessName(nameUtf8)) return 0;
  const QString name = QString::fromStdString(nameUtf8);
  const pid_t self = ::getpid();
  const QString preferred = preferredFolder.empty()
                                ? QString()
                                : QDir::cleanPath(QString::fromStdString(preferredFolder));
  std::int64_t first = 0;
  for (const pid_t pid : listProcessIds()) {
    if (pid == self || pid == 1) continue;
    const QString path = runningExecutable(pid);
    if (!hasFileName(path, name)) continue;
    if (!preferred.isEmpty() && path.left(path.lastIndexOf('/')) == preferred) return pid;
    if (first == 0) first = pid;
  }
  return first;
}

bool killProcess(std::int64_t pid, int graceMs) { return stopProcess(pid, nullptr, graceMs); }

bool killProcessIfNamed(std::int64_t pid, const std::string& name, int graceMs) {
  return stopProcess(pid, &name, graceMs);
}

bool startProgram(const std::string& path, int mode, const std::string& parameters) {
  Q_UNUSED(mode);  // no elevation on this platform: every mode is "open"
  if (path.empty()) return false;
  QProcess process;
  process.setProgram(QDir::toNativeSeparators(QString::fromStdString(path)));
  if (!parameters.empty()) process.setArguments({QString::fromStdString(parameters)});
  // A script that runs the updater and reads its output must see the end of
  // it when the updater ends, not when the restarted application does.
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  return process.startDetached();
}

}  // namespace processplatform
