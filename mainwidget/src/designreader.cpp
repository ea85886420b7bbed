#include "designreader.h"

#include "echotext.h"
#include "jsonkeys.h"
#include "kicadboard.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cmath>
#include <initializer_list>

using namespace designformat;

namespace {

// Thrown inside the reader only, caught by parseDesign.
struct ReadError {
  QString where;
  QString what;
};

[[noreturn]] void fail(const QString& where, const QString& what) { throw ReadError{where, what}; }

void allowOnly(const QJsonObject& obj, std::initializer_list<const char*> keys,
               const QString& where) {
  for (auto it = obj.begin(); it != obj.end(); ++it) {
    bool known = false;
    for (const char* k : keys) known = known || it.key() == QLatin1String(k);
    if (!known) fail(where, QStringLiteral("unknown key \"%1\"").arg(quotedExcerpt(it.key())));
  }
}

QJsonValue required(const QJsonObject& obj, const char* key, const QString& where) {
  const QJsonValue v = obj.value(QLatin1String(key));
  if (v.isUndefined()) fail(where, QStringLiteral("\"%1\" is missing").arg(QLatin1String(key)));
  return v;
}

QJsonObject asObject(const QJsonValue& v, const QString& where) {
  if (!v.isObject()) fail(where, QStringLiteral("must be an object"));
  return v.toObject();
}

QJsonArray asArray(const QJsonValue& v, const QString& where) {
  if (!v.isArray()) fail(where, QStringLiteral("must be an array"));
  return v.toArray();
}

double asNumber(const QJsonValue& v, const QString& where) {
  if (!v.isDouble() || !std::isfinite(v.toDouble()))
    fail(where, QStringLiteral("must be a number"));
  return v.toDouble();
}

QString asName(const QJsonValue& v, const QString& where) {
  if (!v.isString() || v.toString().trimmed().isEmpty()) {
    fail(where, QStringLiteral("must be a non-empty string"));
  }
  return v.toString();
}

QString at(const QString& where, const char* key) {
  return where.isEmpty() ? QLatin1String(key) : where + QLatin1Char('.') + QLatin1String(key);
}

QString at(const QString& where, int index) { return where + QStringLiteral("[%1]").arg(index); }

double coordinate(const QJsonValue& v, const QString& where) {
  const double c = asNumber(v, where);
  if (std::fabs(c) > kMaxCoordinate) {
    fail(where, QStringLiteral("lies outside +-%1").arg(kMaxCoordinate));
  }
  return c;
}

DesignPoint point(const QJsonValue& v, const QString& where) {
  const QJsonArray a = asArray(v, where);
  if (a.size() != 2) fail(where, QStringLiteral("must be a point [x, y]"));
  return DesignPoint{coordinate(a.at(0), at(where, 0)), coordinate(a.at(1), at(where, 1))};
}

double radius(const QJsonObject& obj, const QString& where) {
  const QString w = at(where, "radius");
  const double r = asNumber(required(obj, "radius", where), w);
  if (!(r > 0) || r > kMaxRadius) {
    fail(w, QStringLiteral("must be positive and at most %1").arg(kMaxRadius));
  }
  return r;
}

// An angle in degrees, brought within a turn when beyond one. The closure
// check below places an arc's ends with the degrees as read, the geometry
// library by reducing their radians with its own double 2 pi: over many
// turns the two drift apart (16 units at 1e14 turns), and a loop found
// closed here would be open in the audited geometry. std::fmod is exact,
// so the reduced angle names the same direction for both. Angles within a
// turn are kept as written (an arc from 270 to 360 keeps its 360), as the
// samples and every reader of a design see them.
double angle(const QJsonValue& v, const QString& where) {
  const double deg = asNumber(v, where);
  return std::fabs(deg) > 360.0 ? std::fmod(deg, 360.0) : deg;
}

bool sameAngle(double aDeg, double bDeg) {
  const double d = std::remainder(aDeg - bDeg, 360.0);
  return std::fabs(d) <= 1e-9;
}

DesignCurve curve(const QJsonValue& v, const QString& where) {
  const QJsonObject obj = asObject(v, where);
  const QJsonValue typeValue = required(obj, "type", where);
  const QString type = typeValue.toString();
  DesignCurve c;
  if (type == QLatin1String("line")) {
    allowOnly(obj, {"type", "from", "to"}, where);
    c.kind = DesignCurve::Kind::Line;
    c.from = point(required(obj, "from", where), at(where, "from"));
    c.to = point(required(obj, "to", where), at(where, "to"));
  } else if (type == QLatin1String("arc")) {
    allowOnly(obj, {"type", "center", "radius", "start", "end", "direction"}, where);
    c.kind = DesignCurve::Kind::Arc;
    c.center = point(required(obj, "center", where), at(where, "center"));
    c.radius = radius(obj, where);
    c.startDeg = angle(required(obj, "start", where), at(where, "start"));
    c.endDeg = angle(required(obj, "end", where), at(where, "end"));
    const QString dir = required(obj, "direction", where).toString();
    if (dir != QLatin1String("ccw") && dir != QLatin1String("cw")) {
      fail(at(where, "direction"), QStringLiteral("must be \"ccw\" or \"cw\""));
    }
    c.ccw = dir == QLatin1String("ccw");
    if (sameAngle(c.startDeg, c.endDeg)) {
      fail(where, QStringLiteral("an arc needs different start and end angles (use a circle)"));
    }
  } else if (type == QLatin1String("circle")) {
    allowOnly(obj, {"type", "center", "radius"}, where);
    c.kind = DesignCurve::Kind::Circle;
    c.center = point(required(obj, "center", where), at(where, "center"));
    c.radius = radius(obj, where);
  } else {
    fail(at(where, "type"), QStringLiteral("must be \"line\", \"arc\" or \"circle\""));
  }
  return c;
}

double gap(const DesignPoint& a, const DesignPoint& b) { return std::hypot(a.x - b.x, a.y - b.y); }

void checkLoopShape(const DesignLoop& loop, const QString& where) {
  bool hasArc = false;
  for (std::size_t i = 0; i < loop.size(); ++i) {
    if (loop[i].kind == DesignCurve::Kind::Circle && loop.size() != 1) {
      fail(at(where, static_cast<int>(i)), QStringLiteral("a circle must be alone in its loop"));
    }
    hasArc = hasArc || loop[i].kind == DesignCurve::Kind::Arc;
  }
  if (loop.size() == 1 && loop[0].kind != DesignCurve::Kind::Circle) {
    fail(where, QStringLiteral("a single line or arc cannot close a loop"));
  }
  if (!hasArc && loop.size() == 2) fail(where, QStringLiteral("two lines cannot enclose an area"));
  for (std::size_t i = 0; i < loop.size(); ++i) {
    const std::size_t next = (i + 1) % loop.size();
    const double g = gap(loop[i].endPoint(), loop[next].startPoint());
    if (g > kJoinTol) {
      fail(at(where, static_cast<int>(next)),
           QStringLiteral("does not start where the previous element ends (gap %1)").arg(g));
    }
  }
}

DesignLoop loop(const QJsonValue& v, const QString& where) {
  const QJsonArray a = asArray(v, where);
  if (a.isEmpty()) fail(where, QStringLiteral("a loop needs at least one element"));
  DesignLoop l;
  for (int i = 0; i < a.size(); ++i) l.push_back(curve(a.at(i), at(where, i)));
  checkLoopShape(l, where);
  return l;
}

DesignRegion region(const QJsonValue& v, const QString& where) {
  const QJsonObject obj = asObject(v, where);
  allowOnly(obj, {"outer", "holes"}, where);
  DesignRegion r;
  r.outer = loop(required(obj, "outer", where), at(where, "outer"));
  if (obj.contains(QLatin1String("holes"))) {
    const QString hw = at(where, "holes");
    const QJsonArray holes = asArray(obj.value(QLatin1String("holes")), hw);
    for (int i = 0; i < holes.size(); ++i) r.holes.push_back(loop(holes.at(i), at(hw, i)));
  }
  return r;
}

DesignFeature feature(const QJsonValue& v, const QString& where) {
  const QJsonObject obj = asObject(v, where);
  allowOnly(obj, {"id", "net", "region"}, where);
  DesignFeature f;
  f.id = asName(required(obj, "id", where), at(where, "id"));
  const QString named = where + QStringLiteral(" (\"%1\")").arg(quotedExcerpt(f.id));
  f.net = asName(required(obj, "net", named), at(named, "net"));
  f.region = region(required(obj, "region", named), at(named, "region"));
  return f;
}

Design design(const QJsonObject& top) {
  allowOnly(top, {"clearance", "board", "features", "units", "name", "description"}, QString());
  Design d;
  d.clearance = asNumber(required(top, "clearance", QString()), QStringLiteral("clearance"));
  if (d.clearance < 0) fail(QStringLiteral("clearance"), QStringLiteral("must not be negative"));
  d.board = region(required(top, "board", QString()), QStringLiteral("board"));
  const QJsonArray features =
      asArray(required(top, "features", QString()), QStringLiteral("features"));
  QSet<QString> ids;
  for (int i = 0; i < features.size(); ++i) {
    const QString where = at(QStringLiteral("features"), i);
    d.features.push_back(feature(features.at(i), where));
    if (ids.contains(d.features.back().id)) {
      fail(at(where, "id"),
           QStringLiteral("\"%1\" is used twice").arg(quotedExcerpt(d.features.back().id)));
    }
    ids.insert(d.features.back().id);
  }
  return d;
}

}  // namespace

