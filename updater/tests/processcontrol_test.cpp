// Process control: the single-instance lock, the self-copy hand-over, finding
// and stopping processes (by id and pinned by a descriptor), detached starts
// and the event-processing wait.
#include "processcontrol.h"
#include "processpin_posix.h"

#include "child_test_run.h"
#include "process_test_util.h"
#include "qt_test_app.h"

#include <testsupport/temp_dir.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/wait.h>
#include <unistd.h>

using testsupport::readFile;
using testsupport::waitForFile;
using testsupport::waitForFiles;
using testsupport::writeExecutable;

namespace {

// A child process that is stopped and reaped when the object goes.
class Child {
public:
  Child(const QString& program, const QStringList& args) {
    m_proc.start(program, args);
    m_proc.waitForStarted();
  }
  ~Child() {
    if (m_proc.state() != QProcess::NotRunning) {
      m_proc.kill();
      m_proc.waitForFinished();
    }
  }
  qint64 pid() const { return m_proc.processId(); }
  QProcess& process() { return m_proc; }

private:
  QProcess m_proc;
};

QString dirOf(const testsupport::TempDir& dir) { return QString::fromStdString(dir.str()); }

// Waits until a started program has written a whole line to `path`.
bool lineWritten(const QString& path) {
  return waitForFiles({path}, [path] { return readFile(path).endsWith('\n'); });
}

}  // namespace

class ProcessControlTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_NE(testsupport::qtTestApp(), nullptr); }
  testsupport::TempDir tmp;
  QString dir = dirOf(tmp);
};

TEST(SelfCopyPath, AddsOldBeforeTheLastExtension) {
  struct Row {
    const char* name;
    const char* exe;
    const char* copy;
  };
  const Row rows[] = {
      {"windows name", "/opt/gk/GKBriselUpdate.exe", "/opt/gk/GKBriselUpdate_Old.exe"},
      {"no extension, no trailing dot", "/opt/gk/GKBriselUpdate", "/opt/gk/GKBriselUpdate_Old"},
      {"copy of the copy", "/opt/gk/GKBriselUpdate_Old", "/opt/gk/GKBriselUpdate_Old_Old"},
      {"copy of the copy with extension", "/opt/gk/GKBriselUpdate_Old.exe",
       "/opt/gk/GKBriselUpdate_Old_Old.exe"},
      {"only the last extension", "/opt/gk/tool.tar.gz", "/opt/gk/tool.tar_Old.gz"},
      {"dotted folder", "/opt/gk.v2/GKBriselUpdate", "/opt/gk.v2/GKBriselUpdate_Old"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(selfCopyPath(QString::fromUtf8(row.exe)), QString::fromUtf8(row.copy)) << row.name;
}

TEST_F(ProcessControlTest, HandOverReplacesTheCopyKeepsItExecutableAndStartsItWithOld) {
  const QString exe = dir + "/prog";
  const QByteArray script =
      "#!/bin/sh\necho \"$(basename \"$0\") $*\" > \"$(dirname \"$0\")/started.txt\"\n";
  ASSERT_TRUE(writeExecutable(exe, script));
  // A stale copy from an earlier run must be replaced, not reused.
  ASSERT_TRUE(testsupport::writeFile(dir + "/prog_Old", "stale"));

  handOverToSelfCopy(exe);

  ASSERT_TRUE(lineWritten(dir + "/started.txt"));
  EXPECT_EQ(readFile(dir + "/started.txt"), "prog_Old old\n");
  EXPECT_EQ(readFile(dir + "/prog_Old"), script);
  EXPECT_TRUE(QFileInfo(dir + "/prog_Old").isExecutable());
}

TEST_F(ProcessControlTest, SingleInstanceLockIsExclusiveAndNotInheritedByStartedPrograms) {
  RUN_TEST_IN_CHILD({{"TMPDIR", dir}});  // the lock lasts as long as its process
  EXPECT_EQ(singleInstanceLockName(), "GKBriselUpdate.exe:" + QDir::tempPath() + "#0");
  EXPECT_TRUE(checkSingleInstance());
  EXPECT_FALSE(checkSingleInstance()) << "a second holder must be refused";

  // A program started while the lock is held must not carry its socket.
  const QString folder = QDir::tempPath();
  const QString script = folder + "/fds.sh";
  ASSERT_TRUE(writeExecutable(
      script, "#!/bin/sh\nls -l /proc/$$/fd/ > \"$1.tmp\"; mv \"$1.tmp\" \"$1\"\n"));
  ASSERT_TRUE(startProgram(script, StartOpen, folder + "/fds.txt"));
  ASSERT_TRUE(waitForFile(folder + "/fds.txt"));
  const QByteArray fds = readFile(folder + "/fds.txt");
  EXPECT_FALSE(fds.isEmpty());
  EXPECT_FALSE(fds.contains("socket:")) << fds.constData();
}

// A python process that listens on the abstract name given as its first
// argument and prints "held" once it does.
const char* const kAbstractHolder =
    "import socket, sys, time\n"
    "s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)\n"
    "s.bind('\\0' + sys.argv[1])\n"
    "s.listen(4)\n"
    "print('held', flush=True)\n"
    "time.sleep(120)\n";

TEST_F(ProcessControlTest, SingleInstanceLockOfAKilledHolderIsReleased) {
  RUN_TEST_IN_CHILD({{"TMPDIR", dir}});  // the lock, once taken, lasts as long as its process
  Child child("python3", {"-c", kAbstractHolder, singleInstanceLockName()});
  ASSERT_TRUE(child.process().waitForReadyRead(20000));
  EXPECT_FALSE(checkSingleInstance()) << "another process of this user holds the lock";

  child.process().kill();  // a crash: no chance to clean up
  ASSERT_TRUE(child.process().waitForFinished());
  EXPECT_TRUE(checkSingleInstance()) << "the kernel drops the lock of a dead holder";
}

// Another local user who holds the lock's name cannot freeze updates: the
// name is passed over, and the next one still excludes a second updater.
TEST_F(ProcessControlTest, SingleInstanceLockHeldByAnotherUserIsPassedOver) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to play a second account";
  RUN_TEST_IN_CHILD({{"TMPDIR", dir}});
  Child stranger("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "/usr/bin/python3",
                             "-c", kAbstractHolder, singleInstanceLockName()});
  ASSERT_TRUE(stranger.process().waitForReadyRead(20000))
      << stranger.process().readAllStandardError().constData();
  EXPECT_TRUE(checkSingleInstance()) << "a stranger's socket does not count";
  EXPECT_FALSE(checkSingleInstance()) << "but our own lock still does";
}

