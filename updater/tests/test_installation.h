// A throw-away installation for end-to-end tests of the updater program:
//   <root>/app/            GKBriselUpdate, the application "BoardAudit" (a
//                          small program that logs its starts and stops to
//                          starts.log beside itself), updata.ini, local list
//   <root>/server/update/  the update folder served over HTTP
//   <root>/tmp/            the system temporary folder of the updater (TMPDIR)
// UpdaterRun runs the updater there inside a PID namespace and a session of
// its own, so the processes it finds and stops are only those of the test.
// An installation may instead name another application folder below <root>
// and another application, which the caller puts there (an installed folder).
#pragma once

#include "process_test_util.h"

#include <testsupport/temp_dir.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QVector>

#include <utility>

namespace testsupport {

// One entry of an update list as the tests write it.
struct ListItem {
  ListItem(QString path_, QString ver_, QString md5_ = QString(), int type_ = 0, qint64 size_ = -1,
           QString sha256_ = QString())
      : path(std::move(path_)),
        ver(std::move(ver_)),
        md5(std::move(md5_)),
        type(type_),
        size(size_),
        sha256(std::move(sha256_)) {}

  QString path;
  QString ver;
  QString md5;  // empty: no md5 attribute
  int type = 0;
  qint64 size = -1;  // -1: no size attribute
  QString sha256;    // empty: no sha256 attribute
};

inline QString md5Of(const QByteArray& data) {
  return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
}

inline QString sha256Of(const QByteArray& data) {
  return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

// A list item for `data` with its size and SHA-256, as a signed list has it.
inline ListItem digestItem(const QString& path, const QString& ver, const QByteArray& data,
                           int type = 0) {
  return ListItem{path, ver, QString(), type, data.size(), sha256Of(data)};
}

class TestInstallation {
public:
  static constexpr const char* kApplication = "BoardAudit";

  // The built updater and the recording application in <root>/app.
  TestInstallation() : TestInstallation("app", QString::fromLatin1(kApplication)) {
    m_ready = QFile::copy(QStringLiteral(GK_UPDATER_EXE), appDir + "/GKBriselUpdate") &&
              QFile::copy(QStringLiteral(GK_RECORDING_APP_EXE), appDir + "/" + kApplication);
  }

  // An empty application folder <root>/<appFolder> for the application
  // `application`; the caller puts GKBriselUpdate and the application there.
  TestInstallation(const QString& appFolder, const QString& application)
      : root(QString::fromStdString(m_dir.str())),
        appDir(root + "/" + appFolder),
        updateDir(root + "/server/update"),
        tmpDir(root + "/tmp"),
        m_application(application) {
    m_ready = QDir().mkpath(appDir) && QDir().mkpath(updateDir) && QDir().mkpath(tmpDir);
  }

  bool ready() const { return m_ready; }
  const QString& application() const { return m_application; }

  // The private working folders ("tmpUpdata" and six characters) in the
  // temporary folder; a finished run leaves none unless it started an
  // installer from one.
  QStringList workFolders() const {
    return QDir(tmpDir).entryList({"tmpUpdata??????"},
                                  QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
  }

  // The working folder for a LocatTempDir value inside the run's private
  // folder (the first one left behind).
  QString workDir(const QString& localTempDir) const {
    const QStringList folders = workFolders();
    return tmpDir + "/" + (folders.isEmpty() ? QString("tmpUpdata") : folders.first()) + "/" +
           localTempDir + "/";
  }

  bool writeIni(const QByteArray& text) const { return writeFile(appDir + "/updata.ini", text); }

  // updata.ini for an update from `baseUrl`: list "filelist.xml", working
  // folder "work", application BoardAudit.
  bool writeHttpIni(const QString& baseUrl, int connectcount, int downmode = 0) const {
    return writeIni(
        QStringLiteral("[config]\ndownmode=%1\nconnectcount=%2\nListFileName=filelist.xml\n"
                       "LocatTempDir=work\n[APPLICATION]\nApplication=%3\n"
                       "[UPDATEINFO]\nhttpListURL=%4\n")
            .arg(downmode)
            .arg(connectcount)
            .arg(m_application, baseUrl)
            .toUtf8());
  }

  // The list of `items`; `rootAttributes` (for example version="2") go on
  // the root element.
  static QByteArray listXml(const QVector<ListItem>& items,
                            const QByteArray& rootAttributes = QByteArray()) {
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<update";
    if (!rootAttributes.isEmpty()) xml += " " + rootAttributes;
    xml += ">\n  <files>\n";
    for (const ListItem& item : items) {
      xml += "    <file path=\"" + item.path.toUtf8() + "\" ver=\"" + item.ver.toUtf8() + "\"";
      if (!item.md5.isEmpty()) xml += " md5=\"" + item.md5.toUtf8() + "\"";
      if (item.size >= 0) xml += " size=\"" + QByteArray::number(item.size) + "\"";
      if (!item.sha256.isEmpty()) xml += " sha256=\"" + item.sha256.toUtf8() + "\"";
      xml += " type=\"" + QByteArray::number(item.type) + "\"/>\n";
    }
    return xml + "  </files>\n</update>\n";
  }

  bool putApp(const QString& relative, const QByteArray& data) const {
    return putFile(appDir + "/" + relative, data);
  }
  bool putServer(const QString& relative, const QByteArray& data) const {
    return putFile(updateDir + "/" + relative, data);
  }
  QByteArray app(const QString& relative) const { return readFile(appDir + "/" + relative); }

  // The application's start and stop records, in order.
  QStringList appLog() const {
    return QString::fromUtf8(readFile(appDir + "/starts.log")).split('\n', Qt::SkipEmptyParts);
  }
  // The records once there are at least `count` (or after `limitMs`). The
  // application logs right after the updater starts it, so this may trail
  // the updater's exit.
  QStringList appLogAfter(int count, int limitMs) const {
    waitForFiles(
        {appDir + "/starts.log"}, [&] { return appLog().size() >= count; }, limitMs);
    return appLog();
  }

private:
  static bool putFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeFile(path, data);
  }

  TempDir m_dir;
  bool m_ready = false;

public:
  const QString root;
  const QString appDir;
  const QString updateDir;
  const QString tmpDir;

private:
  const QString m_application;
};

// One run of the updater in the installation, in a PID namespace of its own.
// The namespace (with everything the updater started in it) ends when the
// object goes, or at release().
class UpdaterRun {
public:
  enum class App { Running, NotRunning };
  enum class Instances { One, Two };

  // Starts the application first when asked (and waits for its first start
  // record), then the updater with `arguments`. With Instances::Two a first
  // updater runs in the background and a second one, with the same
  // arguments, starts at startSecond().
  UpdaterRun(const TestInstallation& installation, const QStringList& arguments,
             App app = App::Running, Instances instances = Instances::One)
      : m_root(installation.root) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", installation.tmpDir);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LC_ALL", "C.UTF-8");
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    QStringList args = {"--pid",
                        "--fork",
                        "--mount-proc",
                        "setsid",
                        "sh",
                        "-c",
                        script(),
                        "sh",
                        m_root,
                        app == App::Running ? "1" : "0",
                        instances == Instances::Two ? "1" : "0",
                        installation.appDir,
                        installation.application()};
    m_process.start("unshare", args + arguments);
    m_process.waitForStarted();
  }
  ~UpdaterRun() { release(); }
  UpdaterRun(const UpdaterRun&) = delete;
  UpdaterRun& operator=(const UpdaterRun&) = delete;

