#include "installtransaction.h"

#include "fileplatform.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

namespace {

// Size of the pieces in which data is copied, in bytes.
constexpr qint64 kCopyChunk = 65536;
// Name marks of the files an installation keeps beside a target.
const char* const kFreshMark = ".gkupdate-new";
const char* const kBackupMark = ".gkupdate-old";

bool copyInto(QFile& from, NewFile& to) {
  std::vector<char> buffer(static_cast<size_t>(kCopyChunk));
  for (;;) {
    const qint64 n = from.read(buffer.data(), kCopyChunk);
    if (n < 0) return false;
    if (n == 0) return true;
    if (!to.write(buffer.data(), n)) return false;
  }
}

bool exists(const QString& path) {
  return QFileInfo::exists(path) || isSymbolicLink(path.toStdString());
}

}  // namespace

InstallTransaction::InstallTransaction(const QString& appDir) : m_appDir(QDir::cleanPath(appDir)) {}

InstallTransaction::~InstallTransaction() {
  if (!m_committed) rollback();
}

bool InstallTransaction::makeLevels(const QStringList& levels, QString& folder) {
  folder = m_appDir;
  for (const QString& level : levels) {
    folder += '/' + level;
    const bool existed = exists(folder);
    if (!makeFolderLevel(folder.toStdString())) return false;  // a link or a file is refused
    if (!existed) m_createdFolders.append(folder);
  }
  return true;
}

bool InstallTransaction::add(const QString& source, const QString& relative, bool executable) {
  QStringList levels = relative.split('/', Qt::SkipEmptyParts);
  if (levels.isEmpty() || levels.contains("..") || levels.contains(".")) return false;
  const QString name = levels.takeLast();
  // Names of the helper files are refused as targets: one would be written
  // over another target's new data or backup.
  if (name.endsWith(kFreshMark) || name.endsWith(kBackupMark)) return false;
  QString folderPath;
  if (!makeLevels(levels, folderPath)) return false;

  Entry entry;
  entry.target = folderPath + '/' + name;
  entry.fresh = folderPath + "/." + name + kFreshMark;
  entry.backup = folderPath + "/." + name + kBackupMark;
  // A target prepared again takes the later data, as files unpacked in
  // turn would: one entry per target, or the commit would move the first
  // entry's new file onto the backup of the original.
  for (int i = 0; i < m_entries.size(); ++i) {
    if (m_entries[i].target != entry.target) continue;
    QFile::remove(m_entries[i].fresh);
    m_entries.remove(i);
    break;
  }
  entry.hadTarget = exists(entry.target);
  if (entry.hadTarget &&
      (QFileInfo(entry.target).isDir() || isReadOnlyFile(entry.target.toStdString())))
    return false;

  QFile in(source);
  FolderHandle folder;
  NewFile out;
  if (!in.open(QIODevice::ReadOnly) || !folder.open(folderPath.toStdString()) ||
      !out.createIn(folder, ("." + name + kFreshMark).toStdString()))
    return false;
  m_entries.append(entry);  // from here on rollback removes the new file
  if (!copyInto(in, out)) {
    out.discard();
    return false;
  }
  const int targetMode = entry.hadTarget && !isSymbolicLink(entry.target.toStdString())
                             ? filePermissionBits(entry.target.toStdString())
                             : -1;
  int mode = targetMode >= 0 ? targetMode : filePermissionBits(source.toStdString());
  if (mode < 0) mode = 0644;
  if (executable) mode |= 0111;
  FilePermissions permissions;
  permissions.unixMode = mode & 0777;
  const QFileInfo info(source);
  FileTimes times;
  times.access = info.lastRead().toSecsSinceEpoch();
  times.modification = info.lastModified().toSecsSinceEpoch();
  times.creation = times.modification;
  return out.finish(times, permissions);
}

bool InstallTransaction::commit() {
  for (Entry& entry : m_entries) {
    if (entry.hadTarget && !replaceFile(entry.target.toStdString(), entry.backup.toStdString())) {
      rollback();
      return false;
    }
    entry.placed = true;  // from here on rollback puts the backup back
    if (!replaceFile(entry.fresh.toStdString(), entry.target.toStdString())) {
      rollback();
      return false;
    }
  }
  for (const Entry& entry : m_entries) {
    if (entry.hadTarget) QFile::remove(entry.backup);
  }
  m_committed = true;
  return true;
}

void InstallTransaction::rollback() {
  for (int i = m_entries.size() - 1; i >= 0; --i) {
    const Entry& entry = m_entries[i];
    if (entry.placed) {
      if (entry.hadTarget) {
        replaceFile(entry.backup.toStdString(), entry.target.toStdString());
      } else {
        QFile::remove(entry.target);
      }
    }
    QFile::remove(entry.fresh);
  }
  m_entries.clear();
  for (int i = m_createdFolders.size() - 1; i >= 0; --i) QDir().rmdir(m_createdFolders[i]);
  m_createdFolders.clear();
}