// The same, but the holder's queue is full and it never accepts: a blocking
// probe of it would wait for ever.
const char* const kFullQueueHolder =
    "import socket, sys, time\n"
    "s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)\n"
    "s.bind('\\0' + sys.argv[1])\n"
    "s.listen(0)\n"
    "c = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)\n"
    "c.connect('\\0' + sys.argv[1])\n"
    "print('held', flush=True)\n"
    "time.sleep(120)\n";

// A stranger's name that the first updater passed over, and that the
// stranger then lets go, does not let a second updater in.
TEST_F(ProcessControlTest, SingleInstanceLockUnderAnyNameExcludesASecondUpdater) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to play a second account";
  RUN_TEST_IN_CHILD({{"TMPDIR", dir}});
  Child stranger("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "/usr/bin/python3",
                             "-c", kAbstractHolder, singleInstanceLockName()});
  ASSERT_TRUE(stranger.process().waitForReadyRead(20000));
  EXPECT_TRUE(checkSingleInstance()) << "taken under the next name";
  stranger.process().kill();
  ASSERT_TRUE(stranger.process().waitForFinished());
  EXPECT_FALSE(checkSingleInstance()) << "the first name is free again, the lock still held";
}

// A stranger whose socket never accepts cannot hold the start up; the hang
// guard of the child run ends a probe that waits.
TEST_F(ProcessControlTest, SingleInstanceLockPassesOverAStrangerThatNeverAccepts) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to play a second account";
  RUN_TEST_IN_CHILD_WITH(testsupport::runCurrentTestInChild({{"TMPDIR", dir}}, QString(), 30000));
  Child stranger("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "/usr/bin/python3",
                             "-c", kFullQueueHolder, singleInstanceLockName()});
  ASSERT_TRUE(stranger.process().waitForReadyRead(20000));
  EXPECT_TRUE(checkSingleInstance()) << "a stranger's full queue does not count";
  EXPECT_FALSE(checkSingleInstance());
}

