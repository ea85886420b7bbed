// The updater's limits against hostile input, each shortened through its
// setter: transfer size and average speed, archive entry count, unpacked
// size and ratio, list size and nesting depth, and the capped retry count.
#include "archive.h"
#include "file_tree.h"
#include "loopback_servers.h"
#include "qhttpdownload.h"
#include "qt_printers.h"
#include "qt_test_app.h"
#include "updatelist.h"
#include "updatesettings.h"
#include "zip_builder.h"

#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <vector>

namespace {

using testsupport::FaultServer;
using testsupport::treeOf;
using testsupport::windowsEntry;

QString rootOf(const testsupport::TempDir& dir) { return QString::fromStdString(dir.str()); }

// Restores the default archive limits when it goes.
struct ArchiveLimitsScope {
  explicit ArchiveLimitsScope(const ArchiveLimits& limits) { setArchiveLimits(limits); }
  ~ArchiveLimitsScope() { setArchiveLimits(ArchiveLimits()); }
};

struct ListLimitsScope {
  explicit ListLimitsScope(const UpdateListLimits& limits) { setUpdateListLimits(limits); }
  ~ListLimitsScope() { setUpdateListLimits(UpdateListLimits()); }
};

}  // namespace

class TransferLimitTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_NE(testsupport::qtTestApp(), nullptr); }
  testsupport::TempDir dir;
  QString target = rootOf(dir) + "/out.bin";
};

// A body beyond the limit fails and nothing beyond the limit is written,
// whether the server says its length or not; a body at the limit passes.
TEST_F(TransferLimitTest, BodiesBeyondTheSizeLimitFail) {
  struct Row {
    const char* what;
    int bodySize;
    bool sendLength;
    int expected;
  };
  const Row rows[] = {
      {"endless body without a length", 300000, false, QHttpDownLoad::kNetworkError},
      {"announced beyond the limit", 300000, true, QHttpDownLoad::kNetworkError},
      {"exactly at the limit", 4096, false, QHttpDownLoad::kSuccess},
  };
  for (const Row& row : rows) {
    FaultServer server;
    FaultServer::Script script;
    script.body = QByteArray(row.bodySize, 'x');
    script.sendLength = row.sendLength;
    server.setScript(script);
    QHttpDownLoad d;
    d.setMaxBytes(4096);
    EXPECT_EQ(d.downLoadFile(server.url("f"), target), row.expected) << row.what;
    EXPECT_LE(QFileInfo(target).size(), 4096) << row.what;
  }
}

// One byte every 100 ms is no stall (data keeps coming) but averages far
// below the floor: the transfer fails at the end of its first window.
TEST_F(TransferLimitTest, ATrickleBelowTheMinimumAverageSpeedFails) {
  FaultServer server;
  FaultServer::Script script;
  script.body = QByteArray(1000, 'y');
  script.firstPart = 1;
  script.ending = FaultServer::Ending::Trickle;
  script.trickleMs = 100;
  server.setScript(script);
  QHttpDownLoad d;
  d.setMinimumSpeed(100, 1000);  // 100 bytes/s over 1 s windows; the trickle brings ~10
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(d.downLoadFile(server.url("f"), target), QHttpDownLoad::kNetworkError);
  EXPECT_LT(clock.elapsed(), 60000) << "hang guard: the 1000-byte trickle would take 100 s";
  EXPECT_LT(QFileInfo(target).size(), 1000);
}

TEST_F(TransferLimitTest, AFastEnoughTransferPassesTheSpeedFloor) {
  FaultServer server;
  FaultServer::Script script;
  script.body = QByteArray(20, 'z');
  script.firstPart = 1;
  script.ending = FaultServer::Ending::Trickle;
  script.trickleMs = 20;  // ~50 bytes/s
  server.setScript(script);
  QHttpDownLoad d;
  d.setMinimumSpeed(10, 200);  // at least 2 bytes per 200 ms window
  EXPECT_EQ(d.downLoadFile(server.url("f"), target), QHttpDownLoad::kSuccess);
  EXPECT_EQ(QFileInfo(target).size(), 20);
}

TEST(TransferLimits, DefaultsAreStated) {
  EXPECT_EQ(QHttpDownLoad::kMaxTransferBytes, qint64(512) << 20);
  EXPECT_EQ(QHttpDownLoad::kMinBytesPerSecond * QHttpDownLoad::kSpeedWindowMs / 1000, 30720)
      << "at least 30 KiB per 30 s window";
  EXPECT_EQ(UpdateSettings::kMaxConnectCount, 10);
}

