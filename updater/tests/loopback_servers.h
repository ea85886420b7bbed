// HTTP servers on 127.0.0.1 with ephemeral ports, for the updater's tests:
// StockHttpServer runs Python's http.server over a folder in a child process
// for ordinary transfers; FaultServer answers in this thread with scripted
// responses, one script for every path or a list per path (error status,
// extra headers, missing Content-Length, a delayed, trickled, dropped,
// stalled or held-back body), and logs the requests. Both need the Qt
// application of qt_test_app.h.
#pragma once

#include "process_test_util.h"
#include "qt_test_app.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

namespace testsupport {

class StockHttpServer {
public:
  // Serves `rootFolder`; port() is 0 when the server did not come up. The
  // request log goes to `requestLog` when given.
  explicit StockHttpServer(const QString& rootFolder, const QString& requestLog = QString())
      : m_requestLog(requestLog) {
    qtTestApp();  // before the process, whose notifiers need the event machinery
    m_process.setStandardErrorFile(requestLog.isEmpty() ? QProcess::nullDevice() : requestLog);
    m_process.start("python3", {"-u", "-m", "http.server", "--bind", "127.0.0.1", "--directory",
                                rootFolder, "0"});
    // The server prints "Serving HTTP on 127.0.0.1 port N (...)" once bound.
    const QRegularExpression announce("port (\\d+)");
    QByteArray out;
    SignalWait([&] {
      out += m_process.readAllStandardOutput();
      const QRegularExpressionMatch m = announce.match(QString::fromLatin1(out));
      if (m.hasMatch()) m_port = static_cast<quint16>(m.captured(1).toUInt());
      return m_port != 0 || m_process.state() == QProcess::NotRunning;
    })
        .on(&m_process, &QProcess::readyReadStandardOutput)
        .on(&m_process, &QProcess::stateChanged)
        .wait(20000);
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
  Q_OBJECT
public:
  // What happens after the first part of the body has been sent.
  enum class Ending {
    Complete,  // send the rest and close
    Drop,      // close the connection, the rest never comes
    Stall,     // keep the connection open and send nothing more
    Hold,      // send the rest when release() is called, then close
    Trickle,   // send the rest one byte every trickleMs, then close
  };
  // One answer.
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

  // A complete answer with `status` and `body`.
  static Script reply(int status, const QByteArray& body) {
    Script script;
    script.status = status;
    script.reason = status >= 200 && status < 300 ? "OK" : "Error";
    script.body = body;
    return script;
  }
  // The head of an answer at once, its body only at release().
  static Script heldReply(int status, const QByteArray& body) {
    Script script = reply(status, body);
    script.firstPart = 0;
    script.ending = Ending::Hold;
    return script;
  }

  FaultServer() {
    connect(&m_server, &QTcpServer::newConnection, this, &FaultServer::accept);
    m_server.listen(QHostAddress::LocalHost, 0);
  }

  // The answer to every path without answers of its own; 200 with an empty
  // body until set.
  void setScript(const Script& script) { m_script = script; }
  // The answers to "/<path>" (as the request line has it), one per request
  // in turn; the last one repeats.
  void serve(const QByteArray& path, const QList<Script>& answers) { m_answers[path] = answers; }

  quint16 port() const { return m_server.serverPort(); }
  QString url(const QString& path) const {
    return QString("http://127.0.0.1:%1/%2").arg(port()).arg(path);
  }
  int connections() const { return m_connections; }
  // The paths asked for (without the leading "/"), in order of arrival.
  QList<QByteArray> requests() const { return m_requests; }
  // The head of the last request received (request line and headers).
  QByteArray lastRequest() const { return m_lastRequest; }

  // Sends the held-back rest of every body (Ending::Hold) and closes.
  void release() {
    for (const auto& held : std::exchange(m_held, {})) {
      if (held.first.isNull()) continue;
      held.first->write(held.second.body.mid(static_cast<int>(sentBytes(held.second))));
      held.first->flush();  // may run inside another socket's handler: push it out now
      held.first->disconnectFromHost();
    }
  }

signals:
  // A request head has arrived (and is in the log); emitted before it is
  // answered.
  void requestReceived();

private:
  static qint64 sentBytes(const Script& script) {
    return script.firstPart < 0 ? script.body.size()
                                : qMin(script.firstPart, qint64(script.body.size()));
  }

  void accept() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
      ++m_connections;
      connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onRequestData(socket); });
    }
  }

  // The script for the next request of `path`.
  Script scriptFor(const QByteArray& path) {
    const auto found = m_answers.find(path);
    if (found == m_answers.end() || found->isEmpty()) return m_script;
    return found->size() > 1 ? found->takeFirst() : found->front();
  }

  void onRequestData(QTcpSocket* socket) {
    QByteArray& pending = m_buffers[socket];
    pending += socket->readAll();
    const int end = pending.indexOf("\r\n\r\n");
    if (end < 0) return;
    m_lastRequest = pending.left(end);
    m_buffers.remove(socket);
    const QByteArray path = m_lastRequest.split(' ').value(1).mid(1);  // "GET /path HTTP/1.1"
    m_requests.append(path);
    const Script script = scriptFor(path);
    emit requestReceived();
    if (script.answer) respond(socket, script);
  }

  void respond(QTcpSocket* socket, const Script& script) {
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(script.status) + " " + script.reason + "\r\n";
    if (script.sendLength)
      head += "Content-Length: " + QByteArray::number(script.body.size()) + "\r\n";
    for (const QByteArray& h : script.headers) head += h + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    if (script.firstPartDelayMs > 0) {
      QPointer<QTcpSocket> guarded(socket);
      QTimer::singleShot(script.firstPartDelayMs, this, [this, guarded, script] {
        if (!guarded.isNull()) sendBody(guarded, script);
      });
    } else {
      sendBody(socket, script);
    }
  }

  void sendBody(QTcpSocket* socket, const Script& script) {
    socket->write(script.body.left(static_cast<int>(sentBytes(script))));
    switch (script.ending) {
      case Ending::Complete:
        socket->write(script.body.mid(static_cast<int>(sentBytes(script))));
        socket->disconnectFromHost();
        break;
      case Ending::Drop: socket->disconnectFromHost(); break;
      case Ending::Stall: break;
      case Ending::Hold: m_held.append({QPointer<QTcpSocket>(socket), script}); break;
      case Ending::Trickle: trickle(socket, script, sentBytes(script)); break;
    }
  }

  void trickle(QTcpSocket* socket, const Script& script, qint64 at) {
    QPointer<QTcpSocket> guarded(socket);
    QTimer::singleShot(script.trickleMs, this, [this, guarded, script, at] {
      if (guarded.isNull() || guarded->state() != QAbstractSocket::ConnectedState) return;
      if (at >= script.body.size()) {
        guarded->disconnectFromHost();
        return;
      }
      guarded->write(script.body.mid(static_cast<int>(at), 1));
      trickle(guarded, script, at + 1);
    });
  }

  QTcpServer m_server;
  Script m_script;
  QHash<QByteArray, QList<Script>> m_answers;
  int m_connections = 0;
  QList<QByteArray> m_requests;
  QByteArray m_lastRequest;
  QHash<QTcpSocket*, QByteArray> m_buffers;
  QList<QPair<QPointer<QTcpSocket>, Script>> m_held;
};

}  // namespace testsupport
