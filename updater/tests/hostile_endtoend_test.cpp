// The updater program against a hostile network, a hostile local user and
// hostile archives, end to end: the throw-away installation of
// test_installation.h, servers on 127.0.0.1, the built GKBriselUpdate as
// root in a PID namespace of its own, and a second account (nobody, through
// setpriv) playing the local user where an attack needs one.
#include "listsignature.h"
#include "loopback_servers.h"
#include "qt_test_app.h"
#include "test_installation.h"
#include "zip_builder.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using testsupport::digestItem;
using testsupport::ListItem;
using testsupport::readFile;
using testsupport::SignalWait;
using testsupport::TestInstallation;
using testsupport::UpdaterRun;
using testsupport::waitForFile;
using testsupport::waitForFiles;
using testsupport::writeFile;

namespace {

const QStringList kStartedThenStoppedThenRestarted = {"start", "stop", "start"};
const QStringList kRestartedWithoutStop = {"start", "start"};
// The second account.
const char* const kStrangerId = "65534";

// Runs `script` with /bin/sh as the second account; `background` leaves it
// running (it must end by itself, its loops bounded), else waits for it.
class StrangerScript {
public:
  StrangerScript(const QString& script, bool background) {
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start("setpriv",
                    {QString("--reuid=") + kStrangerId, QString("--regid=") + kStrangerId,
                     "--clear-groups", "/bin/sh", "-c", script});
    m_process.waitForStarted();
    if (!background) m_process.waitForFinished(60000);
  }
  ~StrangerScript() {
    if (m_process.state() != QProcess::NotRunning) {
      m_process.kill();  // our own child, by its handle
      m_process.waitForFinished();
    }
  }
  bool succeeded() const {
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
  }
  QByteArray output() { return m_output += m_process.readAll(); }
  // Waits (at most `limitMs`) until the script has printed `text`.
  bool printed(const QByteArray& text, int limitMs) {
    return SignalWait([&] { return output().contains(text); })
        .on(&m_process, &QProcess::readyRead)
        .on(&m_process, &QProcess::stateChanged)
        .wait(limitMs);
  }

private:
  QProcess m_process;
  QByteArray m_output;
};

class HostileEndToEnd : public ::testing::Test {
protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "the updater runs as root here; these attacks need it";
    ASSERT_NE(testsupport::qtTestApp(), nullptr);
    ASSERT_TRUE(inst.ready());
    ASSERT_NE(server.port(), 0) << "python3 -m http.server did not come up";
    // The local user can reach the temporary folder, which is shared and
    // sticky like /tmp, but nothing else of the installation.
    ASSERT_EQ(::chmod(QFile::encodeName(inst.root).constData(), 0711), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(inst.tmpDir).constData(), 01777), 0);
    ASSERT_TRUE(QDir().mkpath(rootOnly));
    ASSERT_EQ(::chmod(QFile::encodeName(rootOnly).constData(), 0700), 0);
    ASSERT_TRUE(writeFile(rootOnly + "/secret", "root's own"));
    ASSERT_TRUE(inst.putApp("a.txt", "old a"));
    ASSERT_TRUE(inst.putApp("filelist.xml", localList));
    ASSERT_TRUE(makeKeyPair(publicKey, secretKey));
  }

  QByteArray serveList(const QVector<ListItem>& items,
                       const QByteArray& rootAttributes = QByteArray()) {
    const QByteArray xml = TestInstallation::listXml(items, rootAttributes);
    EXPECT_TRUE(inst.putServer("filelist.xml", xml));
    return xml;
  }
  // Serves a list signed with `key`, with the given root attributes.
  QByteArray serveSigned(const QVector<ListItem>& items, const QByteArray& rootAttributes,
                         const QByteArray& key) {
    const QByteArray xml = serveList(items, rootAttributes);
    EXPECT_TRUE(inst.putServer("filelist.xml.sig", signList(xml, key)));
    return xml;
  }
  bool writeSignedIni(int connectcount = 1) const {
    return inst.writeIni(
        QStringLiteral("[config]\ndownmode=0\nconnectcount=%1\nListFileName=filelist.xml\n"
                       "LocatTempDir=work\n[APPLICATION]\nApplication=BoardAudit\n"
                       "[UPDATESIGNATURE]\nPublicKey=%2\n[UPDATEINFO]\nhttpListURL=%3\n")
            .arg(connectcount)
            .arg(QString::fromLatin1(publicKey.toBase64()), baseUrl)
            .toUtf8());
  }
  QStringList appLogAfter(int count) { return inst.appLogAfter(count, 20000); }
  // Back to the installed state, and no records of an earlier run.
  void reset() {
    for (const char* record : {"updater.rc", "release", "handed-over.txt"})
      QFile::remove(inst.root + "/" + record);
    QFile::remove(inst.appDir + "/starts.log");
    ASSERT_TRUE(inst.putApp("a.txt", "old a"));
    ASSERT_TRUE(inst.putApp("filelist.xml", localList));
  }

  TestInstallation inst;
  testsupport::StockHttpServer server{inst.root + "/server", inst.root + "/requests.log"};
  const QString baseUrl = server.url("update/");
  const QString rootOnly = inst.root + "/rootonly";
  const QByteArray localList = TestInstallation::listXml(
      {{"a.txt", "1", "", 0}}, "version=\"5\" expires=\"2099-01-01T00:00:00Z\"");
  QByteArray publicKey, secretKey;
  const QByteArray future = "expires=\"2099-01-01T00:00:00Z\"";
};

}  // namespace

