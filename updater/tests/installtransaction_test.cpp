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

// A target added twice (an archive that carries the list file, two
// archives that share a file) takes the later data, and a failed commit
// still puts the original back.
TEST_F(InstallTransactionTest, ATargetAddedTwiceTakesTheLaterData) {
  {
    InstallTransaction install(app);
    ASSERT_TRUE(install.add(source("a1", "first a"), "a.txt"));
    ASSERT_TRUE(install.add(source("c1", "first c"), "c.txt"));
    ASSERT_TRUE(install.add(source("a2", "second a"), "a.txt"));
    ASSERT_TRUE(install.add(source("c2", "second c"), "c.txt"));
    EXPECT_EQ(install.size(), 2);
    ASSERT_TRUE(install.commit());
  }
  EXPECT_EQ(readFileAt(app + "/a.txt"), "second a");
  EXPECT_EQ(readFileAt(app + "/c.txt"), "second c");
  EXPECT_EQ(treeOf(app), QStringList({"a.txt", "c.txt", "sub/", "sub/b.txt"}));

  before = treeOf(app);
  {
    InstallTransaction install(app);
    ASSERT_TRUE(install.add(source("a3", "third a"), "a.txt"));
    ASSERT_TRUE(install.add(source("a4", "fourth a"), "a.txt"));
    ASSERT_TRUE(install.add(source("b", "new b"), "sub/b.txt"));
    ASSERT_TRUE(QFile::remove(app + "/sub/.b.txt.gkupdate-new")) << "the prepared file disappears";
    EXPECT_FALSE(install.commit());
  }
  EXPECT_EQ(treeOf(app), before);
  EXPECT_EQ(readFileAt(app + "/a.txt"), "second a") << "the original is put back";
}

// The names of the helper files beside a target are no targets: one would
// land on another target's new data or on its backup.
TEST_F(InstallTransactionTest, HelperFileNamesAreRefusedAsTargets) {
  for (const char* relative : {".a.txt.gkupdate-new", ".a.txt.gkupdate-old",
                               "sub/.b.txt.gkupdate-new", "x.gkupdate-old"}) {
    {
      InstallTransaction install(app);
      ASSERT_TRUE(install.add(source("a", "new a"), "a.txt")) << relative;
      EXPECT_FALSE(install.add(source("h", "helper-named"), relative)) << relative;
    }
    EXPECT_EQ(treeOf(app), before) << relative;
    EXPECT_EQ(readFileAt(app + "/a.txt"), "old a") << relative;
  }
}

// Folders made for new files are never writable by group or others, even
// under a umask that would allow it.
TEST_F(InstallTransactionTest, NewFoldersAreNotWritableByOthers) {
  const mode_t previous = ::umask(0);
  {
    InstallTransaction install(app);
    EXPECT_TRUE(install.add(source("x", "x"), "plugins/deep/x.so"));
    EXPECT_TRUE(install.commit());
  }
  ::umask(previous);
  EXPECT_EQ(statOf(app + "/plugins").mode, 0755);
  EXPECT_EQ(statOf(app + "/plugins/deep").mode, 0755);
  EXPECT_EQ(statOf(app + "/plugins/deep/x.so").mode, 0644);
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
