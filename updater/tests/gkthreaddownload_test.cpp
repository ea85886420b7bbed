// The update worker in this process: its path rules, its transfers with
// progress forwarding, and a window closed while a transfer runs. Whole
// updates run end to end in update_endtoend_test.cpp.
#include "gkthreaddownload.h"

#include "child_test_run.h"
#include "gktallowupdate.h"
#include "loopback_servers.h"
#include "process_test_util.h"
#include "qt_test_app.h"
#include "startup.h"
#include "test_installation.h"
#include "updatesettings.h"

#include <testsupport/temp_dir.h>

#include <QDir>
#include <QLabel>
#include <QList>
#include <QTimer>
#include <QVector>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

using testsupport::FaultServer;
using testsupport::readFile;
using testsupport::SignalWait;

namespace {

QString folderOf(const testsupport::TempDir& dir) { return QString::fromStdString(dir.str()); }

// Settings for an update from `server` into the application folder of this
// (child) process: list "filelist.xml", working folder "work", application
// BoardAudit. Paths the server was not told about are answered with 404.
void useServer(FaultServer& server, int connectcount) {
  server.setScript(FaultServer::reply(404, "missing"));
  UpdateSettings& s = *UpdateSettings::instance();
  s = UpdateSettings();
  s.httpListURL = server.url("");
  s.connectcount = connectcount;
  s.ListFileName = "filelist.xml";
  s.newListFileName = UpdateSettings::deriveNewListFileName(s.ListFileName);
  s.LocatTempDir = "work";
  s.Application = "BoardAudit";
}

// A run of the current test in a child whose application folder is a new
// temporary folder holding the recording application BoardAudit.
testsupport::ChildRunResult runInInstallation() {
  return testsupport::runCurrentTestInApplicationFolder(QStringLiteral(GK_RECORDING_APP_EXE),
                                                        QStringLiteral("BoardAudit"));
}

// Waits until the recording application in `appDir` logged one start.
bool applicationStartedOnce(const QString& appDir) {
  const QString log = appDir + "/starts.log";
  return testsupport::waitForFiles(
      {log}, [log] { return readFile(log) == "start\n"; }, 20000);
}

// Waits until `worker` has finished.
bool finishes(const GKThreadDownLoad& worker, int limitMs = testsupport::kWaitLimitMs) {
  return SignalWait([&] { return worker.isFinished(); })
      .on(&worker, &QThread::finished)
      .wait(limitMs);
}

// Waits until `server` has had a request that makes `done()` true.
bool serverSaw(const FaultServer& server, std::function<bool()> done) {
  return SignalWait(std::move(done)).on(&server, &FaultServer::requestReceived).wait();
}

}  // namespace

TEST(UpdateWorkerPaths, WorkingFolderIsLocatTempDirInsideTheRunsPrivateFolder) {
  EXPECT_EQ(GKThreadDownLoad::workDirFor("/tmp/tmpUpdataAbc123/", "GkUpdate"),
            "/tmp/tmpUpdataAbc123/GkUpdate/");
  EXPECT_EQ(GKThreadDownLoad::workDirFor("/tmp/tmpUpdataAbc123", "GkUpdate"),
            "/tmp/tmpUpdataAbc123/GkUpdate/");
  EXPECT_EQ(GKThreadDownLoad::workDirFor("/tmp/tmpUpdataAbc123/", ""), "/tmp/tmpUpdataAbc123/")
      << "no LocatTempDir: the private folder itself";
}

TEST(UpdateWorkerPaths, OnlyPathsThatStayBelowTheFoldersAreSafe) {
  const std::pair<const char*, bool> rows[] = {
      {"a.txt", true},        {"bin/x.dll", true},         {"bin\\x.dll", true},
      {"./a.txt", true},      {"a..b/c.txt", true},        {"", false},
      {"../a.txt", false},    {"bin/../../a.txt", false},  {"bin\\..\\..\\a.txt", false},
      {"/etc/passwd", false}, {"\\Windows\\x.dll", false}, {"C:/Windows/x.dll", false},
      {"C:x.dll", false},
  };
  for (const auto& row : rows)
    EXPECT_EQ(GKThreadDownLoad::isSafeItemPath(QString::fromUtf8(row.first)), row.second)
        << row.first;
  EXPECT_EQ(GKThreadDownLoad::localItemPath("bin\\sub\\x.dll"), "bin/sub/x.dll");
}

TEST(UpdateWorkerPaths, ArchiveItemsAreFoundByZipAnywhereInThePathIgnoringCase) {
  const std::pair<const char*, bool> rows[] = {
      {"setup.zip", true},   {"Data/Model.ZIP", true}, {"pack.Zip.part", true},
      {"zips/a.dll", false}, {"zip", false},           {"a.7z", false},
  };
  for (const auto& row : rows) {
    UpdateItem item;
    item.path = QString::fromUtf8(row.first);
    EXPECT_EQ(GKThreadDownLoad::isArchiveItem(item), row.second) << row.first;
  }
}

