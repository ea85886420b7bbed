#include "kicadproject.h"

#include "echotext.h"
#include "sexpr.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

const QString kDefault = QStringLiteral("Default");

void setClass(NetClasses& classes, const QString& name, double clearance) {
  classes.classClearance.insert(name, clearance);
  if (name == kDefault) classes.defaultClearance = clearance;
}

}  // namespace

NetPattern::NetPattern(const QString& pattern) {
  m_segments.emplace_back();
  for (const uint c : pattern.toUcs4()) {
    if (c == '*') {
      m_star = true;
      m_segments.emplace_back();
      continue;
    }
    Segment& seg = m_segments.back();
    seg.plain = seg.plain && c != '?';
    seg.chars.push_back(c);
  }
  for (Segment& seg : m_segments) {
    if (!seg.plain) continue;
    const std::vector<uint>& p = seg.chars;
    seg.prefix.assign(p.size(), 0);
    for (std::size_t i = 1, k = 0; i < p.size(); ++i) {
      while (k > 0 && p[i] != p[k]) k = static_cast<std::size_t>(seg.prefix[k - 1]);
      if (p[i] == p[k]) ++k;
      seg.prefix[i] = static_cast<int>(k);
    }
  }
}

bool NetPattern::fits(const Segment& seg, const uint* name, int at) {
  for (std::size_t k = 0; k < seg.chars.size(); ++k) {
    if (seg.chars[k] != '?' && seg.chars[k] != name[static_cast<std::size_t>(at) + k]) return false;
  }
  return true;
}

int NetPattern::find(const Segment& seg, const uint* name, int from, int to) {
  const int size = static_cast<int>(seg.chars.size());
  if (!seg.plain) {
    for (int at = from; at + size <= to; ++at) {
      if (fits(seg, name, at)) return at;
    }
    return -1;
  }
  std::size_t k = 0;  // characters of seg matched before name[i]
  for (int i = from; i < to; ++i) {
    const uint c = name[i];
    while (k > 0 && seg.chars[k] != c) k = static_cast<std::size_t>(seg.prefix[k - 1]);
    if (seg.chars[k] == c && ++k == seg.chars.size()) return i + 1 - size;
  }
  return -1;
}

bool NetPattern::matches(const QVector<uint>& name) const {
  const uint* text = name.constData();
  const int n = name.size();
  const Segment& head = m_segments.front();
  const Segment& tail = m_segments.back();
  const int headSize = static_cast<int>(head.chars.size());
  const int tailSize = static_cast<int>(tail.chars.size());
  if (!m_star) return n == headSize && fits(head, text, 0);
  // Head and tail are fixed at the ends and may not overlap; each middle
  // segment goes to its first fit after the one before.
  if (n < headSize + tailSize || !fits(head, text, 0) || !fits(tail, text, n - tailSize))
    return false;
  int from = headSize;
  for (std::size_t s = 1; s + 1 < m_segments.size(); ++s) {
    const Segment& seg = m_segments[s];
    if (seg.chars.empty()) continue;
    const int at = find(seg, text, from, n - tailSize);
    if (at < 0) return false;
    from = at + static_cast<int>(seg.chars.size());
  }
  return true;
}

double NetClasses::clearanceOf(const QString& net) const {
  auto known = resolved.constFind(net);
  if (known == resolved.constEnd()) {
    QString cls = netClass.value(net);
    if (cls.isEmpty() && !patterns.empty()) {
      const QVector<uint> name = net.toUcs4();
      for (std::size_t i = 0; cls.isEmpty() && i < patterns.size(); ++i) {
        if (patterns[i].first.matches(name)) cls = patterns[i].second;
      }
    }
    known = resolved.insert(net, cls);
  }
  return classClearance.value(*known, defaultClearance);
}

bool parseProjectNetClasses(const QByteArray& json, NetClasses& classes, QString& error) {
  QJsonParseError parseError{};
  const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
  if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
    error = QStringLiteral("project file: not a JSON object (offset %1: %2)")
                .arg(parseError.offset)
                .arg(parseError.errorString());
    return false;
  }
  const QJsonObject settings = doc.object().value(QLatin1String("net_settings")).toObject();
  const QJsonArray list = settings.value(QLatin1String("classes")).toArray();
  // The Default class first, so that other classes without a clearance of
  // their own inherit it.
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < list.size(); ++i) {
      const QJsonObject cls = list.at(i).toObject();
      const QString name = cls.value(QLatin1String("name")).toString();
      if ((name == kDefault) != (pass == 0)) continue;
      const QJsonValue c = cls.value(QLatin1String("clearance"));
      if (c.isUndefined()) {
        setClass(classes, name, classes.defaultClearance);
      } else if (!c.isDouble() || !std::isfinite(c.toDouble()) || c.toDouble() < 0) {
        error = QStringLiteral(
                    "project file: net_settings.classes[%1] (\"%2\"): the clearance "
                    "must be a non-negative number")
                    .arg(i)
                    .arg(quotedExcerpt(name));
        return false;
      } else {
        setClass(classes, name, c.toDouble());
      }
      for (const QJsonValue& net : cls.value(QLatin1String("nets")).toArray()) {
        classes.netClass.insert(net.toString(), name);
      }
    }
  }
  const QJsonObject assigned = settings.value(QLatin1String("netclass_assignments")).toObject();
  for (auto it = assigned.begin(); it != assigned.end(); ++it) {
    const QJsonValue v = it.value();
    classes.netClass.insert(it.key(), v.isArray() ? v.toArray().at(0).toString() : v.toString());
  }
  for (const QJsonValue& p : settings.value(QLatin1String("netclass_patterns")).toArray()) {
    const QJsonObject o = p.toObject();
    classes.patterns.emplace_back(NetPattern(o.value(QLatin1String("pattern")).toString()),
                                  o.value(QLatin1String("netclass")).toString());
  }
  classes.source = QStringLiteral("project file");
  return true;
}

bool boardNetClasses(const SExpr& board, NetClasses& classes, QString& error) {
  for (const SExpr* nc : board.all("net_class")) {
    if (nc->items.size() < 2 || nc->items[1].isList) {
      error = QStringLiteral("line %1: (net_class) without a name").arg(nc->line);
      return false;
    }
    const QString name = QString::fromUtf8(nc->items[1].text);
    double clearance = classes.defaultClearance;
    if (const SExpr* c = nc->find("clearance")) {
      bool ok = c->items.size() == 2 && !c->items[1].isList;
      if (ok) clearance = c->items[1].text.toDouble(&ok);
      if (!ok || !std::isfinite(clearance) || clearance < 0) {
        error = QStringLiteral(
                    "line %1: net class \"%2\": the clearance must be a non-negative "
                    "number")
                    .arg(c->line)
                    .arg(quotedExcerpt(name));
        return false;
      }
    }
    setClass(classes, name, clearance);
    for (const SExpr* add : nc->all("add_net")) {
      if (add->items.size() == 2)
        classes.netClass.insert(QString::fromUtf8(add->items[1].text), name);
    }
    classes.source = QStringLiteral("board file");
  }
  return true;
}
