#include "archive.h"

#include "fileops.h"
#include "fileplatform.h"
#include "zipentry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unzip.h>

#include <vector>

namespace {

// Size of the pieces in which entry data is inflated and written, in bytes.
constexpr int kChunkSize = 16384;

// Reads the entry under the archive's cursor; false when the directory
// record cannot be read.
bool readEntry(unzFile zip, qint64 index, ZipEntry& entry, bool& nameIsFolder) {
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return false;
  QByteArray rawName(static_cast<int>(info.size_filename), '\0');
  QByteArray extra(static_cast<int>(info.size_file_extra), '\0');
  if (unzGetCurrentFileInfo64(zip, &info, rawName.data(), static_cast<uLong>(rawName.size()),
                              extra.data(), static_cast<uLong>(extra.size()), nullptr, 0) != UNZ_OK)
    return false;
  entry.index = index;
  const QString decoded = decodeEntryName(rawName, (info.flag & kZipUtf8Flag) != 0);
  nameIsFolder = decoded.endsWith('/') || decoded.endsWith('\\');
  entry.name = cleanEntryName(decoded);
  entry.attributes = entryAttributes(static_cast<quint32>(info.version),
                                     static_cast<quint32>(info.external_fa));
  entry.times = entryTimes(static_cast<quint32>(info.dosDate), extra);
  entry.compressedSize = info.compressed_size;
  entry.uncompressedSize = info.uncompressed_size;
  return true;
}

// Makes every level of `parts` below `base` a real folder, one at a time;
// false when a level cannot be made or is a symbolic link or a file.
bool makeLevels(const QString& base, const QStringList& parts) {
  QString path = base;
  for (const QString& part : parts) {
    path += part;
    if (!makeFolderLevel(path)) return false;
    path += '/';
  }
  return true;
}

// Inflates the current entry into `target`; false on bad data (including a
// CRC mismatch) or a failed write.
bool inflateInto(unzFile zip, NewFile& target) {
  if (unzOpenCurrentFile(zip) != UNZ_OK) return false;
  std::vector<char> buffer(kChunkSize);
  bool ok = true;
  for (;;) {
    const int n = unzReadCurrentFile(zip, buffer.data(), kChunkSize);
    if (n == 0) break;
    if (n < 0 || !target.write(buffer.data(), n)) {
      ok = false;
      break;
    }
  }
  // Closing after the whole entry was read is where minizip checks the CRC.
  if (unzCloseCurrentFile(zip) != UNZ_OK) ok = false;
  return ok;
}

bool extractEntry(unzFile zip, const ZipEntry& entry, bool nameIsFolder, const QString& base) {
  if (entry.attributes.symlink) return false;
  QStringList parts;
  if (!entryPathParts(entry.name, parts)) return false;

  if (entry.attributes.directory || nameIsFolder) return makeLevels(base, parts);
  if (parts.isEmpty()) return false;  // a file needs a name
  if (!makeLevels(base, parts.mid(0, parts.size() - 1))) return false;

  NewFile file;
  if (!file.create(base + parts.join('/'))) return false;
  if (!inflateInto(zip, file)) {
    file.discard();
    return false;
  }
  FilePermissions permissions;
  permissions.readOnly = entry.attributes.readOnly;
  permissions.unixMode = entry.attributes.unixMode;
  return file.finish(entry.times, permissions);
}

}  // namespace

bool unzipTo(const QString& archivePath, const QString& targetFolder) {
  if (targetFolder.isEmpty()) return false;
  unzFile zip = unzOpen64(QFile::encodeName(archivePath).constData());
  if (zip == nullptr) return false;

  QString base = targetFolder;
  if (!base.endsWith('/') && !base.endsWith('\\')) base += '/';
  QDir().mkpath(base);  // a failure shows up as entries that cannot be written

  bool ok = true;
  unz_global_info64 global{};
  if (unzGetGlobalInfo64(zip, &global) != UNZ_OK) ok = false;
  for (ZPOS64_T i = 0; ok && i < global.number_entry; ++i) {
    const int moved = i == 0 ? unzGoToFirstFile(zip) : unzGoToNextFile(zip);
    ZipEntry entry;
    bool nameIsFolder = false;
    ok = moved == UNZ_OK && readEntry(zip, static_cast<qint64>(i), entry, nameIsFolder) &&
         extractEntry(zip, entry, nameIsFolder, base);
  }
  unzClose(zip);
  return ok;
}

bool installArchive(const QString& archivePath, const QString& appFolder) {
  const QFileInfo archive(archivePath);
  const QString fileName = archive.fileName();
  const int dot = fileName.lastIndexOf('.');
  // Without a name before the extension the folder would be the archive
  // itself, or the folder holding it.
  if (dot <= 0) return false;
  const QString folder = QDir::toNativeSeparators(archive.absolutePath() + "/" + fileName.left(dot));
  removeDir(folder);
  if (!QDir().mkpath(folder)) return false;
  if (!unzipTo(archivePath, folder)) return false;
  return copyDir(folder, appFolder);
}