// Every later start asks the holder once: the holder answers them all, so
// that the hundredth is refused like the second.
TEST_F(ProcessControlTest, SingleInstanceLockAnswersEveryLaterStart) {
  RUN_TEST_IN_CHILD_WITH(testsupport::runCurrentTestInChild({{"TMPDIR", dir}}, QString(), 30000));
  ASSERT_TRUE(checkSingleInstance());
  for (int start = 2; start <= 100; ++start)
    ASSERT_FALSE(checkSingleInstance()) << "start " << start;
}

TEST(ProcessControl, DebugPrivilegeHasNothingToEnable) { EXPECT_TRUE(enableDebugPrivilege()); }

TEST_F(ProcessControlTest, FindProcessByNameMatchesTheExecutablesFileNameExactly) {
  const QString name = QStringLiteral("gkfindme_%1").arg(::getpid());
  const QString exe = dir + "/" + name;
  ASSERT_TRUE(QFile::copy("/bin/sleep", exe));
  Child child(exe, {"60"});
  ASSERT_GT(child.pid(), 0);

  EXPECT_EQ(findProcessByName(name), child.pid()) << "the file name, wherever the program lies";
  EXPECT_EQ(findProcessByName(name.left(name.size() - 1)), 0) << "a part of the name is no match";
  EXPECT_EQ(findProcessByName(name.mid(1)), 0) << "nor is its end";
  EXPECT_EQ(findProcessByName(QFileInfo(dir).fileName() + "/" + name), 0)
      << "a separator never matches";
  EXPECT_EQ(findProcessByName("/"), 0);
  EXPECT_EQ(findProcessByName(name.toUpper()), 0) << "case-sensitive";
  EXPECT_EQ(findProcessByName(exe), 0) << "a full path is no file name";
  EXPECT_EQ(findProcessByName(QString()), 0) << "an empty name matches nothing";
  EXPECT_FALSE(isMatchableProcessName("a\\b"));
  EXPECT_FALSE(isMatchableProcessName(".."));
}

TEST_F(ProcessControlTest, FindProcessByNamePrefersTheOneInTheApplicationFolder) {
  const QString name = QStringLiteral("gktwin_%1").arg(::getpid());
  ASSERT_TRUE(QDir().mkpath(dir + "/elsewhere") && QDir().mkpath(dir + "/app"));
  ASSERT_TRUE(QFile::copy("/bin/sleep", dir + "/elsewhere/" + name));
  ASSERT_TRUE(QFile::copy("/bin/sleep", dir + "/app/" + name));
  Child first(dir + "/elsewhere/" + name, {"60"});
  Child second(dir + "/app/" + name, {"60"});
  ASSERT_GT(first.pid(), 0);
  ASSERT_GT(second.pid(), 0);
  EXPECT_EQ(findProcessByName(name, dir + "/app"), second.pid());
  EXPECT_EQ(findProcessByName(name, dir + "/elsewhere/"), first.pid());
  EXPECT_EQ(findProcessByName(name), qMin(first.pid(), second.pid())) << "else the lowest id";
}

TEST(ProcessControl, FindProcessByNameNeverReportsTheCallingProcess) {
  const QString self = QFileInfo("/proc/self/exe").symLinkTarget();
  ASSERT_FALSE(self.isEmpty());
  EXPECT_NE(findProcessByName(QFileInfo(self).fileName()), static_cast<qint64>(::getpid()));
}

TEST_F(ProcessControlTest, KillProcessLetsTheApplicationSaveBeforeItEnds) {
  const QString app = dir + "/saver.sh";
  ASSERT_TRUE(writeExecutable(app,
                              "#!/bin/sh\n"
                              "trap 'echo saved > \"$1\"; exit 0' TERM\n"
                              "echo up\n"
                              "while :; do sleep 0.05; done\n"));
  Child child(app, {dir + "/saved.txt"});
  ASSERT_TRUE(child.process().waitForReadyRead(20000));

  EXPECT_TRUE(killProcess(child.pid()));
  ASSERT_TRUE(child.process().waitForFinished(20000));
  EXPECT_EQ(readFile(dir + "/saved.txt"), "saved\n");
}

TEST_F(ProcessControlTest, KillProcessForcesAProcessThatIgnoresTheRequest) {
  Child child("/bin/sh", {"-c", "trap '' TERM; echo up; exec sleep 120"});
  ASSERT_TRUE(child.process().waitForReadyRead(20000));

  EXPECT_TRUE(killProcess(child.pid(), 100));
  ASSERT_TRUE(child.process().waitForFinished(20000));
  EXPECT_EQ(child.process().exitStatus(), QProcess::CrashExit);
}

