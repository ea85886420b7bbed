// HTTP servers on 127.0.0.1 with ephemeral ports, for downloader tests:
// StockHttpServer runs Python's http.server over a folder in a child process;
// FaultServer answers in this thread with a scripted response (error status,
// missing Content-Length, a body cut short, stalled or held back until the
// test releases it). Both need the Qt application of qt_test_app.h.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace testsupport {

class StockHttpServer {
public:
  // Serves `rootFolder`; port() is 0 when the server did not come up. The
  // request log goes to `requestLog` when given.
  explicit StockHttpServer(const QString& rootFolder, const QString& requestLog = QString())
      : requestLog_(requestLog) {
    process_.setStandardErrorFile(requestLog.isEmpty() ? QProcess::nullDevice() : requestLog);
    process_.start("python3", {"-u", "-m", "http.server", "--bind", "127.0.0.1", "--directory",
                               rootFolder, "0"});
    if (!process_.waitForStarted(10000)) return;
    // The server prints "Serving HTTP on 127.0.0.1 port N (...)" once bound.
    const QRegularExpression announce("port (\\d+)");
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000 && process_.state() == QProcess::Running) {
      process_.waitForReadyRead(200);
      out += process_.readAllStandardOutput();
      const QRegularExpressionMatch m = announce.match(QString::fromLatin1(out));
      if (m.hasMatch()) {
        port_ = static_cast<quint16>(m.captured(1).toUInt());
        break;
      }
    }
  }
  ~StockHttpServer() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();  // our own child, by its handle
      process_.waitForFinished(5000);
    }
  }
  StockHttpServer(const StockHttpServer&) = delete;
  StockHttpServer& operator=(const StockHttpServer&) = delete;

  quint16 port() const { return port_; }
  QString url(const QString& path) const {
    return QString("http://127.0.0.1:%1/%2").arg(port_).arg(path);
  }

  // How often the request log shows a GET of "/<path>" answered with 200.
  int served(const QString& path) const {
    QFile log(requestLog_);
    if (!log.open(QIODevice::ReadOnly)) return 0;
    return log.readAll().count("\"GET /" + path.toUtf8() + " HTTP/1.1\" 200");
  }

private:
  QString requestLog_;
  QProcess process_;
  quint16 port_ = 0;
};

class FaultServer : public QObject {
public:
  // What happens after the first part of the body has been sent.
  enum class Ending {
    Complete,  // send the rest and close
    Drop,      // close the connection, the rest never comes
    Stall,     // keep the connection open and send nothing more
    Hold,      // send the rest when release() is called, then close
    Trickle,   // send the rest one byte every trickleMs, then close
  };
  struct Script {
    int status = 200;
    QByteArray reason = "OK";
    QByteArray body;
    bool sendLength = true;  // Content-Length header with the full body size
    qint64 firstPart = -1;   // bytes sent at once; -1: the whole body
    Ending ending = Ending::Complete;
    int firstPartDelayMs = 0;   // pause between the head and the first part
    bool answer = true;         // false: read the request, never answer
    QList<QByteArray> headers;  // further header lines, without CRLF
    int trickleMs = 100;        // Ending::Trickle: pause between bytes
  };

  FaultServer() {
    connect(&server_, &QTcpServer::newConnection, this, &FaultServer::accept);
    server_.listen(QHostAddress::LocalHost, 0);
  }

  void setScript(const Script& script) { script_ = script; }
  quint16 port() const { return server_.serverPort(); }
  QString url(const QString& path) const {
    return QString("http://127.0.0.1:%1/%2").arg(port()).arg(path);
  }
  int connections() const { return connections_; }
  // The head of the last request received (request line and headers).
  QByteArray lastRequest() const { return lastRequest_; }

  // Sends the held-back rest of the body (Ending::Hold) and closes.
  void release() {
    if (held_.isNull()) return;
    held_->write(script_.body.mid(static_cast<int>(sentBytes())));
    held_->flush();  // may run inside another socket's handler: push it out now
    held_->disconnectFromHost();
    held_ = nullptr;
  }

private:
  qint64 sentBytes() const {
    return script_.firstPart < 0 ? script_.body.size()
                                 : qMin(script_.firstPart, qint64(script_.body.size()));
  }

  void accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      ++connections_;
      connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onRequestData(socket); });
    }
  }

  void onRequestData(QTcpSocket* socket) {
    QByteArray& pending = buffers_[socket];
    pending += socket->readAll();
    const int end = pending.indexOf("\r\n\r\n");
    if (end < 0) return;
    lastRequest_ = pending.left(end);
    buffers_.remove(socket);
    if (script_.answer) respond(socket);
  }

  void respond(QTcpSocket* socket) {
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(script_.status) + " " + script_.reason + "\r\n";
    if (script_.sendLength)
      head += "Content-Length: " + QByteArray::number(script_.body.size()) + "\r\n";
    for (const QByteArray& h : script_.headers) head += h + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    if (script_.firstPartDelayMs > 0) {
      QPointer<QTcpSocket> guarded(socket);
      QTimer::singleShot(script_.firstPartDelayMs, this, [this, guarded] {
        if (!guarded.isNull()) sendBody(guarded);
      });
    } else {
      sendBody(socket);
    }
  }

  void sendBody(QTcpSocket* socket) {
    socket->write(script_.body.left(static_cast<int>(sentBytes())));
    switch (script_.ending) {
      case Ending::Complete:
        socket->write(script_.body.mid(static_cast<int>(sentBytes())));
        socket->disconnectFromHost();
        break;
      case Ending::Drop: socket->disconnectFromHost(); break;
      case Ending::Stall: break;
      case Ending::Hold: held_ = socket; break;
      case Ending::Trickle: trickle(socket, sentBytes()); break;
    }
  }

  void trickle(QTcpSocket* socket, qint64 at) {
    QPointer<QTcpSocket> guarded(socket);
    QTimer::singleShot(script_.trickleMs, this, [this, guarded, at] {
      if (guarded.isNull() || guarded->state() != QAbstractSocket::ConnectedState) return;
      if (at >= script_.body.size()) {
        guarded->disconnectFromHost();
        return;
      }
      guarded->write(script_.body.mid(static_cast<int>(at), 1));
      trickle(guarded, at + 1);
    });
  }

  QTcpServer server_;
  Script script_;
  int connections_ = 0;
  QByteArray lastRequest_;
  QHash<QTcpSocket*, QByteArray> buffers_;
  QPointer<QTcpSocket> held_;
};

}  // namespace testsupport
