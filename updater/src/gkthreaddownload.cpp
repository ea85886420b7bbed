#include "gkthreaddownload.h"

#include "archive.h"
#include "fileops.h"
#include "installtransaction.h"
#include "listsignature.h"
#include "processcontrol.h"
#include "qhttpdownload.h"
#include "updatesettings.h"
#include "workfolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMetaObject>

#include <cstdio>

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

// The file's bytes up to `limit`, empty when it cannot be read.
QByteArray readAtMost(const QString& path, qint64 limit) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.read(limit) : QByteArray();
}

// Every ordinary file below `folder`, as "/"-separated paths relative to it.
QStringList filesBelow(const QString& folder) {
  QStringList files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  const QDir base(folder);
  while (it.hasNext()) files.append(base.relativeFilePath(it.next()));
  files.sort();
  return files;
}

bool isSettingsFile(const QString& relative) {
  return relative.compare(QStringLiteral("updata.ini"), Qt::CaseInsensitive) == 0;
}

// Said once per process: without a key anyone on the network path can
// change what is installed.
void warnUnsigned() {
  static bool said = false;
  if (said) return;
  said = true;
  std::fputs("GKBriselUpdate: no public key in updata.ini; updates are not signed\n", stderr);
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

bool GKThreadDownLoad::fetchFile(const QString& url, const QString& target, qint64 maxBytes) {
  QHttpDownLoad downloader;
  downloader.setMaxBytes(maxBytes);
  connect(&downloader, &QHttpDownLoad::downLoadProgress, this, &GKThreadDownLoad::downLoadProgress,
          Qt::QueuedConnection);
  return downloader.downLoadFile(url, target) == QHttpDownLoad::kSuccess;
}

bool GKThreadDownLoad::fetchFile(const QString& url, const QString& target) {
  return fetchFile(url, target, QHttpDownLoad::kMaxTransferBytes);
}

QString GKThreadDownLoad::workDirFor(const QString& workFolder, const QString& localTempDir) {
  QString path = QDir::fromNativeSeparators(workFolder);
  if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
  if (!localTempDir.isEmpty()) path += localTempDir + QLatin1Char('/');
  return QDir::toNativeSeparators(path);
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

bool GKThreadDownLoad::isAcceptableSignedList(const UpdateListInfo& info, qint64 installedVersion,
                                              const QDateTime& now) {
  return info.version >= 0 && info.version >= installedVersion && info.expires.isValid() &&
         info.expires > now;
}

void GKThreadDownLoad::run() {
  stopFlag.store(false);
  finishedByInstaller = false;
  enableDebugPrivilege();

  const UpdateSettings& s = settings();
  const QString appDir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
  publicKey = decodeKey(s.PublicKey.toLatin1(), kPublicKeyBytes);
  parseUpdateList(joinPath(appDir, s.ListFileName), localList, &localInfo);
  emit setTip(tr("checkStartTip"));

  if (s.downmode != 0 || !s.httpListURL.isEmpty()) {
    // A key that is given but unusable fails closed: nothing is fetched.
    const bool keyUsable = s.PublicKey.isEmpty() || !publicKey.isEmpty();
    if (s.PublicKey.isEmpty()) warnUnsigned();
    if (!keyUsable)
      std::fputs("GKBriselUpdate: the public key in updata.ini is not a valid key; no update\n",
                 stderr);
    WorkFolder work;
    if (keyUsable && work.create(QDir::tempPath().toStdString())) {
      m_lastWorkFolder = QString::fromStdString(work.path());
      const QString workDir = workDirFor(QString::fromStdString(work.path()), s.LocatTempDir);
      QDir().mkpath(workDir);
      const QString remoteListPath = workDir + s.newListFileName;
      emit setTip(tr("downStartTip"));
      if (fetchList(remoteListPath)) updateFromList(appDir, workDir, remoteListPath);
      if (finishedByInstaller || m_keepWorkFolder) work.keep();
    }
  }
  if (!finishedByInstaller) restartApplication(appDir);
}

bool GKThreadDownLoad::fetchWithRetries(const QString& url, const QString& target,
                                        const UpdateItem* item, qint64 maxBytes) {
  const UpdateSettings& s = settings();
  const bool signedList = !publicKey.isEmpty();
  const int attempts = qMin(s.connectcount, UpdateSettings::kMaxConnectCount);
  bool ok = false;
  for (int attempt = 0; attempt < attempts && !stopRequested(); ++attempt) {
    if (s.downmode != 0) continue;  // only HTTP transfers exist
    ok = fetchFile(url, target, maxBytes) &&
         (item == nullptr ||
          (checkItemMd5(*item, target) && checkItemDigest(*item, target, signedList)));
    if (ok) break;
  }
  return ok;
}

bool GKThreadDownLoad::fetchList(const QString& listPath) {
  const UpdateSettings& s = settings();
  const QString url = s.httpListURL + s.ListFileName;
  if (!fetchWithRetries(url, listPath, nullptr, updateListLimits().maxBytes)) return false;
  if (publicKey.isEmpty()) return true;
  return fetchWithRetries(url + kListSignatureSuffix, listPath + kListSignatureSuffix, nullptr,
                          kMaxSignatureBytes);
}

bool GKThreadDownLoad::acceptList(const QString& listPath, UpdateList& remoteList) {
  const QByteArray bytes = readAtMost(listPath, updateListLimits().maxBytes + 1);
  if (!publicKey.isEmpty()) {
    const QByteArray signature = readAtMost(listPath + kListSignatureSuffix, kMaxSignatureBytes);
    if (!verifyListSignature(bytes, signature, publicKey)) return false;
  }
  UpdateListInfo info;
  parseUpdateListBytes(bytes, remoteList, &info);
  if (publicKey.isEmpty()) return true;
  return isAcceptableSignedList(info, localInfo.version, QDateTime::currentDateTimeUtc());
}

void GKThreadDownLoad::updateFromList(const QString& appDir, const QString& workDir,
                                      const QString& remoteListPath) {
  emit setTip(tr("compareList"));
  UpdateList remoteList;
  UpdateList changed;
  if (!acceptList(remoteListPath, remoteList)) return;
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
  installItems(changed, appDir, workDir, remoteListPath);
}

bool GKThreadDownLoad::fetchItems(const UpdateList& changed, const QString& workDir) {
  bool allFetched = true;
  for (const UpdateItem& item : changed) {
    // An item that would land outside the folders fails without a transfer.
    const qint64 limit = item.size >= 0 ? item.size : QHttpDownLoad::kMaxTransferBytes;
    const bool ok =
        isSafeItemPath(item.path) && fetchWithRetries(settings().httpListURL + item.path,
                                                      joinPath(workDir, localItemPath(item.path)),
                                                      &item, qMax<qint64>(limit, 1));
    allFetched = allFetched && ok;
    if (stopRequested()) break;
  }
  return allFetched && !stopRequested();
}

bool GKThreadDownLoad::keepsPublicKey(const QString& stagedIni) const {
  if (publicKey.isEmpty()) return true;
  const SettingsFile ini(stagedIni);
  const QString key = ini.value("UPDATESIGNATURE", "PublicKey", QString()).toString();
  return decodeKey(key.toLatin1(), kPublicKeyBytes) == publicKey;
}

bool GKThreadDownLoad::installItems(const UpdateList& changed, const QString& appDir,
                                    const QString& workDir, const QString& remoteListPath) {
  const QString application = settings().Application;
  InstallTransaction install(QDir::fromNativeSeparators(appDir));
  auto add = [&](const QString& source, const QString& relative) {
    if (isSettingsFile(relative) && !keepsPublicKey(source)) return false;
    const bool isApplication = !application.isEmpty() && relative == localItemPath(application);
    return install.add(source, relative, isApplication);
  };
  // Everything is unpacked and written beside its target before the first
  // file is replaced.
  for (const UpdateItem& item : changed) {
    const QString relative = localItemPath(item.path);
    const QString downloaded = QDir::fromNativeSeparators(joinPath(workDir, relative));
    if (!isArchiveItem(item)) {
      if (!add(downloaded, relative)) return false;
      continue;
    }
    const QString folder = QDir::fromNativeSeparators(extractionFolderFor(downloaded));
    if (folder.isEmpty() || !unzipTo(downloaded, folder)) return false;
    for (const QString& file : filesBelow(folder)) {
      if (!add(folder + '/' + file, file)) return false;
    }
  }
  if (!add(QDir::fromNativeSeparators(remoteListPath), localItemPath(settings().ListFileName)))
    return false;
  return install.commit();
}

void GKThreadDownLoad::startInstaller(const QString& installerPath) {
  makeExecutable(installerPath);
  startProgram(installerPath, StartElevatedWhereAvailable, QString());
  finishedByInstaller = true;
  quitProgram();
}

void GKThreadDownLoad::stopApplication() {
  const QString application = settings().Application;
  const qint64 pid = findProcessByName(application, QCoreApplication::applicationDirPath());
  if (pid == 0) return;
  enableDebugPrivilege();
  killProcessIfNamed(pid, application);
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
    QMetaObject::invokeMethod(
        app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
}
