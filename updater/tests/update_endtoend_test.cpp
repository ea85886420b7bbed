// The updater program end to end: a throw-away installation, a stock HTTP
// server on 127.0.0.1 serving the update folder, the application running,
// and the built GKBriselUpdate started in a PID namespace of its own.
#include "loopback_servers.h"
#include "qt_test_app.h"
#include "test_installation.h"
#include "zip_builder.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using testsupport::ListItem;
using testsupport::SignalWait;
using testsupport::TestInstallation;
using testsupport::UpdaterRun;
using testsupport::waitForFile;

namespace {

const QStringList kStartedThenStoppedThenRestarted = {"start", "stop", "start"};
const QStringList kRestartedWithoutStop = {"start", "start"};

// The installed state before an update: three files and their list.
const QVector<ListItem> kLocalItems = {
    {"a.txt", "1.0.1", "", 0},
    {"same.dat", "1.0.0", "", 0},
    {"localonly.txt", "1.0.0", "", 0},
};

class UpdateEndToEnd : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(testsupport::qtTestApp(), nullptr);
    ASSERT_TRUE(inst.ready());
    ASSERT_NE(server.port(), 0) << "python3 -m http.server did not come up";
    ASSERT_TRUE(inst.putApp("a.txt", "old a"));
    ASSERT_TRUE(inst.putApp("same.dat", "installed same"));
    ASSERT_TRUE(inst.putApp("localonly.txt", "mine"));
    ASSERT_TRUE(inst.putApp("filelist.xml", localList));
  }

  // Serves `items` as the server's list; returns its bytes.
  QByteArray serveList(const QVector<ListItem>& items) {
    const QByteArray xml = TestInstallation::listXml(items);
    EXPECT_TRUE(inst.putServer("filelist.xml", xml));
    return xml;
  }

  // Waits until the application has logged `count` records (it logs right
  // after the updater starts it, so this may trail the updater's exit).
  // Waits at most 60 s: the restarted application is a detached process,
  // and on a loaded machine its start can take well over the usual second.
  QStringList appLogAfter(int count) { return inst.appLogAfter(count, 60000); }

  // The updater asked for the file of the update folder, and got it (the
  // downloaded list, kept as filelist_new.xml, is filelist.xml there).
  bool fetched(const QString& relative) const {
    return server.served("update/" + (relative == "filelist_new.xml" ? "filelist.xml" : relative)) >
           0;
  }
  // Empties the request log (the server keeps writing to it).
  void forgetRequests() {
    QFile(inst.root + "/requests.log").open(QIODevice::WriteOnly | QIODevice::Truncate);
  }

  TestInstallation inst;
  testsupport::StockHttpServer server{inst.root + "/server", inst.root + "/requests.log"};
  const QString baseUrl = server.url("update/");
  const QByteArray localList = TestInstallation::listXml(kLocalItems);
};

}  // namespace

TEST_F(UpdateEndToEnd, InstallsChangedFilesAndArchivesThenRestartsTheApplication) {
  ASSERT_TRUE(inst.writeHttpIni(baseUrl, 2));
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  ASSERT_TRUE(inst.putServer("same.dat", "server same"));
  ASSERT_TRUE(QDir().mkpath(inst.updateDir + "/data"));
  ASSERT_TRUE(
      testsupport::writeZip(inst.updateDir + "/data/Pack.ZIP",
                            {testsupport::windowsEntry("top.txt", "top from zip"),
                             testsupport::windowsEntry("sub/inner.txt", "inner from zip")}));
  const QByteArray remoteList = serveList({
      {"a.txt", "1.0.2", testsupport::md5Of("new a"), 0},
      {"same.dat", "1.0.0", "", 0},
      {"data/Pack.ZIP", "1", "", 0},
  });

  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(appLogAfter(3), kStartedThenStoppedThenRestarted);

  EXPECT_EQ(inst.app("a.txt"), "new a");
  EXPECT_EQ(inst.app("top.txt"), "top from zip");
  EXPECT_EQ(inst.app("sub/inner.txt"), "inner from zip");
  EXPECT_EQ(inst.app("same.dat"), "installed same") << "unchanged items are left alone";
  EXPECT_EQ(inst.app("localonly.txt"), "mine") << "local-only files stay";
  EXPECT_EQ(inst.app("filelist.xml"), remoteList) << "the server list becomes the local list";
  EXPECT_TRUE(fetched("filelist_new.xml"));
  EXPECT_TRUE(fetched("a.txt"));
  EXPECT_TRUE(fetched("data/Pack.ZIP"));
  EXPECT_FALSE(fetched("same.dat")) << "an unchanged item is not fetched";
  EXPECT_FALSE(QFileInfo::exists(inst.appDir + "/data")) << "the archive itself is not installed";
}

