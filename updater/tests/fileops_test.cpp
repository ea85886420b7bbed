// copyFile, copyDir, removeDir, fileExists and installArchive.
#include "fileops.h"
#include "archive.h"

#include "file_tree.h"
#include "qt_printers.h"
#include "zip_builder.h"

#include <testsupport/temp_dir.h>

#include <gtest/gtest.h>

#include <QDateTime>

namespace {

using testsupport::readFileAt;
using testsupport::statOf;
using testsupport::treeOf;
using testsupport::windowsEntry;
using testsupport::writeFileAt;

class FileOpsTest : public ::testing::Test {
protected:
  QString root() const { return QString::fromStdString(m_dir.str()); }
  // A file with `data` and permission bits `mode` at `path` below root().
  QString file(const QString& path, const QByteArray& data, int mode = 0644) {
    const QString full = root() + "/" + path;
    EXPECT_TRUE(writeFileAt(full, data));
    EXPECT_EQ(::chmod(QFile::encodeName(full).constData(), static_cast<mode_t>(mode)), 0);
    return full;
  }
  // Entries of the folder holding `path` (temporary files would show here).
  QStringList besides(const QString& path) const {
    return QDir(QFileInfo(path).absolutePath())
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
  }
  testsupport::TempDir m_dir;
};

TEST_F(FileOpsTest, CopyFileToANewPlace) {
  const QString src = file("src/tool", "#!/bin/sh\n", 0755);
  QFile f(src);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  ASSERT_TRUE(f.setFileTime(QDateTime::fromSecsSinceEpoch(1500000000, Qt::UTC),
                            QFileDevice::FileModificationTime));
  f.close();
  const QString dst = root() + "/app/new/dir/tool";
  ASSERT_TRUE(copyFile(src, dst, false));
  EXPECT_EQ(readFileAt(dst), "#!/bin/sh\n");
  EXPECT_EQ(statOf(dst).mode, 0755);  // a new target takes the source's bits
  EXPECT_EQ(statOf(dst).modified, 1500000000);
  EXPECT_EQ(besides(dst), QStringList{"tool"});
}

TEST_F(FileOpsTest, CopyFileOverAnExistingTarget) {
  const QString src = file("src/a.dll", "new contents", 0644);
  struct Row {
    const char* label;
    bool overwrite;
    int targetMode;
    bool result;
    const char* afterwards;
    int modeAfterwards;
  };
  const Row rows[] = {
      {"no overwrite", false, 0644, false, "old contents, longer", 0644},
      {"overwrite keeps the target's bits", true, 0755, true, "new contents", 0755},
      {"read-only target is not replaced", true, 0444, false, "old contents, longer", 0444},
  };
  for (const Row& row : rows) {
    const QString dst = file("app/a.dll", "old contents, longer", row.targetMode);
    EXPECT_EQ(copyFile(src, dst, row.overwrite), row.result) << row.label;
    EXPECT_EQ(readFileAt(dst), row.afterwards) << row.label;
    EXPECT_EQ(statOf(dst).mode, row.modeAfterwards) << row.label;
    EXPECT_EQ(besides(dst), QStringList{"a.dll"}) << row.label;  // no temporary left
    QFile::setPermissions(dst, QFile::ReadOwner | QFile::WriteOwner);
    QFile::remove(dst);
  }
}

TEST_F(FileOpsTest, FailedCopyLeavesTheTargetWhole) {
  // Reading this source fails after it has been opened.
  const QString unreadable = "/proc/self/mem";
  if (!QFileInfo::exists(unreadable)) GTEST_SKIP() << "no " << unreadable.toStdString();
  const QString dst = file("app/a.dll", "old contents");
  EXPECT_FALSE(copyFile(unreadable, dst, true));
  EXPECT_EQ(readFileAt(dst), "old contents");
  EXPECT_EQ(besides(dst), QStringList{"a.dll"});
}

TEST_F(FileOpsTest, CopiedFilesNeverKeepGroupOrOtherWriteOrSetId) {
  const QString src = file("src/open", "o", 0777);
  const QString setid = file("src/setid", "s", 06755);
  ASSERT_TRUE(copyFile(src, root() + "/dst/open", false));
  ASSERT_TRUE(copyFile(setid, root() + "/dst/setid", false));
  EXPECT_EQ(statOf(root() + "/dst/open").mode, 0755);
  EXPECT_EQ(statOf(root() + "/dst/setid").mode, 0755);
  const QString shared = file("dst/shared", "old", 0666);
  ASSERT_TRUE(copyFile(src, shared, true));
  EXPECT_EQ(statOf(shared).mode, 0644) << "a replaced target loses its group and other write";
}

TEST_F(FileOpsTest, CopyFileRefusals) {
  const QString src = file("src/a.txt", "a");
  QDir().mkpath(root() + "/app/folder");
  EXPECT_FALSE(copyFile(root() + "/src/absent.txt", root() + "/app/x.txt", true));
  EXPECT_FALSE(QFileInfo::exists(root() + "/app/x.txt"));
  EXPECT_FALSE(copyFile(src, root() + "/app/folder", true));
  EXPECT_TRUE(QFileInfo(root() + "/app/folder").isDir());
}

TEST_F(FileOpsTest, CopyFileReplacesALinkNotWhatItNames) {
  const QString src = file("src/a.txt", "new");
  const QString outside = file("outside/kept.txt", "outside data");
  QDir().mkpath(root() + "/app");
  ASSERT_TRUE(QFile::link(outside, root() + "/app/a.txt"));
  ASSERT_TRUE(copyFile(src, root() + "/app/a.txt", true));
  EXPECT_FALSE(QFileInfo(root() + "/app/a.txt").isSymLink());
  EXPECT_EQ(readFileAt(root() + "/app/a.txt"), "new");
  EXPECT_EQ(readFileAt(outside), "outside data");
}

TEST_F(FileOpsTest, CopyDirCopiesFilesNotEmptyFolders) {
  file("src/b.txt", "b");
  file("src/A/x.dll", "x");
  file("src/A/deep/y.dat", "y");
  file("src/.hidden", "h");
  QDir().mkpath(root() + "/src/empty/inner");
  file("app/b.txt", "old b");
  file("app/own.cfg", "the application's own file");
  ASSERT_TRUE(copyDir(root() + "/src", root() + "/app"));
  EXPECT_EQ(treeOf(root() + "/app"), (QStringList{".hidden", "A/", "A/deep/", "A/deep/y.dat",
                                                  "A/x.dll", "b.txt", "own.cfg"}));
  EXPECT_EQ(readFileAt(root() + "/app/b.txt"), "b");
  EXPECT_EQ(readFileAt(root() + "/app/own.cfg"), "the application's own file");
}

TEST_F(FileOpsTest, CopyDirStopsAtTheFirstFailureInNameOrder) {
  file("src/a.txt", "a");
  file("src/B.txt", "b");
  file("src/c.txt", "c");
  file("app/B.txt", "locked", 0444);
  EXPECT_FALSE(copyDir(root() + "/src", root() + "/app"));
  EXPECT_EQ(readFileAt(root() + "/app/a.txt"), "a");       // before the failure: copied
  EXPECT_EQ(readFileAt(root() + "/app/B.txt"), "locked");  // the failure
  EXPECT_FALSE(QFileInfo::exists(root() + "/app/c.txt"));  // after it: not tried
}

TEST_F(FileOpsTest, CopyDirRefusals) {
  file("src/a.txt", "a");
  EXPECT_FALSE(copyDir(QString(), root() + "/app"));
  EXPECT_FALSE(copyDir(root() + "/src", QString()));
  EXPECT_FALSE(copyDir(root() + "/absent", root() + "/app"));
  file("linked/secret.txt", "s");
  ASSERT_TRUE(QFile::link(root() + "/linked", root() + "/src/z-link"));
  EXPECT_FALSE(copyDir(root() + "/src", root() + "/app"));
  EXPECT_FALSE(QFileInfo::exists(root() + "/app/z-link"));
}

TEST_F(FileOpsTest, RemoveDirRemovesTheTreeAndNothingElse) {
  file("parent/victim/a.txt", "a");
  file("parent/victim/.hidden", "h");
  file("parent/victim/sub/ro.txt", "r", 0444);
  file("outside/keep.txt", "k");
  ASSERT_TRUE(QFile::link(root() + "/outside", root() + "/parent/victim/sub/to-outside"));
  ASSERT_TRUE(QFile::link(root() + "/outside/keep.txt", root() + "/parent/victim/file-link"));
  ASSERT_TRUE(QFile::link(root() + "/nowhere", root() + "/parent/victim/dangling"));
  EXPECT_TRUE(removeDir(root() + "/parent/victim"));
  EXPECT_FALSE(QFileInfo::exists(root() + "/parent/victim"));
  EXPECT_TRUE(QFileInfo(root() + "/parent").isDir());  // an emptied parent stays
  EXPECT_EQ(treeOf(root() + "/outside"), QStringList{"keep.txt"});
}

TEST_F(FileOpsTest, RemoveDirEdgeCases) {
  EXPECT_FALSE(removeDir(QString()));
  EXPECT_TRUE(removeDir(root() + "/absent"));
  const QString plain = file("plain.txt", "p");
  EXPECT_TRUE(removeDir(plain));
  EXPECT_EQ(readFileAt(plain), "p");
  file("real/inside.txt", "i");
  ASSERT_TRUE(QFile::link(root() + "/real", root() + "/alias"));
  EXPECT_TRUE(removeDir(root() + "/alias"));
  EXPECT_FALSE(QFileInfo(root() + "/alias").isSymLink());
  EXPECT_EQ(readFileAt(root() + "/real/inside.txt"), "i");
}

TEST_F(FileOpsTest, FileExists) {
  const QString f = file("f.txt", "f");
  EXPECT_TRUE(fileExists(f));
  EXPECT_TRUE(fileExists(root()));
  EXPECT_FALSE(fileExists(root() + "/absent"));
  EXPECT_FALSE(fileExists(QString()));
}

class InstallArchiveTest : public FileOpsTest {
protected:
  QString work() const { return root() + "/work"; }
  QString app() const { return root() + "/app"; }
  QString zipAt(const QString& path, const std::vector<testsupport::ZipEntrySpec>& entries) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    EXPECT_TRUE(testsupport::writeZip(path, entries));
    return path;
  }
};

