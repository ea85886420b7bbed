// Builds zip archives for tests with minizip's writer, so that every field
// the extraction looks at (host system, external attributes, DOS time, extra
// field, UTF-8 flag, raw name bytes) is set visibly by the test.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <zip.h>
#include <zlib.h>

#include <vector>

namespace testsupport {

// Host codes of the version-made-by field.
constexpr int kHostWindows = 0;  // MS-DOS / FAT, as Windows tools write
constexpr int kHostUnix = 3;

// Unix mode in the upper half of the external attributes.
constexpr quint32 unixAttributes(quint32 mode) { return mode << 16; }

struct DosStamp {
  int year = 2021, month = 6, day = 15, hour = 10, minute = 20, second = 30;
};

struct ZipEntrySpec {
  QByteArray name;  // stored bytes; a trailing "/" for folder entries
  QByteArray data;
  int host = kHostWindows;
  quint32 externalAttributes = 0;
  DosStamp stamp;
  QByteArray extra;  // extra field, written to both headers
  bool utf8Flag = false;
  bool deflate = true;
};

// A "UT" extended-timestamp block: the flag byte, then each time given.
inline QByteArray utBlock(quint8 flags, const std::vector<qint32>& times) {
  QByteArray data(1, static_cast<char>(flags));
  for (qint32 t : times) {
    const auto u = static_cast<quint32>(t);
    for (int i = 0; i < 4; ++i) data.append(static_cast<char>((u >> (8 * i)) & 0xff));
  }
  QByteArray block;
  block.append('U').append('T');
  block.append(static_cast<char>(data.size() & 0xff)).append(static_cast<char>(data.size() >> 8));
  return block + data;
}

// A Windows-made entry with DOS attributes `attributes`.
inline ZipEntrySpec windowsEntry(const QByteArray& name, const QByteArray& data,
                                 quint32 attributes = 0x20) {
  ZipEntrySpec e;
  e.name = name;
  e.data = data;
  e.externalAttributes = attributes;
  return e;
}

// A Unix-made entry with mode `mode` (file type and permission bits).
inline ZipEntrySpec unixEntry(const QByteArray& name, const QByteArray& data, quint32 mode) {
  ZipEntrySpec e;
  e.name = name;
  e.data = data;
  e.host = kHostUnix;
  e.externalAttributes = unixAttributes(mode) | ((mode & 0170000) == 0040000 ? 0x10 : 0);
  return e;
}

// Writes the archive; false when minizip refused any step.
inline bool writeZip(const QString& path, const std::vector<ZipEntrySpec>& entries) {
  zipFile zf = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
  if (zf == nullptr) return false;
  bool ok = true;
  for (const ZipEntrySpec& e : entries) {
    zip_fileinfo info{};
    info.tmz_date.tm_year = static_cast<uInt>(e.stamp.year);
    info.tmz_date.tm_mon = static_cast<uInt>(e.stamp.month - 1);
    info.tmz_date.tm_mday = static_cast<uInt>(e.stamp.day);
    info.tmz_date.tm_hour = static_cast<uInt>(e.stamp.hour);
    info.tmz_date.tm_min = static_cast<uInt>(e.stamp.minute);
    info.tmz_date.tm_sec = static_cast<uInt>(e.stamp.second);
    info.external_fa = e.externalAttributes;
    const uInt extraSize = static_cast<uInt>(e.extra.size());
    const void* extra = extraSize ? e.extra.constData() : nullptr;
    ok = ok && zipOpenNewFileInZip4_64(
                   zf, e.name.constData(), &info, extra, extraSize, extra, extraSize, nullptr,
                   e.deflate ? Z_DEFLATED : 0, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                   Z_DEFAULT_STRATEGY, nullptr, 0, static_cast<uLong>((e.host << 8) | 20),
                   e.utf8Flag ? 0x0800 : 0, 0) == ZIP_OK;
    if (ok && !e.data.isEmpty())
      ok = zipWriteInFileInZip(zf, e.data.constData(), static_cast<unsigned>(e.data.size())) ==
           ZIP_OK;
    ok = ok && zipCloseFileInZip(zf) == ZIP_OK;
  }
  return zipClose(zf, nullptr) == ZIP_OK && ok;
}

// Offset of the data of the `index`th entry's local header (0-based) in the
// archive bytes, -1 if there is no such header.
inline int entryDataOffset(const QByteArray& zip, int index) {
  int at = -1;
  for (int i = 0; i <= index; ++i) {
    at = zip.indexOf(QByteArray("PK\x03\x04", 4), at + 1);
    if (at < 0) return -1;
  }
  auto le16 = [&zip](int p) {
    return static_cast<quint8>(zip[p]) | (static_cast<quint8>(zip[p + 1]) << 8);
  };
  return at + 30 + le16(at + 26) + le16(at + 28);
}

}  // namespace testsupport