// A full-release archive that carries a list file of its own: the
// downloaded list is the one that becomes the local list, and the rest of
// the archive is installed.
TEST_F(UpdateEndToEnd, AnArchiveThatCarriesTheListFileLeavesTheServerList) {
  ASSERT_TRUE(inst.writeHttpIni(baseUrl, 2));
  ASSERT_TRUE(QDir().mkpath(inst.updateDir + "/data"));
  ASSERT_TRUE(
      testsupport::writeZip(inst.updateDir + "/data/Full.zip",
                            {testsupport::windowsEntry("filelist.xml", "the list as packed"),
                             testsupport::windowsEntry("a.txt", "a from the release")}));
  const QByteArray remoteList = serveList({
      {"a.txt", "1.0.1", "", 0},
      {"same.dat", "1.0.0", "", 0},
      {"data/Full.zip", "2", "", 0},
  });

  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(appLogAfter(3), kStartedThenStoppedThenRestarted);
  EXPECT_EQ(inst.app("a.txt"), "a from the release");
  EXPECT_EQ(inst.app("filelist.xml"), remoteList) << "the server list becomes the local list";
  EXPECT_TRUE(fetched("data/Full.zip"));
}

TEST_F(UpdateEndToEnd, WithoutLocalListEveryServerItemIsInstalled) {
  ASSERT_TRUE(QFile::remove(inst.appDir + "/filelist.xml"));
  ASSERT_TRUE(inst.writeHttpIni(baseUrl, 1));
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  ASSERT_TRUE(inst.putServer("same.dat", "server same"));
  const QByteArray remoteList =
      serveList({{"a.txt", "1.0.1", "", 0}, {"same.dat", "1.0.0", "", 0}});

  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(appLogAfter(3), kStartedThenStoppedThenRestarted);
  EXPECT_EQ(inst.app("a.txt"), "new a");
  EXPECT_EQ(inst.app("same.dat"), "server same");
  EXPECT_EQ(inst.app("filelist.xml"), remoteList);
}

// A fresh installation receives the application's executable as a plain
// download, which carries no permission bits: it must still be started.
TEST_F(UpdateEndToEnd, AnApplicationDeliveredAsAPlainFileIsStarted) {
  const QString app = inst.appDir + "/" + TestInstallation::kApplication;
  QFile program(app);
  ASSERT_TRUE(program.open(QIODevice::ReadOnly));
  const QByteArray programBytes = program.readAll();
  program.close();
  ASSERT_TRUE(QFile::remove(app));
  ASSERT_TRUE(inst.putServer(TestInstallation::kApplication, programBytes));
  ASSERT_TRUE(inst.writeHttpIni(baseUrl, 1));
  serveList({{TestInstallation::kApplication, "2.0", "", 0}});

  UpdaterRun run(inst, {"old"}, UpdaterRun::App::NotRunning);
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(appLogAfter(1), QStringList{"start"});
  EXPECT_TRUE(QFileInfo(app).isExecutable());
}

TEST_F(UpdateEndToEnd, NothingChangedStopsAndFetchesNothingButRestarts) {
  ASSERT_TRUE(inst.writeHttpIni(baseUrl, 1));
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  serveList(kLocalItems);

  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(appLogAfter(2), kRestartedWithoutStop);
  EXPECT_TRUE(fetched("filelist_new.xml"));
  EXPECT_FALSE(fetched("a.txt"));
  EXPECT_EQ(inst.app("a.txt"), "old a");
  EXPECT_EQ(inst.app("filelist.xml"), localList);
}

