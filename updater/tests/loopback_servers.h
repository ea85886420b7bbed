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
      : m_requestLog(requestLog) {
    m_process.setStandardErrorFile(requestLog.isEmpty() ? QProcess::nullDevice() : requestLog);
    m_process.start("python3", {"-u", "-m", "http.server", "--bind", "127.0.0.1", "--directory",
                                rootFolder, "0"});
    if (!m_process.waitForStarted(10000)) return;
    // The server prints "Serving HTTP on 127.0.0.1 port N (...)" once bound.
    const QRegularExpression announce("port (\\d+)");
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000 && m_process.state() == QProcess::Running) {
      m_process.waitForReadyRead(200);
      out += m_process.readAllStandardOutput();
      const QRegularExpressionMatch m = announce.match(QString::fromLatin1(out));
      if (m.hasMatch()) {
        m_port = static_cast<quint16>(m.captured(1).toUInt());
        break;
      }
    }
  }
  ~StockHttpServer() {
    if (m_process.state() != QProcess::NotRunning) {
      m_process.kill();  // our own child, by its handle
      m_process.waitForFinished(5000);
    }
  }
  StockHttpServer(const StockHttpServer&) = delete;
  StockHttpServer& operator=(const StockHttpServer&) = delete;

  quint16 port() const { return m_port; }
  QString url(const QString& path) const {
    return QString("http://127.0.0.1:%1/%2").arg(m_port).arg(path);
  }

  // How often the request log shows a GET of "/<path>" answered with 200.
  int served(const QString& path) const {
    QFile log(m_requestLog);
    if (!log.open(QIODevice::ReadOnly)) return 0;
    return log.readAll().count("\"GET /" + path.toUtf8() + " HTTP/1.1\" 200");
  }

private:
  QString m_requestLog;
  QProcess m_process;
  quint16 m_port = 0;
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
    connect(&m_server, &QTcpServer::newConnection, this, &FaultServer::accept);
    m_server.listen(QHostAddress::LocalHost, 0);
  }

  void setScript(const Script& script) { m_script = script; }
  quint16 port() const { return m_server.serverPort(); }
  QString url(const QString& path) const {
    return QString("http://127.0.0.1:%1/%2").arg(port()).arg(path);
  }
  int connections() const { return m_connections; }
  // The head of the last request received (request line and headers).
  QByteArray lastRequest() const { return m_lastRequest; }

  // Sends the held-back rest of the body (Ending::Hold) and closes.
  void release() {
    if (m_held.isNull()) return;
    m_held->write(m_script.body.mid(static_cast<int>(sentBytes())));
    m_held->flush();  // may run inside another socket's handler: push it out now
    m_held->disconnectFromHost();
    m_held = nullptr;
  }

private:
  qint64 sentBytes() const {
    return m_script.firstPart < 0 ? m_script.body.size()
                                  : qMin(m_script.firstPart, qint64(m_script.body.size()));
  }

  void accept() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
      ++m_connections;
      connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onRequestData(socket); });
    }
  }

  void onRequestData(QTcpSocket* socket) {
    QByteArray& pending = m_buffers[socket];
    pending += socket->readAll();
    const int end = pending.indexOf("\r\n\r\n");
    if (end < 0) return;
    m_lastRequest = pending.left(end);
    m_buffers.remove(socket);
    if (m_script.answer) respond(socket);
  }

  void respond(QTcpSocket* socket) {
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(m_script.status) + " " + m_script.reason + "\r\n";
    if (m_script.sendLength)
      head += "Content-Length: " + QByteArray::number(m_script.body.size()) + "\r\n";
    for (const QByteArray& h : m_script.headers) head += h + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    if (m_script.firstPartDelayMs > 0) {
      QPointer<QTcpSocket> guarded(socket);
      QTimer::singleShot(m_script.firstPartDelayMs, this, [this, guarded] {
        if (!guarded.isNull()) sendBody(guarded);
      });
    } else {
      sendBody(socket);
    }
  }

  void sendBody(QTcpSocket* socket) {
    socket->write(m_script.body.left(static_cast<int>(sentBytes())));
    switch (m_script.ending) {
      case Ending::Complete:
        socket->write(m_script.body.mid(static_cast<int>(sentBytes())));
        socket->disconnectFromHost();
        break;
      case Ending::Drop: socket->disconnectFromHost(); break;
      case Ending::Stall: break;
      case Ending::Hold: m_held = socket; break;
      case Ending::Trickle: trickle(socket, sentBytes()); break;
    }
  }

  void trickle(QTcpSocket* socket, qint64 at) {
    QPointer<QTcpSocket> guarded(socket);
    QTimer::singleShot(m_script.trickleMs, this, [this, guarded, at] {
      if (guarded.isNull() || guarded->state() != QAbstractSocket::ConnectedState) return;
      if (at >= m_script.body.size()) {
        guarded->disconnectFromHost();
        return;
      }
      guarded->write(m_script.body.mid(static_cast<int>(at), 1));
      trickle(guarded, at + 1);
    });
  }

  QTcpServer m_server;
  Script m_script;
  int m_connections = 0;
  QByteArray m_lastRequest;
  QHash<QTcpSocket*, QByteArray> m_buffers;
  QPointer<QTcpSocket> m_held;
};

}  // namespace testsupport
