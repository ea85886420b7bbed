#include "zipentry.h"

#include <QDate>
#include <QTextCodec>
#include <QTime>

namespace {

constexpr quint16 kUnixTimeTag = 0x5455;  // "UT", stored little-endian

constexpr quint32 kUnixTypeMask = 0170000;
constexpr quint32 kUnixSymlink = 0120000;

bool isDosHost(quint32 host) { return host == 0 || host == 7 || host == 11 || host == 14; }

quint16 readLe16(const char* p) {
  return static_cast<quint16>(static_cast<quint8>(p[0]) | (static_cast<quint8>(p[1]) << 8));
}

qint32 readLe32(const char* p) {
  quint32 v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<quint8>(p[i]);
  return static_cast<qint32>(v);
}

// Seconds since 1970 UTC of a DOS stamp read as local time. Impossible dates
// (month 0, day 31 of a 30-day month...) fall back to 1980-01-01.
qint64 dosToUnixSeconds(quint32 dos) {
  const quint32 date = dos >> 16;
  const quint32 time = dos & 0xffff;
  QDate d(static_cast<int>((date >> 9) + 1980), static_cast<int>((date >> 5) & 0xf),
          static_cast<int>(date & 0x1f));
  QTime t(static_cast<int>(time >> 11), static_cast<int>((time >> 5) & 0x3f),
          static_cast<int>((time & 0x1f) * 2));
  if (!d.isValid()) d = QDate(1980, 1, 1);
  if (!t.isValid()) t = QTime(0, 0);
  return localTimeToUnixSeconds(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

// Applies the "UT" block `data` (flag byte, then times) to `times`.
void applyUnixTimeBlock(const char* data, int size, FileTimes& times) {
  if (size < 1) return;
  const quint8 flags = static_cast<quint8>(data[0]);
  std::int64_t* const targets[3] = {&times.modification, &times.access, &times.creation};
  int pos = 1;
  for (int bit = 0; bit < 3; ++bit) {
    if ((flags & (1u << bit)) == 0) continue;
    if (pos + 4 > size) return;  // the central copy often holds fewer times
    *targets[bit] = readLe32(data + pos);
    pos += 4;
  }
}

// Applies the first cleaning rule that matches `name`, in rule order; false
// when none does.
bool applyFirstCleaningRule(QString& name) {
  static const char* const kSteps[] = {"\\..\\", "\\../", "/../", "/..\\"};
  if (name.size() >= 2 && name.at(1) == ':') {
    name.remove(0, 2);
    return true;
  }
  if (name.startsWith('\\') || name.startsWith('/')) {
    name.remove(0, 1);
    return true;
  }
  for (const char* step : kSteps) {
    const int at = name.indexOf(QLatin1String(step));
    if (at >= 0) {
      name.remove(0, at + 4);
      return true;
    }
  }
  return false;
}

}  // namespace

QString decodeEntryName(const QByteArray& raw, bool utf8Flag) {
  if (utf8Flag) return QString::fromUtf8(raw);
  QTextCodec::ConverterState state;
  const QString asUtf8 =
      QTextCodec::codecForName("UTF-8")->toUnicode(raw.constData(), raw.size(), &state);
  if (state.invalidChars == 0 && state.remainingChars == 0) return asUtf8;
  return QString::fromStdString(ansiToUtf8(raw.toStdString()));
}

QString cleanEntryName(QString name) {
  // After every change the rules are tried again from the first one.
  while (applyFirstCleaningRule(name)) {
  }
  return name;
}

bool entryPathParts(const QString& cleanedName, QStringList& parts) {
  parts.clear();
  if (cleanedName.contains(QChar(0))) return false;
  QString unified = cleanedName;
  unified.replace('\\', '/');
  for (const QString& part : unified.split('/', Qt::SkipEmptyParts)) {
    if (part == "..") {
      parts.clear();
      return false;
    }
    if (part != ".") parts.append(part);
  }
  return true;
}

ZipEntryAttributes entryAttributes(quint32 versionMadeBy, quint32 externalAttributes) {
  ZipEntryAttributes a;
  const quint32 host = (versionMadeBy >> 8) & 0xff;
  if (isDosHost(host)) {
    a.readOnly = (externalAttributes & 0x01) != 0;
    a.hidden = (externalAttributes & 0x02) != 0;
    a.system = (externalAttributes & 0x04) != 0;
    a.directory = (externalAttributes & 0x10) != 0;
    a.archive = (externalAttributes & 0x20) != 0;
    return a;
  }
  a.archive = true;
  const quint32 mode = externalAttributes >> 16;
  if (mode == 0) {
    a.directory = (externalAttributes & 0x10) != 0;  // some tools set only the DOS bit
    return a;
  }
  a.directory = (externalAttributes & (1u << 30)) != 0;
  a.readOnly = (externalAttributes & (1u << 23)) == 0;
  a.symlink = (mode & kUnixTypeMask) == kUnixSymlink;
  if (host == 3) a.unixMode = static_cast<int>(mode & 0777);
  return a;
}

FileTimes entryTimes(quint32 dosDateTime, const QByteArray& extraField) {
  FileTimes times;
  times.access = times.creation = times.modification = dosToUnixSeconds(dosDateTime);
  const char* p = extraField.constData();
  const int size = extraField.size();
  for (int pos = 0; pos + 4 <= size;) {
    const quint16 tag = readLe16(p + pos);
    const int blockSize = readLe16(p + pos + 2);
    const int dataPos = pos + 4;
    if (dataPos + blockSize > size) break;  // a block running past the field is ignored
    if (tag == kUnixTimeTag) {
      applyUnixTimeBlock(p + dataPos, blockSize, times);
      break;
    }
    pos = dataPos + blockSize;
  }
  return times;
}
