// The in-memory form of a board design: the board region, the clearance and
// the copper features, each a region bounded by loops of lines, arcs and
// circles. Plain values, as read from a design file; units are those of the
// file, angles are degrees counter-clockwise from +x.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The double nearest pi, and degrees to radians and back.
constexpr double kPi = 3.141592653589793;
constexpr double kRadiansPerDegree = kPi / 180.0;
constexpr double kDegreesPerRadian = 180.0 / kPi;

struct DesignPoint {
  double x = 0;
  double y = 0;
};

struct DesignCurve {
  enum class Kind { Line, Arc, Circle };
  Kind kind = Kind::Line;
  DesignPoint from, to;  // Line
  DesignPoint center;    // Arc, Circle
  double radius = 0;     // Arc, Circle; positive
  double startDeg = 0;   // Arc
  double endDeg = 0;     // Arc
  bool ccw = true;       // Arc: runs counter-clockwise from start to end

  // Where the curve begins and ends (a circle begins and ends at angle 0).
  DesignPoint startPoint() const;
  DesignPoint endPoint() const;
};

// A closed chain: each curve ends where the next begins, the last where the
// first begins. A circle is a loop on its own.
using DesignLoop = std::vector<DesignCurve>;

// An outer loop and the holes cut out of it.
struct DesignRegion {
  DesignLoop outer;
  std::vector<DesignLoop> holes;
};

struct DesignFeature {
  QString id;   // unique within a JSON design; names the item in a board file
  QString net;  // features on one net may touch
  DesignRegion region;
  int layer = 0;          // index into Design::layers; only one layer's features meet
  double clearance = -1;  // the feature's own clearance; negative: the design's
};

struct Design {
  double clearance = 0;  // smallest allowed gap between different nets
  DesignRegion board;
  std::vector<DesignFeature> features;
  // Names of the copper layers, in stack order; a JSON design has one.
  QStringList layers{QStringLiteral("copper")};
  // Coordinates grow downwards on the page (board files); JSON designs
  // are drawn with y up.
  bool yDown = false;
  // What the reader read but does not audit, for people (one line each).
  QStringList notes;
  // Drilled holes of pads and vias, for drawing only (the audit works on
  // the copper, whose plated holes are copper).
  std::vector<DesignLoop> drills;

  // The clearance that applies to the feature: its own, else the design's.
  double clearanceOf(const DesignFeature& f) const {
    return f.clearance < 0 ? clearance : f.clearance;
  }
};