  // Exit code of the (first) updater; -1000 when it did not end in time.
  int exitCode(int limitMs = 120000) const { return readCode("updater.rc", limitMs); }
  // Exit code of the second updater (Instances::Two).
  int secondExitCode(int limitMs = 120000) const { return readCode("second.rc", limitMs); }
  void startSecond() const { writeFile(m_root + "/go-second", "go"); }
  // Command lines of GKBriselUpdate_Old processes seen right after the
  // updater ended.
  QByteArray handedOver() const { return readFile(m_root + "/handed-over.txt"); }
  // Process id (in the namespace) of the application started before the
  // updater (App::Running).
  QByteArray firstApplication() const { return readFile(m_root + "/first-app.pid").trimmed(); }
  // Ids of the processes running the application program right after the
  // updater ended, one a line.
  QStringList applicationsAfter() const {
    return QString::fromLatin1(readFile(m_root + "/apps-after.txt"))
        .split('\n', Qt::SkipEmptyParts);
  }

  // Ends the namespace and everything in it.
  void release() {
    if (m_process.state() == QProcess::NotRunning) return;
    writeFile(m_root + "/release", "go");
    if (!m_process.waitForFinished(30000)) {
      m_process.kill();  // our own child, by its handle
      m_process.waitForFinished();
    }
  }
  QByteArray output() { return m_process.readAll(); }

private:
  int readCode(const char* name, int limitMs) const {
    const QString path = m_root + "/" + name;
    if (!waitForFile(path, limitMs)) return -1000;
    return readFile(path).trimmed().toInt();
  }

  // The namespace's first process: $1 root, $2 application running, $3 two
  // updaters, $4 application folder, $5 application; the rest are the
  // updater's arguments. The recording application is waited for until it
  // logged its start, any other until its process runs the program. A
  // plain shell has no event for a file that another process makes, so
  // its waits look every 10 ms, each bounded (30 s for the application's
  // start, 2 minutes otherwise).
  static QString script() {
    return QStringLiteral(R"sh(
root=$1; app_running=$2; two=$3; appdir=$4; appname=$5; shift 5
wait_for() { i=0; while [ ! -e "$1" ] && [ $i -lt 12000 ]; do i=$((i+1)); sleep 0.01; done; }
record() { echo "$2" > "$root/$1.tmp"; mv "$root/$1.tmp" "$root/$1"; }
apps() { for p in /proc/[0-9]*; do [ "$(readlink "$p/exe" 2>/dev/null)" = "$appdir/$appname" ] && echo "${p#/proc/}"; done; }
if [ "$app_running" = 1 ]; then
  "$appdir/$appname" &
  record first-app.pid $!
  i=0
  if [ "$appname" = BoardAudit ]; then
    while ! grep -q '^start' "$appdir/starts.log" 2>/dev/null && [ $i -lt 3000 ]; do i=$((i+1)); sleep 0.01; done
  else
    while [ -z "$(apps)" ] && [ $i -lt 3000 ]; do i=$((i+1)); sleep 0.01; done
  fi
fi
if [ "$two" = 1 ]; then
  "$appdir/GKBriselUpdate" "$@" &
  wait_for "$root/go-second"
  "$appdir/GKBriselUpdate" "$@"; record second.rc $?
else
  "$appdir/GKBriselUpdate" "$@"; code=$?
  for p in /proc/[0-9]*; do
    c=$(tr '\0' ' ' < "$p/cmdline" 2>/dev/null)
    case "$c" in *GKBriselUpdate_Old*) echo "$c" >> "$root/handed-over.txt";; esac
  done
  record apps-after.txt "$(apps)"
  record updater.rc $code
fi
wait_for "$root/release"
)sh");
  }

  QString m_root;
  QProcess m_process;
};

}  // namespace testsupport
