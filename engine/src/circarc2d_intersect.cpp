// Where an arc meets a line segment or another arc. Each operation reports
// up to two points and a count that also encodes touching and overlap along
// one circle; see the declarations in circarc2d.h for the count codes and
// the end-point flags.
#include <engine/circarc2d.h>

#include <engine/boundbox2d.h>
#include <engine/lineseg2d.h>
#include <engine/tolerance.h>

#include "circarc2d_query_util.h"

#include <algorithm>
#include <cmath>

using namespace circarc_query;

namespace {

// Hands found points to the caller's out-parameters: the first stored point
// goes to p1, the second to p2; count says how many were stored.
struct PointStore {
  int& count;
  AcGePoint2d& p1;
  AcGePoint2d& p2;

  void Store(const AcGePoint2d& p) {
    ++count;
    if (count == 1) {
      p1 = p;
    } else if (count == 2) {
      p2 = p;
    }
  }
};

// Snaps p onto the arc's start point, else its end point, when it equals
// one of them (strict point equality with g_tol).
AcGePoint2d SnapToArcEnd(const AcGePoint2d& p, const AcGePoint2d& start, const AcGePoint2d& end) {
  if (p == start) return start;
  if (p == end) return end;
  return p;
}

// x lies in [lo - t, hi + t].
bool InWidened(double x, double lo, double hi, double t) { return lo - t <= x && x <= hi + t; }

// A line/circle crossing is kept when it lies in the segment's box widened
// by g_tol and on the arc by angle, or equals one of the arc's end points
// (then the end point itself is kept).
void StoreCrossingIfOnBoth(const AcGePoint2d& x, const GkBoundBox2d& segBox,
                           const AcGeCircArc2d& arc, const AcGePoint2d& arcStart,
                           const AcGePoint2d& arcEnd, PointStore& out) {
  const double t = GkGeoLib::g_tol.EqualPoint();
  if (!InWidened(x.x, segBox.minX, segBox.maxX, t) ||
      !InWidened(x.y, segBox.minY, segBox.maxY, t)) {
    return;
  }
  if (OnArcByAngle(arc, x, GkGeoLib::g_tol)) {
    out.Store(x);
  } else if (x == arcStart) {
    out.Store(arcStart);
  } else if (x == arcEnd) {
    out.Store(arcEnd);
  }
}

// Stores p when it is on both arcs by angle under tol.
void StoreIfOnBothArcs(const AcGePoint2d& p, const AcGeCircArc2d& a, const AcGeCircArc2d& b,
                       const GkTolerance& tol, PointStore& out) {
  if (OnArcByAngle(a, p, tol) && OnArcByAngle(b, p, tol)) out.Store(p);
}

// The two arcs run the same way round their circle.
bool SameDirection(const AcGeCircArc2d& a, const AcGeCircArc2d& b) {
  return a.isClockWise() == b.isClockWise();
}

bool AnglesEqual(double a, double b, const GkTolerance& tol) {
  return GkMath::Compare(a, b, tol) == CMP_EQUAL;
}

// The rules shared by both arc-with-arc operations for two arcs on one
// circle whose end angles pair up exactly: same ends (identical arcs, or two
// arcs making up the circle when they run opposite ways) or swapped ends
// (a reversed copy, or the two halves of one circle when they run the same
// way). Returns false when the end angles do not pair up.
bool MatchedEndsOnOneCircle(const AcGeCircArc2d& self, const AcGeCircArc2d& other,
                            const GkTolerance& tol, PointStore& out) {
  const bool same = SameDirection(self, other);
  const bool sameEnds = AnglesEqual(self.startAng(), other.startAng(), tol) &&
                        AnglesEqual(self.endAng(), other.endAng(), tol);
  const bool swappedEnds = AnglesEqual(self.startAng(), other.endAng(), tol) &&
                           AnglesEqual(self.endAng(), other.startAng(), tol);
  if (!sameEnds && !swappedEnds) return false;
  // Same ends and same way, or swapped ends and opposite ways: one point set.
  if (sameEnds == same) {
    out.count = 3;
  } else {
    out.p1 = self.startPoint();
    out.p2 = self.endPoint();
    out.count = 2;
  }
  return true;
}

// Arcs on one circle, no flags: g_tol throughout.
bool SameCircleNoFlags(const AcGeCircArc2d& self, const AcGeCircArc2d& other, PointStore& out) {
  const GkTolerance& g = GkGeoLib::g_tol;
  if (self.IsCircle() || other.IsCircle()) {
    out.count = 3;
    return true;
  }
  if (MatchedEndsOnOneCircle(self, other, g, out)) return true;

  const double s1 = self.startAng(), e1 = self.endAng();
  const double s2 = other.startAng(), e2 = other.endAng();
  const bool selfHasS2 = AngleOnArc(self, s2, g), selfHasE2 = AngleOnArc(self, e2, g);
  const bool otherHasS1 = AngleOnArc(other, s1, g), otherHasE1 = AngleOnArc(other, e1, g);

  // A single shared end point: the two arcs meet there and run apart.
  const bool touchAtStart = (AnglesEqual(s1, s2, g) && !selfHasE2 && !otherHasE1) ||
                            (AnglesEqual(s1, e2, g) && !selfHasS2 && !otherHasE1);
  const bool touchAtEnd = (AnglesEqual(e1, s2, g) && !selfHasE2 && !otherHasS1) ||
                          (AnglesEqual(e1, e2, g) && !selfHasS2 && !otherHasS1);
  if (touchAtStart || touchAtEnd) {
    out.Store(touchAtStart ? self.startPoint() : self.endPoint());
    return true;
  }
  if (selfHasS2 || selfHasE2 || otherHasS1 || otherHasE1) {
    out.count = 3;
    return true;
  }
  return false;
}

// Adds an end point X of the common stretch of two overlapping arcs: as the
// first point (bit firstBit) or as the second (bit secondBit, count 3 and
// done). A point equal to p1 is not added twice. Returns true when the
// second point was added.
bool AddOverlapEnd(const AcGePoint2d& X, int firstBit, int secondBit, std::bitset<7>& flags,
                   PointStore& out) {
  if (out.count == 1 && X == out.p1) return false;
  ++out.count;
  if (out.count == 2) {
    flags.set(static_cast<std::size_t>(secondBit));
    out.p2 = X;
    out.count = 3;
    return true;
  }
  flags.set(static_cast<std::size_t>(firstBit));
  out.p1 = X;
  return false;
}

// Arcs on one circle, with end-point flags: the caller's tol throughout.
bool SameCircleWithFlags(const AcGeCircArc2d& self, const AcGeCircArc2d& other,
                         const GkTolerance& tol, std::bitset<7>& flags, PointStore& out) {
  if (self.IsCircle() || other.IsCircle()) {
    out.count = 3;
    return true;
  }
  if (MatchedEndsOnOneCircle(self, other, tol, out)) return true;

  const bool a = AngleOnArc(self, other.startAng(), tol);
  const bool b = AngleOnArc(self, other.endAng(), tol);
  const bool c = AngleOnArc(other, self.startAng(), tol);
  const bool e = AngleOnArc(other, self.endAng(), tol);
  if (a && b && c && e) {
    out.count = 4;
    return true;
  }
  if (a) {
    flags.set(0);
    out.p1 = other.startPoint();
    out.count = 1;
  }
  if (b && AddOverlapEnd(other.endPoint(), 1, 4, flags, out)) return true;
  if (c && AddOverlapEnd(self.startPoint(), 2, 5, flags, out)) return true;
  if (e && AddOverlapEnd(self.endPoint(), 3, 6, flags, out)) return true;
  return out.count != 0;
}

// The point p of one arc lies on the other arc: on it by angle and at its
// radius within tol.EqualPoint().
bool EndPointOnArc(const AcGePoint2d& p, const AcGeCircArc2d& arc, const GkTolerance& tol) {
  const double off = std::fabs(p.distanceTo(arc.center()) - arc.radius());
  return OnArcByAngle(arc, p, tol) && off <= tol.EqualPoint();
}

// Circles that are apart, or one inside the other, by more than t.
bool CirclesMiss(double D, double r1, double r2, double t) {
  if (std::fabs(D - (r1 + r2)) > t && D - (r1 + r2) > t) return true;
  const double dr = std::fabs(r1 - r2);
  return std::fabs(D - dr) > t && D - dr <= t;
}

// The circles touch (externally or internally) within t.
bool CirclesTouch(double D, double r1, double r2, double t) {
  return t > std::fabs(D - r1 - r2) || t > std::fabs(D - std::fabs(r1 - r2));
}

}  // namespace

