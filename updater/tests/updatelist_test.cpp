// parseUpdateList, findChangedItems and checkItemMd5.
#include "updatelist.h"

#include "qt_printers.h"

#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>

#include <initializer_list>

namespace {

QString writeFile(const testsupport::TempDir& dir, const QString& name, const QByteArray& text) {
  const QString path = QString::fromStdString(dir.str()) + "/" + name;
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(text);
  return path;
}

UpdateItem item(const char* path, const char* ver, int type = 0, const char* md5 = "") {
  UpdateItem i;
  i.type = type;
  i.ver = ver;
  i.path = path;
  i.md5 = md5;
  return i;
}

// The paths of `list`, in order, joined with ",".
std::string paths(const UpdateList& list) {
  QStringList out;
  for (const UpdateItem& i : list) out << i.path;
  return out.join(',').toStdString();
}

TEST(ParseUpdateListTest, ReadsItemsInFileOrder) {
  testsupport::TempDir dir;
  const QString path =
      writeFile(dir, "filelist.xml",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<update>\n"
                " <files>\n"
                "  <file ver=\"1.0.2\" path=\"Carrack.exe\" md5=\"ABC\" type=\"0\"/>\n"
                "  <item ver=\"3\" path=\"Data/Model.zip\"/>\n"
                "  <setup ver=\"7\" path=\"setup.exe\" type=\"1\"/>\n"
                " </files>\n"
                "</update>\n");
  UpdateList list;
  ASSERT_TRUE(parseUpdateList(path, list));
  ASSERT_EQ(list.size(), 3);
  EXPECT_EQ(paths(list), "Carrack.exe,Data/Model.zip,setup.exe");
  EXPECT_EQ(list[0].ver, "1.0.2");
  EXPECT_EQ(list[0].md5, "ABC");
  EXPECT_EQ(list[0].type, 0);
  EXPECT_EQ(list[1].ver, "3");
  EXPECT_TRUE(list[1].md5.isEmpty());
  EXPECT_EQ(list[1].type, 0);
  EXPECT_EQ(list[2].type, 1);
}

TEST(ParseUpdateListTest, SkipsNodesWithoutPathOrVersion) {
  testsupport::TempDir dir;
  const QString path = writeFile(dir, "l.xml",
                                 "<root><files>\n"
                                 "  <!-- a comment -->\n"
                                 "  some text\n"
                                 "  <f ver=\"\" path=\"empty-ver.dll\"/>\n"
                                 "  <f ver=\"1\" path=\"\"/>\n"
                                 "  <f path=\"no-ver.dll\"/>\n"
                                 "  <f ver=\"1\"/>\n"
                                 "  <f ver=\"2\" path=\"good.dll\" type=\"abc\"/>\n"
                                 "  <f ver=\"2\" path=\"neg.dll\" type=\"-4\"/>\n"
                                 "</files></root>");
  UpdateList list;
  ASSERT_TRUE(parseUpdateList(path, list));
  EXPECT_EQ(paths(list), "good.dll,neg.dll");
  EXPECT_EQ(list[0].type, 0);  // not a number
  EXPECT_EQ(list[1].type, -4);
}

TEST(ParseUpdateListTest, OnlyTheFirstFilesElementCounts) {
  testsupport::TempDir dir;
  const QString path = writeFile(dir, "l.xml",
                                 "<any><other><f ver=\"1\" path=\"nested.dll\"/></other>"
                                 "<files><f ver=\"1\" path=\"first.dll\"/></files>"
                                 "<files><f ver=\"1\" path=\"second.dll\"/></files></any>");
  UpdateList list;
  ASSERT_TRUE(parseUpdateList(path, list));
  EXPECT_EQ(paths(list), "first.dll");
}

TEST(ParseUpdateListTest, FailuresLeaveAnEmptyList) {
  struct Row {
    const char* name;
    const char* text;  // nullptr: no file at all
  };
  const Row rows[] = {
      {"missing file", nullptr},
      {"malformed xml", "<root><files><f ver=\"1\" path=\"a\"></files>"},
      {"not xml", "just text"},
      {"empty file", ""},
      {"no files element", "<root><f ver=\"1\" path=\"a.dll\"/></root>"},
      {"files nested deeper", "<root><x><files><f ver=\"1\" path=\"a.dll\"/></files></x></root>"},
      {"files without items", "<root><files/></root>"},
      {"only unusable items", "<root><files><f ver=\"1\"/></files></root>"},
  };
  for (const Row& row : rows) {
    testsupport::TempDir dir;
    const QString path = row.text ? writeFile(dir, "l.xml", row.text)
                                  : QString::fromStdString(dir.str()) + "/absent.xml";
    UpdateList list{item("stale", "1")};
    EXPECT_FALSE(parseUpdateList(path, list)) << row.name;
    EXPECT_TRUE(list.isEmpty()) << row.name;
  }
  UpdateList list{item("stale", "1")};
  EXPECT_FALSE(parseUpdateList(QString(), list));
  EXPECT_TRUE(list.isEmpty());
}

TEST(ParseUpdateListTest, EncodingDeclaredByTheDocument) {
  testsupport::TempDir dir;
  QByteArray text =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r><files>"
      "<f ver=\"1\" path=\"caf\xe9.txt\"/></files></r>";
  UpdateList list;
  ASSERT_TRUE(parseUpdateList(writeFile(dir, "l.xml", text), list));
  EXPECT_EQ(list[0].path, QString::fromUtf8("caf\xc3\xa9.txt"));
}

TEST(FindChangedItemsTest, Cases) {
  struct Row {
    const char* name;
    UpdateList local;
    UpdateList remote;
    bool result;
    const char* changed;  // paths, in order
  };
  const Row rows[] = {
      {"no local list: everything, in server order",
       {},
       {item("c.dll", "1"), item("a.dll", "1"), item("b.dll", "1")},
       true,
       "c.dll,a.dll,b.dll"},
      {"same path and version: not fetched",
       {item("a.dll", "1.0")},
       {item("a.dll", "1.0")},
       false,
       ""},
      {"newer version", {item("a.dll", "1.0.1")}, {item("a.dll", "1.0.2")}, true, "a.dll"},
      {"versions have no order",
       {item("a.dll", "1.0.10")},
       {item("a.dll", "1.0.9")},
       true,
       "a.dll"},
      {"version case matters", {item("a.dll", "1.0a")}, {item("a.dll", "1.0A")}, true, "a.dll"},
      {"path case matters", {item("A.dll", "1")}, {item("a.dll", "1")}, true, "a.dll"},
      {"empty remote list", {item("a.dll", "1")}, {}, false, ""},
      {"both empty", {}, {}, false, ""},
      {"local-only items are not reported",
       {item("a.dll", "1"), item("old.dll", "1")},
       {item("a.dll", "1")},
       false,
       ""},
      {"any local item with both fields counts",
       {item("a.dll", "1"), item("a.dll", "2")},
       {item("a.dll", "2"), item("b.dll", "1")},
       true,
       "b.dll"},
      {"path and version must be on the same local item",
       {item("a.dll", "1"), item("b.dll", "2")},
       {item("a.dll", "2")},
       true,
       "a.dll"},
      {"type and md5 play no part",
       {item("a.dll", "1", 0, "aa")},
       {item("a.dll", "1", 1, "bb")},
       false,
       ""},
      {"mixed, order kept",
       {item("a", "1"), item("b", "1"), item("c", "1")},
       {item("c", "2"), item("b", "1"), item("d", "1"), item("a", "0")},
       true,
       "c,d,a"},
  };
  for (const Row& row : rows) {
    UpdateList changed{item("stale", "1")};
    EXPECT_EQ(findChangedItems(row.local, row.remote, changed), row.result) << row.name;
    EXPECT_EQ(paths(changed), row.changed) << row.name;
  }
}

TEST(FindChangedItemsTest, ChangedItemsAreWholeCopies) {
  const UpdateList remote{item("setup.exe", "2", 1, "0123")};
  UpdateList changed;
  ASSERT_TRUE(findChangedItems({}, remote, changed));
  ASSERT_EQ(changed.size(), 1);
  EXPECT_EQ(changed[0].type, 1);
  EXPECT_EQ(changed[0].ver, "2");
  EXPECT_EQ(changed[0].md5, "0123");
}

TEST(CheckItemMd5Test, Cases) {
  testsupport::TempDir dir;
  const QByteArray content = "payload of the updated file\n";
  const QString path = writeFile(dir, "f.bin", content);
  const QString hex =
      QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex());
  struct Row {
    const char* name;
    QString md5;
    QString file;
    bool expected;
  };
  const Row rows[] = {
      {"no md5: not checked", "", path, true},
      {"blank md5: not checked", "  ", path, true},
      {"no md5, even for a missing file", "", path + ".absent", true},
      {"lower-case match", hex.toLower(), path, true},
      {"upper-case match", hex.toUpper(), path, true},
      {"mismatch", QString(32, '0'), path, false},
      {"prefix only", hex.left(31), path, false},
      {"missing file", hex, path + ".absent", false},
  };
  for (const Row& row : rows) {
    UpdateItem i = item("f.bin", "1");
    i.md5 = row.md5;
    EXPECT_EQ(checkItemMd5(i, row.file), row.expected) << row.name;
  }
}

}  // namespace
