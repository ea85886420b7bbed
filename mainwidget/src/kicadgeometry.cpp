#include "kicadgeometry.h"

#include <cmath>

namespace {

DesignPoint plus(const DesignPoint& a, double dx, double dy) {
  return DesignPoint{a.x + dx, a.y + dy};
}

double angleOf(const DesignPoint& center, const DesignPoint& p) {
  return std::atan2(p.y - center.y, p.x - center.x) * kDegreesPerRadian;
}

// Angles of a counter-clockwise (raw x/y) arc, end after start by less than
// a turn.
DesignCurve arcCurve(const DesignPoint& c, double r, double startDeg, double endDeg, bool ccw) {
  DesignCurve a;
  a.kind = DesignCurve::Kind::Arc;
  a.center = c;
  a.radius = r;
  a.startDeg = startDeg;
  a.endDeg = endDeg;
  a.ccw = ccw;
  return a;
}

bool same(const DesignPoint& a, const DesignPoint& b) { return a.x == b.x && a.y == b.y; }

void addLine(DesignLoop& loop, const DesignPoint& from, const DesignPoint& to) {
  if (!same(from, to)) loop.push_back(lineCurve(from, to));
}

}  // namespace

DesignPoint Placement::apply(const DesignPoint& l) const {
  const double a = angleDeg * kRadiansPerDegree;
  const double c = angleDeg == 0 ? 1.0 : std::cos(a);
  const double s = angleDeg == 0 ? 0.0 : std::sin(a);
  return DesignPoint{origin.x + l.x * c + l.y * s, origin.y - l.x * s + l.y * c};
}

DesignCurve Placement::apply(const DesignCurve& local) const {
  DesignCurve c = local;
  c.from = apply(local.from);
  c.to = apply(local.to);
  c.center = apply(local.center);
  // A page counter-clockwise turn is a clockwise one in raw x/y.
  c.startDeg = local.startDeg - angleDeg;
  c.endDeg = local.endDeg - angleDeg;
  return c;
}

DesignLoop Placement::apply(const DesignLoop& local) const {
  DesignLoop placed;
  placed.reserve(local.size());
  for (const DesignCurve& c : local) placed.push_back(apply(c));
  return placed;
}

bool arcThrough(const DesignPoint& s, const DesignPoint& m, const DesignPoint& e,
                DesignCurve& arc) {
  const double bx = m.x - s.x, by = m.y - s.y;
  const double cx = e.x - s.x, cy = e.y - s.y;
  const double d = 2.0 * (bx * cy - by * cx);
  const double scale = std::max({std::fabs(bx), std::fabs(by), std::fabs(cx), std::fabs(cy)});
  // Nearly collinear: the circle would be far larger than the arc.
  if (scale == 0 || std::fabs(d) <= 1e-9 * scale * scale) return false;
  const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
  const DesignPoint center{s.x + (cy * b2 - by * c2) / d, s.y + (bx * c2 - cx * b2) / d};
  const double r = std::hypot(s.x - center.x, s.y - center.y);
  arc = arcCurve(center, r, angleOf(center, s), angleOf(center, e), d > 0);
  return true;
}

DesignCurve lineCurve(const DesignPoint& from, const DesignPoint& to) {
  DesignCurve c;
  c.kind = DesignCurve::Kind::Line;
  c.from = from;
  c.to = to;
  return c;
}

DesignLoop circleLoop(const DesignPoint& center, double radius) {
  DesignCurve c;
  c.kind = DesignCurve::Kind::Circle;
  c.center = center;
  c.radius = radius;
  return {c};
}

DesignLoop polygonLoop(const std::vector<DesignPoint>& points) {
  std::vector<DesignPoint> distinct;
  for (const DesignPoint& p : points) {
    if (distinct.empty() || !same(distinct.back(), p)) distinct.push_back(p);
  }
  while (distinct.size() > 1 && same(distinct.front(), distinct.back())) distinct.pop_back();
  if (distinct.size() < 3) return {};
  DesignLoop loop;
  for (std::size_t i = 0; i < distinct.size(); ++i) {
    addLine(loop, distinct[i], distinct[(i + 1) % distinct.size()]);
  }
  return loop;
}