// The local user prepares "tmpUpdata" with links to places only root may
// write, and a folder link where an archive is unpacked: the updater uses a
// fresh private folder of its own and follows none of them.
TEST_F(HostileEndToEnd, PreparedWorkingFolderWithLinksIsNeverUsed) {
  ASSERT_TRUE(inst.writeHttpIni(baseUrl, 1));
  const QString work = inst.tmpDir + "/tmpUpdata/work";
  StrangerScript prepare(QStringLiteral("mkdir -p '%1' && chmod -R 0777 '%2' && "
                                        "ln -s '%3/secret' '%1/filelist_new.xml' && "
                                        "ln -s '%3/created.txt' '%1/a.txt' && ln -s '%3' '%1/data'")
                             .arg(work, inst.tmpDir + "/tmpUpdata", rootOnly),
                         false);
  ASSERT_TRUE(prepare.succeeded()) << prepare.output().constData();
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  ASSERT_TRUE(QDir().mkpath(inst.updateDir + "/data"));
  ASSERT_TRUE(testsupport::writeZip(inst.updateDir + "/data/Pack.zip",
                                    {testsupport::windowsEntry("packed.txt", "from the archive")}));
  serveList({{"a.txt", "2", "", 0}, {"data/Pack.zip", "1", "", 0}});

  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(appLogAfter(3), kStartedThenStoppedThenRestarted);
  EXPECT_EQ(readFile(rootOnly + "/secret"), "root's own") << "no link was written through";
  EXPECT_EQ(QDir(rootOnly).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{"secret"})
      << "nothing was created or unpacked in the root-only folder";
  EXPECT_EQ(inst.app("a.txt"), "new a");
  EXPECT_EQ(inst.app("packed.txt"), "from the archive");
  EXPECT_TRUE(inst.workFolders().isEmpty()) << "the private folder is removed at the end";
}

// The local user keeps replacing every file in the shared working folder it
// made, and any file it can reach in a working folder of the updater, by
// its own program: what is installed is what was fetched.
TEST_F(HostileEndToEnd, FilesSwappedByALocalUserAreNeverInstalled) {
  ASSERT_TRUE(inst.writeHttpIni(baseUrl, 1));
  const QByteArray genuine = "#!/bin/sh\necho genuine\n";
  ASSERT_TRUE(inst.putServer("tool.sh", genuine));
  serveList({{"tool.sh", "2", "", 0}});
  const QString shared = inst.tmpDir + "/tmpUpdata/work";
  ASSERT_TRUE(StrangerScript(QStringLiteral("mkdir -p '%1' && chmod -R 0777 '%2'")
                                 .arg(shared, inst.tmpDir + "/tmpUpdata"),
                             false)
                  .succeeded());
  // Bounded: at most 20000 rounds of 5 ms.
  StrangerScript swapper(
      QStringLiteral("i=0; while [ $i -lt 20000 ]; do i=$((i+1));"
                     " for f in '%1'/* '%2'/tmpUpdata*/work/*; do"
                     "  [ -f \"$f\" ] && grep -q genuine \"$f\" 2>/dev/null &&"
                     "  { printf 'evil\\n' > \"$f.x\" && mv -f \"$f.x\" \"$f\"; };"
                     " done 2>/dev/null; sleep 0.005; done")
          .arg(shared, inst.tmpDir),
      true);

  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(appLogAfter(3), kStartedThenStoppedThenRestarted);
  EXPECT_EQ(inst.app("tool.sh"), genuine);
}

