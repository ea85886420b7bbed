// QHttpDownLoad against real servers on 127.0.0.1: Python's http.server for
// ordinary transfers, FaultServer for errors, stalls and dropped connections.
#include "qhttpdownload.h"

#include "loopback_servers.h"
#include "qt_printers.h"
#include "qt_test_app.h"

#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>

#include <cmath>
#include <vector>

namespace {

using testsupport::FaultServer;

const char* const kUserAgentLine =
    "User-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/65.0.3325.181 Safari/537.36";

struct Report {
  QString name;
  double progress;
};

// Records every progress report of `d`, optionally running `onReport` too.
std::vector<Report>* recordProgress(QHttpDownLoad& d, std::vector<Report>& out,
                                    std::function<void(double)> onReport = nullptr) {
  QObject::connect(&d, &QHttpDownLoad::downLoadProgress, [&out, onReport](QString name, double p) {
    out.push_back({name, p});
    if (onReport) onReport(p);
  });
  return &out;
}

// Progress reports are well formed: 0 first, all finite, within [0, 100],
// never falling, all for `name`; 100 last when `completed`. (A failed
// transfer may reach 100 too: an error page is received in full.)
void expectProgressShape(const std::vector<Report>& reports, const QString& name, bool completed,
                         const std::string& label) {
  ASSERT_FALSE(reports.empty()) << label;
  EXPECT_EQ(reports.front().progress, 0.0) << label;
  double last = 0.0;
  for (const Report& r : reports) {
    EXPECT_EQ(r.name, name) << label;
    EXPECT_TRUE(std::isfinite(r.progress)) << label;
    EXPECT_GE(r.progress, last) << label;
    EXPECT_LE(r.progress, 100.0) << label;
    last = r.progress;
  }
  if (completed) {
    EXPECT_EQ(reports.back().progress, 100.0) << label;
  }
}

QByteArray randomBytes(int size) {
  QByteArray data(size, '\0');
  auto* words = reinterpret_cast<quint32*>(data.data());
  QRandomGenerator gen(12345);
  gen.fillRange(words, static_cast<qsizetype>(size / 4));
  return data;
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& data) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(data);
}

class DownloadTest : public ::testing::Test {
protected:
  void SetUp() override { testsupport::qtTestApp(); }
  QString root() const { return QString::fromStdString(m_dir.str()); }
  testsupport::TempDir m_dir;
};

TEST_F(DownloadTest, SmallFileIntoFoldersThatDoNotExistYet) {
  const QByteArray content = "version 2 of the file\n";
  writeFile(root() + "/www/bin/small.txt", content);
  testsupport::StockHttpServer server(root() + "/www");
  ASSERT_NE(server.port(), 0);

  const QString target = root() + "/work/a/b/small.txt";
  QHttpDownLoad d;
  std::vector<Report> reports;
  recordProgress(d, reports);
  EXPECT_EQ(d.downLoadFile(server.url("bin/small.txt"), target), 0);
  EXPECT_EQ(readAll(target), content);
  expectProgressShape(reports, "small.txt", true, "small");
}

TEST_F(DownloadTest, LargeFileIsWrittenAsItArrives) {
  const int size = 40 * 1024 * 1024;
  const QByteArray content = randomBytes(size);
  writeFile(root() + "/www/big.bin", content);
  testsupport::StockHttpServer server(root() + "/www");
  ASSERT_NE(server.port(), 0);

  const QString target = root() + "/work/big.bin";
  QHttpDownLoad d;
  std::vector<Report> reports;
  // At each report the data counted so far is already in the file; the
  // 1 MiB slack allows for one arrival reported just before it is written.
  qint64 worstLag = 0;
  recordProgress(d, reports, [&](double p) {
    const qint64 expected = static_cast<qint64>(p / 100.0 * size);
    worstLag = qMax(worstLag, expected - QFileInfo(target).size());
  });
  EXPECT_EQ(d.downLoadFile(server.url("big.bin"), target), 0);
  EXPECT_LT(worstLag, 1024 * 1024);
  EXPECT_GE(reports.size(), 2u);
  expectProgressShape(reports, "big.bin", true, "large");
  const QByteArray got = readAll(target);
  EXPECT_EQ(got.size(), size);
  EXPECT_TRUE(got == content);
}

