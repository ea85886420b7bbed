// unzipTo on archives made here: as Windows and Unix tools make them, with
// and without folder entries, with "UT" times, and hostile ones. Every test
// checks what lands in the target folder and that nothing lands beside it.
#include "archive.h"

#include "file_tree.h"
#include "qt_printers.h"
#include "zip_builder.h"

#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTextCodec>
#include <QTime>

#include <vector>

namespace {

using testsupport::readFileAt;
using testsupport::statOf;
using testsupport::treeOf;
using testsupport::unixEntry;
using testsupport::windowsEntry;
using testsupport::writeFileAt;
using testsupport::ZipEntrySpec;

qint64 localSeconds(int y, int mo, int d, int h, int mi, int s) {
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime).toSecsSinceEpoch();
}

QByteArray randomBytes(int size) {
  QByteArray data(size, '\0');
  QRandomGenerator gen(777);
  for (char& c : data) c = static_cast<char>(gen.bounded(256));
  return data;
}

// Layout: <root>/archives holds the archives, <root>/out/target is where
// they are extracted, <root>/elsewhere is a folder outside the target.
class ArchiveTest : public ::testing::Test {
protected:
  QString root() const { return QString::fromStdString(m_dir.str()); }
  QString target() const { return root() + "/out/target"; }
  QString elsewhere() const { return root() + "/elsewhere"; }

  QString makeZip(const char* name, const std::vector<ZipEntrySpec>& entries) {
    const QString path = root() + "/archives/" + name;
    QDir().mkpath(root() + "/archives");
    EXPECT_TRUE(testsupport::writeZip(path, entries)) << name;
    return path;
  }

  // Nothing but the target folder appeared beside the archives, and the
  // outside folder holds exactly `elsewhereTree`.
  void expectNothingOutside(const QStringList& elsewhereTree, const std::string& label) {
    const QStringList top = QDir(root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                   QDir::Hidden | QDir::System);
    for (const QString& name : top) {
      EXPECT_TRUE(name == "archives" || name == "out" || name == "elsewhere")
          << label << ": " << name.toStdString();
    }
    EXPECT_EQ(
        QDir(root() + "/out").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList{"target"})
        << label;
    EXPECT_EQ(treeOf(elsewhere()), elsewhereTree) << label;
  }

  testsupport::TempDir m_dir;
};

TEST_F(ArchiveTest, MadeOnWindows) {
  const QString zip = makeZip("win.zip", {
                                             windowsEntry("readme.txt", "read me\r\n"),
                                             windowsEntry("data\\", "", 0x10),
                                             windowsEntry("data\\m.dat", "model", 0x21),
                                             windowsEntry("bin\\x.dll", "dll bytes"),
                                         });
  ASSERT_TRUE(unzipTo(zip, target()));
  EXPECT_EQ(treeOf(target()),
            (QStringList{"bin/", "bin/x.dll", "data/", "data/m.dat", "readme.txt"}));
  // Times first: reading the files may move their access times.
  const qint64 stamp = localSeconds(2021, 6, 15, 10, 20, 30);
  EXPECT_EQ(statOf(target() + "/readme.txt").modified, stamp);
  EXPECT_EQ(statOf(target() + "/readme.txt").accessed, stamp);
  EXPECT_EQ(statOf(target() + "/data/m.dat").mode & 0222, 0);  // read-only entry
  EXPECT_NE(statOf(target() + "/readme.txt").mode & 0200, 0);
  EXPECT_EQ(readFileAt(target() + "/readme.txt"), "read me\r\n");
  EXPECT_EQ(readFileAt(target() + "/data/m.dat"), "model");
  EXPECT_EQ(readFileAt(target() + "/bin/x.dll"), "dll bytes");
  expectNothingOutside({}, "windows");
}

