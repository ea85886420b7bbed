// The installation as shipped: `cmake --install` into a fresh temporary
// prefix, then the installed programs run in their installed folder. The
// launcher audits an installed sample and logs beside itself; the updater
// stops the installed Carrack, installs a changed file from a loopback
// server and starts Carrack again; the run paths lead into the folder only.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include "carrack_process.h"
#include "loopback_servers.h"
#include "qt_test_app.h"
#include "test_installation.h"
#include "updatesettings.h"

using testsupport::readFile;
using testsupport::TestInstallation;
using testsupport::UpdaterRun;

namespace {

const QString kApplication = QStringLiteral("Carrack");

struct Command {
  bool finished = false;  // false: did not start or did not end in time
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

// Runs a program and waits for it; the limit guards against a hang.
Command runCommand(const QString& program, const QStringList& args, int limitMs = 120000,
                   const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, args);
  Command c;
  c.finished = p.waitForStarted(20000) && p.waitForFinished(limitMs) &&
               p.exitStatus() == QProcess::NormalExit;
  if (!c.finished) {
    p.kill();  // our own child, by its handle
    p.waitForFinished(5000);
  }
  c.exitCode = p.exitCode();
  c.out = p.readAllStandardOutput();
  c.err = p.readAllStandardError();
  return c;
}

// A fresh installation: the prefix is <root>/prefix, the installation
// folder <root>/prefix/<GK_INSTALL_APPDIR> (the updater's appDir).
class InstalledFolder : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(testsupport::qtTestApp(), nullptr);
    ASSERT_TRUE(inst.ready());
    const Command c = install();
    ASSERT_TRUE(c.finished && c.exitCode == 0) << c.out.constData() << c.err.constData();
  }

  Command install() const {
    return runCommand(GK_CMAKE_COMMAND, {"--install", GK_BUILD_DIR, "--prefix", prefix});
  }
  QString app(const QString& relative) const { return inst.appDir + "/" + relative; }

  TestInstallation inst{QStringLiteral("prefix/" GK_INSTALL_APPDIR), kApplication};
  const QString prefix = inst.root + "/prefix";
};

// The RPATH and RUNPATH entries of an ELF file, as readelf -d shows them.
QStringList runPaths(const QString& file) {
  const Command c = runCommand("readelf", {"-d", "-W", file});
  EXPECT_TRUE(c.finished && c.exitCode == 0) << file.toStdString() << c.err.constData();
  QStringList paths;
  const QRegularExpression entry(
      R"(\((?:RPATH|RUNPATH)\)\s+Library (?:rpath|runpath): \[([^\]]*)\])");
  auto it = entry.globalMatch(QString::fromLocal8Bit(c.out));
  while (it.hasNext()) paths += it.next().captured(1).split(':');
  return paths;
}

// "name => path" of every library that ldd resolves for `file`.
QMap<QString, QString> resolvedLibraries(const QString& file, QByteArray& raw) {
  const Command c = runCommand("ldd", {file});
  EXPECT_TRUE(c.finished && c.exitCode == 0) << c.err.constData();
  raw = c.out;
  QMap<QString, QString> libs;
  const QRegularExpression line(R"(^\s*(\S+) => (\S+))", QRegularExpression::MultilineOption);
  auto it = line.globalMatch(QString::fromLocal8Bit(c.out));
  while (it.hasNext()) {
    const auto m = it.next();
    libs.insert(m.captured(1), m.captured(2));
  }
  return libs;
}

}  // namespace

TEST_F(InstalledFolder, HoldsTheProgramsLibrariesSamplesSettingsAndEngineDevelopmentFiles) {
  for (const char* program : {"Carrack", "GKBriselUpdate"}) {
    EXPECT_TRUE(QFileInfo(app(program)).isExecutable()) << program;
  }
  for (const char* library : {"libGkMainWidget.so", "libEngine.so.1"}) {
    EXPECT_TRUE(QFileInfo::exists(app(library))) << library;
  }
  for (const char* sample : {"clean.json", "violations.json"}) {
    EXPECT_EQ(readFile(app(QString("samples/") + sample)),
              readFile(QString(GK_SAMPLES_DIR "/") + sample))
        << sample;
  }
  // Engine's development files, where a client's find_package looks.
  EXPECT_TRUE(QFileInfo::exists(prefix + "/include/engine/engine.h"));
  EXPECT_TRUE(QFileInfo::exists(prefix + "/include/engine/engine_export.h"));
  EXPECT_TRUE(QFileInfo::exists(prefix + "/" GK_INSTALL_LIBDIR "/cmake/Engine/EngineConfig.cmake"));
  EXPECT_TRUE(QFileInfo::exists(prefix + "/" GK_INSTALL_LIBDIR "/libEngine.so"));
  // Nothing is written into the folder before a program runs.
  EXPECT_FALSE(QFileInfo::exists(app("AuditLog")));
}

