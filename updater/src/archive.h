// Zip archives of an update: extraction below a folder, and installation of
// a downloaded archive into the application folder.
#pragma once

#include <QString>

// Extracts every entry of the zip archive at `archivePath` below
// `targetFolder`, in archive order, stopping at the first entry that fails.
// Entry names are cleaned (drive letters, leading separators and everything
// up to a "/../"-style step are dropped; "\" counts as a separator). Nothing
// is ever written outside `targetFolder`: entries that would climb out,
// symbolic-link entries and entries that would pass through an existing
// symbolic link are refused. An existing ordinary file is replaced; a
// read-only one makes its entry fail. Extracted files get the entry's times
// and permissions. Entries extracted before a failure stay on disk; a failed
// entry's partial file is removed. True only if every entry was extracted;
// false also for a missing or corrupt archive and an empty `targetFolder`.
bool unzipTo(const QString& archivePath, const QString& targetFolder);

// Unpacks the archive into a folder beside it named after the archive
// without its extension (Data/Model.zip -> Data/Model; any earlier folder of
// that name is removed first), then copies that tree over `appFolder`
// (copyDir). The extraction folder is left in place. False when the archive
// name gives no folder name ("Model" or ".zip"), or when extraction or
// copying fails.
bool installArchive(const QString& archivePath, const QString& appFolder);