TEST_F(ArchiveTest, MadeOnUnixWithTimes) {
  const qint32 m = 1600000000, a = 1600000500;
  ZipEntrySpec tool = unixEntry("bin/tool", "#!/bin/sh\n", 0100755);
  tool.extra = testsupport::utBlock(1, {m});
  ZipEntrySpec lib = unixEntry("lib/libx.so", "ELF", 0100644);
  lib.extra = testsupport::utBlock(3, {m, a});
  const QString zip = makeZip("unix.zip", {
                                              unixEntry("bin/", "", 040755),
                                              tool,
                                              lib,
                                              unixEntry("suid", "s", 0104755),
                                              unixEntry("ro.txt", "r", 0100444),
                                              unixEntry("open.sh", "o", 0100777),
                                              unixEntry("shared.txt", "w", 0100666),
                                              unixEntry("sgid", "g", 0102775),
                                          });
  ASSERT_TRUE(unzipTo(zip, target()));
  EXPECT_EQ(treeOf(target()), (QStringList{"bin/", "bin/tool", "lib/", "lib/libx.so", "open.sh",
                                           "ro.txt", "sgid", "shared.txt", "suid"}));
  struct Row {
    const char* path;
    int mode;
  };
  // Never group or other write, never set-id: another local user must not
  // be able to change what is installed.
  for (const Row& row :
       {Row{"bin/tool", 0755}, Row{"lib/libx.so", 0644}, Row{"suid", 0755}, Row{"ro.txt", 0444},
        Row{"open.sh", 0755}, Row{"shared.txt", 0644}, Row{"sgid", 0755}}) {
    EXPECT_EQ(statOf(target() + "/" + row.path).mode, row.mode) << row.path;
  }
  EXPECT_EQ(statOf(target() + "/bin/tool").modified, m);
  EXPECT_EQ(statOf(target() + "/bin/tool").accessed, localSeconds(2021, 6, 15, 10, 20, 30));
  EXPECT_EQ(statOf(target() + "/lib/libx.so").modified, m);
  EXPECT_EQ(statOf(target() + "/lib/libx.so").accessed, a);
  expectNothingOutside({}, "unix");
}

TEST_F(ArchiveTest, SameTreeWithOrWithoutFolderEntries) {
  const std::vector<ZipEntrySpec> files = {
      windowsEntry("a/b/c.txt", "c"), windowsEntry("a/d.txt", "d"), windowsEntry("e.txt", "e")};
  std::vector<ZipEntrySpec> withFolders = {windowsEntry("a/", "", 0x10),
                                           windowsEntry("a/b/", "", 0x10)};
  withFolders.insert(withFolders.end(), files.begin(), files.end());
  // Folder entries known only by the trailing separator, as some tools write.
  std::vector<ZipEntrySpec> byName = {windowsEntry("a/", "", 0), windowsEntry("a\\b\\", "", 0)};
  byName.insert(byName.end(), files.begin(), files.end());
  const QStringList expected{"a/", "a/b/", "a/b/c.txt", "a/d.txt", "e.txt"};
  struct Row {
    const char* name;
    std::vector<ZipEntrySpec> entries;
  };
  for (const Row& row : {Row{"without folders", files}, Row{"with folder entries", withFolders},
                         Row{"folders by name only", byName}}) {
    QDir(target()).removeRecursively();
    ASSERT_TRUE(unzipTo(makeZip("t.zip", row.entries), target())) << row.name;
    EXPECT_EQ(treeOf(target()), expected) << row.name;
    EXPECT_EQ(readFileAt(target() + "/a/b/c.txt"), "c") << row.name;
    QFile::remove(root() + "/archives/t.zip");
  }
}

TEST_F(ArchiveTest, LargeEntriesInManyChunks) {
  const QByteArray data = randomBytes(100000);
  ZipEntrySpec stored = windowsEntry("stored.bin", data);
  stored.deflate = false;
  const QByteArray text = QByteArray("line of text\n").repeated(20000);
  const QString zip = makeZip(
      "big.zip", {windowsEntry("random.bin", data), stored, windowsEntry("text.txt", text)});
  ASSERT_TRUE(unzipTo(zip, target()));
  EXPECT_TRUE(readFileAt(target() + "/random.bin") == data);
  EXPECT_TRUE(readFileAt(target() + "/stored.bin") == data);
  EXPECT_TRUE(readFileAt(target() + "/text.txt") == text);
}