bool AcGeCircArc2d::intersectWith(AcGeLineSeg2d& seg, int& count, AcGePoint2d& p1, AcGePoint2d& p2,
                                  const GkTolerance& tol) {
  count = 0;
  PointStore out{count, p1, p2};
  const GkTolerance& g = GkGeoLib::g_tol;
  const AcGePoint2d c = center();
  const double r = radius();
  const AcGePoint2d arcStart = startPoint();
  const AcGePoint2d arcEnd = endPoint();

  AcGePoint2d centre = c;
  const AcGePoint2d F = seg.closestPointTo(centre, tol);
  const double d = (c - F).length();

  if (std::fabs(d - r) <= tol.EqualPoint()) {
    // The segment touches the circle: prefer an arc end lying on it.
    if (seg.IsPointOnSeg(arcStart, g)) {
      out.Store(arcStart);
    } else if (seg.IsPointOnSeg(arcEnd, g)) {
      out.Store(arcEnd);
    } else if (OnArcByAngle(*this, F, g)) {
      out.Store(F);
    }
    return count != 0;
  }
  if (d - r > tol.EqualPoint()) return false;

  const LineCircleCrossings x = CrossLineWithCircle(seg.startPoint(), seg.endPoint(), c, r);
  const GkBoundBox2d segBox = seg.GetBoundBox();
  StoreCrossingIfOnBoth(x.A, segBox, *this, arcStart, arcEnd, out);
  StoreCrossingIfOnBoth(x.B, segBox, *this, arcStart, arcEnd, out);
  if (count >= 1) p1 = SnapToArcEnd(p1, arcStart, arcEnd);
  if (count == 2) p2 = SnapToArcEnd(p2, arcStart, arcEnd);
  if (count == 0) {
    // Arc ends on the segment whose computed crossings fell just outside it.
    if (seg.IsPointOnSeg(arcStart, g)) out.Store(arcStart);
    if (seg.IsPointOnSeg(arcEnd, g)) out.Store(arcEnd);
  }
  return count != 0;
}