// Another account holds the old lock file and the lock's first names: the
// update still runs.
TEST_F(HostileEndToEnd, ALockHeldByAnotherUserDoesNotFreezeUpdates) {
  ASSERT_TRUE(inst.writeHttpIni(baseUrl, 1));
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  serveList({{"a.txt", "2", "", 0}});
  const QString name = "GKBriselUpdate.exe:" + QDir::cleanPath(inst.tmpDir);
  StrangerScript holder(
      QStringLiteral("exec /usr/bin/python3 -c \"\nimport fcntl, socket, sys, time\n"
                     "f = open('%1/GKBriselUpdate.exe.lock', 'w')\nfcntl.flock(f, fcntl.LOCK_EX)\n"
                     "held = []\nfor i in range(2):\n"
                     "    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)\n"
                     "    s.bind('\\\\0%2#' + str(i))\n    s.listen(4)\n    held.append(s)\n"
                     "print('held', flush=True)\ntime.sleep(120)\n\"")
          .arg(inst.tmpDir, name),
      true);
  ASSERT_TRUE(holder.printed("held", 20000)) << holder.output().constData();

  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(appLogAfter(3), kStartedThenStoppedThenRestarted) << holder.output().constData();
  EXPECT_EQ(inst.app("a.txt"), "new a");
}

// A signed update installs; the same update unsigned, signed with another
// key, expired, older than the installed list, or with one file's SHA-256
// or size changed installs nothing, and the application is restarted.
TEST_F(HostileEndToEnd, SignedListsAreCheckedBeforeAnythingIsInstalled) {
  ASSERT_TRUE(writeSignedIni());
  const QByteArray payload = "#!/bin/sh\necho new\n";
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  ASSERT_TRUE(inst.putServer("tool.sh", payload));
  const QVector<ListItem> items = {digestItem("a.txt", "2", "new a"),
                                   digestItem("tool.sh", "2", payload)};
  QByteArray otherPublic, otherSecret;
  ASSERT_TRUE(makeKeyPair(otherPublic, otherSecret));
  QVector<ListItem> badHash = items;
  badHash[1].sha256 = testsupport::sha256Of("something else");
  QVector<ListItem> badSize = items;
  badSize[1].size += 1;
  QVector<ListItem> noDigest = items;
  noDigest[1].sha256.clear();
  const QByteArray current = "version=\"6\" " + future;

  struct Case {
    const char* what;
    std::function<void()> serve;
  };
  const Case refused[] = {
      {"unsigned",
       [&] {
         serveList(items, current);
         QFile::remove(inst.updateDir + "/filelist.xml.sig");
       }},
      {"signed with another key", [&] { serveSigned(items, current, otherSecret); }},
      {"signature of other bytes",
       [&] {
         serveSigned(items, current, secretKey);
         serveList(items, "version=\"7\" " + future);
       }},
      {"expired",
       [&] { serveSigned(items, "version=\"6\" expires=\"2020-01-01T00:00:00Z\"", secretKey); }},
      {"no expiry", [&] { serveSigned(items, "version=\"6\"", secretKey); }},
      {"rolled back", [&] { serveSigned(items, "version=\"4\" " + future, secretKey); }},
      {"no version", [&] { serveSigned(items, future, secretKey); }},
      {"one file's SHA-256 changed", [&] { serveSigned(badHash, current, secretKey); }},
      {"one file's size changed", [&] { serveSigned(badSize, current, secretKey); }},
      {"a file without SHA-256", [&] { serveSigned(noDigest, current, secretKey); }},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.what);
    reset();
    c.serve();
    UpdaterRun run(inst, {"old"});
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_TRUE(waitForFiles(
        {inst.appDir + "/starts.log"},
        [&] { return inst.appLog().size() >= 2 && inst.appLog().last() == "start"; }, 20000))
        << "the application is restarted";
    EXPECT_EQ(inst.app("a.txt"), "old a");
    EXPECT_FALSE(QFileInfo::exists(inst.appDir + "/tool.sh"));
    EXPECT_EQ(inst.app("filelist.xml"), localList);
    EXPECT_FALSE(run.output().contains("not signed"));
  }

  reset();
  const QByteArray good = serveSigned(items, current, secretKey);
  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(appLogAfter(3), kStartedThenStoppedThenRestarted);
  EXPECT_EQ(inst.app("a.txt"), "new a");
  EXPECT_EQ(inst.app("tool.sh"), payload);
  EXPECT_EQ(inst.app("filelist.xml"), good);
}