class ArchiveLimitTest : public ::testing::Test {
protected:
  QString zip(const std::vector<testsupport::ZipEntrySpec>& entries) {
    const QString path = rootOf(dir) + "/a.zip";
    QFile::remove(path);
    EXPECT_TRUE(testsupport::writeZip(path, entries));
    return path;
  }
  QString target() const { return rootOf(dir) + "/out"; }
  testsupport::TempDir dir;
};

TEST_F(ArchiveLimitTest, TooManyEntriesFailBeforeAnyIsWritten) {
  ArchiveLimits limits;
  limits.maxEntries = 3;
  ArchiveLimitsScope scope(limits);
  const QString four = zip({windowsEntry("1", "a"), windowsEntry("2", "b"), windowsEntry("3", "c"),
                            windowsEntry("4", "d")});
  EXPECT_FALSE(unzipTo(four, target()));
  EXPECT_EQ(treeOf(target()), QStringList());
  const QString three =
      zip({windowsEntry("1", "a"), windowsEntry("2", "b"), windowsEntry("3", "c")});
  EXPECT_TRUE(unzipTo(three, target()));
  EXPECT_EQ(treeOf(target()), QStringList({"1", "2", "3"}));
}

// A bomb: little archive, much data. It fails on the ratio, on the total,
// and on what really comes out even when the directory understates it.
TEST_F(ArchiveLimitTest, UnpackedSizeAndRatioAreBounded) {
  const QByteArray zeros(400000, '\0');  // deflates to well under 1 KiB
  struct Row {
    const char* what;
    qint64 maxUnpacked, ratio, ratioFree;
    bool ok;
  };
  const Row rows[] = {
      {"within every limit", 1 << 20, 1000, 1 << 20, true},
      {"ratio beyond the limit", 1 << 20, 10, 1000, false},
      {"total beyond the limit", 100000, 100000, 1 << 20, false},
  };
  for (const Row& row : rows) {
    ArchiveLimits limits;
    limits.maxUnpackedBytes = row.maxUnpacked;
    limits.maxRatio = row.ratio;
    limits.ratioFreeBytes = row.ratioFree;
    ArchiveLimitsScope scope(limits);
    QDir(target()).removeRecursively();
    EXPECT_EQ(unzipTo(zip({windowsEntry("zeros.bin", zeros)}), target()), row.ok) << row.what;
    EXPECT_EQ(QFileInfo::exists(target() + "/zeros.bin"), row.ok)
        << row.what << ": no partial file";
  }
}

TEST_F(ArchiveLimitTest, UnderstatedSizesAreCaughtWhileInflating) {
  const QByteArray data(200000, 'q');
  QString path = zip({windowsEntry("big.bin", data)});
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QByteArray bytes = f.readAll();
  f.close();
  // Rewrite the uncompressed size (offset 22 in the local header, 24 in the
  // central one) to 10 bytes.
  const int local = bytes.indexOf(QByteArray("PK\x03\x04", 4));
  const int central = bytes.indexOf(QByteArray("PK\x01\x02", 4));
  ASSERT_GE(local, 0);
  ASSERT_GE(central, 0);
  const char ten[4] = {10, 0, 0, 0};
  bytes.replace(local + 22, 4, ten, 4);
  bytes.replace(central + 24, 4, ten, 4);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
  f.close();
  ArchiveLimits limits;
  limits.maxUnpackedBytes = 100000;
  ArchiveLimitsScope scope(limits);
  EXPECT_FALSE(unzipTo(path, target()));
  EXPECT_FALSE(QFileInfo::exists(target() + "/big.bin"));
}

TEST(ArchiveLimits, BudgetFollowsTheRatioBetweenItsBounds) {
  ArchiveLimits limits;
  limits.maxUnpackedBytes = 10000;
  limits.maxRatio = 10;
  limits.ratioFreeBytes = 100;
  EXPECT_EQ(limits.budgetFor(50), 500);
  EXPECT_EQ(limits.budgetFor(5), 100) << "small archives get the ratio-free amount";
  EXPECT_EQ(limits.budgetFor(5000), 10000) << "never beyond the total";
  EXPECT_EQ(limits.budgetFor(qint64(1) << 62), 10000) << "no overflow";
}