TEST_F(InstallArchiveTest, UnpacksBesideTheArchiveAndCopiesIntoTheApplication) {
  file("app/bin/x.dll", "old x");
  file("app/keep.cfg", "kept");
  file("work/Data/Model/stale.txt", "from an earlier installation");
  const QString zip = zipAt(work() + "/Data/Model.zip", {windowsEntry("bin\\x.dll", "new x"),
                                                         windowsEntry("models/m1.dat", "m1")});
  ASSERT_TRUE(installArchive(zip, app()));
  EXPECT_EQ(treeOf(app()),
            (QStringList{"bin/", "bin/x.dll", "keep.cfg", "models/", "models/m1.dat"}));
  EXPECT_EQ(readFileAt(app() + "/bin/x.dll"), "new x");
  EXPECT_EQ(readFileAt(app() + "/keep.cfg"), "kept");
  EXPECT_EQ(treeOf(work() + "/Data/Model"),
            (QStringList{"bin/", "bin/x.dll", "models/", "models/m1.dat"}));
  EXPECT_TRUE(QFileInfo::exists(zip));
}

TEST_F(InstallArchiveTest, ArchiveNamesWithoutAFolderName) {
  file("app/a.txt", "app");
  struct Row {
    const char* label;
    const char* name;
  };
  for (const Row& row : {Row{"no extension", "Model"}, Row{"only an extension", ".zip"}}) {
    const QString zip = zipAt(work() + "/" + row.name, {windowsEntry("a.txt", "from archive")});
    const QByteArray before = readFileAt(zip);
    EXPECT_FALSE(installArchive(zip, app())) << row.label;
    EXPECT_TRUE(readFileAt(zip) == before) << row.label;  // the archive is untouched
    EXPECT_EQ(treeOf(work()), QStringList{row.name}) << row.label;
    EXPECT_EQ(readFileAt(app() + "/a.txt"), "app") << row.label;
    QFile::remove(zip);
  }
}

TEST_F(InstallArchiveTest, FailuresLeaveTheApplicationAlone) {
  file("app/a.txt", "app");
  const QString hostile =
      zipAt(work() + "/h.zip", {windowsEntry("a.txt", "x"), windowsEntry("../b.txt", "b")});
  EXPECT_FALSE(installArchive(hostile, app()));
  EXPECT_EQ(treeOf(app()), QStringList{"a.txt"});
  EXPECT_EQ(readFileAt(app() + "/a.txt"), "app");
  EXPECT_FALSE(QFileInfo::exists(root() + "/b.txt"));
  EXPECT_FALSE(installArchive(work() + "/absent.zip", app()));
  // The extraction succeeds but a read-only file in the application blocks the copy.
  file("app/ro.txt", "read-only", 0444);
  const QString blocked = zipAt(work() + "/r.zip", {windowsEntry("ro.txt", "new")});
  EXPECT_FALSE(installArchive(blocked, app()));
  EXPECT_EQ(readFileAt(app() + "/ro.txt"), "read-only");
}

}  // namespace
