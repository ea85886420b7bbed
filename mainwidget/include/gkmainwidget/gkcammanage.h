// GkCamManage: the board-audit application's process-wide entry point, the
// one object that the launcher talks to. It shows the login dialog and the
// main window (interactive use), and audits a design file without any
// window (unattended use).
#pragma once

#include <QString>

#if defined(GKMAINWIDGET_LIBRARY)
#define GKMAINWIDGET_EXPORT Q_DECL_EXPORT
#else
#define GKMAINWIDGET_EXPORT Q_DECL_IMPORT
#endif

class GKMAINWIDGET_EXPORT GkCamManage {
public:
  // The single instance, created on first use; never null.
  static GkCamManage* GetInstance();

  // Shows the modal login dialog (needs a QApplication). Returns false when
  // the user cancels; true when a user name was given, after the main window
  // has been shown (the caller then runs the event loop). With the
  // environment variable GK_LOGIN_SCRIPT set to "cancel" or "accept" the
  // dialog answers by itself, for scripted checks without a user; "accept"
  // closes the main window once the event loop runs, "stay" leaves it open
  // (an application that runs until it is stopped).
  bool GetLoginWidget();

  // Audits the design file at designPath, synchronously. Writes the findings
  // as CSV to standard output and a one-line summary naming tag to standard
  // error. Returns 0 for a clean design, 1 when violations were found, 2
  // when the design cannot be read (the reason is on standard error), 3
  // when the findings could not be written to standard output (said on
  // standard error; a reader that closed the pipe early leaves the audit's
  // code).
  int RunNoUI(QString designPath, QString tag);

  GkCamManage(const GkCamManage&) = delete;
  GkCamManage& operator=(const GkCamManage&) = delete;

private:
  GkCamManage() = default;
  ~GkCamManage() = default;
};
