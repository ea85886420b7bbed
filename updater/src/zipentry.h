// How a zip entry's stored fields become a file on disk: the entry record,
// name decoding and cleaning, attributes by host system, and times from the
// DOS stamp and the "UT" extra block. Pure functions, no archive access.
#pragma once

#include "fileplatform.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Attributes of an entry, as the system that made the archive recorded them.
struct ZipEntryAttributes {
  bool directory = false;
  bool readOnly = false;
  bool hidden = false;
  bool system = false;
  bool archive = false;
  bool symlink = false;  // a Unix symbolic link entry (never extracted)
  int unixMode = -1;     // permission bits 0..0777 for entries made on Unix; -1 none
};

// One entry of a zip archive's central directory.
struct ZipEntry {
  qint64 index = 0;  // position in the archive, from 0
  QString name;      // decoded and cleaned
  ZipEntryAttributes attributes;
  FileTimes times;
  quint64 compressedSize = 0;
  quint64 uncompressedSize = 0;
};

// Bit 11 of the general-purpose flags: the name is UTF-8.
constexpr quint32 kZipUtf8Flag = 0x0800;

// The entry name for the stored bytes: UTF-8 when `utf8Flag` is set or the
// bytes are valid UTF-8, the locale's 8-bit encoding otherwise. Never cut.
QString decodeEntryName(const QByteArray& raw, bool utf8Flag);

// Applies until none applies: a second character ":" drops the first two
// characters; a leading "\" or "/" is dropped; everything up to and
// including the first "\..\", "\../", "/../" or "/..\" (looked for in that
// order) is dropped. A leading "../" can survive; see entryPathParts.
QString cleanEntryName(QString name);

// Splits a cleaned name at "\" and "/" into its folder levels and file name
// (`parts`), leaving out empty and "." parts. False, with `parts` empty, when
// a part is ".." (the entry could climb out of the extraction folder) or the
// name holds a NUL character.
bool entryPathParts(const QString& cleanedName, QStringList& parts);

// Attributes from the version-made-by field and the external attributes.
// Hosts 0, 7, 11 and 14 (DOS, NTFS, VFAT...) use the low DOS bits (0
// read-only, 1 hidden, 2 system, 4 directory, 5 archive). Other hosts keep a
// Unix mode in the upper 16 bits: bit 30 marks a folder, a clear bit 23
// (owner write) a read-only entry, the file type a symbolic link; host 3
// (Unix) also gives its permission bits, set-id and sticky bits dropped. An
// upper half of zero carries no Unix information and gives plain defaults.
ZipEntryAttributes entryAttributes(quint32 versionMadeBy, quint32 externalAttributes);

// The three times of an entry: the DOS date and time (`dosDateTime`, date in
// the upper 16 bits) taken as local time, then, if `extraField` holds a "UT"
// block, modification (flag bit 0), access (bit 1) and creation (bit 2)
// replaced by the signed 32-bit Unix times that follow the flag byte, in that
// order, as far as the block holds them.
FileTimes entryTimes(quint32 dosDateTime, const QByteArray& extraField);