class UpdateWorkerFetch : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(testsupport::qtTestApp(), nullptr);
    ASSERT_TRUE(QDir().mkpath(dir + "/served"));
    ASSERT_TRUE(testsupport::writeFile(dir + "/served/pack.bin", QByteArray(200000, 'x')));
    server = std::make_unique<testsupport::StockHttpServer>(dir + "/served");
    ASSERT_NE(server->port(), 0);
    QObject::connect(&worker, &GKThreadDownLoad::onDownLoadProgress,
                     [this](const QString& name, double progress) {
                       reports.append({name, progress});
                     });
  }
  testsupport::TempDir tmp;
  const QString dir = folderOf(tmp);
  std::unique_ptr<testsupport::StockHttpServer> server;
  GKThreadDownLoad worker;
  QVector<std::pair<QString, double>> reports;
};

TEST_F(UpdateWorkerFetch, FetchFileStoresTheFileAndForwardsItsProgress) {
  EXPECT_TRUE(worker.fetchFile(server->url("pack.bin"), dir + "/got/pack.bin"));
  QCoreApplication::processEvents();  // the forwarded reports are queued
  EXPECT_EQ(readFile(dir + "/got/pack.bin"), QByteArray(200000, 'x'));
  ASSERT_GE(reports.size(), 2);
  EXPECT_EQ(reports.front(), std::make_pair(QString("pack.bin"), 0.0));
  EXPECT_EQ(reports.back(), std::make_pair(QString("pack.bin"), 100.0));
  for (int i = 1; i < reports.size(); ++i) EXPECT_GE(reports[i].second, reports[i - 1].second);
}

TEST_F(UpdateWorkerFetch, FetchFileFailsForAMissingFileOrAnUnwritableTarget) {
  EXPECT_FALSE(worker.fetchFile(server->url("missing.bin"), dir + "/got/missing.bin"));
  ASSERT_TRUE(testsupport::writeFile(dir + "/plainfile", "x"));
  EXPECT_FALSE(worker.fetchFile(server->url("pack.bin"), dir + "/plainfile/pack.bin"));
}

// Closing the window while the list transfer runs: the transfer completes,
// no further transfer starts, nothing is installed, and the application is
// started again before the window closes. Runs from a copy of this program
// in a throw-away folder, which is then the application folder.
TEST(UpdateWorkerStop, ClosingTheWindowLetsTheTransferFinishThenOnlyRestarts) {
  RUN_TEST_IN_CHILD_WITH(runInInstallation());
  ASSERT_NE(testsupport::qtTestApp(), nullptr);
  prepareApplication();
  const QString appDir = QCoreApplication::applicationDirPath();
  const QByteArray list =
      testsupport::TestInstallation::listXml({{"a.txt", "2", "", 0}, {"b.txt", "2", "", 0}});

  FaultServer server;
  FaultServer::Script script;
  script.body = list;
  script.firstPart = 20;
  script.ending = FaultServer::Ending::Hold;
  server.setScript(script);

  UpdateSettings& s = *UpdateSettings::instance();
  s = UpdateSettings();
  s.httpListURL = server.url("");
  s.ListFileName = "filelist.xml";
  s.newListFileName = UpdateSettings::deriveNewListFileName(s.ListFileName);
  s.LocatTempDir = "work";
  s.Application = "BoardAudit";

  GKTallowUpdate window;
  window.worker()->setKeepWorkFolder(true);  // the transfer is held back: set in time
  window.show();
  ASSERT_TRUE(serverSaw(server, [&] { return !server.lastRequest().isEmpty(); }))
      << "the list transfer began";
  QTimer::singleShot(200, &server, [&] { server.release(); });
  EXPECT_TRUE(window.close());

  EXPECT_TRUE(window.worker()->isFinished());
  const QString workDir = GKThreadDownLoad::workDirFor(window.worker()->lastWorkFolder(), "work");
  EXPECT_EQ(readFile(workDir + "filelist_new.xml"), list) << "the running transfer completed";
  EXPECT_EQ(server.connections(), 1) << "no further transfer was started";
  EXPECT_FALSE(QFileInfo::exists(appDir + "/a.txt"));
  EXPECT_FALSE(QFileInfo::exists(appDir + "/filelist.xml")) << "no list installed";
  EXPECT_EQ(window.findChild<QLabel*>("labelTip")->text(), "Start downloading files,please wait")
      << "status texts sent after the close request still arrive";
  EXPECT_TRUE(applicationStartedOnce(appDir)) << "the application was started again";
}

// A stop requested between start() and the first step of run() is kept: no
// transfer is made, and the worker goes straight to the restart.
TEST(UpdateWorkerStop, StopRequestedBeforeTheWorkerRunsIsKept) {
  RUN_TEST_IN_CHILD({});
  ASSERT_NE(testsupport::qtTestApp(), nullptr);
  FaultServer server;
  UpdateSettings& s = *UpdateSettings::instance();
  s = UpdateSettings();
  s.httpListURL = server.url("");
  s.connectcount = 3;
  s.ListFileName = "filelist.xml";
  s.newListFileName = UpdateSettings::deriveNewListFileName(s.ListFileName);

  GKThreadDownLoad worker;
  worker.setStop(true);
  worker.start();
  ASSERT_TRUE(finishes(worker));
  QCoreApplication::processEvents();
  EXPECT_EQ(server.connections(), 0);
}

