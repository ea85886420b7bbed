// QHttpDownLoad: one blocking HTTP GET into a local file. The caller's
// thread keeps processing its events while it waits, so the network objects
// of that thread work. One instance per transfer; it lives entirely in the
// thread that calls downLoadFile.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QtGlobal>

#include <memory>

class QFile;
class QNetworkAccessManager;
class QNetworkReply;

class QHttpDownLoad : public QObject {
  Q_OBJECT
public:
  // A transfer that receives nothing for this long is aborted (-2), in ms.
  static constexpr int kInactivityLimitMs = 30000;
  // Largest body accepted when the caller knows no size: 512 MiB. A body
  // that grows beyond the limit (or announces more) is aborted (-2).
  static constexpr qint64 kMaxTransferBytes = qint64(512) << 20;
  // A transfer that receives fewer than kMinBytesPerSecond on average over
  // any window of kSpeedWindowMs (counted in whole windows from its start)
  // fails like a stall (-2): a server that trickles a byte now and then
  // cannot hold the update (and the stopped application) for long.
  static constexpr qint64 kMinBytesPerSecond = 1024;
  static constexpr int kSpeedWindowMs = 30000;

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
  // the inactivity limit, a body beyond the size limit or an average speed
  // below the floor, a body shorter than its announced length, or one with
  // a Content-Encoding (only identity is asked for, so the bytes on the
  // wire are the file's). The file stays on disk in every case: complete on
  // success, partial or empty otherwise. Progress: 0 first, then
  // bytesReceived * 100 / bytesTotal when the total is known and positive;
  // 100 at a successful end.
  int downLoadFile(const QString& url, const QString& localPath);

  // Runs a local event loop, which the network manager's finished signal
  // quits, until the running transfer has finished; returns at once when
  // none runs. All events of the calling thread are processed meanwhile.
  void waitFinished();

  // Shortens or lengthens the inactivity limit for the next transfer, in ms
  // (> 0). Defaults to kInactivityLimitMs.
  void setInactivityLimit(int ms);
  // Most bytes the next transfer may bring (> 0); kMaxTransferBytes by default.
  void setMaxBytes(qint64 bytes);
  // The average-speed floor for the next transfer: at least `bytesPerSecond`
  // (>= 0; 0 switches it off) over every window of `windowMs` (> 0) ms.
  void setMinimumSpeed(qint64 bytesPerSecond, int windowMs);

signals:
  void downLoadProgress(QString name, double progress);

private slots:
  void readContent();
  void replyFinished(QNetworkReply* reply);
  void loadProgress(qint64 bytesReceived, qint64 bytesTotal);

private:
  void report(double progress);
  void checkSpeed();
  void abortTransfer();

  // The fields the transfer is built around. The file and the manager are
  // made anew for each transfer and owned here; the reply belongs to the
  // manager and is deleted through the event loop once it has finished.
  bool finished = true;
  int result = -1;
  QNetworkReply* reply = nullptr;
  std::unique_ptr<QFile> file;
  QString name;
  std::unique_ptr<QNetworkAccessManager> m_manager;

  QTimer m_idleTimer;   // single shot, restarted whenever data arrives
  QTimer m_speedTimer;  // fires once per speed window
  int m_inactivityLimitMs = kInactivityLimitMs;
  qint64 m_maxBytes = kMaxTransferBytes;
  qint64 m_minBytesPerSecond = kMinBytesPerSecond;
  int m_speedWindowMs = kSpeedWindowMs;
  qint64 m_received = 0;  // body bytes of this transfer so far
  qint64 m_receivedAtWindowStart = 0;
  bool m_writeFailed = false;
  bool m_timedOut = false;
  double m_lastReported = -1.0;
};