DesignLoop capsuleLoop(const DesignPoint& a, const DesignPoint& b, double hw) {
  const double len = std::hypot(b.x - a.x, b.y - a.y);
  if (len == 0) return circleLoop(a, hw);
  const double ux = (b.x - a.x) / len, uy = (b.y - a.y) / len;
  const double nx = -uy * hw, ny = ux * hw;  // normal, to the left in raw x/y
  const double dir = std::atan2(uy, ux) * kDegreesPerRadian;
  DesignLoop loop;
  loop.push_back(lineCurve(plus(a, -nx, -ny), plus(b, -nx, -ny)));
  loop.push_back(arcCurve(b, hw, dir - 90, dir + 90, true));
  loop.push_back(lineCurve(plus(b, nx, ny), plus(a, nx, ny)));
  loop.push_back(arcCurve(a, hw, dir + 90, dir + 270, true));
  return loop;
}

bool thickArcLoop(const DesignCurve& arc, double hw, DesignLoop& loop) {
  if (!(hw < arc.radius)) return false;
  // Walk a counter-clockwise copy: from s to e, outer side first.
  const double s = arc.ccw ? arc.startDeg : arc.endDeg;
  double e = arc.ccw ? arc.endDeg : arc.startDeg;
  if (e <= s) e = s + std::fmod(e - s, 360.0) + 360.0;
  const DesignCurve mid = arcCurve(arc.center, arc.radius, s, e, true);
  const DesignPoint ps = mid.startPoint(), pe = mid.endPoint();
  loop.clear();
  loop.push_back(arcCurve(arc.center, arc.radius + hw, s, e, true));
  loop.push_back(arcCurve(pe, hw, e, e + 180, true));
  loop.push_back(arcCurve(arc.center, arc.radius - hw, e, s, false));
  loop.push_back(arcCurve(ps, hw, s + 180, s + 360, true));
  return true;
}

DesignLoop rectLoop(double w, double h, const CornerCuts& cuts) {
  // Corners in raw counter-clockwise order, each with the directions of the
  // edge arriving at it and the one leaving it, and its KiCad name index.
  struct Corner {
    double sx, sy, inX, inY, outX, outY, arcStart;
    int name;
  };
  static const Corner corners[4] = {{1, -1, 1, 0, 0, 1, -90, 1},     // top_right
                                    {1, 1, 0, 1, -1, 0, 0, 2},       // bottom_right
                                    {-1, 1, -1, 0, 0, -1, 90, 3},    // bottom_left
                                    {-1, -1, 0, -1, 1, 0, 180, 0}};  // top_left
  const double limit = 0.5 * std::min(w, h);
  DesignPoint entry[4], exit[4];
  DesignLoop arcs[4];
  for (int k = 0; k < 4; ++k) {
    const Corner& c = corners[k];
    const bool chamfer = cuts.chamfered[c.name] && cuts.chamfer > 0;
    const double d = std::min(limit, chamfer ? cuts.chamfer : cuts.radius);
    const DesignPoint p{c.sx * w / 2, c.sy * h / 2};
    entry[k] = plus(p, -d * c.inX, -d * c.inY);
    exit[k] = plus(p, d * c.outX, d * c.outY);
    if (d > 0 && chamfer) arcs[k].push_back(lineCurve(entry[k], exit[k]));
    if (d > 0 && !chamfer) {
      arcs[k].push_back(
          arcCurve(plus(entry[k], d * c.outX, d * c.outY), d, c.arcStart, c.arcStart + 90, true));
    }
  }
  DesignLoop loop;
  for (int k = 0; k < 4; ++k) {
    for (const DesignCurve& a : arcs[k]) loop.push_back(a);
    addLine(loop, exit[k], entry[(k + 1) % 4]);
  }
  return loop;
}

DesignLoop trapezoidLoop(double w, double h, double dx, double dy) {
  const double hx = w / 2, hy = h / 2;
  return polygonLoop({{-hx - dy / 2, hy + dx / 2},
                      {-hx + dy / 2, -hy - dx / 2},
                      {hx - dy / 2, -hy + dx / 2},
                      {hx + dy / 2, hy - dx / 2}});
}
