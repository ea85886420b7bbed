// The update window: its form, the two slots, the texts in English and in
// Chinese (screenshots saved into the build folder), and the close handling.
// Every test that constructs the window (and so starts the worker) runs in a
// child process with its own PID namespace and system locale.
#include "gktallowupdate.h"

#include "child_test_run.h"
#include "gkthreaddownload.h"
#include "process_test_util.h"
#include "qt_test_app.h"
#include "startup.h"
#include "updatesettings.h"

#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QSet>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The worker's settings for window tests: no update server, no application,
// so the worker only shows its first status text, waits and ends.
void useQuietSettings() { *UpdateSettings::instance() = UpdateSettings(); }

// Runs the application's event loop until something quits it; -99 when the
// hang guard had to.
int execUntilQuit(int limitMs = 60000) {
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(-99); });
  guard.start(limitMs);
  return QApplication::exec();
}

template <class W>
W* child(const GKTallowUpdate& window, const char* name) {
  return window.findChild<W*>(QString::fromLatin1(name));
}

// Shows the window as the program does, waits for the worker's first status
// text, shows a progress value, saves a screenshot and lets the worker end
// the event loop. Returns the screenshot.
QImage showAndCapture(GKTallowUpdate& window, const QString& pngName) {
  window.setWindowTitle(QObject::tr("maintitle"));
  window.show();
  auto* tip = child<QLabel>(window, "labelTip");
  EXPECT_TRUE(testsupport::SignalWait([&] { return !tip->text().isEmpty(); })
                  .on(window.worker(), &GKThreadDownLoad::setTip)
                  .wait());
  window.downLoadProgress("setup.zip", 37.5);
  const QImage shot = window.grab().toImage();
  const QString path = QStringLiteral(GK_TEST_OUTPUT_DIR "/") + pngName;
  EXPECT_TRUE(shot.save(path)) << path.toStdString();
  EXPECT_EQ(execUntilQuit(), 0) << "the worker ends the program";
  return shot;
}

// Number of distinct colours in the label's rectangle: text makes many.
int coloursIn(const QImage& image, const QRect& rect) {
  QSet<QRgb> colours;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) colours.insert(image.pixel(x, y));
  return colours.size();
}

class UpdateWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!testsupport::insideChildRun()) return;
    ASSERT_NE(testsupport::qtTestApp(), nullptr);
    useQuietSettings();
    prepareApplication();
  }
};

}  // namespace

TEST_F(UpdateWindowTest, FormFollowsTheDesign) {
  RUN_TEST_IN_CHILD({{"LC_ALL", "de_DE.UTF-8"}});
  GKTallowUpdate window;
  EXPECT_EQ(window.objectName(), "GKTallowUpdateClass");
  EXPECT_EQ(window.size(), QSize(630, 110));
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);

  auto* tip = child<QLabel>(window, "labelTip");
  auto* progressLabel = child<QLabel>(window, "labelProgress");
  auto* bar = child<QProgressBar>(window, "progressDown");
  ASSERT_TRUE(tip && progressLabel && bar);
  EXPECT_EQ(tip->parentWidget()->objectName(), "displaywidget");
  EXPECT_EQ(tip->geometry(), QRect(10, 20, 561, 21));
  EXPECT_EQ(tip->alignment(), Qt::AlignCenter);
  EXPECT_EQ(tip->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
  EXPECT_EQ(tip->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
  EXPECT_EQ(progressLabel->geometry(), QRect(10, 50, 61, 21));
  EXPECT_EQ(bar->geometry(), QRect(80, 50, 520, 23));
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 100);
  EXPECT_EQ(bar->value(), 0);
  window.close();
}

