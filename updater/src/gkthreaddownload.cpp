#include "gkthreaddownload.h"

#include "archive.h"
#include "fileops.h"
#include "processcontrol.h"
#include "qhttpdownload.h"
#include "updatesettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMetaObject>

namespace {

// `relative` below `folder`, in native form, with one separator between.
QString joinPath(const QString& folder, const QString& relative) {
  QString path = QDir::fromNativeSeparators(folder);
  if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
  return QDir::toNativeSeparators(path + relative);
}

const UpdateSettings& settings() { return *UpdateSettings::instance(); }

// A download carries no permission bits: programs we start from one must be
// made runnable first (the installer, and the application itself when the
// update delivers its executable).
void makeExecutable(const QString& path) {
  QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser |
                                  QFile::ExeGroup | QFile::ExeOther);
}

}  // namespace

GKThreadDownLoad::GKThreadDownLoad(QObject* parent) : QThread(parent) {}

void GKThreadDownLoad::setStop(bool stop) {
  stopAsked.store(stop);
  stopFlag.store(stop);
}

void GKThreadDownLoad::downLoadProgress(QString name, double progress) {
  emit onDownLoadProgress(name, progress);
}

bool GKThreadDownLoad::fetchFile(const QString& url, const QString& target) {
  QHttpDownLoad downloader;
  connect(&downloader, &QHttpDownLoad::downLoadProgress, this, &GKThreadDownLoad::downLoadProgress,
          Qt::QueuedConnection);
  return downloader.downLoadFile(url, target) == QHttpDownLoad::kSuccess;
}

QString GKThreadDownLoad::workDirFor(const QString& localTempDir) {
  return QDir::toNativeSeparators(QDir::tempPath() + QStringLiteral("/tmpUpdata/") + localTempDir +
                                  QLatin1Char('/'));
}

QString GKThreadDownLoad::localItemPath(const QString& path) {
  QString local = path;
  return local.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

bool GKThreadDownLoad::isSafeItemPath(const QString& path) {
  const QString local = localItemPath(path);
  if (local.isEmpty() || local.startsWith(QLatin1Char('/'))) return false;
  if (local.size() >= 2 && local.at(1) == QLatin1Char(':')) return false;  // drive letter
  const QStringList steps = local.split(QLatin1Char('/'));
  return !steps.contains(QStringLiteral(".."));
}

bool GKThreadDownLoad::isArchiveItem(const UpdateItem& item) {
  return item.path.toLower().contains(QStringLiteral(".zip"));
}

void GKThreadDownLoad::run() {
  stopFlag.store(false);
  finishedByInstaller = false;
  enableDebugPrivilege();

  const UpdateSettings& s = settings();
  const QString appDir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
  parseUpdateList(joinPath(appDir, s.ListFileName), localList);
  emit setTip(tr("checkStartTip"));

  if (s.downmode != 0 || !s.httpListURL.isEmpty()) {
    const QString workDir = workDirFor(s.LocatTempDir);
    QDir().mkpath(workDir);
    const QString remoteListPath = workDir + s.newListFileName;
    emit setTip(tr("downStartTip"));
    if (fetchWithRetries(s.httpListURL + s.ListFileName, remoteListPath, nullptr))
      updateFromList(appDir, workDir, remoteListPath);
  }
  if (!finishedByInstaller) restartApplication(appDir);
}

bool GKThreadDownLoad::fetchWithRetries(const QString& url, const QString& target,
                                        const UpdateItem* item) {
  const UpdateSettings& s = settings();
  bool ok = false;
  for (int attempt = 0; attempt < s.connectcount && !stopRequested(); ++attempt) {
    if (s.downmode != 0) continue;  // only HTTP transfers exist
    ok = fetchFile(url, target) && (item == nullptr || checkItemMd5(*item, target));
    if (ok) break;
  }
  return ok;
}

void GKThreadDownLoad::updateFromList(const QString& appDir, const QString& workDir,
                                      const QString& remoteListPath) {
  emit setTip(tr("compareList"));
  UpdateList remoteList;
  UpdateList changed;
  parseUpdateList(remoteListPath, remoteList);
  findChangedItems(localList, remoteList, changed);
  if (changed.isEmpty()) return;

  stopApplication();
  emit setTip(tr("downfile"));
  if (!fetchItems(changed, workDir)) return;  // nothing is installed

  if (changed.size() == 1 && changed.front().type == 1) {
    startInstaller(joinPath(workDir, localItemPath(changed.front().path)));
    return;
  }
  emit setTip(tr("updatestart"));
  if (installItems(changed, appDir, workDir))
    copyFile(remoteListPath, joinPath(appDir, settings().ListFileName), true);
}

bool GKThreadDownLoad::fetchItems(const UpdateList& changed, const QString& workDir) {
  bool allFetched = true;
  for (const UpdateItem& item : changed) {
    // An item that would land outside the folders fails without a transfer.
    const bool ok = isSafeItemPath(item.path) &&
                    fetchWithRetries(settings().httpListURL + item.path,
                                     joinPath(workDir, localItemPath(item.path)), &item);
    allFetched = allFetched && ok;
    if (stopRequested()) break;
  }
  return allFetched && !stopRequested();
}

bool GKThreadDownLoad::installItems(const UpdateList& changed, const QString& appDir,
                                    const QString& workDir) {
  bool allInstalled = true;
  for (const UpdateItem& item : changed) {
    const QString relative = localItemPath(item.path);
    const QString downloaded = joinPath(workDir, relative);
    const QString target = joinPath(appDir, relative);
    const bool ok = isArchiveItem(item) ? installArchive(downloaded, appDir)
                                        : copyFile(downloaded, target, true);
    if (ok && !isArchiveItem(item) && !settings().Application.isEmpty() &&
        target == joinPath(appDir, settings().Application))
      makeExecutable(target);
    allInstalled = allInstalled && ok;
  }
  return allInstalled;
}

void GKThreadDownLoad::startInstaller(const QString& installerPath) {
  makeExecutable(installerPath);
  startProgram(installerPath, StartElevatedWhereAvailable, QString());
  finishedByInstaller = true;
  quitProgram();
}

void GKThreadDownLoad::stopApplication() {
  const qint64 pid = findProcessByName(settings().Application);
  if (pid == 0) return;
  enableDebugPrivilege();
  killProcess(pid);
}

void GKThreadDownLoad::restartApplication(const QString& appDir) {
  waitMs(kRestartDelayMs);
  const QString application = settings().Application;
  if (!application.isEmpty()) startProgram(joinPath(appDir, application), StartOpen, QString());
  quitProgram();
}

void GKThreadDownLoad::quitProgram() {
  // Queued, so the quit runs in the main thread that owns the event loop.
  if (QCoreApplication* app = QCoreApplication::instance())
    QMetaObject::invokeMethod(app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
}
