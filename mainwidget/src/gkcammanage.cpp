#include <gkmainwidget/gkcammanage.h>

#include "auditwindow.h"
#include "designaudit.h"
#include "echotext.h"
#include "findingscsv.h"
#include "logindialog.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// The main window, deleted when it closes or, at the latest, while the
// application object is being destroyed (widgets must not outlive it).
QPointer<GkAuditWindow>& mainWindow() {
  static QPointer<GkAuditWindow> window;
  return window;
}

void deleteMainWindow() { delete mainWindow().data(); }

GkAuditWindow* showMainWindow(const QString& user) {
  deleteMainWindow();
  auto* window = new GkAuditWindow(user);
  window->setAttribute(Qt::WA_DeleteOnClose);
  mainWindow() = window;
  qRemovePostRoutine(deleteMainWindow);
  qAddPostRoutine(deleteMainWindow);
  window->show();
  return window;
}

// Exit code of an unattended audit whose findings could not be written.
constexpr int kFindingsUnwritten = 3;

// False, with errno set, when not all of the text reached the stream's file.
bool write(std::FILE* stream, const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  const auto size = static_cast<std::size_t>(bytes.size());
  const bool all = std::fwrite(bytes.constData(), 1, size, stream) == size;
  return std::fflush(stream) == 0 && all;
}

}  // namespace

GkCamManage* GkCamManage::GetInstance() {
  static GkCamManage instance;
  return &instance;
}

bool GkCamManage::GetLoginWidget() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    std::fputs("GkMainWidget: the login window needs a QApplication\n", stderr);
    return false;
  }
  const QByteArray script = qgetenv("GK_LOGIN_SCRIPT");
  QString user;
  if (script == "cancel") {
    return false;
  } else if (script == "accept" || script == "stay") {
    user = QStringLiteral("script");
  } else {
    GkLoginDialog dialog;
    if (dialog.exec() != QDialog::Accepted) return false;
    user = dialog.userName();
  }

  GkAuditWindow* window = showMainWindow(user);
  if (script == "accept") {
    // Seen only once the caller runs the event loop; closing the last
    // window then ends it.
    QTimer::singleShot(0, window, [w = window] {
      const QSize icon = w->windowIcon().actualSize(QSize(512, 512));
      write(stderr, QStringLiteral("GkMainWidget: scripted login accepted; closing the main "
                                   "window \"%1\" (icon %2x%3)\n")
                        .arg(w->windowTitle())
                        .arg(icon.width())
                        .arg(icon.height()));
      w->close();
    });
  }
  return true;
}

int GkCamManage::RunNoUI(QString designPath, QString tag) {
  const AuditReport report = auditDesignFile(designPath);
  int code = report.exitCode();
  errno = 0;
  if (report.readable && !write(stdout, findingsCsv(report.design, report.result.findings))) {
    // A reader that closed the pipe early (head, a pager left) chose to
    // stop reading: the audit's result stands. Any other failure (a full
    // disk, a device error) lost findings that the caller expects.
    const int error = errno;
    if (error != EPIPE) {
      write(stderr, QStringLiteral("error: cannot write the findings to standard output: %1\n")
                        .arg(QString::fromLocal8Bit(std::strerror(error))));
      code = kFindingsUnwritten;
    }
  }
  for (const QString& note : report.design.notes) {
    write(stderr, QStringLiteral("note: ") + terminalLine(note) + QLatin1Char('\n'));
  }
  write(stderr, auditSummary(tag, designPath, report) + QLatin1Char('\n'));
  return code;
}
