// Zip archives: the bytes become an archive that unzipTo extracts into a
// fresh target folder. Whatever the archive holds, nothing may appear
// outside the target folder (the scratch layout is deep enough that a name
// climbing several levels out lands in a folder this target watches), and
// nothing inside it may be a symbolic link. The target folder is removed
// after each input.
#include "fuzz_support.h"

#include "archive.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstddef>
#include <cstdint>

namespace {

// <root>/w1/w2/w3/{in/archive.zip, out/}: w1..w3 and in must hold nothing
// else afterwards.
struct Layout {
  QString root, w1, w2, w3, in, archive, out;
};

const Layout& layout() {
  static const Layout l = [] {
    Layout x;
    x.root = fuzzsupport::scratchRoot();
    x.w1 = x.root + "/w1";
    x.w2 = x.w1 + "/w2";
    x.w3 = x.w2 + "/w3";
    x.in = x.w3 + "/in";
    x.archive = x.in + "/archive.zip";
    x.out = x.w3 + "/out";
    fuzzsupport::check(QDir().mkpath(x.in), "scratch layout");
    return x;
  }();
  return l;
}

QStringList entriesOf(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                QDir::NoDotAndDotDot);
}

void checkOnly(const QString& folder, const QStringList& allowed, const char* what) {
  for (const QString& name : entriesOf(folder))
    if (!allowed.contains(name)) fuzzsupport::fail(what);
}

// Extracted entries carry the archive's permissions, owner ones included;
// gives the owner full access top-down (before descending) so that the tree
// can always be listed and removed.
void openUp(const QString& folder) {
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  for (const QString& name : entriesOf(folder)) {
    const QString path = folder + "/" + name;
    const QFileInfo info(path);
    if (info.isSymLink()) continue;
    if (info.isDir())
      openUp(path);
    else
      QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QCoreApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using fuzzsupport::check;
  const Layout& l = layout();
  {
    QFile file(l.archive);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "write the archive");
    check(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size),
          "write the archive");
  }
  check(QDir().mkpath(l.out), "target folder");

  unzipTo(l.archive, l.out);

  checkOnly(l.root, {"w1"}, "something written beside w1");
  checkOnly(l.w1, {"w2"}, "something written beside w2");
  checkOnly(l.w2, {"w3"}, "something written beside w3");
  checkOnly(l.w3, {"in", "out"}, "something written beside the target folder");
  checkOnly(l.in, {"archive.zip"}, "something written beside the archive");
  check(QFileInfo(l.archive).size() == qint64(size), "the archive itself unchanged");
  openUp(l.out);
  QDirIterator it(l.out, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    it.next();
    check(!it.fileInfo().isSymLink(), "a symbolic link inside the target folder");
  }
  check(QDir(l.out).removeRecursively(), "remove the target folder");
  return 0;
}
