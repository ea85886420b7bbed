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

// A board 0..size square with the given clearance and no features yet.
inline Design board(double size, double clearance) {
  Design d;
  d.clearance = clearance;
  d.board.outer = rect(0, size, 0, size);
  return d;
}

}  // namespace build
