// UpdateSettings and SettingsFile: keys, types and defaults of "updata.ini",
// and the derived name of the downloaded list.
#include "updatesettings.h"

#include "qt_printers.h"
#include "qt_test_app.h"

#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace {

// Writes `text` to `name` in `dir` and returns the file's path.
QString writeIni(const testsupport::TempDir& dir, const char* text,
                 const char* name = "updata.ini") {
  const QString path = QString::fromStdString(dir.str()) + "/" + name;
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(text);
  return path;
}

TEST(UpdateSettingsTest, MissingFileGivesEveryDefault) {
  testsupport::TempDir dir;
  UpdateSettings s;
  s.downmode = 7;  // load must overwrite what was there
  s.connectcount = 9;
  s.ListFileName = "stale.xml";
  s.load(QString::fromStdString(dir.str()) + "/no-such.ini");
  EXPECT_EQ(s.downmode, 0);
  EXPECT_EQ(s.connectcount, 1);
  for (const QString* text : {&s.httpListURL, &s.Application, &s.ftpserverip, &s.ftpserverport,
                              &s.ftpusername, &s.ftpuserpassword, &s.ftpremotedir, &s.ListFileName,
                              &s.newListFileName, &s.LocatTempDir, &s.AppTitle}) {
    EXPECT_TRUE(text->isEmpty()) << text->toStdString();
  }
}

TEST(UpdateSettingsTest, ReadsEveryKeyFromItsGroup) {
  testsupport::TempDir dir;
  const QString path = writeIni(dir,
                                "[config]\n"
                                "downmode=0\n"
                                "connectcount=3\n"
                                "ListFileName=filelist.xml\n"
                                "LocatTempDir=Carrack\n"
                                "[APPLICATION]\n"
                                "Application=Carrack.exe\n"
                                "AppTitle=Board audit\n"
                                "[UPDATEINFO]\n"
                                "httpListURL=http://127.0.0.1:8000/update/\n"
                                "ftpserverip=10.0.0.1\n"
                                "ftpserverport=21\n"
                                "ftpusername=user\n"
                                "ftpuserpassword=secret\n"
                                "ftpremotedir=/pub\n");
  UpdateSettings s;
  s.load(path);
  EXPECT_EQ(s.downmode, 0);
  EXPECT_EQ(s.connectcount, 3);
  EXPECT_EQ(s.ListFileName, "filelist.xml");
  EXPECT_EQ(s.newListFileName, "filelist_new.xml");
  EXPECT_EQ(s.LocatTempDir, "Carrack");
  EXPECT_EQ(s.Application, "Carrack.exe");
  EXPECT_EQ(s.AppTitle, "Board audit");
  EXPECT_EQ(s.httpListURL, "http://127.0.0.1:8000/update/");
  EXPECT_EQ(s.ftpserverip, "10.0.0.1");
  EXPECT_EQ(s.ftpserverport, "21");
  EXPECT_EQ(s.ftpusername, "user");
  EXPECT_EQ(s.ftpuserpassword, "secret");
  EXPECT_EQ(s.ftpremotedir, "/pub");
}

TEST(UpdateSettingsTest, KeyInTheWrongGroupIsNotRead) {
  testsupport::TempDir dir;
  const QString path = writeIni(dir,
                                "[UPDATEINFO]\n"
                                "downmode=5\n"
                                "Application=x.exe\n"
                                "[config]\n"
                                "httpListURL=http://example.invalid/\n");
  UpdateSettings s;
  s.load(path);
  EXPECT_EQ(s.downmode, 0);
  EXPECT_TRUE(s.Application.isEmpty());
  EXPECT_TRUE(s.httpListURL.isEmpty());
}

TEST(UpdateSettingsTest, IntegersFromText) {
  struct Row {
    const char* name;
    const char* stored;
    int expected;
  };
  const Row rows[] = {
      {"plain", "3", 3},          {"zero", "0", 0}, {"negative", "-2", -2},
      {"not a number", "abc", 0}, {"empty", "", 0}, {"trailing junk", "3x", 0},
  };
  for (const Row& row : rows) {
    testsupport::TempDir dir;
    const QByteArray text =
        QByteArray("[config]\nconnectcount=") + row.stored + "\ndownmode=" + row.stored + "\n";
    UpdateSettings s;
    s.load(writeIni(dir, text.constData()));
    EXPECT_EQ(s.connectcount, row.expected) << row.name;
    EXPECT_EQ(s.downmode, row.expected) << row.name;
  }
}

TEST(UpdateSettingsTest, ConnectCountIsCapped) {
  for (const char* stored : {"11", "2147483647", "99999999999"}) {
    testsupport::TempDir dir;
    UpdateSettings s;
    s.load(writeIni(dir, (QByteArray("[config]\nconnectcount=") + stored + "\n").constData()));
    EXPECT_LE(s.connectcount, UpdateSettings::kMaxConnectCount) << stored;
  }
  testsupport::TempDir dir;
  UpdateSettings s;
  s.load(writeIni(dir, "[config]\nconnectcount=2147483647\n"));
  EXPECT_EQ(s.connectcount, UpdateSettings::kMaxConnectCount);
}

