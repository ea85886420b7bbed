#include "echotext.h"

QString quotedExcerpt(const QString& text) {
  if (text.size() <= echotext::kMaxQuoted) return text;
  int keep = echotext::kMaxQuoted;
  if (text.at(keep - 1).isHighSurrogate()) --keep;
  return text.left(keep) + QChar(0x2026);
}

QString quotedExcerpt(const QByteArray& utf8) {
  // A character takes at most 4 bytes: a longer atom still decodes to more
  // than kMaxQuoted characters, and is cut, without decoding all of it.
  return quotedExcerpt(QString::fromUtf8(utf8.left(4 * echotext::kMaxQuoted + 4)));
}

QString terminalLine(const QString& text) {
  QString line = text;
  for (QChar& c : line) {
    const ushort u = c.unicode();
    if (u == '\n' || u == '\r' || u == '\t') {
      c = QLatin1Char(' ');
    } else if (u < 0x20 || (u >= 0x7f && u <= 0x9f)) {
      c = QChar(QChar::ReplacementCharacter);
    }
  }
  return line;
}
