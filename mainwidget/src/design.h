// The in-memory form of a board design: the board region, the clearance and
// the copper features, each a region bounded by loops of lines, arcs and
// circles. Plain values, as read from a design file; units are those of the
// file, angles are degrees counter-clockwise from +x.
#pragma once

#include <QString>

#include <vector>

// Degrees to radians (pi / 180).
constexpr double kRadiansPerDegree = 0.017453292519943295;

struct DesignPoint {
  double x = 0;
  double y = 0;
};

struct DesignCurve {
  enum class Kind { Line, Arc, Circle };
  Kind kind = Kind::Line;
  DesignPoint from, to;      // Line
  DesignPoint center;        // Arc, Circle
  double radius = 0;         // Arc, Circle; positive
  double startDeg = 0;       // Arc
  double endDeg = 0;         // Arc
  bool ccw = true;           // Arc: runs counter-clockwise from start to end

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
  QString id;   // unique within the design
  QString net;  // features on one net may touch
  DesignRegion region;
};

struct Design {
  double clearance = 0;  // smallest allowed gap between different nets
  DesignRegion board;
  std::vector<DesignFeature> features;
};