bool AcGeCircArc2d::intersectWith(AcGeCircArc2d& other, int& count, AcGePoint2d& p1,
                                  AcGePoint2d& p2, const GkTolerance& tol) {
  count = 0;
  PointStore out{count, p1, p2};
  const GkTolerance& g = GkGeoLib::g_tol;
  const AcGePoint2d c1 = center(), c2 = other.center();
  const double r1 = radius(), r2 = other.radius();
  const double D = c1.distanceTo(c2);

  if (CirclesMiss(D, r1, r2, g.EqualPoint())) return false;
  if (CirclesTouch(D, r1, r2, tol.EqualPoint())) {
    if (std::fabs(D) > tol.EqualPoint()) {
      StoreIfOnBothArcs(TouchingPoint(c1, r1, c2, r2), *this, other, g, out);
      return count != 0;
    }
    return SameCircleNoFlags(*this, other, out);
  }
  const CircleCircleCrossings x = CrossCircles(c1, r1, c2, r2, D);
  StoreIfOnBothArcs(x.P, *this, other, g, out);
  StoreIfOnBothArcs(x.Q, *this, other, g, out);
  return count != 0;
}

bool AcGeCircArc2d::intersectWith(AcGeCircArc2d& other, int& count, std::bitset<7>& flags,
                                  AcGePoint2d& p1, AcGePoint2d& p2, const GkTolerance& tol) {
  count = 0;
  flags.reset();
  PointStore out{count, p1, p2};
  const AcGePoint2d c1 = center(), c2 = other.center();
  const double r1 = radius(), r2 = other.radius();
  const double D = c1.distanceTo(c2);

  if (CirclesMiss(D, r1, r2, tol.EqualPoint())) return false;
  if (!CirclesTouch(D, r1, r2, tol.EqualPoint())) {
    const CircleCircleCrossings x = CrossCircles(c1, r1, c2, r2, D);
    StoreIfOnBothArcs(x.P, *this, other, tol, out);
    StoreIfOnBothArcs(x.Q, *this, other, tol, out);
    return count != 0;
  }
  if (D > std::max(r1, r2) * 0.0002) {
    // Tangent circles: an end point lying on the other arc, else the
    // touching point.
    const AcGePoint2d candidates[4] = {startPoint(), endPoint(), other.startPoint(),
                                       other.endPoint()};
    for (int i = 0; i < 4; ++i) {
      const AcGeCircArc2d& target = i < 2 ? other : *this;
      if (EndPointOnArc(candidates[i], target, tol)) {
        out.Store(candidates[i]);
        return true;
      }
    }
    StoreIfOnBothArcs(TouchingPoint(c1, r1, c2, r2), *this, other, tol, out);
    return count != 0;
  }
  return SameCircleWithFlags(*this, other, tol, flags, out);
}