TEST(ProcessControl, KillProcessOfAGoneProcessSucceedsAndRefusesItself) {
  QProcess done;
  done.start("/bin/sh", {"-c", "read line"});
  ASSERT_TRUE(done.waitForStarted());
  const qint64 gone = done.processId();
  done.closeWriteChannel();  // end of input: the shell exits by itself
  ASSERT_TRUE(done.waitForFinished());
  EXPECT_TRUE(killProcess(gone));
  EXPECT_FALSE(killProcess(::getpid()));
}

// Makes `id` the next process id of this PID namespace (root only).
bool setNextProcessId(qint64 id) {
  QFile next(QStringLiteral("/proc/sys/kernel/ns_last_pid"));
  return next.open(QIODevice::WriteOnly) && next.write(QByteArray::number(id - 1)) > 0;
}

// Once a process ends and is reaped, its id passes to the next process. A
// stop pinned to the first must report it gone and leave the id's new
// holder alone, where a stop by id would end the new holder.
TEST(ProcessControl, PinnedStopNeverReachesTheNextHolderOfTheId) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to choose the next process id";
  RUN_TEST_IN_CHILD({});
  QProcess first;
  first.start("/bin/sleep", {"60"});
  ASSERT_TRUE(first.waitForStarted());
  const qint64 id = first.processId();
  const int pidfd = processpin::openProcess(static_cast<pid_t>(id));
  ASSERT_GE(pidfd, 0) << std::strerror(errno);
  first.kill();
  ASSERT_TRUE(first.waitForFinished());  // reaped: the id is free

  ASSERT_TRUE(setNextProcessId(id));
  QProcess second;
  second.start("/bin/sleep", {"60"});
  ASSERT_TRUE(second.waitForStarted());
  ASSERT_EQ(second.processId(), id) << "the id passed to the second process";

  EXPECT_TRUE(processpin::stopPinned(pidfd, 100)) << "the first process is gone";
  EXPECT_FALSE(second.waitForFinished(200)) << "the new holder must survive";
  EXPECT_EQ(second.state(), QProcess::Running);
  ::close(pidfd);
  second.kill();
  second.waitForFinished();
}

// A process that ignores the request is forced after the grace time; an
// ended one counts as gone before its parent reaps it.
TEST(ProcessControl, PinnedStopForcesAStubbornProcessAndPassesOverAnEndedOne) {
  QProcess stubborn;
  stubborn.start("/bin/sh", {"-c", "trap '' TERM; echo up; exec sleep 120"});
  ASSERT_TRUE(stubborn.waitForReadyRead(20000));
  int pidfd = processpin::openProcess(static_cast<pid_t>(stubborn.processId()));
  ASSERT_GE(pidfd, 0) << std::strerror(errno);
  EXPECT_TRUE(processpin::stopPinned(pidfd, 100));
  ::close(pidfd);
  ASSERT_TRUE(stubborn.waitForFinished(20000));
  EXPECT_EQ(stubborn.exitStatus(), QProcess::CrashExit) << "forced";

  const pid_t ended = ::fork();
  if (ended == 0) ::_exit(0);
  ASSERT_GT(ended, 0);
  siginfo_t info{};
  ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(ended), &info, WEXITED | WNOWAIT), 0);
  pidfd = processpin::openProcess(ended);  // ended, a zombie until waitpid below
  ASSERT_GE(pidfd, 0) << std::strerror(errno);
  EXPECT_TRUE(processpin::stopPinned(pidfd, 0));
  ::close(pidfd);
  int status = 0;
  ASSERT_EQ(::waitpid(ended, &status, 0), ended);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "ended by itself, not signalled";
  errno = 0;
  EXPECT_EQ(processpin::openProcess(ended), -1);
  EXPECT_EQ(errno, ESRCH) << "reaped: no such process";
}