TEST_F(DownloadTest, MissingFileOnStockServer) {
  QDir().mkpath(root() + "/www");
  testsupport::StockHttpServer server(root() + "/www");
  ASSERT_NE(server.port(), 0);
  const QString target = root() + "/work/absent.dll";
  QHttpDownLoad d;
  std::vector<Report> reports;
  recordProgress(d, reports);
  EXPECT_EQ(d.downLoadFile(server.url("absent.dll"), target), -2);
  EXPECT_TRUE(QFileInfo::exists(target));
  expectProgressShape(reports, "absent.dll", false, "404");
}

TEST_F(DownloadTest, ExistingTargetIsTruncated) {
  writeFile(root() + "/www/short.txt", "short");
  const QString target = root() + "/work/short.txt";
  writeFile(target, QByteArray(10000, 'x'));
  testsupport::StockHttpServer server(root() + "/www");
  ASSERT_NE(server.port(), 0);
  QHttpDownLoad d;
  EXPECT_EQ(d.downLoadFile(server.url("short.txt"), target), 0);
  EXPECT_EQ(readAll(target), "short");
}

TEST_F(DownloadTest, WorksInAThreadWithoutItsOwnEventLoop) {
  const QByteArray content = randomBytes(300000);
  writeFile(root() + "/www/t.bin", content);
  testsupport::StockHttpServer server(root() + "/www");
  ASSERT_NE(server.port(), 0);
  const QString target = root() + "/work/t.bin";
  int result = 1;
  int reports = 0;
  QThread* thread = QThread::create([&] {
    QHttpDownLoad d;
    QObject::connect(&d, &QHttpDownLoad::downLoadProgress, [&reports] { ++reports; });
    result = d.downLoadFile(server.url("t.bin"), target);
  });
  QEventLoop loop;
  QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
  thread->start();
  loop.exec();
  thread->wait();
  delete thread;
  EXPECT_EQ(result, 0);
  EXPECT_GE(reports, 2);
  EXPECT_TRUE(readAll(target) == content);
}

TEST_F(DownloadTest, ScriptedAnswers) {
  using Ending = FaultServer::Ending;
  const QByteArray body4k = randomBytes(4000);
  struct Row {
    const char* name;
    FaultServer::Script script;
    int result;
    QByteArray file;  // expected content of the target afterwards
  };
  auto script = [](int status, const char* reason, QByteArray body) {
    FaultServer::Script s;
    s.status = status;
    s.reason = reason;
    s.body = body;
    return s;
  };
  FaultServer::Script noLength = script(200, "OK", body4k);
  noLength.sendLength = false;
  FaultServer::Script dropped = script(200, "OK", body4k);
  dropped.firstPart = 1000;
  dropped.ending = Ending::Drop;
  FaultServer::Script stalled = dropped;
  stalled.ending = Ending::Stall;
  FaultServer::Script silent = script(200, "OK", body4k);
  silent.answer = false;
  FaultServer::Script redirect = script(301, "Moved Permanently", "<a href=/x>moved</a>");
  redirect.headers << "Location: /elsewhere";

  const Row rows[] = {
      {"complete with length", script(200, "OK", body4k), 0, body4k},
      {"no Content-Length", noLength, 0, body4k},
      {"zero length", script(200, "OK", ""), 0, ""},
      {"no content status", script(204, "No Content", ""), 0, ""},
      {"404 keeps the error body", script(404, "Not Found", "not here"), -2, "not here"},
      {"500", script(500, "Internal Server Error", "boom"), -2, "boom"},
      {"redirect is not the file", redirect, -2, "<a href=/x>moved</a>"},
      {"dropped mid-body", dropped, -2, body4k.left(1000)},
      {"stalled mid-body", stalled, -2, body4k.left(1000)},
      {"no answer at all", silent, -2, ""},
  };
  for (const Row& row : rows) {
    FaultServer server;
    ASSERT_NE(server.port(), 0);
    server.setScript(row.script);
    const QString target = root() + "/work/" + row.name + "/f.bin";
    QHttpDownLoad d;
    d.setInactivityLimit(300);
    std::vector<Report> reports;
    recordProgress(d, reports);
    EXPECT_EQ(d.downLoadFile(server.url("f.bin"), target), row.result) << row.name;
    EXPECT_TRUE(readAll(target) == row.file) << row.name;
    expectProgressShape(reports, "f.bin", row.result == 0, row.name);
  }
}

