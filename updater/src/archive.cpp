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

ArchiveLimits& currentLimits() {
  static ArchiveLimits limits;
  return limits;
}

// What is left of the unpacking budget of one archive, in bytes.
struct Budget {
  qint64 left = 0;
  bool take(qint64 bytes) {
    if (bytes < 0 || bytes > left) return false;
    left -= bytes;
    return true;
  }
};

// Reads the entry under the archive's cursor; false when the directory
// record cannot be read.
bool readEntry(unzFile zip, qint64 index, ZipEntry& entry, bool& nameIsFolder) {
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    return false;
  QByteArray rawName(static_cast<int>(info.size_filename), '\0');
  QByteArray extra(static_cast<int>(info.size_file_extra), '\0');
  if (unzGetCurrentFileInfo64(zip, &info, rawName.data(), static_cast<uLong>(rawName.size()),
                              extra.data(), static_cast<uLong>(extra.size()), nullptr, 0) != UNZ_OK)
    return false;
  entry.index = index;
  const QString decoded = decodeEntryName(rawName, (info.flag & kZipUtf8Flag) != 0);
  nameIsFolder = decoded.endsWith('/') || decoded.endsWith('\\');
  entry.name = cleanEntryName(decoded);
  entry.attributes =
      entryAttributes(static_cast<quint32>(info.version), static_cast<quint32>(info.external_fa));
  entry.times = entryTimes(static_cast<quint32>(info.dosDate), extra);
  entry.compressedSize = info.compressed_size;
  entry.uncompressedSize = info.uncompressed_size;
  return true;
}

// Opens every level of `parts` below `base`, creating what is missing, one
// handle at a time; false when a level cannot be made or is a symbolic link
// or a file. `deepest` is left closed when `parts` is empty (the entry lies
// in `base` itself).
bool openLevels(const FolderHandle& base, const QStringList& parts, FolderHandle& deepest) {
  for (const QString& part : parts) {
    FolderHandle child;
    if (!child.openChild(deepest.isOpen() ? deepest : base, part.toStdString(), true)) return false;
    deepest = std::move(child);
  }
  return true;
}

// Inflates the current entry into `target`, taking what it writes from
// `budget`; false on bad data (including a CRC mismatch), a failed write or
// an exhausted budget (the declared sizes of an entry are not trusted).
bool inflateInto(unzFile zip, NewFile& target, Budget& budget) {
  if (unzOpenCurrentFile(zip) != UNZ_OK) return false;
  std::vector<char> buffer(kChunkSize);
  bool ok = true;
  for (;;) {
    const int n = unzReadCurrentFile(zip, buffer.data(), kChunkSize);
    if (n == 0) break;
    if (n < 0 || !budget.take(n) || !target.write(buffer.data(), n)) {
      ok = false;
      break;
    }
  }
  // Closing after the whole entry was read is where minizip checks the CRC.
  if (unzCloseCurrentFile(zip) != UNZ_OK) ok = false;
  return ok;
}

bool extractEntry(unzFile zip, const ZipEntry& entry, bool nameIsFolder, const FolderHandle& base,
                  Budget& budget) {
  if (entry.attributes.symlink) return false;
  QStringList parts;
  if (!entryPathParts(entry.name, parts) || parts.size() > ArchiveLimits::kMaxPathParts)
    return false;

  FolderHandle folder;
  if (entry.attributes.directory || nameIsFolder) return openLevels(base, parts, folder);
  if (parts.isEmpty()) return false;  // a file needs a name
  if (!openLevels(base, parts.mid(0, parts.size() - 1), folder)) return false;
  // The declared size is checked first so that a bomb fails before it is
  // inflated; inflateInto checks what really comes out.
  if (entry.uncompressedSize > static_cast<quint64>(budget.left)) return false;

  NewFile file;
  if (!file.createIn(folder.isOpen() ? folder : base, parts.last().toStdString())) return false;
  if (!inflateInto(zip, file, budget)) {
    file.discard();
    return false;
  }
  FilePermissions permissions;
  permissions.readOnly = entry.attributes.readOnly;
  permissions.unixMode = entry.attributes.unixMode;
  return file.finish(entry.times, permissions);
}

}  // namespace

qint64 ArchiveLimits::budgetFor(qint64 archiveBytes) const {
  const qint64 byRatio =
      archiveBytes > 0 && maxRatio > 0 && archiveBytes <= maxUnpackedBytes / maxRatio
          ? archiveBytes * maxRatio
          : maxUnpackedBytes;
  return qMin(maxUnpackedBytes, qMax(byRatio, ratioFreeBytes));
}

const ArchiveLimits& archiveLimits() { return currentLimits(); }

void setArchiveLimits(const ArchiveLimits& limits) { currentLimits() = limits; }

bool unzipTo(const QString& archivePath, const QString& targetFolder) {
  if (targetFolder.isEmpty()) return false;
  unzFile zip = unzOpen64(QFile::encodeName(archivePath).constData());
  if (zip == nullptr) return false;

  QDir().mkpath(targetFolder);  // a failure shows up as a base that cannot be opened
  FolderHandle base;
  const ArchiveLimits& limits = archiveLimits();
  Budget budget{limits.budgetFor(QFileInfo(archivePath).size())};

  unz_global_info64 global{};
  bool ok = base.open(targetFolder.toStdString()) && unzGetGlobalInfo64(zip, &global) == UNZ_OK &&
            global.number_entry <= static_cast<ZPOS64_T>(qMax<qint64>(limits.maxEntries, 0));
  for (ZPOS64_T i = 0; ok && i < global.number_entry; ++i) {
    const int moved = i == 0 ? unzGoToFirstFile(zip) : unzGoToNextFile(zip);
    ZipEntry entry;
    bool nameIsFolder = false;
    ok = moved == UNZ_OK && readEntry(zip, static_cast<qint64>(i), entry, nameIsFolder) &&
         extractEntry(zip, entry, nameIsFolder, base, budget);
  }
  unzClose(zip);
  return ok;
}

bool installArchive(const QString& archivePath, const QString& appFolder) {
  const QString folder = extractionFolderFor(archivePath);
  if (folder.isEmpty()) return false;
  removeDir(folder);
  if (!QDir().mkpath(folder)) return false;
  if (!unzipTo(archivePath, folder)) return false;
  return copyDir(folder, appFolder);
}

QString extractionFolderFor(const QString& archivePath) {
  const QFileInfo archive(archivePath);
  const QString fileName = archive.fileName();
  const int dot = fileName.lastIndexOf('.');
  // Without a name before the extension the folder would be the archive
  // itself, or the folder holding it.
  if (dot <= 0) return QString();
  return QDir::toNativeSeparators(archive.absolutePath() + "/" + fileName.left(dot));
}