// The list checks run before the DOM parser: a deep nesting that would
// overflow its stack and an oversized file are refused without parsing.
TEST(UpdateListLimitsTest, DeepAndLargeListsAreRefusedBeforeParsing) {
  const int depth = 50000;
  QByteArray deep = "<update><files><file path=\"a\" ver=\"1\"/>";
  for (int i = 0; i < depth; ++i) deep += "<x>";
  for (int i = 0; i < depth; ++i) deep += "</x>";
  deep += "</files></update>";
  UpdateList list;
  EXPECT_FALSE(parseUpdateListBytes(deep, list));
  EXPECT_TRUE(list.isEmpty());

  const QByteArray ok = "<update><files><file path=\"a\" ver=\"1\"/></files></update>";
  UpdateListLimits limits;
  limits.maxBytes = ok.size();
  limits.maxDepth = 3;
  ListLimitsScope scope(limits);
  EXPECT_TRUE(parseUpdateListBytes(ok, list));
  EXPECT_FALSE(parseUpdateListBytes(ok + " ", list)) << "one byte over the size limit";
  EXPECT_FALSE(parseUpdateListBytes(
      "<update><files><file path=\"a\" ver=\"1\"><y/></file></files></update>", list))
      << "one level too deep";

  testsupport::TempDir dir;
  const QString path = rootOf(dir) + "/list.xml";
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(ok + QByteArray(100, ' '));
  f.close();
  EXPECT_FALSE(parseUpdateList(path, list)) << "a file beyond the limit";
}

TEST(UpdateListLimitsTest, RootAndItemAttributesOfSignedLists) {
  UpdateList list;
  UpdateListInfo info;
  ASSERT_TRUE(
      parseUpdateListBytes("<update version=\"12\" expires=\"2030-05-06T07:08:09Z\"><files>"
                           "<file path=\"a\" ver=\"1\" size=\"42\" sha256=\" AB12 \"/>"
                           "<file path=\"b\" ver=\"1\" size=\"-3\"/></files></update>",
                           list, &info));
  EXPECT_EQ(info.version, 12);
  EXPECT_EQ(info.expires, QDateTime(QDate(2030, 5, 6), QTime(7, 8, 9), Qt::UTC));
  ASSERT_EQ(list.size(), 2);
  EXPECT_EQ(list[0].size, 42);
  EXPECT_EQ(list[0].sha256, "AB12");
  EXPECT_EQ(list[1].size, -1) << "a negative size is no size";
  ASSERT_TRUE(parseUpdateListBytes(
      "<update version=\"x\"><files><file path=\"a\" ver=\"1\"/></files></update>", list, &info));
  EXPECT_EQ(info.version, -1);
  EXPECT_FALSE(info.expires.isValid());
}

// Many items on both sides: every changed one is found, in server order.
TEST(UpdateListLimitsTest, ComparingLargeListsFindsExactlyTheChangedItems) {
  const int n = 40000;
  UpdateList local, remote, changed;
  for (int i = 0; i < n; ++i) {
    UpdateItem item;
    item.path = QString("f%1").arg(i);
    item.ver = "1";
    local.append(item);
    if (i % 1000 == 7) item.ver = "2";
    remote.append(item);
  }
  ASSERT_TRUE(findChangedItems(local, remote, changed));
  ASSERT_EQ(changed.size(), n / 1000);
  for (int k = 0; k < changed.size(); ++k)
    EXPECT_EQ(changed[k].path, QString("f%1").arg(k * 1000 + 7));
}

TEST(CheckItemDigestTest, SizeAndSha256) {
  testsupport::TempDir dir;
  const QString path = rootOf(dir) + "/f";
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("abc");
  f.close();
  const QString sha = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  UpdateItem item;
  EXPECT_TRUE(checkItemDigest(item, path, false)) << "nothing given: nothing to check";
  EXPECT_FALSE(checkItemDigest(item, path, true)) << "a signed list must give both";
  item.size = 3;
  item.sha256 = sha.toUpper();
  EXPECT_TRUE(checkItemDigest(item, path, true));
  item.size = 4;
  EXPECT_FALSE(checkItemDigest(item, path, false));
  item.size = 3;
  item.sha256[0] = 'C';
  EXPECT_FALSE(checkItemDigest(item, path, false));
}
