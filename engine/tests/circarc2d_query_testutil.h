// Builders and independent reference checks shared by the arc intersection
// and distance tests. The reference checks are written from plain geometry
// (sweep offsets, dense sampling), not from the library's own helpers.
#pragma once

#include <engine/circarc2d.h>
#include <engine/lineseg2d.h>
#include <engine/tolerance.h>

#include <testsupport/shape_builders.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace arcq_test {

using testsupport::kPi;
constexpr double kTwoPi = 2 * kPi;

inline AcGeCircArc2d Arc(double cx, double cy, double r, double start, double end, bool ccw) {
  return AcGeCircArc2d(AcGePoint2d(cx, cy), r, start, end, ccw);
}

inline AcGeCircArc2d Circle(double cx, double cy, double r) {
  return AcGeCircArc2d(AcGePoint2d(cx, cy), r);
}

inline AcGeLineSeg2d Seg(double x1, double y1, double x2, double y2) {
  return AcGeLineSeg2d(AcGePoint2d(x1, y1), AcGePoint2d(x2, y2));
}

// Angle wrapped into [0, 2*pi).
inline double Wrap(double a) {
  double w = std::fmod(a, kTwoPi);
  if (w < 0) w += kTwoPi;
  return w;
}

// How far along the arc (as a swept angle from its start) the direction a
// lies, and the arc's sweep. A full circle has sweep 2*pi.
inline double SweepOf(const AcGeCircArc2d& arc) {
  if (arc.IsCircle()) return kTwoPi;
  const double s =
      arc.isClockWise() ? arc.startAng() - arc.endAng() : arc.endAng() - arc.startAng();
  const double w = Wrap(s);
  return w == 0.0 ? kTwoPi : w;
}

inline double OffsetAlong(const AcGeCircArc2d& arc, double a) {
  return arc.isClockWise() ? Wrap(arc.startAng() - a) : Wrap(a - arc.startAng());
}

// Direction a is on the arc, or within margin (radians) of an arc end, so
// that a test can skip inputs whose answer rests on the tolerance.
inline bool DirectionOnArc(const AcGeCircArc2d& arc, double a) {
  return arc.IsCircle() || OffsetAlong(arc, a) <= SweepOf(arc);
}

inline bool NearArcEnd(const AcGeCircArc2d& arc, double a, double margin) {
  if (arc.IsCircle()) return false;
  const double off = OffsetAlong(arc, a);
  const double sweep = SweepOf(arc);
  return off < margin || std::fabs(off - sweep) < margin || kTwoPi - off < margin;
}

inline double DirectionOf(const AcGePoint2d& p, const AcGePoint2d& c) {
  return Wrap(std::atan2(p.y - c.y, p.x - c.x));
}

// Point on the arc at a fraction t in [0, 1] of its sweep.
inline AcGePoint2d ArcPointAt(const AcGeCircArc2d& arc, double t) {
  const double sweep = SweepOf(arc);
  const double a = arc.isClockWise() && !arc.IsCircle() ? arc.startAng() - t * sweep
                                                        : arc.startAng() + t * sweep;
  const AcGePoint2d c = arc.center();
  return AcGePoint2d(c.x + arc.radius() * std::cos(a), c.y + arc.radius() * std::sin(a));
}

// Distance from p to the segment ab, by plain projection.
inline double SegPointDistance(const AcGePoint2d& a, const AcGePoint2d& b, const AcGePoint2d& p) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double l2 = dx * dx + dy * dy;
  double t = l2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / l2 : 0.0;
  t = std::min(1.0, std::max(0.0, t));
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Distance from p to the arc's point set.
inline double ArcPointDistance(const AcGeCircArc2d& arc, const AcGePoint2d& p) {
  const AcGePoint2d c = arc.center();
  if (DirectionOnArc(arc, DirectionOf(p, c))) {
    return std::fabs(std::hypot(p.x - c.x, p.y - c.y) - arc.radius());
  }
  const AcGePoint2d s = arc.startPoint(), e = arc.endPoint();
  return std::min(std::hypot(p.x - s.x, p.y - s.y), std::hypot(p.x - e.x, p.y - e.y));
}

// p lies on the arc: at the radius within tol and in its angular range
// (within tol/radius radians of it).
inline bool PointOnArc(const AcGeCircArc2d& arc, const AcGePoint2d& p, double tol) {
  const AcGePoint2d c = arc.center();
  const double r = arc.radius();
  if (std::fabs(std::hypot(p.x - c.x, p.y - c.y) - r) > tol) return false;
  const double a = DirectionOf(p, c);
  return DirectionOnArc(arc, a) || NearArcEnd(arc, a, tol / std::max(r, 1e-300));
}

// Random arc (never a full circle) with centre in [-5, 5]^2, radius in
// [0.3, 4], sweep in [0.2, 2*pi - 0.2], either direction.
inline AcGeCircArc2d RandomArc(std::mt19937& rng) {
  std::uniform_real_distribution<double> coord(-5.0, 5.0), rad(0.3, 4.0), ang(0.0, kTwoPi),
      sweep(0.2, kTwoPi - 0.2);
  std::bernoulli_distribution ccw(0.5);
  const double cx = coord(rng), cy = coord(rng), r = rad(rng), s = ang(rng), w = sweep(rng);
  const bool isCcw = ccw(rng);
  return Arc(cx, cy, r, s, isCcw ? s + w : s - w, isCcw);
}

inline AcGeLineSeg2d RandomSeg(std::mt19937& rng) {
  std::uniform_real_distribution<double> coord(-8.0, 8.0);
  const double x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
  return Seg(x1, y1, x2, y2);
}

}  // namespace arcq_test
