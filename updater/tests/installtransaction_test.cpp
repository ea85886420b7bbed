// InstallTransaction: all files in place or none, replaced files put back
// on failure, and safe permission bits.
#include "installtransaction.h"

#include "file_tree.h"

#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace {

using testsupport::readFileAt;
using testsupport::statOf;
using testsupport::treeOf;
using testsupport::writeFileAt;

class InstallTransactionTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(writeFileAt(app + "/a.txt", "old a"));
    ASSERT_TRUE(writeFileAt(app + "/sub/b.txt", "old b"));
    before = treeOf(app);
  }
  QString source(const QString& name, const QByteArray& data, int mode = 0644) {
    const QString path = root + "/staged/" + name;
    EXPECT_TRUE(writeFileAt(path, data));
    EXPECT_EQ(::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(mode)), 0);
    return path;
  }
  testsupport::TempDir dir;
  const QString root = QString::fromStdString(dir.str());
  const QString app = root + "/app";
  QStringList before;
};

}  // namespace

TEST_F(InstallTransactionTest, CommitPutsEveryFileInPlaceAndLeavesNoHelperFiles) {
  InstallTransaction install(app);
  ASSERT_TRUE(install.add(source("a", "new a"), "a.txt"));
  ASSERT_TRUE(install.add(source("b", "new b"), "sub/b.txt"));
  ASSERT_TRUE(install.add(source("c", "new c"), "new/deep/c.txt"));
  EXPECT_EQ(readFileAt(app + "/a.txt"), "old a") << "nothing replaced before commit";
  ASSERT_TRUE(install.commit());
  EXPECT_EQ(readFileAt(app + "/a.txt"), "new a");
  EXPECT_EQ(readFileAt(app + "/sub/b.txt"), "new b");
  EXPECT_EQ(readFileAt(app + "/new/deep/c.txt"), "new c");
  EXPECT_EQ(treeOf(app),
            QStringList({"a.txt", "new/", "new/deep/", "new/deep/c.txt", "sub/", "sub/b.txt"}));
}

// A file that cannot be prepared (read-only target, folder in the way, a
// level that is a link) undoes the whole transaction: nothing changes.
TEST_F(InstallTransactionTest, AFailedFileUndoesEverything) {
  ASSERT_TRUE(writeFileAt(app + "/ro.txt", "read-only"));
  ASSERT_EQ(::chmod(QFile::encodeName(app + "/ro.txt").constData(), 0444), 0);
  ASSERT_TRUE(QDir().mkpath(app + "/folder"));
  ASSERT_TRUE(QDir().mkpath(root + "/elsewhere"));
  ASSERT_TRUE(QFile::link(root + "/elsewhere", app + "/linked"));
  before = treeOf(app);
  struct Row {
    const char* what;
    const char* relative;
  };
  for (const Row& row :
       {Row{"read-only target", "ro.txt"}, Row{"folder in the way", "folder"},
        Row{"level is a link", "linked/x.txt"}, Row{"level is a file", "a.txt/x.txt"}}) {
    {
      InstallTransaction install(app);
      ASSERT_TRUE(install.add(source("a", "new a"), "a.txt")) << row.what;
      ASSERT_TRUE(install.add(source("n", "new"), "fresh/n.txt")) << row.what;
      EXPECT_FALSE(install.add(source("x", "x"), row.relative)) << row.what;
    }  // dropped without commit
    EXPECT_EQ(treeOf(app), before) << row.what;
    EXPECT_EQ(readFileAt(app + "/a.txt"), "old a") << row.what;
    EXPECT_EQ(readFileAt(app + "/ro.txt"), "read-only") << row.what;
    EXPECT_EQ(treeOf(root + "/elsewhere"), QStringList()) << row.what;
  }
}

// A move that fails part way puts every replaced file back.
TEST_F(InstallTransactionTest, AFailedMovePutsTheReplacedFilesBack) {
  InstallTransaction install(app);
  ASSERT_TRUE(install.add(source("a", "new a"), "a.txt"));
  ASSERT_TRUE(install.add(source("c", "new c"), "c.txt"));
  ASSERT_TRUE(install.add(source("b", "new b"), "sub/b.txt"));
  ASSERT_TRUE(QFile::remove(app + "/sub/.b.txt.gkupdate-new")) << "the prepared file disappears";
  EXPECT_FALSE(install.commit());
  EXPECT_EQ(treeOf(app), before);
  EXPECT_EQ(readFileAt(app + "/a.txt"), "old a");
  EXPECT_EQ(readFileAt(app + "/sub/b.txt"), "old b");
}

TEST_F(InstallTransactionTest, PermissionBitsAreSafe) {
  ASSERT_EQ(::chmod(QFile::encodeName(app + "/a.txt").constData(), 0664), 0);
  InstallTransaction install(app);
  ASSERT_TRUE(install.add(source("a", "new a", 0600), "a.txt"));
  ASSERT_TRUE(install.add(source("w", "w", 0777), "w.sh"));
  ASSERT_TRUE(install.add(source("s", "s", 06755), "s"));
  ASSERT_TRUE(install.add(source("p", "p", 0644), "prog", true));
  ASSERT_TRUE(install.commit());
  EXPECT_EQ(statOf(app + "/a.txt").mode, 0644) << "the replaced file's bits, without group write";
  EXPECT_EQ(statOf(app + "/w.sh").mode, 0755);
  EXPECT_EQ(statOf(app + "/s").mode, 0755);
  EXPECT_EQ(statOf(app + "/prog").mode, 0755) << "the application is made executable";
}
