#include "jsonkeys.h"

#include "echotext.h"

#include <QSet>

#include <algorithm>
#include <vector>

namespace {

// One open object or array.
struct Level {
  bool object;
  QSet<QString> keys;  // object: the keys so far
  QString key;         // object: the last key
  int index = 0;       // array: the element being read
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The decoded string that starts at text[i], a quote; i ends after the
// closing quote. Surrogate pairs written as two \u escapes decode to the
// same two UTF-16 units as the character written out.
QString readString(const QByteArray& text, int& i) {
  const int n = text.size();
  QString out;
  int run = ++i;  // start of the bytes since the last escape
  while (i < n && text[i] != '"') {
    if (text[i] != '\\') {
      ++i;
      continue;
    }
    out += QString::fromUtf8(text.constData() + run, i - run);
    if (++i >= n) break;
    const char e = text[i++];
    switch (e) {
      case 'b': out += QLatin1Char('\b'); break;
      case 'f': out += QLatin1Char('\f'); break;
      case 'n': out += QLatin1Char('\n'); break;
      case 'r': out += QLatin1Char('\r'); break;
      case 't': out += QLatin1Char('\t'); break;
      case 'u': {
        bool ok = false;
        const ushort unit = text.mid(i, 4).toUShort(&ok, 16);
        if (ok) out += QChar(unit);
        i = std::min(i + 4, n);
        break;
      }
      default: out += QLatin1Char(e); break;  // " \ /
    }
    run = i;
  }
  out += QString::fromUtf8(text.constData() + run, i - run);
  ++i;  // the closing quote
  return out;
}

// The path of the innermost level: the key or index by which each level
// holds the next.
QString pathOf(const std::vector<Level>& levels) {
  QString path;
  for (std::size_t k = 0; k + 1 < levels.size(); ++k) {
    if (levels[k].object) {
      if (!path.isEmpty()) path += QLatin1Char('.');
      path += quotedExcerpt(levels[k].key);
    } else {
      path += QStringLiteral("[%1]").arg(levels[k].index);
    }
  }
  return path;
}

}  // namespace

bool findRepeatedKey(const QByteArray& json, QString& path, QString& key) {
  std::vector<Level> levels;
  const int n = json.size();
  for (int i = 0; i < n;) {
    const char c = json[i];
    if (c == '"') {
      const QString text = readString(json, i);
      int next = i;
      while (next < n && isSpace(json[next])) ++next;
      // A string followed by a colon inside an object is a key.
      if (next < n && json[next] == ':' && !levels.empty() && levels.back().object) {
        Level& object = levels.back();
        if (object.keys.contains(text)) {
          path = pathOf(levels);
          key = quotedExcerpt(text);
          return true;
        }
        object.keys.insert(text);
        object.key = text;
      }
      continue;
    }
    if (c == '{' || c == '[') {
      levels.push_back(Level{c == '{', {}, {}, 0});
    } else if ((c == '}' || c == ']') && !levels.empty()) {
      levels.pop_back();
    } else if (c == ',' && !levels.empty() && !levels.back().object) {
      ++levels.back().index;
    }
    ++i;
  }
  return false;
}