// Without a key the updater works as before and says so once.
TEST_F(HostileEndToEnd, WithoutAKeyUpdatesWorkAndAreSaidToBeUnsigned) {
  ASSERT_TRUE(inst.writeHttpIni(baseUrl, 1));
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  serveList({{"a.txt", "2", "", 0}});
  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(appLogAfter(3), kStartedThenStoppedThenRestarted);
  EXPECT_EQ(inst.app("a.txt"), "new a");
  EXPECT_EQ(run.output().count("updates are not signed"), 1) << run.output().constData();
}

// An update, even a properly signed one, may not change or drop the key:
// the next update would otherwise come from anyone.
TEST_F(HostileEndToEnd, AnUpdateCannotChangeThePublicKey) {
  ASSERT_TRUE(writeSignedIni());
  const QByteArray installedIni = inst.app("updata.ini");
  QByteArray otherPublic, otherSecret;
  ASSERT_TRUE(makeKeyPair(otherPublic, otherSecret));
  const QByteArray hostileIni =
      "[config]\nListFileName=filelist.xml\n[UPDATEINFO]\nhttpListURL=http://127.0.0.1:9/\n"
      "[UPDATESIGNATURE]\nPublicKey=" +
      otherPublic.toBase64() + "\n";
  const QByteArray keylessIni = "[config]\nListFileName=filelist.xml\n";
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  for (const QByteArray& ini : {hostileIni, keylessIni}) {
    reset();
    ASSERT_TRUE(inst.putServer("updata.ini", ini));
    serveSigned({digestItem("a.txt", "2", "new a"), digestItem("updata.ini", "2", ini)},
                "version=\"6\" " + future, secretKey);
    UpdaterRun run(inst, {"old"});
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_EQ(appLogAfter(3), kStartedThenStoppedThenRestarted);
    EXPECT_EQ(inst.app("updata.ini"), installedIni);
    EXPECT_EQ(inst.app("a.txt"), "old a") << "nothing of that update is installed";
  }
}

// A failure part way leaves no mixed installation: a truncated archive after
// a changed program, or a read-only file that an archive would replace,
// installs nothing, keeps the local list and restarts the application.
TEST_F(HostileEndToEnd, AFailingStepInstallsNothingAtAll) {
  ASSERT_TRUE(inst.writeHttpIni(baseUrl, 1));
  ASSERT_TRUE(inst.putApp("data.txt", "old data"));
  ASSERT_TRUE(inst.putApp("locked.txt", "read-only"));
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  const QString pack = inst.updateDir + "/pack.zip";
  ASSERT_TRUE(
      testsupport::writeZip(pack, {testsupport::windowsEntry("data.txt", QByteArray(5000, 'd')),
                                   testsupport::windowsEntry("new.txt", "new")}));
  QByteArray truncated = readFile(pack);
  truncated.chop(truncated.size() / 3);
  ASSERT_TRUE(inst.putServer("cut.zip", truncated));
  ASSERT_TRUE(testsupport::writeZip(inst.updateDir + "/ro.zip",
                                    {testsupport::windowsEntry("data.txt", "new data"),
                                     testsupport::windowsEntry("locked.txt", "replaced")}));
  struct Case {
    const char* what;
    const char* archive;
  };
  for (const Case& c : {Case{"truncated archive", "cut.zip"}, Case{"read-only file", "ro.zip"}}) {
    SCOPED_TRACE(c.what);
    reset();
    ASSERT_EQ(::chmod(QFile::encodeName(inst.appDir + "/locked.txt").constData(), 0444), 0);
    serveList({{"a.txt", "2", "", 0}, {c.archive, "2", "", 0}});
    UpdaterRun run(inst, {"old"});
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_EQ(appLogAfter(3), kStartedThenStoppedThenRestarted);
    EXPECT_EQ(inst.app("a.txt"), "old a");
    EXPECT_EQ(inst.app("data.txt"), "old data");
    EXPECT_EQ(inst.app("locked.txt"), "read-only");
    EXPECT_FALSE(QFileInfo::exists(inst.appDir + "/new.txt"));
    EXPECT_EQ(inst.app("filelist.xml"), localList);
    EXPECT_EQ(QDir(inst.appDir).entryList({"*gkupdate*"}, QDir::Files | QDir::Hidden),
              QStringList())
        << "no temporary or backup file is left";
  }
}