TEST_F(ArchiveTest, HostileNames) {
  struct Row {
    const char* label;
    std::vector<ZipEntrySpec> entries;
    bool result;
    QStringList landed;
  };
  ZipEntrySpec link = unixEntry("link", "../../elsewhere", 0120777);
  ZipEntrySpec absoluteLink = unixEntry("abs", "/etc", 0120777);
  const Row rows[] = {
      {"drive letter",
       {windowsEntry("C:\\Windows\\x.dll", "x")},
       true,
       {"Windows/", "Windows/x.dll"}},
      {"step inside the name", {windowsEntry("a/../c.txt", "c")}, true, {"c.txt"}},
      {"absolute path", {windowsEntry("/etc/x.conf", "x")}, true, {"etc/", "etc/x.conf"}},
      {"network path",
       {windowsEntry("\\\\server\\share\\f.txt", "f")},
       true,
       {"server/", "server/share/", "server/share/f.txt"}},
      {"backslash steps", {windowsEntry("..\\..\\x.txt", "x")}, true, {"x.txt"}},
      {"leading parent step", {windowsEntry("../b.txt", "b")}, false, {}},
      {"climbs after a folder", {windowsEntry("a/../../b.txt", "b")}, false, {}},
      {"leading backslash parent step", {windowsEntry("..\\b.txt", "b")}, false, {}},
      {"deep climb", {windowsEntry("sub/../../../../b.txt", "b")}, false, {}},
      {"drive letter behind a separator", {windowsEntry("/a:/../b.txt", "b")}, false, {}},
      {"parent step as folder entry", {windowsEntry("../evil/", "", 0x10)}, false, {}},
      {"relative link", {link}, false, {}},
      {"absolute link", {absoluteLink}, false, {}},
      {"link then a file through it", {link, windowsEntry("link/f.txt", "f")}, false, {}},
      {"stops at the first refused entry",
       {windowsEntry("good.txt", "g"), windowsEntry("../bad.txt", "b"),
        windowsEntry("after.txt", "a")},
       false,
       {"good.txt"}},
  };
  for (const Row& row : rows) {
    QDir(target()).removeRecursively();
    QDir().mkpath(elsewhere());
    const QString zip = makeZip("hostile.zip", row.entries);
    EXPECT_EQ(unzipTo(zip, target()), row.result) << row.label;
    EXPECT_EQ(treeOf(target()), row.landed) << row.label;
    expectNothingOutside({}, row.label);
    QFile::remove(zip);
  }
}

TEST_F(ArchiveTest, ExistingLinksInTheTargetAreNotFollowed) {
  QDir().mkpath(target());
  ASSERT_TRUE(writeFileAt(elsewhere() + "/victim.txt", "original"));
  ASSERT_TRUE(QFile::link(elsewhere(), target() + "/escape"));
  ASSERT_TRUE(QFile::link(elsewhere() + "/victim.txt", target() + "/victim"));
  struct Row {
    const char* label;
    ZipEntrySpec entry;
  };
  for (const Row& row : {Row{"file below a linked folder", windowsEntry("escape/f.txt", "f")},
                         Row{"folder below a linked folder", windowsEntry("escape/sub/", "", 0x10)},
                         Row{"file over a link", windowsEntry("victim", "overwritten")}}) {
    EXPECT_FALSE(unzipTo(makeZip("l.zip", {row.entry}), target())) << row.label;
    expectNothingOutside({"victim.txt"}, row.label);
    EXPECT_EQ(readFileAt(elsewhere() + "/victim.txt"), "original") << row.label;
    QFile::remove(root() + "/archives/l.zip");
  }
}

TEST_F(ArchiveTest, ExistingFiles) {
  ASSERT_TRUE(writeFileAt(target() + "/plain.txt", "old plain, longer than the new one"));
  ASSERT_TRUE(unzipTo(makeZip("a.zip", {windowsEntry("plain.txt", "new")}), target()));
  EXPECT_EQ(readFileAt(target() + "/plain.txt"), "new");

  ASSERT_TRUE(writeFileAt(target() + "/locked.txt", "old locked"));
  ASSERT_TRUE(QFile::setPermissions(target() + "/locked.txt", QFile::ReadOwner | QFile::ReadGroup));
  EXPECT_FALSE(unzipTo(makeZip("b.zip", {windowsEntry("locked.txt", "new")}), target()));
  EXPECT_EQ(readFileAt(target() + "/locked.txt"), "old locked");

  QDir().mkpath(target() + "/folder");
  EXPECT_FALSE(
      unzipTo(makeZip("c.zip", {windowsEntry("folder", "a file where a folder is")}), target()));
  EXPECT_TRUE(QFileInfo(target() + "/folder").isDir());
}

