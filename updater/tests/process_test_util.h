// Small helpers for updater tests that run programs: executable scripts,
// whole-file reads, and waits for a condition that end on the signal that
// can make it true, each bounded by a timeout (a guard against a hang, never
// a speed check).
#pragma once

#include "qt_test_app.h"

#include <QByteArray>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMetaObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <utility>

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

// Default hang guard of the waits below, in ms.
inline constexpr int kWaitLimitMs = 30000;

// Waits in one local event loop until `done()` holds. The condition is
// looked at before the loop, once more after the events already queued
// (a queued slot may be what makes it true), and again whenever one of the
// signals given to on() fires (from any thread: the look runs in this one);
// the loop gives up after the limit. Needs the Qt application of
// qt_test_app.h, which it makes when missing.
class SignalWait {
public:
  explicit SignalWait(std::function<bool()> done) : m_done(std::move(done)) {
    qtTestApp();
    m_guard.setSingleShot(true);
    QObject::connect(&m_guard, &QTimer::timeout, &m_loop, [this] {
      m_timedOut = true;
      m_loop.quit();
    });
  }
  SignalWait(const SignalWait&) = delete;
  SignalWait& operator=(const SignalWait&) = delete;

  template <class Sender, class Signal>
  SignalWait& on(const Sender* sender, Signal signal) {
    QObject::connect(sender, signal, &m_loop, [this] { recheck(); });
    return *this;
  }

  // True when `done()` held before `limitMs` passed.
  bool wait(int limitMs = kWaitLimitMs) {
    if (m_done()) return true;
    m_timedOut = false;
    m_guard.start(limitMs);
    QMetaObject::invokeMethod(
        &m_loop, [this] { recheck(); }, Qt::QueuedConnection);
    // QCoreApplication::quit (the updater's worker asks for it when done)
    // ends every loop of the main thread and keeps new ones from running:
    // the events are then taken as they come, until the condition holds or
    // the limit has passed.
    while (!m_done() && !m_timedOut) {
      m_loop.exec();
      if (!m_done() && !m_timedOut) m_loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    m_guard.stop();
    return m_done();
  }

private:
  void recheck() {
    if (m_done()) m_loop.quit();
  }

  std::function<bool()> m_done;
  QEventLoop m_loop;
  QTimer m_guard;
  bool m_timedOut = false;
};

// Waits until `done()` holds, looking again whenever one of `paths` is
// created, replaced or written. Another process writes them, so a watch on
// the file system is the event to wait on; the files need not exist yet,
// their folders must.
inline bool waitForFiles(const QStringList& paths, std::function<bool()> done,
                         int limitMs = kWaitLimitMs) {
  SignalWait wait(std::move(done));
  QFileSystemWatcher watcher;
  for (const QString& path : paths) watcher.addPath(QFileInfo(path).absolutePath());
  // A file appears, or is replaced by a rename (which ends its own watch):
  // watch it (again) before the condition is looked at.
  const auto watchFiles = [&watcher, &paths] {
    for (const QString& path : paths)
      if (QFileInfo::exists(path) && !watcher.files().contains(path)) watcher.addPath(path);
  };
  watchFiles();
  QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, watchFiles);
  QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, watchFiles);
  wait.on(&watcher, &QFileSystemWatcher::directoryChanged)
      .on(&watcher, &QFileSystemWatcher::fileChanged);
  return wait.wait(limitMs);
}

// Waits until the file `path` exists.
inline bool waitForFile(const QString& path, int limitMs = kWaitLimitMs) {
  return waitForFiles(
      {path}, [path] { return QFileInfo::exists(path); }, limitMs);
}

}  // namespace testsupport