// Archive entries made world-writable or set-id are installed without those
// bits, so no other user can change what root runs later.
TEST_F(HostileEndToEnd, InstalledFilesNeverCarryGroupOrOtherWriteOrSetId) {
  ASSERT_TRUE(inst.writeHttpIni(baseUrl, 1));
  ASSERT_TRUE(testsupport::writeZip(inst.updateDir + "/modes.zip",
                                    {testsupport::unixEntry("open.sh", "#!/bin/sh\n", 0100777),
                                     testsupport::unixEntry("setid", "x", 0106777)}));
  serveList({{"modes.zip", "2", "", 0}});
  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(appLogAfter(3), kStartedThenStoppedThenRestarted);
  for (const char* name : {"open.sh", "setid"}) {
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(inst.appDir + "/" + name).constData(), &st), 0) << name;
    EXPECT_EQ(st.st_mode & 07777, 0755u) << name;
  }
}

// Application names that are no exact file name stop nothing: a part of the
// application's name, the name of process 1 (the namespace's shell) and "/".
TEST_F(HostileEndToEnd, OnlyTheApplicationByItsExactNameIsStopped) {
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  serveList({{"a.txt", "2", "", 0}});
  const QString pidOne = QFileInfo(QFileInfo("/bin/sh").canonicalFilePath()).fileName();
  for (const QString& application : {QString("Audit"), pidOne, QString("/")}) {
    SCOPED_TRACE(application.toStdString());
    reset();
    ASSERT_TRUE(inst.writeIni(
        QStringLiteral("[config]\nconnectcount=1\nListFileName=filelist.xml\n"
                       "[APPLICATION]\nApplication=%1\n[UPDATEINFO]\nhttpListURL=%2\n")
            .arg(application, baseUrl)
            .toUtf8()));
    UpdaterRun run(inst, {"old"});
    EXPECT_EQ(run.exitCode(), 0) << "the namespace's first process lives on";
    EXPECT_EQ(inst.app("a.txt"), "new a");
    EXPECT_EQ(inst.appLog(), QStringList{"start"})
        << "the application was neither stopped nor started";
  }
}

// ".." or absolute paths in the three path settings are read as missing: no
// list is written and no program started outside the folders.
TEST_F(HostileEndToEnd, SettingsThatLeaveTheFoldersAreRefused) {
  const QString mark = inst.root + "/outside-ran.txt";
  ASSERT_TRUE(testsupport::writeExecutable(inst.root + "/outside.sh",
                                           "#!/bin/sh\necho ran > '" + mark.toUtf8() + "'\n"));
  ASSERT_TRUE(inst.putServer("../list.xml", TestInstallation::listXml({{"a.txt", "2", "", 0}})));
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  serveList({{"a.txt", "2", "", 0}});
  const QString ini = QStringLiteral(
      "[config]\nconnectcount=1\nListFileName=%1\nLocatTempDir=%2\n"
      "[APPLICATION]\nApplication=%3\n[UPDATEINFO]\nhttpListURL=%4\n");
  struct Case {
    const char* what;
    QString list, temp, application;
  };
  const Case cases[] = {
      {"list name climbs out", "../list.xml", "work", "BoardAudit"},
      {"absolute list name", inst.root + "/list.xml", "work", "BoardAudit"},
      {"working folder climbs out", "filelist.xml", "../../escaped", "BoardAudit"},
      {"application climbs out", "filelist.xml", "work", "../outside.sh"},
      {"absolute application", "filelist.xml", "work", inst.root + "/outside.sh"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reset();
    ASSERT_TRUE(inst.writeIni(ini.arg(c.list, c.temp, c.application, baseUrl).toUtf8()));
    UpdaterRun run(inst, {"old"});
    EXPECT_EQ(run.exitCode(), 0);
    waitForFile(mark, 2000);  // a wrongly started program
    EXPECT_FALSE(QFileInfo::exists(mark)) << "no program outside the folder is started";
    EXPECT_FALSE(QFileInfo::exists(inst.root + "/list.xml")) << "no list written outside";
    EXPECT_FALSE(QFileInfo::exists(inst.root + "/escaped"));
    EXPECT_FALSE(QFileInfo::exists(inst.tmpDir + "/escaped"));
    EXPECT_EQ(inst.app("a.txt"), c.list == "filelist.xml" ? "new a" : "old a")
        << "the other settings still work";
  }
}

// A server that always fails gets at most the capped number of attempts.
TEST_F(HostileEndToEnd, RetriesAreCappedAgainstAServerThatAlwaysFails) {
  testsupport::FaultServer failing;
  testsupport::FaultServer::Script script;
  script.status = 404;
  script.reason = "Not Found";
  failing.setScript(script);
  ASSERT_TRUE(inst.writeHttpIni(failing.url(""), 2147483647));
  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(60000), 0) << "the updater ends";
  EXPECT_GE(failing.connections(), 1);
  EXPECT_LE(failing.connections(), 10);
  EXPECT_EQ(appLogAfter(2), kRestartedWithoutStop);
}