// A file that fails once is fetched again; with every other item it is
// installed and the server list becomes the local one.
TEST(UpdateWorkerRun, AFileThatFailsOnceSucceedsOnItsSecondAttempt) {
  RUN_TEST_IN_CHILD_WITH(runInInstallation());
  ASSERT_NE(testsupport::qtTestApp(), nullptr);
  const QString appDir = QCoreApplication::applicationDirPath();
  const QByteArray list = testsupport::TestInstallation::listXml(
      {{"a.txt", "2", "", 0}, {"b.txt", "2", "", 0}, {"c.txt", "2", "", 0}});
  FaultServer server;
  server.serve("filelist.xml", {FaultServer::reply(200, list)});
  server.serve("a.txt", {FaultServer::reply(200, "new a")});
  server.serve("b.txt", {FaultServer::reply(503, "busy"), FaultServer::reply(200, "new b")});
  server.serve("c.txt", {FaultServer::reply(200, "new c")});
  useServer(server, 2);

  GKThreadDownLoad worker;
  worker.start();
  ASSERT_TRUE(finishes(worker, 60000));
  EXPECT_EQ(server.requests(),
            QList<QByteArray>({"filelist.xml", "a.txt", "b.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(readFile(appDir + "/a.txt"), "new a");
  EXPECT_EQ(readFile(appDir + "/b.txt"), "new b");
  EXPECT_EQ(readFile(appDir + "/c.txt"), "new c");
  EXPECT_EQ(readFile(appDir + "/filelist.xml"), list);
  EXPECT_TRUE(applicationStartedOnce(appDir)) << "the application was started again";
}

// Closing the window while the first of two files is fetched: that
// transfer completes, the second file is never asked for, nothing is
// installed, and the application is started again before the window closes.
TEST(UpdateWorkerStop, ClosingTheWindowDuringTheFileTransfersInstallsNothing) {
  RUN_TEST_IN_CHILD_WITH(runInInstallation());
  ASSERT_NE(testsupport::qtTestApp(), nullptr);
  prepareApplication();
  const QString appDir = QCoreApplication::applicationDirPath();
  const QByteArray list =
      testsupport::TestInstallation::listXml({{"a.txt", "2", "", 0}, {"b.txt", "2", "", 0}});
  FaultServer server;
  server.serve("filelist.xml", {FaultServer::reply(200, list)});
  server.serve("a.txt", {FaultServer::heldReply(200, "new a")});
  server.serve("b.txt", {FaultServer::reply(200, "new b")});
  useServer(server, 3);

  GKTallowUpdate window;
  window.worker()->setKeepWorkFolder(true);  // a.txt is held back: set in time
  window.show();
  ASSERT_TRUE(serverSaw(server, [&] { return server.requests().contains("a.txt"); }))
      << "a.txt is fetched";
  QTimer::singleShot(200, &server, [&] { server.release(); });
  EXPECT_TRUE(window.close());

  EXPECT_TRUE(window.worker()->isFinished());
  const QString workDir = GKThreadDownLoad::workDirFor(window.worker()->lastWorkFolder(), "work");
  EXPECT_EQ(readFile(workDir + "a.txt"), "new a") << "the running transfer completed";
  EXPECT_EQ(server.requests(), QList<QByteArray>({"filelist.xml", "a.txt"}))
      << "no further file was asked for";
  EXPECT_FALSE(QFileInfo::exists(appDir + "/a.txt")) << "nothing is installed";
  EXPECT_FALSE(QFileInfo::exists(appDir + "/filelist.xml")) << "no list installed";
  EXPECT_TRUE(applicationStartedOnce(appDir)) << "the application was started again";
}

// A downmode other than HTTP with a server address: the working folder is
// made and the first two status texts are sent, but nothing is fetched.
TEST(UpdateWorkerRun, DownmodeOtherThanHttpMakesTheFolderAndSaysSoWithoutATransfer) {
  RUN_TEST_IN_CHILD_WITH(runInInstallation());
  ASSERT_NE(testsupport::qtTestApp(), nullptr);
  FaultServer server;
  useServer(server, 3);
  UpdateSettings::instance()->downmode = 1;

  QObject receiver;  // lives in this thread: the texts arrive queued
  QStringList tips;
  GKThreadDownLoad worker;
  worker.setKeepWorkFolder(true);
  QObject::connect(&worker, &GKThreadDownLoad::setTip, &receiver,
                   [&](const QString& msg) { tips.append(msg); });
  worker.start();
  ASSERT_TRUE(finishes(worker, 60000));
  QCoreApplication::processEvents();
  EXPECT_EQ(tips, QStringList({"checkStartTip", "downStartTip"}))
      << "no catalogue installed: the keys";
  EXPECT_TRUE(QFileInfo(GKThreadDownLoad::workDirFor(worker.lastWorkFolder(), "work")).isDir());
  EXPECT_TRUE(server.requests().isEmpty());
}
