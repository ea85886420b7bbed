// Net classes of a KiCad board: their clearances and which nets belong to
// them, from the project file beside the board (.kicad_pro, JSON) or, for
// boards without one, from the board's own (net_class ...) entries.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QRegularExpression>
#include <QString>

#include <utility>
#include <vector>

struct SExpr;

struct NetClasses {
  // KiCad's clearance of the Default class when nothing else says (mm).
  static constexpr double kDefaultClearance = 0.2;

  double defaultClearance = kDefaultClearance;
  QHash<QString, double> classClearance;  // class name -> clearance
  QHash<QString, QString> netClass;       // net name -> class name
  // Wildcard patterns (* and ?) of later formats, tried in order after netClass.
  std::vector<std::pair<QRegularExpression, QString>> patterns;
  QString source;  // where the classes came from, for people

  // The clearance of the net's class; the Default class for nets in no class.
  double clearanceOf(const QString& net) const;
};

// Reads net_settings of a project file. Returns false with a reason when
// the text is not JSON or a class has a clearance that is not a
// non-negative number.
bool parseProjectNetClasses(const QByteArray& json, NetClasses& classes, QString& error);

// (net_class NAME "description" (clearance C) (add_net "N") ...) entries of
// the board itself; false with a reason on a malformed entry.
bool boardNetClasses(const SExpr& board, NetClasses& classes, QString& error);
