// Small file helpers for the archive and file-operation tests: write and
// read files, list a tree (links are listed, never followed), read modes and
// times.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <sys/stat.h>

namespace testsupport {

inline bool writeFileAt(const QString& path, const QByteArray& data) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

inline QByteArray readFileAt(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Every entry below `folder`, relative, sorted: folders end in "/", links in
// "@". Empty for a missing folder.
inline QStringList treeOf(const QString& folder) {
  QStringList out;
  QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                  QDirIterator::Subdirectories);
  const QDir base(folder);
  while (it.hasNext()) {
    it.next();
    const QFileInfo info = it.fileInfo();
    QString rel = base.relativeFilePath(info.filePath());
    if (info.isSymLink())
      rel += "@";
    else if (info.isDir())
      rel += "/";
    out << rel;
  }
  out.sort();
  return out;
}

struct PathStat {
  bool ok = false;
  int mode = 0;                       // permission bits
  qint64 accessed = 0, modified = 0;  // seconds since 1970 UTC
};

inline PathStat statOf(const QString& path) {
  struct stat st {};
  PathStat s;
  if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return s;
  s.ok = true;
  s.mode = static_cast<int>(st.st_mode & 07777);
  s.accessed = st.st_atim.tv_sec;
  s.modified = st.st_mtim.tv_sec;
  return s;
}

}  // namespace testsupport
