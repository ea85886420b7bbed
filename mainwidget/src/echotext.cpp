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

namespace {

// Line breaks, tabs and the Unicode line and paragraph separators, where a
// terminal or a log viewer may break or jump.
bool breaksLine(ushort u) {
  return u == '\n' || u == '\r' || u == '\t' || u == 0x2028 || u == 0x2029;
}

// The directional formatting characters (marks, embeddings, overrides,
// isolates): text after one of them can show in another order than it is
// stored, so that a name on screen reads as something it is not.
bool reordersText(ushort u) {
  return u == 0x061c || u == 0x200e || u == 0x200f || (u >= 0x202a && u <= 0x202e) ||
         (u >= 0x2066 && u <= 0x2069);
}

}  // namespace

QString terminalLine(const QString& text) {
  QString line = text;
  for (QChar& c : line) {
    const ushort u = c.unicode();
    if (breaksLine(u)) {
      c = QLatin1Char(' ');
    } else if (u < 0x20 || (u >= 0x7f && u <= 0x9f) || reordersText(u)) {
      c = QChar(QChar::ReplacementCharacter);
    }
  }
  return line;
}
