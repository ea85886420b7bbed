// GKThreadDownLoad: the updater's one worker thread. Its run() performs a
// whole update without any user decision: read the local list, fetch the
// server list (and, with a public key, its signature), work out what
// changed, stop the running application, fetch, verify and unpack the
// changed files in a private working folder, install them all or none
// together with the new local list, then start the application again and ask
// the program to quit. It talks to the window only through its two signals.
#pragma once

#include "updatelist.h"

#include <QByteArray>
#include <QString>
#include <QThread>

#include <atomic>

class GKThreadDownLoad : public QThread {
  Q_OBJECT
public:
  // Wait before the application is started again, in ms.
  static constexpr int kRestartDelayMs = 1000;

  // Created without a parent by the window, in the main thread.
  explicit GKThreadDownLoad(QObject* parent = nullptr);

  // Sets the stop request. Safe from any thread; the worker looks at it
  // between transfer attempts and between items, never inside a transfer.
  // A request made before run() begins is kept, not cleared by its start.
  void setStop(bool stop);

  // One transfer attempt of `url` into `target`, blocking the calling thread
  // (which keeps processing its events). Progress is forwarded through
  // downLoadProgress. True exactly when the transfer succeeded.
  // The transfer stops with a failure beyond `maxBytes` bytes.
  bool fetchFile(const QString& url, const QString& target, qint64 maxBytes);
  bool fetchFile(const QString& url, const QString& target);

  // Largest signature file accepted, in bytes (a signature is 88 characters).
  static constexpr qint64 kMaxSignatureBytes = 1024;

  // "<workFolder><localTempDir>/" in native form, where <workFolder> is the
  // run's private working folder (see WorkFolder) with its trailing "/".
  static QString workDirFor(const QString& workFolder, const QString& localTempDir);

  // The working folder of the last run, kept on disk after it when
  // setKeepWorkFolder(true) was called (for tests that look inside); empty
  // before any run.
  QString lastWorkFolder() const { return m_lastWorkFolder; }
  void setKeepWorkFolder(bool keep) { m_keepWorkFolder = keep; }

  // True when a signed list may replace the installed one: its version is
  // given and not below `installedVersion` (-1: none installed), and its
  // expiry is given and later than `now`.
  static bool isAcceptableSignedList(const UpdateListInfo& info, qint64 installedVersion,
                                     const QDateTime& now);

  // An item path is installed below the application folder only when it
  // stays there: relative, no drive letter, no ".." step ("\" counts as a
  // separator). Other items fail without being fetched.
  static bool isSafeItemPath(const QString& path);

  // The item path as a local relative path: "\" becomes "/".
  static QString localItemPath(const QString& path);

  // An item is an archive when its path, in lower case, contains ".zip".
  static bool isArchiveItem(const UpdateItem& item);

signals:
  void onDownLoadProgress(QString name, double progress);
  void setTip(QString msg);

public slots:
  // Re-emits a downloader's progress as onDownLoadProgress.
  void downLoadProgress(QString name, double progress);

protected:
  void run() override;

private:
  // Up to `connectcount` attempts while no stop is requested; with a
  // downmode other than 0 the attempts pass without a transfer. An item
  // with an MD5 text, a size or a SHA-256 must also match them (with a
  // public key the size and SHA-256 must be given). True when the last
  // attempt succeeded.
  bool fetchWithRetries(const QString& url, const QString& target, const UpdateItem* item,
                        qint64 maxBytes);
  // Fetches the list and, with a public key, its signature into the working
  // folder; true when what is needed arrived.
  bool fetchList(const QString& listPath);
  // The downloaded list when it may be used: readable, and with a public key
  // signed by it, not expired and not older than the installed list.
  bool acceptList(const QString& listPath, UpdateList& remoteList);
  // Compares the lists, stops the application, fetches and installs what
  // changed (or starts the single installer item).
  void updateFromList(const QString& appDir, const QString& workDir, const QString& remoteListPath);
  // Fetches every changed item; true when all succeeded and no stop came.
  bool fetchItems(const UpdateList& changed, const QString& workDir);
  // Unpacks every archive in the working folder, then installs every item
  // and the new local list in one transaction; true when all were installed.
  bool installItems(const UpdateList& changed, const QString& appDir, const QString& workDir,
                    const QString& remoteListPath);
  // With a public key, an updata.ini among the files to install must carry
  // the same key.
  bool keepsPublicKey(const QString& stagedIni) const;
  // The single installer item: made executable and started; the update ends.
  void startInstaller(const QString& installerPath);
  void stopApplication();
  void restartApplication(const QString& appDir);
  void quitProgram();
  bool stopRequested() const { return stopFlag.load() || stopAsked.load(); }

  UpdateList localList;
  UpdateListInfo localInfo;
  QByteArray publicKey;  // decoded key; empty: lists are not signed
  QString m_lastWorkFolder;
  std::atomic<bool> m_keepWorkFolder{false};
  std::atomic<bool> stopFlag{true};    // true until run() begins, and on request
  std::atomic<bool> stopAsked{false};  // the last setStop; run() never clears it
  bool finishedByInstaller = false;
};
