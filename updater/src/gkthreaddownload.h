// GKThreadDownLoad: the updater's one worker thread. Its run() performs a
// whole update without any user decision: read the local list, fetch the
// server list, work out what changed, stop the running application, fetch
// the changed files into the working folder, install them, replace the local
// list, then start the application again and ask the program to quit.
// It talks to the window only through its two signals.
#pragma once

#include "updatelist.h"

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
  bool fetchFile(const QString& url, const QString& target);

  // "<temp>/tmpUpdata/<localTempDir>/" in native form, where <temp> is the
  // system temporary folder.
  static QString workDirFor(const QString& localTempDir);

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
  // with an MD5 text must also match it. True when the last attempt succeeded.
  bool fetchWithRetries(const QString& url, const QString& target, const UpdateItem* item);
  // Compares the lists, stops the application, fetches and installs what
  // changed (or starts the single installer item).
  void updateFromList(const QString& appDir, const QString& workDir, const QString& remoteListPath);
  // Fetches every changed item; true when all succeeded and no stop came.
  bool fetchItems(const UpdateList& changed, const QString& workDir);
  // Installs every fetched item; true when all were installed.
  bool installItems(const UpdateList& changed, const QString& appDir, const QString& workDir);
  // The single installer item: made executable and started; the update ends.
  void startInstaller(const QString& installerPath);
  void stopApplication();
  void restartApplication(const QString& appDir);
  void quitProgram();
  bool stopRequested() const { return stopFlag.load() || stopAsked.load(); }

  UpdateList localList;
  std::atomic<bool> stopFlag{true};   // true until run() begins, and on request
  std::atomic<bool> stopAsked{false};  // the last setStop; run() never clears it
  bool finishedByInstaller = false;
};