bool parseDesign(const QByteArray& json, Design& out, QString& error) {
  if (json.trimmed().isEmpty()) {
    error = QStringLiteral("the design is empty");
    return false;
  }
  // Before Qt parses: Qt keeps the last of a repeated key (and leaks the
  // values it drops).
  QString path, key;
  if (findRepeatedKey(json, path, key)) {
    error = (path.isEmpty() ? QString() : path + QStringLiteral(": ")) +
            QStringLiteral("the key \"%1\" appears twice").arg(key);
    return false;
  }
  QJsonParseError parseError{};
  const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
  if (parseError.error != QJsonParseError::NoError) {
    error = QStringLiteral("not valid JSON (offset %1: %2)")
                .arg(parseError.offset)
                .arg(parseError.errorString());
    return false;
  }
  if (!doc.isObject()) {
    error = QStringLiteral("the top level must be an object");
    return false;
  }
  try {
    out = design(doc.object());
  } catch (const ReadError& e) {
    error = e.where.isEmpty() ? e.what : e.where + QStringLiteral(": ") + e.what;
    return false;
  }
  return true;
}

bool readDesignFile(const QString& path, Design& out, QString& error) {
  const QFileInfo info(path);
  if (info.isDir()) {
    error = QStringLiteral("is a folder, not a design file");
    return false;
  }
  // A FIFO would block the open, and it and a device have no size to
  // check against the limit: only regular files are read.
  if (info.exists() && !info.isFile()) {
    error = QStringLiteral("is not a regular file");
    return false;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    error = QStringLiteral("cannot open: %1").arg(file.errorString());
    return false;
  }
  if (file.size() > kMaxFileSize) {
    error = QStringLiteral("larger than %1 bytes").arg(kMaxFileSize);
    return false;
  }
  const QByteArray data = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    error = QStringLiteral("cannot read: %1").arg(file.errorString());
    return false;
  }
  if (!looksLikeKicadBoard(data)) return parseDesign(data, out, error);
  // A board file: net classes come from the project file beside it.
  QFile project(kicadProjectPath(path));
  if (!project.exists()) return parseKicadBoard(data, nullptr, out, error);
  if (!QFileInfo(project).isFile() || !project.open(QIODevice::ReadOnly) ||
      project.size() > kMaxFileSize) {
    error = QStringLiteral("cannot read the project file %1").arg(project.fileName());
    return false;
  }
  const QByteArray projectText = project.readAll();
  return parseKicadBoard(data, &projectText, out, error);
}
