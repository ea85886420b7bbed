// The one QApplication of the updater test executable, created on first use
// and kept until the process ends. Widgets need a QApplication (not just a
// QCoreApplication), so every updater test that needs Qt's event machinery
// should get it from here rather than create its own.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>

namespace testsupport {

// Null only when some other code already made a plain QCoreApplication.
inline QApplication* qtTestApp() {
  if (QCoreApplication::instance() != nullptr)
    return qobject_cast<QApplication*>(QCoreApplication::instance());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "updater_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return app;
}

}  // namespace testsupport
