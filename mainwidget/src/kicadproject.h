// Net classes of a KiCad board: their clearances and which nets belong to
// them, from the project file beside the board (.kicad_pro, JSON) or, for
// boards without one, from the board's own (net_class ...) entries.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

#include <utility>
#include <vector>

struct SExpr;

// A net-class pattern: '*' stands for any run of characters (none, and '/'
// of hierarchical names, included), '?' for one character, every other
// character for itself, case included; the pattern covers the whole name.
// Each star's segment is placed at its first fit after the one before,
// which never leaves less room for the rest, so nothing is ever retried: a
// segment of plain characters is found with a prefix table in time linear
// in the name, one holding '?' costs its length at each place it is tried.
class NetPattern {
public:
  explicit NetPattern(const QString& pattern);
  // name as code points (QString::toUcs4).
  bool matches(const QVector<uint>& name) const;

private:
  struct Segment {
    std::vector<uint> chars;  // '?' stands for any
    std::vector<int> prefix;  // plain segments: the longest proper border of each prefix
    bool plain = true;        // holds no '?'
  };

  // Whether seg matches name at at, which leaves room for it.
  static bool fits(const Segment& seg, const uint* name, int at);
  // The first place in [from, to - size] where seg fits, or -1.
  static int find(const Segment& seg, const uint* name, int from, int to);

  std::vector<Segment> m_segments;  // between the stars, in order; all of it without a star
  bool m_star = false;
};

struct NetClasses {
  // KiCad's clearance of the Default class when nothing else says (mm).
  static constexpr double kDefaultClearance = 0.2;

  double defaultClearance = kDefaultClearance;
  QHash<QString, double> classClearance;  // class name -> clearance
  QHash<QString, QString> netClass;       // net name -> class name
  // Wildcard patterns (* and ?) of later formats, tried in order after netClass.
  std::vector<std::pair<NetPattern, QString>> patterns;
  QString source;  // where the classes came from, for people
  // The class of each net asked about ("" for none), so that a net with
  // many items has its patterns tried once. Filled by clearanceOf: the
  // lists above must not change once it is used.
  mutable QHash<QString, QString> resolved;

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
