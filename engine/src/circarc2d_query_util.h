// Small geometric steps shared by the arc's intersection and distance
// queries: polar angles, the "on the arc by angle" test, and the crossings
// of a circle with a line or with another circle. Private to the library.
#pragma once

#include <engine/circarc2d.h>
#include <engine/lineseg2d.h>
#include <engine/point2d.h>
#include <engine/tolerance.h>

#include <algorithm>
#include <cmath>

namespace circarc_query {

// Polar angle of p about centre, in [0, 2*pi). Within 1e-8 of the centre
// every direction is as good: pi/4, the direction of Unit's fallback, so
// that a point found "on the arc by angle" and then projected by
// RadialPoint lands on the arc.
inline double PolarAngle(const AcGePoint2d& p, const AcGePoint2d& centre) {
  const AcGeVector2d v = p - centre;
  if (v.length() < 1e-8) return std::atan(1.0);
  return v.angle();
}

// v divided by its length; the 45 degree unit vector when v is shorter
// than 1e-8 (the rule of AcGeVector2d::normal).
inline AcGeVector2d Unit(const AcGeVector2d& v) { return v.normal(GkGeoLib::g_tol); }

// True when the arc is a full circle or the angle lies in the arc's angular
// range, widened by tol.EqualVector() at both ends (inclusive): the arc's own
// IsAngleBetween.
inline bool AngleOnArc(const AcGeCircArc2d& arc, double angle, const GkTolerance& tol) {
  return arc.IsAngleBetween(angle, tol);
}

// The point's polar angle about the arc's centre passes AngleOnArc; the
// point's distance from the centre is not looked at.
inline bool OnArcByAngle(const AcGeCircArc2d& arc, const AcGePoint2d& p, const GkTolerance& tol) {
  return AngleOnArc(arc, PolarAngle(p, arc.center()), tol);
}

// centre + radius * unit(p - centre): the radial projection of p onto the
// circle (the centre itself maps to the 45 degree point).
inline AcGePoint2d RadialPoint(const AcGePoint2d& centre, double radius, const AcGePoint2d& p) {
  return centre + Unit(p - centre) * radius;
}

// Crossings of a segment's carrier line with a circle. The segment is
// lengthened by 2*radius at both ends (Ls, Le) so that the foot G of the
// centre on it is the foot on the infinite line; A = G - w*u lies towards
// the segment's start, B = G + w*u towards its end, with u the unit
// direction (45 degrees for a segment shorter than 1e-8) and w the half
// chord. Meaningful when the line reaches into the circle; a line that
// misses it by rounding only gets w = 0.
struct LineCircleCrossings {
  AcGePoint2d A;
  AcGePoint2d B;
  AcGePoint2d Ls;
  AcGePoint2d Le;
};

inline LineCircleCrossings CrossLineWithCircle(const AcGePoint2d& segStart,
                                               const AcGePoint2d& segEnd, const AcGePoint2d& centre,
                                               double radius) {
  const AcGeVector2d u = Unit(segEnd - segStart);
  LineCircleCrossings x;
  x.Ls = segStart - u * (2.0 * radius);
  x.Le = segEnd + u * (2.0 * radius);
  AcGeLineSeg2d longer(x.Ls, x.Le);
  AcGePoint2d c = centre;
  const AcGePoint2d G = longer.closestPointTo(c, GkGeoLib::g_tol);
  const double h = (G - centre).length();
  const double w = std::sqrt(std::max(0.0, radius * radius - h * h));
  x.A = G - u * w;
  x.B = G + u * w;
  return x;
}

// The two crossings of circles (c1, r1) and (c2, r2) a distance D apart:
// P on the left of the line from c1 to c2, Q on its right (seen from c1, P
// at the polar angle of c2 - c1 plus alpha, Q at it minus alpha). The
// points are taken on the smaller circle: near 1 an ulp of the cosine
// quotient is 1.5e-8 rad of alpha, which on a large circle puts a crossing
// far off a small one. The quotient is clamped to [-1, 1] so that circles
// touching within rounding give one real point twice instead of NaN; a NaN
// quotient (coincident centres) stays NaN.
struct CircleCircleCrossings {
  AcGePoint2d P;
  AcGePoint2d Q;
};

inline CircleCircleCrossings CrossCircles(const AcGePoint2d& c1, double r1, const AcGePoint2d& c2,
                                          double r2, double D) {
  // From the centre of the circle the points are taken on: the left point
  // is at +alpha from c1, at -alpha from c2.
  const bool onFirst = !(r2 < r1 && r2 > 0.0);
  const AcGePoint2d& c = onFirst ? c1 : c2;
  const AcGePoint2d& o = onFirst ? c2 : c1;
  const double r = onFirst ? r1 : r2, ro = onFirst ? r2 : r1;
  const double q = (r * r + D * D - ro * ro) * 0.5 / r / D;
  const double clamped = q < -1.0 ? -1.0 : (q > 1.0 ? 1.0 : q);
  const double alpha = onFirst ? std::acos(clamped) : -std::acos(clamped);
  const double theta = std::atan2(o.y - c.y, o.x - c.x);
  CircleCircleCrossings x;
  x.P = AcGePoint2d(c.x + r * std::cos(theta + alpha), c.y + r * std::sin(theta + alpha));
  x.Q = AcGePoint2d(c.x + r * std::cos(theta - alpha), c.y + r * std::sin(theta - alpha));
  return x;
}

// The touching point of two tangent circles, taken on the larger one: from
// c1 towards c2 when r1 > r2, otherwise from c2 towards c1.
inline AcGePoint2d TouchingPoint(const AcGePoint2d& c1, double r1, const AcGePoint2d& c2,
                                 double r2) {
  if (r1 > r2) return c1 + Unit(c2 - c1) * r1;
  return c2 + Unit(c1 - c2) * r2;
}

}  // namespace circarc_query