TEST_F(UpdateWindowTest, ProgressShowsTruncatedValueAndNameWithTwoDecimals) {
  RUN_TEST_IN_CHILD({{"LC_ALL", "de_DE.UTF-8"}});
  GKTallowUpdate window;
  auto* bar = child<QProgressBar>(window, "progressDown");
  ASSERT_NE(bar, nullptr);
  struct Row {
    const char* what;
    const char* name;
    double progress;
    int value;
    const char* text;
  };
  const Row rows[] = {
      {"start of a transfer", "setup.zip", 0.0, 0, "setup.zip:0.00"},
      {"fraction", "setup.zip", 37.5, 37, "setup.zip:37.50"},
      {"truncated, not rounded", "Model.zip", 99.999, 99, "Model.zip:100.00"},
      {"complete", "a.dll", 100.0, 100, "a.dll:100.00"},
      {"place markers in the name stay", "v%1%2.txt", 12.25, 12, "v%1%2.txt:12.25"},
      {"the bar's own markers in the name stay", "50%p_%v_%m.zip", 37.5, 37,
       "50%p_%v_%m.zip:37.50"},
  };
  for (const Row& row : rows) {
    window.downLoadProgress(QString::fromUtf8(row.name), row.progress);
    EXPECT_EQ(bar->value(), row.value) << row.what;
    // Shown as written: the joiners that keep the bar off a "%" are invisible.
    EXPECT_EQ(bar->text().remove(QChar(0x2060)), QString::fromUtf8(row.text)) << row.what;
  }
  const int before = bar->value();
  const QString textBefore = bar->text();
  window.downLoadProgress("bad.bin", std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(bar->value(), before) << "a value that is not a number is ignored";
  EXPECT_EQ(bar->text(), textBefore);
  window.downLoadProgress("huge.bin", 1e20);
  EXPECT_EQ(bar->value(), before) << "a value beyond the bar's range leaves the bar";
  EXPECT_EQ(bar->text(), "huge.bin:100000000000000000000.00");
  window.downLoadProgress("below.bin", -3e15);
  EXPECT_EQ(bar->value(), before);
  window.setTip("status text");
  EXPECT_EQ(child<QLabel>(window, "labelTip")->text(), "status text");
  window.close();
}

TEST_F(UpdateWindowTest, GermanSystemShowsEnglishTexts) {
  RUN_TEST_IN_CHILD({{"LC_ALL", "de_DE.UTF-8"}});
  ASSERT_EQ(QLocale::system().language(), QLocale::German);
  GKTallowUpdate window;
  const QImage shot = showAndCapture(window, "updater_window_en.png");
  EXPECT_EQ(window.windowTitle(), "Remote Upgrade");
  EXPECT_EQ(child<QLabel>(window, "labelProgress")->text(), "Progress");
  EXPECT_EQ(child<QLabel>(window, "labelTip")->text(),
            "Start checking the program for updates,please wait");
  EXPECT_GT(coloursIn(shot, child<QLabel>(window, "labelTip")->geometry()), 4);
}

TEST_F(UpdateWindowTest, ChineseSystemShowsChineseTextsInACjkFont) {
  RUN_TEST_IN_CHILD({{"LC_ALL", "zh_CN.UTF-8"}});
  ASSERT_EQ(QLocale::system().language(), QLocale::Chinese);
  EXPECT_FALSE(QFontDatabase().families(QFontDatabase::SimplifiedChinese).isEmpty())
      << "the set-up installs a font with Chinese glyphs";
  GKTallowUpdate window;
  const QImage shot = showAndCapture(window, "updater_window_zh.png");
  EXPECT_EQ(window.windowTitle(), QString::fromUtf8("远程升级"));
  EXPECT_EQ(child<QLabel>(window, "labelProgress")->text(), QString::fromUtf8("进度"));
  EXPECT_EQ(child<QLabel>(window, "labelTip")->text(),
            QString::fromUtf8("开始检查主程序是否有更新，请稍后"));
  EXPECT_GT(coloursIn(shot, child<QLabel>(window, "labelTip")->geometry()), 4);
}

TEST_F(UpdateWindowTest, CloseWaitsForTheWorkerWhileEventsKeepComing) {
  RUN_TEST_IN_CHILD({{"LC_ALL", "de_DE.UTF-8"}});
  GKTallowUpdate window;
  window.show();
  // Closed at once: the worker is still at its start or in its restart wait.
  EXPECT_TRUE(window.close());
  EXPECT_TRUE(window.worker()->isFinished());
  EXPECT_EQ(child<QLabel>(window, "labelTip")->text(),
            "Start checking the program for updates,please wait")
      << "queued status texts reach the window while it waits";
}
