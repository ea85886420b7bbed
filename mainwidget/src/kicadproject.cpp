#include "kicadproject.h"

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

double NetClasses::clearanceOf(const QString& net) const {
  auto it = netClass.constFind(net);
  QString cls = it == netClass.constEnd() ? QString() : *it;
  for (std::size_t i = 0; cls.isEmpty() && i < patterns.size(); ++i) {
    if (patterns[i].first.match(net).hasMatch()) cls = patterns[i].second;
  }
  return classClearance.value(cls, defaultClearance);
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
                    .arg(name);
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
    const QString pattern = QRegularExpression::wildcardToRegularExpression(
        o.value(QLatin1String("pattern")).toString());
    classes.patterns.emplace_back(QRegularExpression(pattern),
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
                    .arg(name);
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
