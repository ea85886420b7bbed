#include "qhttpdownload.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace {

const char* const kUserAgent =
    "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/65.0.3325.181 Safari/537.36";

// Bytes Qt may hold for the reply before it stops reading the socket. Every
// readyRead drains it to disk, so memory stays at this size whatever the
// file's size; unlimited (Qt's default) lets a fast server fill memory with
// the whole file before the event loop hands it over.
const qint64 kReadBufferBytes = 1 << 20;

// True for a reply that carries no HTTP status (another scheme) or a 2xx one.
// Redirects are not followed, so a 3xx answer is a failure, not the file.
bool statusIsSuccess(const QNetworkReply* reply) {
  const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (!status.isValid()) return true;
  const int code = status.toInt();
  return code >= 200 && code < 300;
}

}  // namespace

QHttpDownLoad::QHttpDownLoad(QObject* parent) : QObject(parent) {
  // Abort a transfer that stays silent for the inactivity limit; every
  // arrival of data restarts the count.
  m_idleTimer.setSingleShot(true);
  connect(&m_idleTimer, &QTimer::timeout, this, &QHttpDownLoad::abortTransfer);
  connect(&m_speedTimer, &QTimer::timeout, this, &QHttpDownLoad::checkSpeed);
}

// Out of line, where QFile and QNetworkAccessManager are complete types.
QHttpDownLoad::~QHttpDownLoad() = default;

void QHttpDownLoad::setInactivityLimit(int ms) {
  if (ms > 0) m_inactivityLimitMs = ms;
}

void QHttpDownLoad::setMaxBytes(qint64 bytes) {
  if (bytes > 0) m_maxBytes = bytes;
}

void QHttpDownLoad::setMinimumSpeed(qint64 bytesPerSecond, int windowMs) {
  if (bytesPerSecond < 0 || windowMs <= 0) return;
  m_minBytesPerSecond = bytesPerSecond;
  m_speedWindowMs = windowMs;
}

void QHttpDownLoad::abortTransfer() {
  if (finished || reply == nullptr || reply->isFinished()) return;
  m_timedOut = true;
  reply->abort();
}

void QHttpDownLoad::checkSpeed() {
  const qint64 floor = m_minBytesPerSecond * m_speedWindowMs / 1000;
  if (m_received - m_receivedAtWindowStart < floor) abortTransfer();
  m_receivedAtWindowStart = m_received;
}

int QHttpDownLoad::downLoadFile(const QString& url, const QString& localPath) {
  finished = false;
  result = kFileError;
  m_writeFailed = false;
  m_timedOut = false;
  m_lastReported = -1.0;
  m_received = 0;
  m_receivedAtWindowStart = 0;
  file = std::make_unique<QFile>(localPath);

  const QString folder = QFileInfo(localPath).absolutePath();
  if (!QDir(folder).exists()) QDir().mkpath(folder);
  // Unbuffered: each arrival goes straight to the file, and a refused write
  // is seen at once.
  if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
    finished = true;
    return kFileError;
  }
  name = QFileInfo(localPath).fileName();

  // A manager of the transfer's own; the previous one goes with the replies
  // it still held.
  m_manager = std::make_unique<QNetworkAccessManager>();
  QT_WARNING_PUSH
  QT_WARNING_DISABLE_DEPRECATED
  m_manager->setNetworkAccessible(QNetworkAccessManager::Accessible);
  QT_WARNING_POP

  QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
  request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromLatin1(kUserAgent));
  // The bytes on the wire are the file: asked for itself, Qt would offer
  // gzip and inflate each arrival whole before readyRead, past every byte
  // limit (a few megabytes of zeros become gigabytes), and a length
  // announced for an encoded body could not be checked.
  request.setRawHeader("Accept-Encoding", "identity");
  reply = m_manager->get(request);
  reply->setReadBufferSize(kReadBufferBytes);
  report(0.0);

  connect(reply, &QNetworkReply::readyRead, this, &QHttpDownLoad::readContent);
  connect(reply, &QNetworkReply::downloadProgress, this, &QHttpDownLoad::loadProgress);
  connect(m_manager.get(), &QNetworkAccessManager::finished, this, &QHttpDownLoad::replyFinished);

  m_idleTimer.start(m_inactivityLimitMs);
  if (m_minBytesPerSecond > 0) m_speedTimer.start(m_speedWindowMs);

  waitFinished();
  return result;
}

void QHttpDownLoad::waitFinished() {
  if (finished || m_manager == nullptr) return;
  // Connected after replyFinished, so the result is recorded when the loop
  // is told to quit. The transfer's own limits end a stalled one.
  QEventLoop loop;
  connect(m_manager.get(), &QNetworkAccessManager::finished, &loop, &QEventLoop::quit);
  while (!finished) {
    loop.exec();
    // A quit of the application ends every loop of its thread and keeps new
    // ones from running: the events are then taken as they come.
    if (!finished) loop.processEvents(QEventLoop::WaitForMoreEvents);
  }
}

void QHttpDownLoad::readContent() {
  if (reply == nullptr || file == nullptr || !reply->isOpen()) return;
  if (!finished) m_idleTimer.start(m_inactivityLimitMs);
  const QByteArray data = reply->readAll();
  if (data.isEmpty() || m_writeFailed) return;
  m_received += data.size();
  if (m_received > m_maxBytes) {
    abortTransfer();  // nothing beyond the limit is written
    return;
  }
  if (file->write(data) != data.size()) {
    // The disk refused the data (full, gone): no point fetching the rest.
    m_writeFailed = true;
    reply->abort();
  }
}

void QHttpDownLoad::loadProgress(qint64 bytesReceived, qint64 bytesTotal) {
  if (!finished) m_idleTimer.start(m_inactivityLimitMs);
  if (bytesTotal > m_maxBytes) abortTransfer();  // announced beyond the limit
  // Without a positive total there is no meaningful percentage; the end of
  // a successful transfer reports 100 instead.
  if (bytesTotal <= 0) return;
  report(static_cast<double>(bytesReceived) * 100.0 / static_cast<double>(bytesTotal));
}

void QHttpDownLoad::replyFinished(QNetworkReply* finishedReply) {
  if (finishedReply != reply) return;
  readContent();  // whatever is still buffered belongs to the file
  m_idleTimer.stop();
  m_speedTimer.stop();

  // A connection closed before the announced length can end the reply
  // without an error: the body is then short, a failure. A body encoded
  // although only identity was accepted is not the file either.
  const QVariant announced = finishedReply->header(QNetworkRequest::ContentLengthHeader);
  const QByteArray encoding = finishedReply->rawHeader("Content-Encoding").trimmed().toLower();
  const bool plainBody = encoding.isEmpty() || encoding == "identity";
  const bool shortBody = announced.isValid() && m_received < announced.toLongLong();
  const bool networkOk =
      finishedReply->error() == QNetworkReply::NoError && !m_timedOut && plainBody && !shortBody;
  const bool fileOk = !m_writeFailed && file->flush() && file->error() == QFileDevice::NoError;
  file->close();
  if (!fileOk) {
    result = kFileError;
  } else if (!networkOk || !statusIsSuccess(finishedReply)) {
    result = kNetworkError;
  } else {
    result = kSuccess;
    if (m_lastReported != 100.0) report(100.0);
  }
  finishedReply->deleteLater();
  reply = nullptr;
  finished = true;
}

void QHttpDownLoad::report(double progress) {
  m_lastReported = progress;
  emit downLoadProgress(name, progress);
}
