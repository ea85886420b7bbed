// The platform-independent part of process control: the self-copy hand-over,
// the event-processing wait, and the Qt face of the platform's operations.
#include "processcontrol.h"

#include "fileops.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

bool checkSingleInstance() { return processplatform::checkSingleInstance(); }

QString singleInstanceLockName() {
  return QString::fromStdString(processplatform::singleInstanceLockName());
}

bool enableDebugPrivilege() { return processplatform::enableDebugPrivilege(); }

bool isMatchableProcessName(const QString& name) {
  return processplatform::isMatchableProcessName(name.toStdString());
}

qint64 findProcessByName(const QString& name, const QString& preferredFolder) {
  return processplatform::findProcessByName(name.toStdString(), preferredFolder.toStdString());
}

bool killProcess(qint64 pid, int graceMs) { return processplatform::killProcess(pid, graceMs); }

bool killProcessIfNamed(qint64 pid, const QString& name, int graceMs) {
  return processplatform::killProcessIfNamed(pid, name.toStdString(), graceMs);
}

bool startProgram(const QString& path, int mode, const QString& parameters) {
  return processplatform::startProgram(path.toStdString(), mode, parameters.toStdString());
}

void waitMs(int ms) {
  QEventLoop loop;
  // QTimer refuses negative times and would never end the loop.
  QTimer::singleShot(qMax(ms, 0), &loop, &QEventLoop::quit);
  loop.exec();
}

QString selfCopyPath(const QString& exePath) {
  const QFileInfo info(QDir::fromNativeSeparators(exePath));
  QString name = info.completeBaseName() + QStringLiteral("_Old");
  if (!info.suffix().isEmpty()) name += QLatin1Char('.') + info.suffix();
  return QDir::toNativeSeparators(info.absolutePath() + QLatin1Char('/') + name);
}

void handOverToSelfCopy(const QString& exePath) {
  const QString copy = selfCopyPath(exePath);
  if (fileExists(copy)) QFile::remove(copy);
  // QFile::copy carries the permissions over, so the copy stays executable.
  QFile::copy(exePath, copy);
  startProgram(copy, StartElevatedWhereAvailable, QStringLiteral("old"));
}
