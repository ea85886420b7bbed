// Zip archives of an update: extraction below a folder, and installation of
// a downloaded archive into the application folder.
#pragma once

#include <QString>
#include <QtGlobal>

// Bounds on what one archive may unpack to. An archive beyond any of them
// fails before the entry that would cross it is written.
struct ArchiveLimits {
  // Entries in the central directory, folders included.
  static constexpr qint64 kMaxEntries = 20000;
  // Bytes of all entries together once unpacked: 2 GiB.
  static constexpr qint64 kMaxUnpackedBytes = qint64(2) << 30;
  // Unpacked bytes per byte of archive; ordinary data packs to far less than
  // this, a zip bomb to far more.
  static constexpr qint64 kMaxRatio = 200;
  // Unpacked bytes allowed whatever the ratio, so that tiny archives of very
  // compressible files still unpack: 1 MiB.
  static constexpr qint64 kRatioFreeBytes = qint64(1) << 20;
  // Names in an entry's path (its folders and its own name); a deeper entry
  // is refused, so that every tree unpacked stays within the depth that the
  // removal of the working folder walks.
  static constexpr int kMaxPathParts = 64;

  qint64 maxEntries = kMaxEntries;
  qint64 maxUnpackedBytes = kMaxUnpackedBytes;
  qint64 maxRatio = kMaxRatio;
  qint64 ratioFreeBytes = kRatioFreeBytes;

  // The bytes an archive of `archiveBytes` may unpack to under these limits.
  qint64 budgetFor(qint64 archiveBytes) const;
};

// The limits unzipTo applies; the defaults unless a test set others.
const ArchiveLimits& archiveLimits();
void setArchiveLimits(const ArchiveLimits& limits);

// Extracts every entry of the zip archive at `archivePath` below
// `targetFolder`, in archive order, stopping at the first entry that fails.
// Entry names are cleaned (drive letters, leading separators and everything
// up to a "/../"-style step are dropped; "\" counts as a separator). Nothing
// is ever written outside `targetFolder`: entries that would climb out,
// symbolic-link entries and entries that would pass through an existing
// symbolic link are refused. An existing ordinary file is replaced; a
// read-only one makes its entry fail. Extracted files get the entry's times
// and permissions. Entries extracted before a failure stay on disk; a failed
// entry's partial file is removed. Every folder level is entered through a
// handle opened without following links, and files are created exclusively
// in it, so a folder swapped for a link meanwhile is never written through.
// Extracted files never get group or other write, set-user-id or
// set-group-id. True only if every entry was extracted within
// archiveLimits(); false also for a missing or corrupt archive and an empty
// `targetFolder`.
bool unzipTo(const QString& archivePath, const QString& targetFolder);

// Unpacks the archive into a folder beside it named after the archive
// without its extension (Data/Model.zip -> Data/Model; any earlier folder of
// that name is removed first), then copies that tree over `appFolder`
// (copyDir). The extraction folder is left in place. False when the archive
// name gives no folder name ("Model" or ".zip"), or when extraction or
// copying fails.
bool installArchive(const QString& archivePath, const QString& appFolder);

// The folder installArchive unpacks `archivePath` into: beside it, named
// after it without its extension; empty when the name gives none.
QString extractionFolderFor(const QString& archivePath);