TEST_F(ArchiveTest, BrokenArchives) {
  const QString good = makeZip("good.zip", {windowsEntry("a.txt", randomBytes(5000)),
                                            windowsEntry("b.txt", randomBytes(5000))});
  const QByteArray bytes = readFileAt(good);
  const QString truncated = root() + "/archives/truncated.zip";
  ASSERT_TRUE(writeFileAt(truncated, bytes.left(bytes.size() / 2)));
  const QString notZip = root() + "/archives/text.zip";
  ASSERT_TRUE(writeFileAt(notZip, "this is not an archive"));
  struct Row {
    const char* label;
    QString archive;
  };
  for (const Row& row :
       {Row{"missing", root() + "/archives/absent.zip"}, Row{"truncated", truncated},
        Row{"not a zip", notZip}, Row{"empty path", QString()}}) {
    EXPECT_FALSE(unzipTo(row.archive, target())) << row.label;
    EXPECT_TRUE(treeOf(target()).isEmpty()) << row.label;
  }
  // No target folder at all: refused rather than written anywhere.
  const QString cwd = QDir::currentPath();
  const QStringList before = QDir(cwd).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  const QString probe = makeZip("probe.zip", {windowsEntry("gk-unzip-probe.txt", "p")});
  EXPECT_FALSE(unzipTo(probe, QString()));
  EXPECT_EQ(QDir(cwd).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
  EXPECT_FALSE(QFileInfo::exists("/gk-unzip-probe.txt"));
}

TEST_F(ArchiveTest, CorruptEntryData) {
  const QByteArray compressible = QByteArray("0123456789abcdef").repeated(4000);
  ZipEntrySpec storedBad = windowsEntry("stored.bin", compressible);
  storedBad.deflate = false;
  struct Row {
    const char* label;
    ZipEntrySpec bad;
  };
  for (const Row& row : {Row{"deflated", windowsEntry("bad.bin", compressible)},
                         Row{"stored, checksum mismatch", storedBad}}) {
    QDir(target()).removeRecursively();
    const QString zip = makeZip("corrupt.zip", {windowsEntry("ok.txt", "fine"), row.bad});
    QByteArray bytes = readFileAt(zip);
    const int data = testsupport::entryDataOffset(bytes, 1);
    ASSERT_GT(data, 0) << row.label;
    for (int i = 0; i < 8; ++i) bytes[data + 10 + i] = static_cast<char>(~bytes[data + 10 + i]);
    ASSERT_TRUE(writeFileAt(zip, bytes));
    EXPECT_FALSE(unzipTo(zip, target())) << row.label;
    EXPECT_EQ(treeOf(target()), QStringList{"ok.txt"}) << row.label;  // no partial file left
    EXPECT_EQ(readFileAt(target() + "/ok.txt"), "fine") << row.label;
    QFile::remove(zip);
  }
}

TEST_F(ArchiveTest, EntryNameEncodings) {
  ZipEntrySpec flagged = windowsEntry("\xc3\xbc/\xc3\x9f.txt", "u");
  flagged.utf8Flag = true;
  ASSERT_TRUE(unzipTo(makeZip("u1.zip", {flagged}), target() + "/flagged"));
  EXPECT_EQ(readFileAt(target() + QString::fromUtf8("/flagged/\xc3\xbc/\xc3\x9f.txt")), "u");
  ASSERT_TRUE(unzipTo(makeZip("u2.zip", {windowsEntry("\xc3\xa9t\xc3\xa9.txt", "e")}),
                      target() + "/unflagged"));
  EXPECT_EQ(readFileAt(target() + QString::fromUtf8("/unflagged/\xc3\xa9t\xc3\xa9.txt")), "e");
  // Not UTF-8: decoded through the locale; it still lands, once, inside.
  ASSERT_TRUE(unzipTo(makeZip("u3.zip", {windowsEntry("caf\xe9.txt", "c")}), target() + "/legacy"));
  const QStringList legacy = treeOf(target() + "/legacy");
  ASSERT_EQ(legacy.size(), 1);
  EXPECT_TRUE(legacy[0].startsWith("caf") && legacy[0].endsWith(".txt")) << legacy[0].toStdString();
  // Legacy names under a UTF-8 locale (which the program sets): two names
  // that differ land as two files, neither replacing the other.
  QTextCodec* const locale = QTextCodec::codecForLocale();
  QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
  const bool unpacked = unzipTo(makeZip("u4.zip", {windowsEntry("\xc4\xe3.txt", "you"),
                                                   windowsEntry("\xba\xc3.txt", "good")}),
                                target() + "/gbk");
  QTextCodec::setCodecForLocale(locale);
  ASSERT_TRUE(unpacked);
  QStringList contents;
  for (const QString& name : treeOf(target() + "/gbk"))
    contents << QString::fromLatin1(readFileAt(target() + "/gbk/" + name));
  contents.sort();
  EXPECT_EQ(contents, QStringList({"good", "you"}));
  expectNothingOutside({}, "encodings");
}

// Entries nest at most kMaxPathParts names deep, so that what is unpacked
// can always be removed again.
TEST_F(ArchiveTest, EntriesNestedTooDeepAreRefused) {
  QString deepest;
  for (int i = 1; i < ArchiveLimits::kMaxPathParts; ++i) deepest += "d/";
  ASSERT_TRUE(unzipTo(makeZip("fits.zip", {windowsEntry((deepest + "f.txt").toUtf8(), "f")}),
                      target() + "/a"));
  EXPECT_EQ(readFileAt(target() + "/a/" + deepest + "f.txt"), "f");
  EXPECT_FALSE(
      unzipTo(makeZip("deep.zip", {windowsEntry(("d/" + deepest + "f.txt").toUtf8(), "f")}),
              target() + "/b"));
  EXPECT_FALSE(QFileInfo::exists(target() + "/b/d")) << "refused before any folder is made";
}

// An archive made by Info-ZIP's zip from real files: its "UT" blocks and
// Unix modes come through, and a stored symbolic link is refused.
TEST_F(ArchiveTest, MadeByInfoZip) {
  if (QStandardPaths::findExecutable("zip").isEmpty()) GTEST_SKIP() << "zip not installed";
  const QString src = root() + "/src";
  ASSERT_TRUE(writeFileAt(src + "/bin/tool", "#!/bin/sh\necho hi\n"));
  ASSERT_TRUE(writeFileAt(src + "/doc/readme.txt", "readme"));
  ASSERT_TRUE(QFile::setPermissions(
      src + "/bin/tool", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                             QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
  struct Times {
    const char* path;
    qint64 modified;
  };
  const Times times[] = {{"bin/tool", 1600000000}, {"doc/readme.txt", 1500000000}};
  for (const Times& t : times) {
    QFile f(src + "/" + t.path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::fromSecsSinceEpoch(t.modified, Qt::UTC),
                              QFileDevice::FileModificationTime));
  }
  QDir().mkpath(root() + "/archives");
  const QString zip = root() + "/archives/infozip.zip";
  QProcess p;
  p.setWorkingDirectory(src);
  p.start("zip", {"-q", "-r", zip, "bin", "doc"});
  ASSERT_TRUE(p.waitForFinished(30000) && p.exitCode() == 0);
  ASSERT_TRUE(unzipTo(zip, target()));
  EXPECT_EQ(treeOf(target()), (QStringList{"bin/", "bin/tool", "doc/", "doc/readme.txt"}));
  for (const Times& t : times)
    EXPECT_EQ(statOf(target() + "/" + t.path).modified, t.modified) << t.path;
  EXPECT_EQ(statOf(target() + "/bin/tool").mode, 0755);

  ASSERT_TRUE(QFile::link("/etc/hostname", src + "/hostlink"));
  const QString linkZip = root() + "/archives/links.zip";
  p.start("zip", {"-q", "-y", linkZip, "hostlink"});
  ASSERT_TRUE(p.waitForFinished(30000) && p.exitCode() == 0);
  EXPECT_FALSE(unzipTo(linkZip, target() + "/links"));
  EXPECT_TRUE(treeOf(target() + "/links").isEmpty());
}

}  // namespace
