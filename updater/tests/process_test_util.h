// Small helpers for updater tests that run programs: executable scripts,
// whole-file reads, and a bounded wait for a condition (a guard against a
// hang, never a speed check).
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QThread>

namespace testsupport {

// Sets an environment variable for the lifetime of the object, then puts
// back what was there.
class ScopedEnv {
public:
  ScopedEnv(const char* name, const QString& value)
      : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
    qputenv(name, QFile::encodeName(value));
  }
  ~ScopedEnv() {
    if (m_had)
      qputenv(m_name, m_old);
    else
      qunsetenv(m_name);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
  const char* m_name;
  QByteArray m_old;
  bool m_had;
};

// Writes `text` to `path` (replacing it) and makes the file executable.
inline bool writeExecutable(const QString& path, const QByteArray& text) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const bool written = file.write(text) == text.size();
  file.close();
  return written && file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeGroup |
                                        QFile::ExeOther);
}

inline bool writeFile(const QString& path, const QByteArray& text) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(text) == text.size();
}

// The file's bytes, empty when it cannot be read.
inline QByteArray readFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  return file.readAll();
}

// Processes events and polls `done` until it holds or `limitMs` passed.
template <class Done>
bool waitUntil(Done done, int limitMs = 30000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > limitMs) return false;
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
    QThread::msleep(10);
  }
  return true;
}

}  // namespace testsupport
