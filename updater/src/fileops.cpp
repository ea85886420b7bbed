#include "fileops.h"

#include "fileplatform.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <vector>

namespace {

// Size of the pieces in which copyFile moves data, in bytes.
constexpr qint64 kCopyChunk = 65536;

// Copies all of `from` into `to`; false on a read or write failure.
bool copyContents(QFile& from, QFile& to) {
  std::vector<char> buffer(static_cast<size_t>(kCopyChunk));
  for (;;) {
    const qint64 n = from.read(buffer.data(), kCopyChunk);
    if (n < 0) return false;
    if (n == 0) return true;
    if (to.write(buffer.data(), n) != n) return false;
  }
}

// The entries of `folder` that the tree operations visit, hidden ones and
// links included, by name ignoring case.
QFileInfoList folderEntries(const QString& folder) {
  return QDir(folder).entryInfoList(
      QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
      QDir::Name | QDir::IgnoreCase);
}

}  // namespace

bool copyFile(const QString& source, const QString& target, bool overwrite) {
  const QFileInfo src(source);
  if (!src.exists()) return false;
  const QFileInfo dst(target);
  const QString folder = dst.absolutePath();
  if (!QDir(folder).exists()) QDir().mkpath(folder);

  const bool targetExists = dst.exists() || isSymbolicLink(target.toStdString());
  if (targetExists && (!overwrite || dst.isDir() || isReadOnlyFile(target.toStdString())))
    return false;

  QFile in(source);
  if (!in.open(QIODevice::ReadOnly)) return false;
  // The data goes to a temporary file beside the target first, so a failed
  // copy leaves the existing target as it was.
  QTemporaryFile out(folder + "/." + dst.fileName() + ".XXXXXX");
  if (!out.open() || !copyContents(in, out) || !out.flush()) return false;
  out.close();

  // -1 when a mode cannot be read; never turned into a mode of its own.
  const int targetMode = targetExists ? filePermissionBits(target.toStdString()) : -1;
  const int sourceMode = filePermissionBits(source.toStdString());
  int mode = targetMode >= 0 ? targetMode : (sourceMode >= 0 ? (sourceMode & 0777) : -1);
  if (mode >= 0) mode &= ~kForbiddenModeBits;  // nobody else may change what is installed
  FileTimes times;
  times.access = src.lastRead().toSecsSinceEpoch();
  times.modification = src.lastModified().toSecsSinceEpoch();
  times.creation = times.modification;
  if (mode < 0 || !setFilePermissionBits(out.fileName().toStdString(), mode)) return false;
  setFileTimes(out.fileName().toStdString(), times);  // keeping the times is a courtesy, not a must

  if (!replaceFile(out.fileName().toStdString(), target.toStdString())) return false;
  out.setAutoRemove(false);
  return true;
}

bool copyDir(const QString& source, const QString& target) {
  if (source.isEmpty() || target.isEmpty()) return false;
  if (!QFileInfo(source).isDir()) return false;
  for (const QFileInfo& entry : folderEntries(source)) {
    const QString to = target + "/" + entry.fileName();
    if (entry.isSymLink()) return false;  // never followed, never copied
    if (entry.isDir()) {
      if (!copyDir(entry.filePath(), to)) return false;
    } else if (!entry.isFile() || !copyFile(entry.filePath(), to, true)) {
      return false;  // devices, pipes and sockets are not copied either
    }
  }
  return true;
}

bool removeDir(const QString& folder) {
  if (folder.isEmpty()) return false;
  if (isSymbolicLink(folder.toStdString()))
    return QFile::remove(folder);  // the link, not what it names
  if (!QFileInfo(folder).isDir()) return true;
  for (const QFileInfo& entry : folderEntries(folder)) {
    if (entry.isDir() && !entry.isSymLink()) {
      removeDir(entry.filePath());
    } else {
      QFile::remove(entry.filePath());
    }
  }
  return QDir().rmdir(folder);
}

bool fileExists(const QString& path) { return !path.isEmpty() && QFileInfo::exists(path); }