TEST_F(InstalledFolder, SettingsTemplateNamesCarrackAndWaitsForAServer) {
  const QByteArray text = readFile(app("updata.ini"));
  EXPECT_EQ(text, readFile(GK_SOURCE_DIR "/updater/resources/updata.ini"));
  EXPECT_TRUE(text.startsWith(";")) << "a commented template";

  UpdateSettings s;
  s.load(app("updata.ini"));
  EXPECT_EQ(s.Application, kApplication);
  EXPECT_EQ(s.downmode, 0);
  EXPECT_EQ(s.connectcount, 3);
  EXPECT_EQ(s.ListFileName, "filelist.xml");
  EXPECT_EQ(s.newListFileName, "filelist_new.xml");
  EXPECT_EQ(s.LocatTempDir, "work");
  EXPECT_TRUE(s.httpListURL.isEmpty()) << "no update is looked for until a server is set";
  EXPECT_TRUE(s.PublicKey.isEmpty());
}

TEST_F(InstalledFolder, ReinstallingKeepsTheUsersSettingsAndRestoresMissingOnes) {
  const QByteArray mine =
      "[APPLICATION]\nApplication=Carrack\n[UPDATEINFO]\nhttpListURL=http://mine/\n";
  ASSERT_TRUE(testsupport::writeFile(app("updata.ini"), mine));
  ASSERT_TRUE(QFile::remove(app("Carrack")));

  Command again = install();
  ASSERT_TRUE(again.finished && again.exitCode == 0) << again.out.constData();
  EXPECT_EQ(readFile(app("updata.ini")), mine);
  EXPECT_TRUE(again.out.contains("Kept: ")) << again.out.constData();
  EXPECT_TRUE(QFileInfo(app("Carrack")).isExecutable()) << "the programs are installed again";

  ASSERT_TRUE(QFile::remove(app("updata.ini")));
  again = install();
  ASSERT_TRUE(again.finished && again.exitCode == 0) << again.out.constData();
  EXPECT_EQ(readFile(app("updata.ini")), readFile(GK_SOURCE_DIR "/updater/resources/updata.ini"));
}

TEST_F(InstalledFolder, RunPathsLeadIntoTheFolderAndNeverIntoTheBuildTree) {
  const QStringList files = {app("Carrack"), app("GKBriselUpdate"), app("libGkMainWidget.so"),
                             app("libEngine.so.1")};
  for (const QString& file : files) {
    SCOPED_TRACE(file.toStdString());
    for (const QString& path : runPaths(file)) EXPECT_EQ(path, "$ORIGIN");
  }
  EXPECT_EQ(runPaths(app("Carrack")), QStringList{"$ORIGIN"});
  EXPECT_EQ(runPaths(app("libGkMainWidget.so")), QStringList{"$ORIGIN"})
      << "it finds Engine beside it";

  for (const QString& file : files) {
    SCOPED_TRACE(file.toStdString());
    QByteArray raw;
    const QMap<QString, QString> libs = resolvedLibraries(file, raw);
    EXPECT_FALSE(raw.contains("not found")) << raw.constData();
    EXPECT_FALSE(raw.contains(GK_BUILD_DIR)) << raw.constData();
    EXPECT_FALSE(raw.contains(GK_SOURCE_DIR)) << raw.constData();
    for (const QString& own : {QString("libGkMainWidget.so"), QString("libEngine.so.1")}) {
      if (libs.contains(own)) {
        EXPECT_EQ(QFileInfo(libs[own]).canonicalFilePath(),
                  QFileInfo(app(own)).canonicalFilePath());
      }
    }
  }
  QByteArray raw;
  const QMap<QString, QString> carrack = resolvedLibraries(app("Carrack"), raw);
  EXPECT_TRUE(carrack.contains("libGkMainWidget.so")) << raw.constData();
  EXPECT_TRUE(carrack.contains("libEngine.so.1")) << raw.constData();
}

// An installed sample audited by the installed Carrack: the same exit code
// and findings as from the build tree, and one record per run in the day's
// log beside the installed program.
TEST_F(InstalledFolder, CarrackAuditsAnInstalledSampleAndLogsBesideItself) {
  const CarrackFolder built;  // the build tree's Carrack, for comparison
  const struct {
    const char* sample;
    int exitCode;
  } cases[] = {{"violations.json", 1}, {"clean.json", 0}};
  std::string log;
  std::int32_t before = bootTick();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sample);
    const QString sample = app(QString("samples/") + c.sample);
    const Command installed = runCommand(app("Carrack"), {sample, QString("tag-") + c.sample});
    ASSERT_TRUE(installed.finished) << installed.err.constData();
    EXPECT_EQ(installed.exitCode, c.exitCode) << installed.err.constData();
    const CarrackRun reference = built.run({sample, QString("tag-") + c.sample});
    EXPECT_EQ(installed.exitCode, reference.exitCode);
    EXPECT_EQ(installed.out, reference.out);
    EXPECT_FALSE(installed.out.isEmpty());
  }
  const std::int32_t after = bootTick();
  log = readBytes((inst.appDir + "/AuditLog/").toStdString() + todayText() + "/all.csv");
  const QStringList lines = QString::fromStdString(log).split('\n');
  ASSERT_EQ(lines.size(), 3) << log << "two records, each ending in a line feed";
  EXPECT_TRUE(lines[2].isEmpty());
  for (int i = 0; i < 2; ++i) {
    const QStringList fields = lines[i].split(',');
    ASSERT_EQ(fields.size(), 3) << lines[i].toStdString();
    EXPECT_EQ(fields[0], QString("tag-") + cases[i].sample);
    const auto start = static_cast<std::int32_t>(fields[1].toLongLong());
    const auto end = static_cast<std::int32_t>(fields[2].toLongLong());
    EXPECT_TRUE(tickBetween(before, start, after) && tickBetween(start, end, after))
        << lines[i].toStdString();
  }
}