// A server that announces 4,096 bytes, sends 1,000 and closes: whether Qt
// reports the closed connection or ends the reply quietly, the body is
// short and the transfer a failure.
TEST_F(DownloadTest, ABodyShorterThanItsAnnouncedLengthFails) {
  const QByteArray body(1000, 'x');
  for (const char* length : {"4096", "1001"}) {
    FaultServer server;
    ASSERT_NE(server.port(), 0);
    FaultServer::Script script = FaultServer::reply(200, body);
    script.sendLength = false;
    script.headers << QByteArray("Content-Length: ") + length;
    server.setScript(script);
    const QString target = root() + "/work/short-" + length + "/f.bin";
    QHttpDownLoad d;
    d.setInactivityLimit(300);
    EXPECT_EQ(d.downLoadFile(server.url("f.bin"), target), QHttpDownLoad::kNetworkError) << length;
  }
}

TEST_F(DownloadTest, QuarterOfTheBodyReportsTwentyFive) {
  FaultServer server;
  FaultServer::Script s;
  s.body = randomBytes(4000);
  s.firstPart = 1000;
  // Qt reports progress at most every 100 ms; the pause makes the first
  // part arrive after that, so its report is not folded into a later one.
  s.firstPartDelayMs = 250;
  s.ending = FaultServer::Ending::Hold;
  server.setScript(s);
  QHttpDownLoad d;
  std::vector<Report> reports;
  const QString target = root() + "/q.bin";
  qint64 onDiskAtQuarter = -1;
  // The rest of the body is sent only once a quarter has been reported.
  recordProgress(d, reports, [&](double p) {
    if (p < 25.0 || onDiskAtQuarter >= 0) return;
    onDiskAtQuarter = QFileInfo(target).size();
    server.release();
  });
  EXPECT_EQ(d.downLoadFile(server.url("q.bin"), target), 0);
  EXPECT_TRUE(readAll(target) == s.body);
  EXPECT_EQ(onDiskAtQuarter, 1000);  // what arrived is already in the file
  ASSERT_GE(reports.size(), 3u);
  EXPECT_EQ(reports[0].progress, 0.0);
  EXPECT_EQ(reports[1].progress, 25.0);
  expectProgressShape(reports, "q.bin", true, "quarter");
}

TEST_F(DownloadTest, RequestIsAPlainGetWithTheFixedUserAgent) {
  FaultServer server;
  FaultServer::Script s;
  s.body = "x";
  server.setScript(s);
  QHttpDownLoad d;
  EXPECT_EQ(d.downLoadFile(server.url("dir/file name.bin"), root() + "/ua.bin"), 0);
  const QByteArray request = server.lastRequest();
  EXPECT_TRUE(request.startsWith("GET /dir/file%20name.bin HTTP/1.1\r\n")) << request.constData();
  EXPECT_TRUE(request.contains(QByteArray("\r\n") + kUserAgentLine + "\r\n"))
      << request.constData();
  // Only the bytes themselves: an encoding offered would be inflated whole
  // before any byte limit could see it.
  EXPECT_TRUE(request.contains("\r\nAccept-Encoding: identity\r\n")) << request.constData();
}