// Path settings that would leave their folder read as missing.
TEST(UpdateSettingsTest, PathSettingsThatLeaveTheirFolderAreEmpty) {
  struct Row {
    const char* stored;
    bool kept;
  };
  const Row rows[] = {{"list.xml", true},     {"sub/list.xml", true}, {"a..b.xml", true},
                      {"../list.xml", false}, {"a/../../x", false},   {"/etc/x", false},
                      {"C:/x", false},        {"..", false}};
  for (const Row& row : rows) {
    testsupport::TempDir dir;
    const QByteArray text = QByteArray("[config]\nListFileName=") + row.stored +
                            "\nLocatTempDir=" + row.stored +
                            "\n[APPLICATION]\nApplication=" + row.stored + "\n";
    UpdateSettings s;
    s.load(writeIni(dir, text.constData()));
    const QString expected = row.kept ? QString::fromLatin1(row.stored) : QString();
    EXPECT_EQ(s.ListFileName, expected) << row.stored;
    EXPECT_EQ(s.LocatTempDir, expected) << row.stored;
    EXPECT_EQ(s.Application, expected) << row.stored;
  }
  // "\\" is a separator too (the INI reader would take it for an escape).
  EXPECT_FALSE(UpdateSettings::isContainedPath("..\\x"));
  EXPECT_FALSE(UpdateSettings::isContainedPath("a\\..\\..\\x"));
  EXPECT_FALSE(UpdateSettings::isContainedPath("\\\\server\\x"));
  EXPECT_TRUE(UpdateSettings::isContainedPath("bin\\app"));
  EXPECT_TRUE(UpdateSettings::isContainedPath(""));
}

TEST(UpdateSettingsTest, DerivedListName) {
  struct Row {
    const char* listName;
    const char* expected;
  };
  const Row rows[] = {
      {"version.xml", "version_new.xml"},
      {"filelist.xml", "filelist_new.xml"},
      {"list", "list_newlist"},
      {".xml", ""},
      {"", ""},
      {"a.b.xml", "a.b_new.xml"},
      {"name.", "name_new."},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(UpdateSettings::deriveNewListFileName(row.listName), QString(row.expected))
        << row.listName;
  }
}

TEST(UpdateSettingsTest, ValueWithCommasStaysOneText) {
  testsupport::TempDir dir;
  const QString path = writeIni(dir,
                                "[UPDATEINFO]\n"
                                "httpListURL=http://127.0.0.1/a,b/\n"
                                "[APPLICATION]\n"
                                "Application=\"quoted,name.exe\"\n");
  UpdateSettings s;
  s.load(path);
  EXPECT_EQ(s.httpListURL, "http://127.0.0.1/a,b/");
  EXPECT_EQ(s.Application, "quoted,name.exe");
}

TEST(UpdateSettingsTest, GroupsAndKeysMatchWithoutRegardToCase) {
  testsupport::TempDir dir;
  const QString path = writeIni(dir,
                                "[Config]\n"
                                "DownMode=2\n"
                                "listfilename=files.xml\n"
                                "[application]\n"
                                "APPLICATION=app.exe\n");
  UpdateSettings s;
  s.load(path);
  EXPECT_EQ(s.downmode, 2);
  EXPECT_EQ(s.ListFileName, "files.xml");
  EXPECT_EQ(s.newListFileName, "files_new.xml");
  EXPECT_EQ(s.Application, "app.exe");
}

TEST(SettingsFileTest, ValueOrDefault) {
  testsupport::TempDir dir;
  const SettingsFile ini(writeIni(dir, "[g]\nk=v\nn=12\n", "other.ini"));
  EXPECT_EQ(ini.value("g", "k", "d").toString(), "v");
  EXPECT_EQ(ini.value("g", "n", 0).toInt(), 12);
  EXPECT_EQ(ini.value("g", "missing", "d").toString(), "d");
  EXPECT_EQ(ini.value("nogroup", "k", 5).toInt(), 5);
  EXPECT_FALSE(ini.value("g", "missing").isValid());
}

TEST(SettingsFileTest, EmptyPathMeansUpdataIniBesideTheProgram) {
  testsupport::qtTestApp();
  const SettingsFile ini;
  EXPECT_EQ(QFileInfo(ini.fileName()).fileName(), "updata.ini");
  EXPECT_EQ(QFileInfo(ini.fileName()).absolutePath(),
            QFileInfo(QCoreApplication::applicationFilePath()).absolutePath());
  EXPECT_EQ(SettingsFile::defaultPath(), ini.fileName());
}

TEST(UpdateSettingsTest, InstanceIsOneRecord) {
  UpdateSettings* a = UpdateSettings::instance();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, UpdateSettings::instance());
}

}  // namespace