// An item that fails makes the whole update fail: the items after it are
// still fetched, but nothing is installed, the local list stays, and the
// application is restarted.
TEST_F(UpdateEndToEnd, AFailingItemInstallsNothing) {
  struct Case {
    const char* what;
    ListItem bad;
    const char* badFile;      // served under this name, or nullptr
    const char* outsidePath;  // must not appear, relative to the root
  };
  const Case cases[] = {
      {"missing on the server (404 on every attempt)",
       {"missing.bin", "1", "", 0},
       nullptr,
       nullptr},
      {"checksum mismatch on every attempt",
       {"bad.bin", "1", testsupport::md5Of("other"), 0},
       "bad.bin",
       nullptr},
      {"path climbing out of the folders", {"../outside.txt", "1", "", 0}, nullptr, "outside.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QFile::remove(inst.appDir + "/starts.log");
    forgetRequests();
    QDir(inst.tmpDir).removeRecursively();
    QDir().mkpath(inst.tmpDir);
    ASSERT_TRUE(inst.writeHttpIni(baseUrl, 2));
    ASSERT_TRUE(inst.putServer("a.txt", "new a"));
    ASSERT_TRUE(inst.putServer("../outside.txt", "escaped"));  // beside the update folder
    if (c.badFile != nullptr) {
      ASSERT_TRUE(inst.putServer(c.badFile, "served bytes"));
    }
    ASSERT_TRUE(inst.putServer("c.txt", "new c"));
    serveList({{"a.txt", "1.0.2", "", 0}, c.bad, {"c.txt", "1", "", 0}});

    UpdaterRun run(inst, {"old"});
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_EQ(appLogAfter(3), kStartedThenStoppedThenRestarted);
    EXPECT_TRUE(fetched("a.txt")) << "the item before is fetched";
    EXPECT_TRUE(fetched("c.txt")) << "the item after is still fetched";
    EXPECT_EQ(inst.app("a.txt"), "old a") << "nothing is installed";
    EXPECT_FALSE(QFileInfo::exists(inst.appDir + "/c.txt"));
    EXPECT_EQ(inst.app("filelist.xml"), localList);
    if (c.outsidePath != nullptr) {
      EXPECT_FALSE(QFileInfo::exists(inst.root + "/" + c.outsidePath));
      EXPECT_FALSE(QFileInfo::exists(inst.tmpDir + "/tmpUpdata/" + c.outsidePath));
    }
  }
}

TEST_F(UpdateEndToEnd, SingleInstallerItemIsStartedInsteadOfTheApplication) {
  ASSERT_TRUE(inst.writeHttpIni(baseUrl, 1));
  const QString mark = inst.root + "/installer-ran.txt";
  // Served without execute permission: the updater has to grant it.
  ASSERT_TRUE(inst.putServer("setup.run", "#!/bin/sh\necho \"$0 $#\" > '" + mark.toUtf8() + "'\n"));
  QVector<ListItem> items = kLocalItems;
  items.append({"setup.run", "2", "", 1});
  serveList(items);

  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  ASSERT_TRUE(waitForFile(mark, 20000)) << "the installer ran";
  EXPECT_EQ(testsupport::readFile(mark).trimmed(),
            QDir::cleanPath(inst.workDir("work") + "setup.run").toUtf8() + " 0");
  EXPECT_EQ(inst.appLog(), QStringList({"start", "stop"})) << "the application is not restarted";
  EXPECT_EQ(inst.app("filelist.xml"), localList) << "the local list is not replaced";
  EXPECT_FALSE(QFileInfo::exists(inst.appDir + "/setup.run"));
}

TEST_F(UpdateEndToEnd, TwoChangedItemsWithAnInstallerAreInstalledAsFiles) {
  ASSERT_TRUE(inst.writeHttpIni(baseUrl, 1));
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  ASSERT_TRUE(inst.putServer("setup.run", "#!/bin/sh\nexit 0\n"));
  const QByteArray remoteList = serveList({{"a.txt", "1.0.2", "", 0}, {"setup.run", "2", "", 1}});

  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(appLogAfter(3), kStartedThenStoppedThenRestarted);
  EXPECT_EQ(inst.app("setup.run"), "#!/bin/sh\nexit 0\n");
  EXPECT_EQ(inst.app("a.txt"), "new a");
  EXPECT_EQ(inst.app("filelist.xml"), remoteList);
}

TEST_F(UpdateEndToEnd, WithoutSettingsFileNothingIsCheckedOrStopped) {
  ASSERT_TRUE(QFile::remove(inst.appDir + "/updata.ini") ||
              !QFileInfo::exists(inst.appDir + "/updata.ini"));
  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(inst.appLog(), QStringList({"start"})) << "not stopped; no application name to start";
  EXPECT_FALSE(QFileInfo::exists(inst.tmpDir + "/tmpUpdata")) << "no working folder";
}

// No attempt at all (connectcount 0), or attempts without a transfer (a
// downmode other than HTTP): the working folder is made, nothing is fetched,
// the application is restarted without being stopped.
TEST_F(UpdateEndToEnd, SettingsWithoutTransfersOnlyRestart) {
  const struct {
    const char* what;
    int connectcount;
    int downmode;
  } cases[] = {{"connectcount 0", 0, 0}, {"downmode 1", 3, 1}};
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  serveList({{"a.txt", "1.0.2", "", 0}});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QFile::remove(inst.appDir + "/starts.log");
    forgetRequests();
    QDir(inst.tmpDir).removeRecursively();
    QDir().mkpath(inst.tmpDir);
    ASSERT_TRUE(inst.writeHttpIni(baseUrl, c.connectcount, c.downmode));

    UpdaterRun run(inst, {"old"});
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_EQ(appLogAfter(2), kRestartedWithoutStop);
    EXPECT_TRUE(inst.workFolders().isEmpty()) << "the private working folder is removed at the end";
    EXPECT_FALSE(fetched("filelist_new.xml")) << "but the list is never fetched";
    EXPECT_EQ(inst.app("a.txt"), "old a");
  }
}

