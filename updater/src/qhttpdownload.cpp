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

// How often waitFinished looks at the flag, in ms.
const int kPollIntervalMs = 10;
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

QHttpDownLoad::QHttpDownLoad(QObject* parent) : QObject(parent) {}

QHttpDownLoad::~QHttpDownLoad() { delete file; }

void QHttpDownLoad::setInactivityLimit(int ms) {
  if (ms > 0) inactivityLimitMs = ms;
}

void QHttpDownLoad::setMaxBytes(qint64 bytes) {
  if (bytes > 0) maxBytes = bytes;
}

void QHttpDownLoad::setMinimumSpeed(qint64 bytesPerSecond, int windowMs) {
  if (bytesPerSecond < 0 || windowMs <= 0) return;
  minBytesPerSecond = bytesPerSecond;
  speedWindowMs = windowMs;
}

void QHttpDownLoad::abortTransfer() {
  if (finished || reply == nullptr || reply->isFinished()) return;
  timedOut = true;
  reply->abort();
}

void QHttpDownLoad::checkSpeed() {
  const qint64 floor = minBytesPerSecond * speedWindowMs / 1000;
  if (received - receivedAtWindowStart < floor) abortTransfer();
  receivedAtWindowStart = received;
}

int QHttpDownLoad::downLoadFile(const QString& url, const QString& localPath) {
  finished = false;
  result = kFileError;
  writeFailed = false;
  timedOut = false;
  lastReported = -1.0;
  received = 0;
  receivedAtWindowStart = 0;
  delete file;
  file = new QFile(localPath);

  const QString folder = QFileInfo(localPath).absolutePath();
  if (!QDir(folder).exists()) QDir().mkpath(folder);
  // Unbuffered: each arrival goes straight to the file, and a refused write
  // is seen at once.
  if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
    finished = true;
    return kFileError;
  }
  name = QFileInfo(localPath).fileName();

  auto* manager = new QNetworkAccessManager(this);
  QT_WARNING_PUSH
  QT_WARNING_DISABLE_DEPRECATED
  manager->setNetworkAccessible(QNetworkAccessManager::Accessible);
  QT_WARNING_POP

  QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
  request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromLatin1(kUserAgent));
  reply = manager->get(request);
  reply->setReadBufferSize(kReadBufferBytes);
  report(0.0);

  connect(reply, &QNetworkReply::readyRead, this, &QHttpDownLoad::readContent);
  connect(reply, &QNetworkReply::downloadProgress, this, &QHttpDownLoad::loadProgress);
  connect(manager, &QNetworkAccessManager::finished, this, &QHttpDownLoad::replyFinished);

  // Abort a transfer that stays silent for the inactivity limit; every
  // arrival of data restarts the count.
  if (idleTimer == nullptr) {
    idleTimer = new QTimer(this);
    idleTimer->setSingleShot(true);
    connect(idleTimer, &QTimer::timeout, this, &QHttpDownLoad::abortTransfer);
  }
  idleTimer->start(inactivityLimitMs);
  if (speedTimer == nullptr) {
    speedTimer = new QTimer(this);
    connect(speedTimer, &QTimer::timeout, this, &QHttpDownLoad::checkSpeed);
  }
  if (minBytesPerSecond > 0) speedTimer->start(speedWindowMs);

  waitFinished();
  return result;
}

void QHttpDownLoad::waitFinished() {
  while (!finished) {
    QEventLoop loop;
    QTimer::singleShot(kPollIntervalMs, &loop, &QEventLoop::quit);
    loop.exec();
  }
}

void QHttpDownLoad::readContent() {
  if (reply == nullptr || file == nullptr || !reply->isOpen()) return;
  if (idleTimer != nullptr && !finished) idleTimer->start(inactivityLimitMs);
  const QByteArray data = reply->readAll();
  if (data.isEmpty() || writeFailed) return;
  received += data.size();
  if (received > maxBytes) {
    abortTransfer();  // nothing beyond the limit is written
    return;
  }
  if (file->write(data) != data.size()) {
    // The disk refused the data (full, gone): no point fetching the rest.
    writeFailed = true;
    reply->abort();
  }
}

void QHttpDownLoad::loadProgress(qint64 bytesReceived, qint64 bytesTotal) {
  if (idleTimer != nullptr && !finished) idleTimer->start(inactivityLimitMs);
  if (bytesTotal > maxBytes) abortTransfer();  // announced beyond the limit
  // Without a positive total there is no meaningful percentage; the end of
  // a successful transfer reports 100 instead.
  if (bytesTotal <= 0) return;
  report(static_cast<double>(bytesReceived) * 100.0 / static_cast<double>(bytesTotal));
}

void QHttpDownLoad::replyFinished(QNetworkReply* finishedReply) {
  if (finishedReply != reply) return;
  readContent();  // whatever is still buffered belongs to the file
  if (idleTimer != nullptr) idleTimer->stop();
  if (speedTimer != nullptr) speedTimer->stop();

  const bool networkOk = finishedReply->error() == QNetworkReply::NoError && !timedOut;
  const bool fileOk = !writeFailed && file->flush() && file->error() == QFileDevice::NoError;
  file->close();
  if (!fileOk) {
    result = kFileError;
  } else if (!networkOk || !statusIsSuccess(finishedReply)) {
    result = kNetworkError;
  } else {
    result = kSuccess;
    if (lastReported != 100.0) report(100.0);
  }
  finishedReply->deleteLater();
  reply = nullptr;
  finished = true;
}

void QHttpDownLoad::report(double progress) {
  lastReported = progress;
  emit downLoadProgress(name, progress);
}
