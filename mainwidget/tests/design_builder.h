// Small builders for designs made in test code: lines, arcs, circles,
// rectangles and features, in drawing units and degrees.
#pragma once

#include "design.h"

#include <QString>

#include <string>

namespace build {

inline DesignCurve line(double x0, double y0, double x1, double y1) {
  DesignCurve c;
  c.kind = DesignCurve::Kind::Line;
  c.from = {x0, y0};
  c.to = {x1, y1};
  return c;
}

inline DesignCurve arc(double cx, double cy, double r, double startDeg, double endDeg, bool ccw) {
  DesignCurve c;
  c.kind = DesignCurve::Kind::Arc;
  c.center = {cx, cy};
  c.radius = r;
  c.startDeg = startDeg;
  c.endDeg = endDeg;
  c.ccw = ccw;
  return c;
}

inline DesignLoop circle(double cx, double cy, double r) {
  DesignCurve c;
  c.kind = DesignCurve::Kind::Circle;
  c.center = {cx, cy};
  c.radius = r;
  return {c};
}

inline DesignLoop rect(double x0, double x1, double y0, double y1) {
  return {line(x0, y0, x1, y0), line(x1, y0, x1, y1), line(x1, y1, x0, y1), line(x0, y1, x0, y0)};
}

inline DesignFeature feature(const std::string& id, const std::string& net, DesignLoop outer,
                             std::vector<DesignLoop> holes = {}) {
  return DesignFeature{QString::fromStdString(id), QString::fromStdString(net),
                       DesignRegion{std::move(outer), std::move(holes)}};
}

// A comb: a base 0..2n wide and 1 high with n teeth 1 wide, 5 high and 1
// apart on top, and a square hole 0.2..0.6 in the base under every tooth.
inline DesignRegion comb(int n) {
  DesignRegion r;
  r.outer.push_back(line(0, 0, 2.0 * n, 0));
  double x = 2.0 * n;
  r.outer.push_back(line(x, 0, x, 1));
  for (int k = n - 1; k >= 0; --k) {
    const double right = 2.0 * k + 1.0, left = 2.0 * k;
    r.outer.push_back(line(x, 1, right, 1));
    r.outer.push_back(line(right, 1, right, 6));
    r.outer.push_back(line(right, 6, left, 6));
    r.outer.push_back(line(left, 6, left, 1));
    x = left;
  }
  r.outer.back().to = {0, 1};
  r.outer.push_back(line(0, 1, 0, 0));
  for (int k = 0; k < n; ++k) r.holes.push_back(rect(2.0 * k + 0.2, 2.0 * k + 0.6, 0.2, 0.6));
  return r;
}

// A board 0..size square with the given clearance and no features yet.
inline Design board(double size, double clearance) {
  Design d;
  d.clearance = clearance;
  d.board.outer = rect(0, size, 0, size);
  return d;
}

}  // namespace build
