// Runs one test of this executable again in a child process: in a PID
// namespace and a session of its own (so a test that finds or stops
// processes can never reach one outside it), and with its own environment
// (so the system locale or the temporary folder can differ per test).
//
// Pattern:
//   TEST(Suite, Name) {
//     RUN_TEST_IN_CHILD({{"LC_ALL", "zh_CN.UTF-8"}});
//     ... the test body, run in the child ...
//   }
#pragma once

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

namespace testsupport {

inline constexpr const char* kChildRunVariable = "GK_UPDATER_TEST_CHILD";

inline bool insideChildRun() { return qEnvironmentVariableIsSet(kChildRunVariable); }

struct ChildRunResult {
  bool finished = false;  // false: did not start or did not end in time
  int exitCode = -1;
  QByteArray output;  // standard output and error, merged
};

using EnvList = QList<QPair<QString, QString>>;

// Runs the current test in a child process with `env` added to this
// process's environment, and waits for it (up to `limitMs`, a hang guard).
// With `runFromFolder`, the child is a copy of this executable placed in that
// folder, so that the folder is the child's application folder.
inline ChildRunResult runCurrentTestInChild(const EnvList& env,
                                            const QString& runFromFolder = QString(),
                                            int limitMs = 180000) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const QString filter =
      QStringLiteral("--gtest_filter=%1.%2")
          .arg(QString::fromUtf8(info->test_suite_name()), QString::fromUtf8(info->name()));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QString::fromLatin1(kChildRunVariable), QStringLiteral("1"));
  for (const auto& pair : env) environment.insert(pair.first, pair.second);

  QProcess child;
  child.setProcessEnvironment(environment);
  child.setProcessChannelMode(QProcess::MergedChannels);
  QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
  if (!runFromFolder.isEmpty()) {
    const QString copy = runFromFolder + QLatin1Char('/') + QFileInfo(self).fileName();
    if (!QFile::copy(self, copy)) return ChildRunResult();
    self = copy;
  }
  child.start(QStringLiteral("unshare"),
              {"--pid", "--fork", "--mount-proc", "setsid", self, filter});
  ChildRunResult result;
  if (!child.waitForFinished(limitMs)) {
    child.kill();
    child.waitForFinished();
  } else {
    result.finished = child.exitStatus() == QProcess::NormalExit;
    result.exitCode = child.exitCode();
  }
  result.output = child.readAll();
  return result;
}

// Runs the current test in a child started from a copy of this executable
// in a new throw-away folder, which then is the child's application folder:
// it holds a copy of `program` named `name` and is the child's TMPDIR too;
// LC_ALL is C.UTF-8.
inline ChildRunResult runCurrentTestInApplicationFolder(const QString& program,
                                                        const QString& name) {
  const TempDir install;
  const QString folder = QString::fromStdString(install.str());
  if (!QFile::copy(program, folder + QLatin1Char('/') + name)) return ChildRunResult();
  return runCurrentTestInChild({{"TMPDIR", folder}, {"LC_ALL", "C.UTF-8"}}, folder);
}

}  // namespace testsupport

// Expects a child run to have passed its one test.
#define EXPECT_CHILD_PASSED(run)                            \
  EXPECT_TRUE((run).finished && (run).exitCode == 0 &&      \
              (run).output.contains("[  PASSED  ] 1 test")) \
      << (run).output.constData()

// The first statement of a test whose body runs in a child process: in the
// parent it evaluates `run` (a ChildRunResult, normally one of the runs
// above), expects the child to have passed and ends the test there.
#define RUN_TEST_IN_CHILD_WITH(run)                       \
  if (!::testsupport::insideChildRun()) {                 \
    const ::testsupport::ChildRunResult childRun = (run); \
    EXPECT_CHILD_PASSED(childRun);                        \
    return;                                               \
  }                                                       \
  static_assert(true, "a semicolon follows")

// The same for a child with the environment `...` added: a brace list of
// name and value pairs, {} for none.
#define RUN_TEST_IN_CHILD(...) \
  RUN_TEST_IN_CHILD_WITH(::testsupport::runCurrentTestInChild(::testsupport::EnvList __VA_ARGS__))
