// QHttpDownLoad: one blocking HTTP GET into a local file. The caller's
// thread keeps processing its events while it waits, so the network objects
// of that thread work. One instance per transfer; it lives entirely in the
// thread that calls downLoadFile.
#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

class QFile;
class QNetworkReply;
class QTimer;

class QHttpDownLoad : public QObject {
  Q_OBJECT
public:
  // A transfer that receives nothing for this long is aborted (-2), in ms.
  static constexpr int kInactivityLimitMs = 30000;

  // Result codes of downLoadFile.
  static constexpr int kSuccess = 0;
  static constexpr int kFileError = -1;     // target not opened, or not written
  static constexpr int kNetworkError = -2;  // any network or HTTP failure

  explicit QHttpDownLoad(QObject* parent = nullptr);
  ~QHttpDownLoad() override;

  // Fetches `url` (parsed tolerantly) into `localPath`, creating missing
  // folders and truncating an existing file; returns after the transfer.
  // 0 on success (no network error and, for HTTP, a 2xx status); -1 when the
  // file cannot be opened (no request is made, no signal emitted) or a write
  // to it fails; -2 for any network error, a non-2xx status, or no data for
  // the inactivity limit. The file stays on disk in every case: complete on
  // success, partial or empty otherwise. Progress: 0 first, then
  // bytesReceived * 100 / bytesTotal when the total is known and positive;
  // 100 at a successful end.
  int downLoadFile(const QString& url, const QString& localPath);

  // Runs local event loops (waking at least every 10 ms) until the running
  // transfer has finished.
  void waitFinished();

  // Shortens or lengthens the inactivity limit for the next transfer, in ms
  // (> 0). Defaults to kInactivityLimitMs.
  void setInactivityLimit(int ms);

signals:
  void downLoadProgress(QString name, double progress);

private slots:
  void readContent();
  void replyFinished(QNetworkReply* reply);
  void loadProgress(qint64 bytesReceived, qint64 bytesTotal);

private:
  void report(double progress);

  bool finished = true;
  int result = -1;
  QNetworkReply* reply = nullptr;
  QFile* file = nullptr;
  QString name;

  QTimer* idleTimer = nullptr;  // restarted whenever data arrives
  int inactivityLimitMs = kInactivityLimitMs;
  bool writeFailed = false;
  bool timedOut = false;
  double lastReported = -1.0;
};
