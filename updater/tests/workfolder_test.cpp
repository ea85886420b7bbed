// WorkFolder: a fresh private folder per run, removed without following the
// links inside it.
#include "workfolder.h"

#include "file_tree.h"

#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {
QString rootOf(const testsupport::TempDir& dir) { return QString::fromStdString(dir.str()); }
}  // namespace

TEST(WorkFolderTest, EachRunGetsAFreshFolderOnlyItsUserCanEnter) {
  testsupport::TempDir dir;
  const QString root = rootOf(dir);
  ASSERT_TRUE(QDir().mkpath(root + "/tmpUpdata"))
      << "an existing folder of the old name is no obstacle";
  WorkFolder first, second;
  ASSERT_TRUE(first.create(root.toStdString()));
  ASSERT_TRUE(second.create(root.toStdString()));
  EXPECT_NE(first.path(), second.path());
  const QString paths[] = {QString::fromStdString(first.path()),
                           QString::fromStdString(second.path())};
  for (const QString& folder : paths) {
    const QFileInfo info(folder);
    EXPECT_TRUE(info.fileName().isEmpty()) << "the path ends in /";
    EXPECT_TRUE(QFileInfo(folder).absolutePath().startsWith(root + "/tmpUpdata"));
    EXPECT_EQ(QDir(folder).dirName().size(), 15) << "tmpUpdata and six characters";
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(folder).constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
  }
}

TEST(WorkFolderTest, RemovalTakesTheTreeAndNeverFollowsLinks) {
  testsupport::TempDir dir;
  const QString root = rootOf(dir);
  ASSERT_TRUE(testsupport::writeFileAt(root + "/outside/keep.txt", "keep"));
  QString path;
  {
    WorkFolder work;
    ASSERT_TRUE(work.create(root.toStdString()));
    path = QString::fromStdString(work.path());
    ASSERT_TRUE(testsupport::writeFileAt(path + "work/deep/a.txt", "a"));
    ASSERT_TRUE(QFile::link(root + "/outside", path + "work/folder-link"));
    ASSERT_TRUE(QFile::link(root + "/outside/keep.txt", path + "work/deep/file-link"));
  }  // removed here
  EXPECT_FALSE(QFileInfo::exists(path));
  EXPECT_EQ(testsupport::treeOf(root + "/outside"), QStringList{"keep.txt"});
  EXPECT_EQ(testsupport::readFileAt(root + "/outside/keep.txt"), "keep");
}

TEST(WorkFolderTest, KeptFolderStaysAndAFailedCreationLeavesNothing) {
  testsupport::TempDir dir;
  const QString root = rootOf(dir);
  QString path;
  {
    WorkFolder work;
    ASSERT_TRUE(work.create(root.toStdString()));
    path = QString::fromStdString(work.path());
    work.keep();
  }
  EXPECT_TRUE(QFileInfo(path).isDir());
  WorkFolder missingParent;
  EXPECT_FALSE(missingParent.create((root + "/no/such/folder").toStdString()));
  EXPECT_TRUE(missingParent.path().empty());
}
