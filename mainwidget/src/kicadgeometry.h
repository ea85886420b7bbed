// Outlines of board-file items as design loops: polygons, capsules (round
// ended tracks), thick arcs, circles, rounded, chamfered and trapezoidal
// rectangles, and the placement of footprint-local geometry on the board.
// Coordinates are the board file's: millimetres, y growing downwards, and
// angles in degrees counter-clockwise as seen on the page (which is
// clockwise in the raw x/y numbers).
#pragma once

#include "design.h"

#include <vector>

// A rotation by angleDeg (page counter-clockwise) followed by a shift.
struct Placement {
  DesignPoint origin;
  double angleDeg = 0;

  DesignPoint apply(const DesignPoint& local) const;
  DesignCurve apply(const DesignCurve& local) const;
  DesignLoop apply(const DesignLoop& local) const;
};

// An arc through three points (start, a point on it, end); false when the
// points are (nearly) on one line or coincide, which leaves arc unset.
bool arcThrough(const DesignPoint& start, const DesignPoint& mid, const DesignPoint& end,
                DesignCurve& arc);

DesignCurve lineCurve(const DesignPoint& from, const DesignPoint& to);
DesignLoop circleLoop(const DesignPoint& center, double radius);

// A closed polygon through the points (consecutive duplicates dropped, the
// last point joined back to the first); empty when fewer than three
// distinct points remain.
DesignLoop polygonLoop(const std::vector<DesignPoint>& points);

// Everything within halfWidth of the segment a-b: two lines and two half
// circles, or one circle when a and b coincide. halfWidth > 0.
DesignLoop capsuleLoop(const DesignPoint& a, const DesignPoint& b, double halfWidth);

// Everything within halfWidth of the arc: outer and inner arcs joined by
// half circles at the ends. Needs halfWidth < arc.radius; false otherwise.
bool thickArcLoop(const DesignCurve& arc, double halfWidth, DesignLoop& loop);

// A w x h rectangle centred on the origin with its corners rounded by
// radius or cut by chamfer. Corners in KiCad's order of names:
// top_left, top_right, bottom_right, bottom_left (top is -y).
struct CornerCuts {
  double radius = 0;   // rounded corners (those not chamfered)
  double chamfer = 0;  // size of each chamfer, along both edges
  bool chamfered[4] = {false, false, false, false};
};
DesignLoop rectLoop(double w, double h, const CornerCuts& cuts);

// The trapezoid of a w x h pad centred on the origin whose delta (dx, dy)
// grows one end and shrinks the opposite one by half of it each way: the
// end at x = -w/2 is h + dx tall and the one at +w/2 h - dx; the end at
// y = +h/2 (page bottom) is w + dy wide and the one at -h/2 w - dy.
DesignLoop trapezoidLoop(double w, double h, double dx, double dy);
