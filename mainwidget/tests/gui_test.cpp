// The windows, offscreen: the login dialog's rules, the main window showing
// the findings of a sample, and the singleton's login and unattended calls.
// PNGs of the dialog and the window are saved into the build folder.
#include <gkmainwidget/gkcammanage.h>

#include "auditwindow.h"
#include "findingsmodel.h"
#include "logindialog.h"
#include "samples.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <QTimer>

namespace {

void savePng(QWidget& w, const char* name) {
  const QString path = QStringLiteral(GK_SCREENSHOT_DIR "/") + QLatin1String(name);
  const QPixmap shot = w.grab();
  EXPECT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(path)) << path.toStdString();
}

int openAuditWindows() {
  int n = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (qobject_cast<GkAuditWindow*>(w) != nullptr && w->isVisible()) ++n;
  }
  return n;
}

// Answers the login dialog that GetLoginWidget puts up, once it is modal.
void answerLoginSoon(const QString& user, bool accept) {
  QTimer::singleShot(0, [user, accept] {
    auto* dialog = qobject_cast<GkLoginDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      ADD_FAILURE() << "no login dialog";
      QApplication::exit(1);
      return;
    }
    dialog->setUserName(user);
    if (accept) {
      dialog->accept();
    } else {
      dialog->reject();
    }
  });
}

void closeAuditWindows() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (qobject_cast<GkAuditWindow*>(w) != nullptr) w->close();
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

TEST(LoginDialog, AnyNonEmptyUserNameCanSignIn) {
  GkLoginDialog dialog;
  EXPECT_FALSE(dialog.canAccept());
  dialog.setUserName("   ");
  EXPECT_FALSE(dialog.canAccept()) << "blanks are no name";
  dialog.setUserName("  alice ");
  dialog.setPassword("secret");
  EXPECT_TRUE(dialog.canAccept());
  EXPECT_EQ(dialog.userName(), "alice");
  dialog.show();
  savePng(dialog, "login_dialog.png");
}

TEST(AuditWindow, ShowsTheFindingsOfTheSample) {
  GkAuditWindow window("alice");
  window.show();
  ASSERT_TRUE(window.openDesign(samplePath("violations.json")));
  const GkFindingsModel* model = window.findingsModel();
  ASSERT_EQ(model->rowCount(), 7);
  EXPECT_EQ(model->columnCount(), 12);
  EXPECT_EQ(model->headerData(11, Qt::Horizontal).toString(), "layer");
  EXPECT_EQ(model->index(0, 11).data().toString(), "copper");
  EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "kind");
  EXPECT_EQ(model->index(0, 0).data().toString(), "short");
  EXPECT_EQ(model->index(0, 1).data().toString(), "A1");
  EXPECT_EQ(model->index(3, 0).data().toString(), "clearance");
  EXPECT_EQ(model->index(3, 5).data().toString(), "0.500000");
  EXPECT_EQ(model->index(6, 3).data().toString(), "board");
  EXPECT_TRUE(window.summaryText().contains("3 shorts, 2 clearance violations, 2 outside"))
      << window.summaryText().toStdString();
  savePng(window, "main_window_findings.png");

  ASSERT_TRUE(window.openDesign(samplePath("clean.json")));
  EXPECT_EQ(model->rowCount(), 0);
}

TEST(AuditWindow, AnUnreadableDesignEmptiesTheTableAndSaysWhy) {
  GkAuditWindow window("alice");
  ASSERT_TRUE(window.openDesign(samplePath("violations.json")));
  EXPECT_FALSE(window.openDesign(samplePath("missing.json")));
  EXPECT_EQ(window.findingsModel()->rowCount(), 0);
  EXPECT_TRUE(window.summaryText().contains("cannot be read"))
      << window.summaryText().toStdString();
}

TEST(GkCamManage, IsOneInstance) {
  EXPECT_NE(GkCamManage::GetInstance(), nullptr);
  EXPECT_EQ(GkCamManage::GetInstance(), GkCamManage::GetInstance());
}

TEST(GkCamManage, LoginCancelledOrAccepted) {
  qunsetenv("GK_LOGIN_SCRIPT");
  answerLoginSoon("bob", false);
  EXPECT_FALSE(GkCamManage::GetInstance()->GetLoginWidget());
  EXPECT_EQ(openAuditWindows(), 0);

  answerLoginSoon("bob", true);
  EXPECT_TRUE(GkCamManage::GetInstance()->GetLoginWidget());
  EXPECT_EQ(openAuditWindows(), 1);
  // A second login replaces the window rather than adding one.
  answerLoginSoon("carol", true);
  EXPECT_TRUE(GkCamManage::GetInstance()->GetLoginWidget());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(openAuditWindows(), 1);
  closeAuditWindows();
  EXPECT_EQ(openAuditWindows(), 0);
}

TEST(GkCamManage, ScriptedLoginAnswersWithoutAUser) {
  qputenv("GK_LOGIN_SCRIPT", "cancel");
  EXPECT_FALSE(GkCamManage::GetInstance()->GetLoginWidget());
  EXPECT_EQ(openAuditWindows(), 0);
  qputenv("GK_LOGIN_SCRIPT", "accept");
  EXPECT_TRUE(GkCamManage::GetInstance()->GetLoginWidget());
  EXPECT_EQ(openAuditWindows(), 1);
  qunsetenv("GK_LOGIN_SCRIPT");
  closeAuditWindows();
  // "stay": the main window is still open once events have run.
  qputenv("GK_LOGIN_SCRIPT", "stay");
  EXPECT_TRUE(GkCamManage::GetInstance()->GetLoginWidget());
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(openAuditWindows(), 1);
  qunsetenv("GK_LOGIN_SCRIPT");
  closeAuditWindows();
}

TEST(GkCamManage, RunNoUIWritesFindingsAndSummaryAndReturnsTheResult) {
  struct Row {
    const char* design;
    int result;
    int csvLines;  // header included; 0 when nothing is written
    const char* summary;
  };
  const Row rows[] = {
      {"violations.json", 1, 8,
       "14 features, 3 shorts, 2 clearance violations, 2 outside the board"},
      {"clean.json", 0, 1, "7 features, 0 shorts, 0 clearance violations, 0 outside the board"},
      {"missing.json", 2, 0, "cannot read: cannot open"},
  };
  for (const Row& row : rows) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int result = GkCamManage::GetInstance()->RunNoUI(samplePath(row.design), "unit");
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, row.result) << row.design;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), row.csvLines) << row.design;
    EXPECT_NE(err.find(row.summary), std::string::npos) << err;
    EXPECT_EQ(err.rfind("audit \"unit\": ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  }
}