TEST_F(UpdateEndToEnd, SecondInstanceEndsAtOnceWhileTheFirstWorks) {
  // The first updater hangs in its list request: this server never answers.
  testsupport::FaultServer silent;
  testsupport::FaultServer::Script script;
  script.answer = false;
  silent.setScript(script);
  ASSERT_TRUE(inst.writeHttpIni(silent.url(""), 1));

  UpdaterRun run(inst, {"old"}, UpdaterRun::App::Running, UpdaterRun::Instances::Two);
  ASSERT_TRUE(SignalWait([&] { return silent.connections() > 0; })
                  .on(&silent, &testsupport::FaultServer::requestReceived)
                  .wait(60000))
      << "the first updater works";
  run.startSecond();
  EXPECT_EQ(run.secondExitCode(), 0);
  EXPECT_EQ(silent.connections(), 1) << "the second instance made no request";
  EXPECT_EQ(inst.appLog(), QStringList({"start"}))
      << "the second instance neither stops nor starts";
}

TEST_F(UpdateEndToEnd, StartWithoutArgumentsHandsOverToTheOldCopy) {
  // The copy then runs an update without a server: it only restarts the
  // application.
  ASSERT_TRUE(inst.writeIni("[config]\ndownmode=0\n[APPLICATION]\nApplication=BoardAudit\n"));

  UpdaterRun run(inst, {}, UpdaterRun::App::NotRunning);
  EXPECT_EQ(run.exitCode(), 0);
  const QString copy = inst.appDir + "/GKBriselUpdate_Old";
  EXPECT_EQ(testsupport::readFile(copy), inst.app("GKBriselUpdate"));
  EXPECT_TRUE(QFileInfo(copy).isExecutable());
  EXPECT_TRUE(run.handedOver().contains(copy.toUtf8() + " old")) << run.handedOver().constData();
  EXPECT_EQ(appLogAfter(1), QStringList({"start"})) << "the copy ran the update";
}