// A body sent with a Content-Encoding is not the file, complete or cut
// short; identity is the file itself.
TEST_F(DownloadTest, AnEncodedBodyIsNotTheFile) {
  // gzip of "version 2 of the list\n" fifty times (1,100 bytes), 53 bytes.
  const QByteArray gzip = QByteArray::fromHex(
      "1f8b08000000000002032b4b2d2acecccf533052c84f5328c94855c8c92c2ee12a1b151d151d151d"
      "152549140019da8a164c040000");
  ASSERT_EQ(gzip.size(), 53);
  struct Row {
    const char* name;
    const char* encoding;
    qint64 firstPart;  // bytes sent before the connection drops; -1: all
    int result;
  };
  for (const Row& row : {Row{"gzip", "gzip", -1, QHttpDownLoad::kNetworkError},
                         Row{"gzip cut short", "gzip", 20, QHttpDownLoad::kNetworkError},
                         Row{"deflate", "deflate", -1, QHttpDownLoad::kNetworkError},
                         Row{"identity", "identity", -1, QHttpDownLoad::kSuccess}}) {
    FaultServer server;
    ASSERT_NE(server.port(), 0);
    FaultServer::Script script = FaultServer::reply(200, gzip);
    script.headers << QByteArray("Content-Encoding: ") + row.encoding;
    script.firstPart = row.firstPart;
    script.ending = row.firstPart < 0 ? FaultServer::Ending::Complete : FaultServer::Ending::Drop;
    server.setScript(script);
    const QString target = root() + "/work/" + row.name + "/f.xml";
    QHttpDownLoad d;
    d.setInactivityLimit(300);
    EXPECT_EQ(d.downLoadFile(server.url("f.xml"), target), row.result) << row.name;
    if (row.result == QHttpDownLoad::kSuccess) {
      EXPECT_TRUE(readAll(target) == gzip) << row.name;
    }
    EXPECT_FALSE(readAll(target).contains("version 2")) << row.name << ": never inflated";
  }
}

TEST_F(DownloadTest, TargetThatCannotBeOpenedMakesNoRequest) {
  FaultServer server;
  writeFile(root() + "/plainfile", "I am a file, not a folder");
  QHttpDownLoad d;
  std::vector<Report> reports;
  recordProgress(d, reports);
  EXPECT_EQ(d.downLoadFile(server.url("f.bin"), root() + "/plainfile/sub/f.bin"), -1);
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(server.connections(), 0);
  EXPECT_EQ(readAll(root() + "/plainfile"), "I am a file, not a folder");
}

TEST_F(DownloadTest, FailedWriteIsNotSuccess) {
  if (!QFileInfo::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  FaultServer server;
  FaultServer::Script s;
  s.body = randomBytes(200000);
  server.setScript(s);
  QHttpDownLoad d;
  EXPECT_EQ(d.downLoadFile(server.url("f.bin"), "/dev/full"), -1);
}

TEST_F(DownloadTest, ClosedPortIsANetworkError) {
  quint16 port = 0;
  {
    QTcpServer probe;  // an ephemeral port that is free again afterwards
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    port = probe.serverPort();
  }
  const QString target = root() + "/refused.bin";
  QHttpDownLoad d;
  EXPECT_EQ(d.downLoadFile(QString("http://127.0.0.1:%1/f.bin").arg(port), target), -2);
  EXPECT_TRUE(QFileInfo::exists(target));
  EXPECT_EQ(QFileInfo(target).size(), 0);
}

TEST_F(DownloadTest, InstanceCanBeReusedAfterAFailure) {
  FaultServer server;
  FaultServer::Script fail;
  fail.status = 500;
  fail.reason = "Internal Server Error";
  server.setScript(fail);
  QHttpDownLoad d;
  const QString target = root() + "/again.bin";
  EXPECT_EQ(d.downLoadFile(server.url("f.bin"), target), -2);
  FaultServer::Script ok;
  ok.body = "second attempt";
  server.setScript(ok);
  EXPECT_EQ(d.downLoadFile(server.url("f.bin"), target), 0);
  EXPECT_EQ(readAll(target), "second attempt");
}

// The wait ends on the transfer's own end: a request to quit the
// application (which ends every event loop of the thread) arriving while
// the body is held back neither ends the transfer nor loses its result.
TEST_F(DownloadTest, AnApplicationQuitDuringTheTransferDoesNotEndTheWait) {
  FaultServer server;
  FaultServer::Script s;
  s.body = randomBytes(3000);
  s.firstPart = 1000;
  s.ending = FaultServer::Ending::Hold;
  server.setScript(s);
  QObject::connect(&server, &FaultServer::requestReceived, &server, [&server] {
    QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    QTimer::singleShot(200, &server, [&server] { server.release(); });
  });
  QHttpDownLoad d;
  const QString target = root() + "/quit.bin";
  EXPECT_EQ(d.downLoadFile(server.url("quit.bin"), target), 0);
  EXPECT_TRUE(readAll(target) == s.body);
  d.waitFinished();  // no transfer runs: returns at once
}

}  // namespace
