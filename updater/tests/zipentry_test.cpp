// Name cleaning, path splitting, attributes by host and entry times.
#include "zipentry.h"

#include "qt_printers.h"
#include "zip_builder.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QTextCodec>
#include <QTime>

namespace {

using testsupport::utBlock;

TEST(CleanEntryNameTest, Rules) {
  struct Row {
    const char* name;
    const char* cleaned;
  };
  const Row rows[] = {
      {"plain.txt", "plain.txt"},
      {"bin/x.dll", "bin/x.dll"},
      {"C:\\Windows\\x.dll", "Windows\\x.dll"},
      {"c:/x.dll", "x.dll"},
      {"/etc/passwd", "etc/passwd"},
      {"\\\\server\\share\\f.txt", "server\\share\\f.txt"},
      {"///a", "a"},
      {"a/../c.txt", "c.txt"},
      {"a\\..\\c.txt", "c.txt"},
      {"a\\../c.txt", "c.txt"},
      {"a/..\\c.txt", "c.txt"},
      {"a/b/../../../c.txt", "c.txt"},
      {"..\\..\\x.txt", "x.txt"},
      {"./../b.txt", "b.txt"},
      {"C:/../x", "../x"},  // the leading "/" goes before the step test
      {"D:C:x", "x"},
      // After each change the rules start again from the drive letter, so
      // the drive goes before a later step is looked for.
      {"/a:/../b", "../b"},
      {"\\a:\\..\\b", "..\\b"},
      {"../b.txt", "../b.txt"},       // survives; refused by entryPathParts
      {"a/../../b.txt", "../b.txt"},  // likewise
      {"..\\b.txt", "..\\b.txt"},
      {"a..b/c..d", "a..b/c..d"},
      {"", ""},
      {"C:", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(cleanEntryName(row.name), QString(row.cleaned)) << row.name;
  }
}

TEST(EntryPathPartsTest, SplitsAndRefusesParentSteps) {
  struct Row {
    const char* name;
    bool ok;
    const char* parts;  // joined with "|"
  };
  const Row rows[] = {
      {"a/b/c.txt", true, "a|b|c.txt"},
      {"a\\b\\c.txt", true, "a|b|c.txt"},
      {"a//b/./c.txt", true, "a|b|c.txt"},
      {"dir/", true, "dir"},
      {"", true, ""},
      {".", true, ""},
      {"../b.txt", false, ""},
      {"..\\b.txt", false, ""},
      {"a/..", false, ""},
      {"..", false, ""},
      {"a..b/..c", true, "a..b|..c"},
  };
  for (const Row& row : rows) {
    QStringList parts{"stale"};
    EXPECT_EQ(entryPathParts(row.name, parts), row.ok) << row.name;
    EXPECT_EQ(parts.join('|'), QString(row.parts)) << row.name;
  }
  QStringList parts;
  EXPECT_FALSE(entryPathParts(QString("a") + QChar(0) + "b", parts));
}

TEST(EntryAttributesTest, ByHost) {
  struct Row {
    const char* name;
    quint32 madeBy;
    quint32 external;
    bool directory, readOnly, hidden, system, archive, symlink;
    int unixMode;
  };
  const quint32 dos = 0x0014, ntfs = 0x0b14, vfat = 0x0e14, host7 = 0x0714;
  const quint32 unix = 0x031e, macos = 0x1314;
  const Row rows[] = {
      {"dos plain", dos, 0x00, false, false, false, false, false, false, -1},
      {"dos read-only", dos, 0x01, false, true, false, false, false, false, -1},
      {"dos hidden system archive", dos, 0x26, false, false, true, true, true, false, -1},
      {"dos folder", dos, 0x10, true, false, false, false, false, false, -1},
      {"ntfs read-only", ntfs, 0x21, false, true, false, false, true, false, -1},
      {"vfat folder", vfat, 0x10, true, false, false, false, false, false, -1},
      {"host 7 uses dos bits", host7, 0x01, false, true, false, false, false, false, -1},
      {"dos ignores upper bits", dos, (0120777u << 16), false, false, false, false, false, false,
       -1},
      {"unix file 0644", unix, 0100644u << 16, false, false, false, false, true, false, 0644},
      {"unix executable", unix, 0100755u << 16, false, false, false, false, true, false, 0755},
      {"unix set-id dropped", unix, 0106755u << 16, false, false, false, false, true, false, 0755},
      {"unix read-only", unix, 0100444u << 16, false, true, false, false, true, false, 0444},
      {"unix folder", unix, (040755u << 16) | 0x10, true, false, false, false, true, false, 0755},
      {"unix link", unix, 0120777u << 16, false, false, false, false, true, true, 0777},
      {"unix without mode", unix, 0x00, false, false, false, false, true, false, -1},
      {"unix without mode, dos folder bit", unix, 0x10, true, false, false, false, true, false, -1},
      {"macos read-only, no mode kept", macos, 0100444u << 16, false, true, false, false, true,
       false, -1},
      {"macos link", macos, 0120755u << 16, false, false, false, false, true, true, -1},
  };
  for (const Row& row : rows) {
    const ZipEntryAttributes a = entryAttributes(row.madeBy, row.external);
    EXPECT_EQ(a.directory, row.directory) << row.name;
    EXPECT_EQ(a.readOnly, row.readOnly) << row.name;
    EXPECT_EQ(a.hidden, row.hidden) << row.name;
    EXPECT_EQ(a.system, row.system) << row.name;
    EXPECT_EQ(a.archive, row.archive) << row.name;
    EXPECT_EQ(a.symlink, row.symlink) << row.name;
    EXPECT_EQ(a.unixMode, row.unixMode) << row.name;
  }
}

// DOS date and time fields packed as in a zip header.
quint32 dosStamp(int y, int mo, int d, int h, int mi, int s) {
  const quint32 date = static_cast<quint32>(((y - 1980) << 9) | (mo << 5) | d);
  const quint32 time = static_cast<quint32>((h << 11) | (mi << 5) | (s / 2));
  return (date << 16) | time;
}

qint64 localSeconds(int y, int mo, int d, int h, int mi, int s) {
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime).toSecsSinceEpoch();
}

TEST(EntryTimesTest, DosStampAndUnixTimeBlock) {
  const quint32 stamp = dosStamp(2021, 6, 15, 10, 20, 30);
  const qint64 dos = localSeconds(2021, 6, 15, 10, 20, 30);
  const qint32 m = 1600000000, a = 1600000100, c = 1500000000;
  QByteArray otherBlock("\x0a\x00\x04\x00wxyz", 8);  // tag 0x000a, 4 bytes
  struct Row {
    const char* name;
    QByteArray extra;
    qint64 modification, access, creation;
  };
  const Row rows[] = {
      {"no extra field", {}, dos, dos, dos},
      {"modification only", utBlock(1, {m}), m, dos, dos},
      {"modification and access", utBlock(3, {m, a}), m, a, dos},
      {"all three, in order", utBlock(7, {m, a, c}), m, a, c},
      {"access only", utBlock(2, {a}), dos, a, dos},
      {"creation only", utBlock(4, {c}), dos, dos, c},
      {"flags promise more than the block holds", utBlock(7, {m}), m, dos, dos},
      {"flag byte only", utBlock(1, {}), dos, dos, dos},
      {"after another block", otherBlock + utBlock(1, {m}), m, dos, dos},
      {"negative time", utBlock(1, {-86400}), -86400, dos, dos},
      {"block longer than the field", utBlock(1, {m}).left(7), dos, dos, dos},
      {"truncated block header", QByteArray("UT\x05", 3), dos, dos, dos},
  };
  for (const Row& row : rows) {
    const FileTimes t = entryTimes(stamp, row.extra);
    EXPECT_EQ(t.modification, row.modification) << row.name;
    EXPECT_EQ(t.access, row.access) << row.name;
    EXPECT_EQ(t.creation, row.creation) << row.name;
  }
}

TEST(EntryTimesTest, DosStampsAsLocalTime) {
  struct Row {
    int y, mo, d, h, mi, s;
  };
  const Row rows[] = {{1980, 1, 1, 0, 0, 0},
                      {1999, 12, 31, 23, 59, 58},
                      {2024, 2, 29, 12, 0, 2},
                      {2107, 12, 31, 23, 59, 58}};
  for (const Row& r : rows) {
    EXPECT_EQ(entryTimes(dosStamp(r.y, r.mo, r.d, r.h, r.mi, r.s), {}).modification,
              localSeconds(r.y, r.mo, r.d, r.h, r.mi, r.s))
        << r.y << "-" << r.mo << "-" << r.d;
  }
  // Impossible stamps still give a defined time.
  EXPECT_EQ(entryTimes(0, {}).modification, localSeconds(1980, 1, 1, 0, 0, 0));
}

TEST(DecodeEntryNameTest, Encodings) {
  const QString umlauts = QString::fromUtf8("\xc3\xbc/\xc3\x9f.txt");
  EXPECT_EQ(decodeEntryName("\xc3\xbc/\xc3\x9f.txt", true), umlauts);
  EXPECT_EQ(decodeEntryName("\xc3\xbc/\xc3\x9f.txt", false), umlauts);  // valid UTF-8
  EXPECT_EQ(decodeEntryName("plain/name.txt", false), "plain/name.txt");
  // Not valid in a UTF-8 locale: read as Latin-1, so that it stays apart
  // from other such names.
  QTextCodec* const locale = QTextCodec::codecForLocale();
  QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
  EXPECT_EQ(decodeEntryName("caf\xe9.txt", false), QString::fromUtf8("caf\xc3\xa9.txt"));
  EXPECT_NE(decodeEntryName("\xc4\xe3.txt", false), decodeEntryName("\xba\xc3.txt", false));
  QTextCodec::setCodecForLocale(locale);
  const QString longName(400, 'n');
  EXPECT_EQ(decodeEntryName(longName.toLatin1(), false), longName);  // never cut
}

}  // namespace