// The application found by name ends by itself and its id passes to
// another program before the stop: the stop of the found process leaves
// that program alone, while a process still of that name is stopped.
TEST_F(ProcessControlTest, KillProcessIfNamedStopsOnlyTheProgramThatWasFound) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to choose the next process id";
  RUN_TEST_IN_CHILD({});
  const QString name = QStringLiteral("gkfound_%1").arg(::getpid());
  ASSERT_TRUE(QFile::copy("/bin/sleep", dir + "/" + name));
  QProcess found;
  found.start(dir + "/" + name, {"60"});
  ASSERT_TRUE(found.waitForStarted());
  const qint64 id = findProcessByName(name);
  ASSERT_EQ(id, found.processId());
  found.kill();
  ASSERT_TRUE(found.waitForFinished());

  ASSERT_TRUE(setNextProcessId(id));
  Child other("/bin/sleep", {"60"});
  ASSERT_EQ(other.pid(), id) << "the id passed to another program";
  EXPECT_TRUE(killProcessIfNamed(id, name, 100)) << "the found process is gone";
  EXPECT_FALSE(other.process().waitForFinished(200)) << "the other program must survive";

  Child again(dir + "/" + name, {"60"});
  ASSERT_EQ(findProcessByName(name), again.pid());
  EXPECT_TRUE(killProcessIfNamed(again.pid(), name, 100));
  EXPECT_TRUE(again.process().waitForFinished(20000)) << "a process of that name is stopped";
}

// Ids 0 and -1 address a whole process group or every process: run that case
// in a PID namespace and a session of its own, where a wrong answer can only
// reach the processes of this test.
TEST(ProcessControl, KillProcessRefusesGroupAndBroadcastIds) {
  RUN_TEST_IN_CHILD({});
  QProcess bystander;
  bystander.start("/bin/sleep", {"60"});
  ASSERT_TRUE(bystander.waitForStarted());
  EXPECT_FALSE(killProcess(0));
  EXPECT_FALSE(killProcess(-1));
  // Ids that only wrap into the process id range: to 0, to -1 and to the
  // bystander's own id.
  const qint64 wrap = qint64(1) << 32;
  EXPECT_FALSE(killProcess(wrap));
  EXPECT_FALSE(killProcess(wrap - 1));
  EXPECT_FALSE(killProcess(wrap + bystander.processId()));
  EXPECT_EQ(bystander.state(), QProcess::Running);
  EXPECT_FALSE(bystander.waitForFinished(200)) << "the bystander must survive";
  bystander.kill();
  bystander.waitForFinished();
}

TEST(ProcessControl, StartProgramRefusesAnEmptyPathAndAMissingProgram) {
  EXPECT_FALSE(startProgram(QString(), StartOpen, QString()));
  EXPECT_FALSE(startProgram("/nonexistent/gk/program", StartElevatedWhereAvailable, QString()));
}

TEST_F(ProcessControlTest, StartProgramPassesParametersAsOneArgument) {
  const QString script = dir + "/args.sh";
  ASSERT_TRUE(
      writeExecutable(script, "#!/bin/sh\necho \"$#:$1\" > \"$(dirname \"$0\")/args.txt\"\n"));
  ASSERT_TRUE(startProgram(script, StartElevatedWhereAvailable, "two words"));
  ASSERT_TRUE(lineWritten(dir + "/args.txt"));
  EXPECT_EQ(readFile(dir + "/args.txt"), "1:two words\n");

  QFile::remove(dir + "/args.txt");
  ASSERT_TRUE(startProgram(script, StartOpen, QString()));
  ASSERT_TRUE(lineWritten(dir + "/args.txt"));
  EXPECT_EQ(readFile(dir + "/args.txt"), "0:\n") << "no parameters, no argument";
}

TEST(ProcessControl, WaitMsKeepsProcessingEvents) {
  ASSERT_NE(testsupport::qtTestApp(), nullptr);
  bool delivered = false;
  QTimer::singleShot(0, [&] { delivered = true; });
  waitMs(50);
  EXPECT_TRUE(delivered);
}

TEST(ProcessControl, WaitMsWithANegativeTimeReturns) {
  ASSERT_NE(testsupport::qtTestApp(), nullptr);
  // Hang guard only: if the wait never ends by itself, this ends every
  // event loop of the thread and the test fails.
  bool guardFired = false;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    guardFired = true;
    QCoreApplication::exit(0);
  });
  guard.start(30000);
  bool delivered = false;
  QTimer::singleShot(0, [&] { delivered = true; });
  waitMs(-5);
  EXPECT_FALSE(guardFired) << "the wait ended only through the guard";
  waitMs(0);
  EXPECT_TRUE(delivered);
}