// A script that runs the updater and reads its output sees the output end
// when the updater ends, though the application it started runs on.
TEST_F(HostileEndToEnd, StartedProgramsDoNotHoldTheUpdatersOutput) {
  ASSERT_TRUE(inst.writeIni("[config]\ndownmode=0\n[APPLICATION]\nApplication=BoardAudit\n"));
  QProcess piped;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("TMPDIR", inst.tmpDir);
  env.insert("QT_QPA_PLATFORM", "offscreen");
  piped.setProcessEnvironment(env);
  const QString script = QStringLiteral(
      "\"$1/app/GKBriselUpdate\" old | cat > \"$1/out.txt\"; echo done > \"$1/piped.rc\";"
      " i=0; while [ ! -e \"$1/release\" ] && [ $i -lt 12000 ]; do i=$((i+1)); sleep 0.01; done");
  piped.start("unshare",
              {"--pid", "--fork", "--mount-proc", "setsid", "sh", "-c", script, "sh", inst.root});
  ASSERT_TRUE(piped.waitForStarted());
  const bool ended = waitForFile(inst.root + "/piped.rc", 60000);
  const QStringList log = inst.appLog();
  writeFile(inst.root + "/release", "go");
  piped.waitForFinished(30000);
  EXPECT_TRUE(ended) << "the reader waited for the application";
  EXPECT_EQ(log, QStringList{"start"}) << "the application still ran when the output ended";
}

// A key that is set but cannot be used fails closed: nothing is fetched,
// the application is restarted unchanged.
TEST_F(HostileEndToEnd, AnUnusableKeyFetchesNothing) {
  ASSERT_TRUE(inst.writeIni(
      QStringLiteral("[config]\nconnectcount=1\nListFileName=filelist.xml\nLocatTempDir=work\n"
                     "[APPLICATION]\nApplication=BoardAudit\n[UPDATESIGNATURE]\n"
                     "PublicKey=bm90IGEga2V5\n[UPDATEINFO]\nhttpListURL=%1\n")
          .arg(baseUrl)
          .toUtf8()));
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  serveList({{"a.txt", "2", "", 0}});
  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(appLogAfter(2), kRestartedWithoutStop);
  EXPECT_EQ(inst.app("a.txt"), "old a");
  EXPECT_EQ(server.served("update/filelist.xml"), 0);
  EXPECT_TRUE(run.output().contains("not a valid key")) << run.output().constData();
}

// A list nested 50,000 levels deep is refused before the XML document is
// built: no crash, nothing stopped, the application restarted.
TEST_F(HostileEndToEnd, ADeeplyNestedListIsRefusedWithoutACrash) {
  ASSERT_TRUE(inst.writeHttpIni(baseUrl, 1));
  QByteArray deep = "<update><files><file path=\"a.txt\" ver=\"2\"/>";
  for (int i = 0; i < 50000; ++i) deep += "<x>";
  for (int i = 0; i < 50000; ++i) deep += "</x>";
  ASSERT_TRUE(inst.putServer("filelist.xml", deep + "</files></update>\n"));
  ASSERT_TRUE(inst.putServer("a.txt", "new a"));
  UpdaterRun run(inst, {"old"});
  EXPECT_EQ(run.exitCode(), 0);
  EXPECT_EQ(appLogAfter(2), kRestartedWithoutStop);
  EXPECT_EQ(inst.app("a.txt"), "old a");
}