// An installation folder the user cannot write (a system-wide install run
// by an ordinary user): the audit still runs with its exit code, one line
// on standard error says that the record could not be written.
TEST_F(InstalledFolder, CarrackInAFolderItCannotWriteStillAuditsAndSaysSo) {
  QStringList command = {app("Carrack")};
  if (::geteuid() == 0) {
    // Root writes anywhere: run as nobody, with the folders open for reading.
    for (QString dir = inst.appDir; dir.startsWith(inst.root); dir = QFileInfo(dir).path()) {
      ASSERT_EQ(::chmod(QFile::encodeName(dir).constData(), 0755), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(inst.root).constData(), 0755), 0);
    command = QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"} + command;
  } else {
    ASSERT_EQ(::chmod(QFile::encodeName(inst.appDir).constData(), 0555), 0);
  }
  const QString sample = app("samples/violations.json");
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("XDG_RUNTIME_DIR");
  const Command c =
      runCommand(command.first(), command.mid(1) + QStringList{sample, "readonly"}, 120000, env);
  ::chmod(QFile::encodeName(inst.appDir).constData(), 0755);
  ASSERT_TRUE(c.finished) << c.err.constData();
  EXPECT_EQ(c.exitCode, 1) << c.err.constData();
  EXPECT_TRUE(c.out.contains("clearance")) << "the findings are printed: " << c.out.constData();
  EXPECT_TRUE(c.err.contains("Carrack: could not write the audit record to " +
                             QFile::encodeName(app("AuditLog/"))))
      << c.err.constData();
  EXPECT_FALSE(QFileInfo::exists(app("AuditLog")));
}

// The installed updater with the installed template, pointed at a loopback
// server: it stops the running installed Carrack, installs the changed
// sample and the server's list, and starts Carrack again.
TEST_F(InstalledFolder, UpdaterStopsCarrackInstallsAChangedFileAndRestartsIt) {
  testsupport::StockHttpServer server{inst.root + "/server", inst.root + "/requests.log"};
  ASSERT_NE(server.port(), 0) << "python3 -m http.server did not come up";
  QByteArray ini = readFile(app("updata.ini"));
  ASSERT_TRUE(ini.contains("\nhttpListURL=\n"));
  ini.replace("\nhttpListURL=\n", "\nhttpListURL=" + server.url("update/").toUtf8() + "\n");
  ASSERT_TRUE(inst.writeIni(ini));

  QByteArray changed = readFile(app("samples/clean.json"));
  ASSERT_TRUE(changed.contains("\"name\""));
  changed.replace("\"name\"", "\"description\": \"updated\", \"name\"");
  ASSERT_TRUE(inst.putServer("samples/clean.json", changed));
  const QByteArray list =
      TestInstallation::listXml({{"samples/clean.json", "1.0.1", testsupport::md5Of(changed), 0}});
  ASSERT_TRUE(inst.putServer("filelist.xml", list));

  // The running Carrack: interactive, its login answered, its main window
  // open on the offscreen platform until it is stopped; the restarted one
  // inherits the same environment, so it is still running when looked for.
  const testsupport::ScopedEnv login("GK_LOGIN_SCRIPT", "stay");
  UpdaterRun run(inst, {"old"}, UpdaterRun::App::Running);
  EXPECT_EQ(run.exitCode(), 0) << run.output().constData();
  const QByteArray first = run.firstApplication();
  const QStringList after = run.applicationsAfter();
  ASSERT_FALSE(first.isEmpty());
  EXPECT_FALSE(after.contains(QString::fromLatin1(first))) << "the running Carrack was stopped";
  EXPECT_EQ(after.size(), 1) << "and one Carrack started again: " << after.join(' ').toStdString();

  EXPECT_EQ(readFile(app("samples/clean.json")), changed);
  EXPECT_EQ(readFile(app("filelist.xml")), list) << "the server list becomes the local list";
  EXPECT_EQ(server.served("update/samples/clean.json"), 1);
  EXPECT_TRUE(inst.workFolders().isEmpty())
      << "the working folder is removed, none in the installation";
  run.release();

  // The updated sample is audited by the installed Carrack.
  const Command audit = runCommand(app("Carrack"), {app("samples/clean.json"), "after-update"});
  EXPECT_TRUE(audit.finished && audit.exitCode == 0) << audit.err.constData();
}
