// Distances and nearest points between an arc and a point, a line segment
// or another arc. Each answer is the best of a fixed list of candidates
// (foot of the perpendicular from the centre, line/circle crossings, the
// facing points of two circles, the end points of both curves), taken in a
// fixed order; nothing is searched.
#include <engine/circarc2d.h>

#include <engine/lineseg2d.h>
#include <engine/tolerance.h>

#include "circarc2d_query_util.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace circarc_query;

namespace {

// A candidate pair of points: first on the object whose member is called,
// second on the argument. Later candidates replace it only when strictly
// nearer.
struct BestPair {
  AcGePoint2d onThis;
  AcGePoint2d onOther;
  double dist = std::numeric_limits<double>::infinity();
  bool set = false;

  void Offer(const AcGePoint2d& a, const AcGePoint2d& b) { Offer(a, b, a.distanceTo(b)); }
  void Offer(const AcGePoint2d& a, const AcGePoint2d& b, double d) {
    if (!set || d < dist) {
      onThis = a;
      onOther = b;
      dist = d;
      set = true;
    }
  }
};

// A curve's nearest point to p and its distance from p, with g_tol. The
// interface takes the point by non-const reference, hence the copy.
AcGePoint2d NearestTo(GkCurve2d& curve, const AcGePoint2d& p) {
  AcGePoint2d q = p;
  return curve.closestPointTo(q, GkGeoLib::g_tol);
}

double DistanceFrom(GkCurve2d& curve, const AcGePoint2d& p) {
  AcGePoint2d q = p;
  return curve.distanceTo(q, GkGeoLib::g_tol);
}

// A segment end point p strictly inside the circle and on the arc by angle
// (g_tol) is a candidate with its radial projection; its distance to the
// circle, radius - |p - centre|, goes to depth (untouched otherwise).
bool InsideEndCandidate(const AcGeCircArc2d& arc, const AcGePoint2d& p, double& depth) {
  const double fromCentre = p.distanceTo(arc.center());
  if (!OnArcByAngle(arc, p, GkGeoLib::g_tol) || !(fromCentre < arc.radius())) return false;
  depth = arc.radius() - fromCentre;
  return true;
}

// A crossing of the segment's carrier with the circle (x, made for seg)
// that lies on both curves: A first, then B. A crossing is on the segment
// when IsPointOnSeg accepts it or, since it lies on the carrier line by
// construction, when it is not before the segment's start (A) or beyond
// its end (B). The orientation test of IsPointOnSeg alone (an area below
// EqualPoint^2) rejects nearly every computed crossing of a slanted
// segment by rounding, and the distance test alone rejects a crossing at
// an end point that rounding put a few ulps outside. distanceTo and
// closestPointTo both decide contact here, so they agree.
bool CommonCrossing(AcGeCircArc2d& arc, AcGeLineSeg2d& seg, const LineCircleCrossings& x,
                    AcGePoint2d& common) {
  const GkTolerance& g = GkGeoLib::g_tol;
  const AcGePoint2d ps = seg.startPoint(), pe = seg.endPoint();
  const bool aOnSeg = seg.IsPointOnSeg(x.A, g) || x.A.distanceTo(x.Ls) >= ps.distanceTo(x.Ls);
  if (aOnSeg && OnArcByAngle(arc, x.A, g)) {
    common = x.A;
    return true;
  }
  const bool bOnSeg = seg.IsPointOnSeg(x.B, g) || x.B.distanceTo(x.Le) >= pe.distanceTo(x.Le);
  if (bOnSeg && OnArcByAngle(arc, x.B, g)) {
    common = x.B;
    return true;
  }
  return false;
}

// Closest pair of arc and segment when the segment reaches into the circle
// by more than g_tol: a crossing on both curves, else the best of the
// segment's inner end points and the arc's end points.
BestPair ArcSegInside(AcGeCircArc2d& arc, AcGeLineSeg2d& seg) {
  const AcGePoint2d c = arc.center();
  const double r = arc.radius();
  const AcGePoint2d ps = seg.startPoint(), pe = seg.endPoint();
  const LineCircleCrossings x = CrossLineWithCircle(ps, pe, c, r);
  BestPair best;
  AcGePoint2d common;
  if (CommonCrossing(arc, seg, x, common)) {
    best.Offer(common, common, 0.0);
    return best;
  }
  // The search starts from a distance of 2r; every candidate below beats
  // it (an inner end is less than r from the circle, and an arc end is less
  // than r + d < 2r from the segment), so the first one is always taken.
  double depth = 0.0;
  int insideEnds = 0;
  for (const AcGePoint2d& p : {ps, pe}) {
    if (InsideEndCandidate(arc, p, depth)) {
      best.Offer(RadialPoint(c, r, p), p, depth);
      ++insideEnds;
    }
  }
  if (insideEnds == 2) return best;
  for (const AcGePoint2d& end : {arc.startPoint(), arc.endPoint()}) {
    best.Offer(end, NearestTo(seg, end));
  }
  return best;
}

// The four end-point candidates shared by the arc-with-arc closest pairs:
// this arc's nearest points to the other's ends, then the other's nearest
// points to this arc's ends.
BestPair ArcArcEndPairs(AcGeCircArc2d& self, AcGeCircArc2d& other) {
  BestPair best;
  const AcGePoint2d s2 = other.startPoint(), e2 = other.endPoint();
  const AcGePoint2d s1 = self.startPoint(), e1 = self.endPoint();
  best.Offer(NearestTo(self, s2), s2);
  best.Offer(NearestTo(self, e2), e2);
  best.Offer(s1, NearestTo(other, s1));
  best.Offer(e1, NearestTo(other, e1));
  return best;
}

double ArcArcEndDistance(AcGeCircArc2d& self, AcGeCircArc2d& other) {
  return std::min({DistanceFrom(self, other.startPoint()), DistanceFrom(self, other.endPoint()),
                   DistanceFrom(other, self.startPoint()), DistanceFrom(other, self.endPoint())});
}

// How two arcs' circles lie: apart, one within the other (with the
// same-circle case apart), or crossing. For the first two, the facing
// points of the circles along the line of centres and whether each lies on
// its arc by angle (g_tol).
enum class ArcPairKind { Apart, SameCircle, Nested, Crossing };

struct ArcPairLayout {
  ArcPairKind kind = ArcPairKind::Crossing;
  double D = 0.0;
  double facingGap = 0.0;  // distance between the facing points
  AcGePoint2d onThis;      // facing point on this circle
  AcGePoint2d onOther;     // facing point on the other circle
  bool thisFaces = false;
  bool otherFaces = false;
};

ArcPairLayout LayOut(AcGeCircArc2d& self, AcGeCircArc2d& other, const GkTolerance& tol) {
  const GkTolerance& g = GkGeoLib::g_tol;
  const AcGePoint2d c1 = self.center(), c2 = other.center();
  const double r1 = self.radius(), r2 = other.radius();
  ArcPairLayout l;
  l.D = c1.distanceTo(c2);
  if (l.D >= r1 + r2) {
    const AcGeVector2d n = Unit(c2 - c1);
    l.kind = ArcPairKind::Apart;
    l.thisFaces = AngleOnArc(self, PolarAngle(c2, c1), g);
    l.otherFaces = AngleOnArc(other, PolarAngle(c1, c2), g);
    l.onThis = c1 + n * r1;
    l.onOther = c2 - n * r2;
    // Not negative: D >= r1 + r2 can hold where r1 + r2 rounds, while
    // D - r1 - r2 then falls below zero by the rounding.
    l.facingGap = std::max(0.0, l.D - r1 - r2);
  } else if (l.D <= std::fabs(r1 - r2)) {
    if (l.D <= tol.EqualPoint() && std::fabs(r1 - r2) <= tol.EqualPoint()) {
      l.kind = ArcPairKind::SameCircle;
      return l;
    }
    // From the larger circle's centre towards the smaller one's. Concentric
    // circles (centres closer than 1e-8) face in every direction; Unit's
    // 45 degree fallback is the one tested, so that a facing point found on
    // its arc is the point handed back.
    const AcGeVector2d u = Unit(r1 > r2 ? c2 - c1 : c1 - c2);
    const double angle = u.angle();
    l.kind = ArcPairKind::Nested;
    l.thisFaces = AngleOnArc(self, angle, g);
    l.otherFaces = AngleOnArc(other, angle, g);
    l.onThis = c1 + u * r1;
    l.onOther = c2 + u * r2;
    l.facingGap = std::max(0.0, std::fabs(r1 - r2) - l.D);
  }
  return l;
}

// Same circle: a common point when the other arc is a full circle or has an
// end inside this arc's range (g_tol). Returns false when neither holds.
bool SameCircleCommonPoint(AcGeCircArc2d& self, AcGeCircArc2d& other, AcGePoint2d& common) {
  const GkTolerance& g = GkGeoLib::g_tol;
  if (other.IsCircle()) {
    common = self.startPoint();
  } else if (AngleOnArc(self, other.startAng(), g)) {
    common = other.startPoint();
  } else if (AngleOnArc(self, other.endAng(), g)) {
    common = other.endPoint();
  } else {
    return false;
  }
  return true;
}

// Crossing circles: a crossing that lies on both arcs by angle (g_tol).
bool CommonCrossing(AcGeCircArc2d& self, AcGeCircArc2d& other, double D, AcGePoint2d& common) {
  const GkTolerance& g = GkGeoLib::g_tol;
  const CircleCircleCrossings x =
      CrossCircles(self.center(), self.radius(), other.center(), other.radius(), D);
  for (const AcGePoint2d& p : {x.P, x.Q}) {
    if (OnArcByAngle(self, p, g) && OnArcByAngle(other, p, g)) {
      common = p;
      return true;
    }
  }
  return false;
}

}  // namespace

double AcGeCircArc2d::distanceTo(AcGePoint2d& p, const GkTolerance& tol) {
  if (OnArcByAngle(*this, p, tol)) return std::fabs(p.distanceTo(center()) - radius());
  return std::min(p.distanceTo(startPoint()), p.distanceTo(endPoint()));
}

AcGePoint2d AcGeCircArc2d::closestPointTo(AcGePoint2d& p, const GkTolerance& tol) {
  if (OnArcByAngle(*this, p, tol)) return RadialPoint(center(), radius(), p);
  const AcGePoint2d s = startPoint(), e = endPoint();
  return p.distanceTo(s) < p.distanceTo(e) ? s : e;
}

AcGePoint2d AcGeCircArc2d::closestPointTo(AcGeLineSeg2d& seg, AcGePoint2d& onSeg,
                                          const GkTolerance& /*tol: g_tol is used*/) {
  const GkTolerance& g = GkGeoLib::g_tol;
  const AcGePoint2d c = center();
  const double r = radius();
  const AcGePoint2d F = NearestTo(seg, c);
  const double d = F.distanceTo(c);
  if (std::fabs(d - r) <= g.EqualPoint() || d - r > g.EqualPoint()) {
    if (OnArcByAngle(*this, F, g)) {
      onSeg = F;
      return RadialPoint(c, r, F);
    }
    const AcGePoint2d s1 = startPoint(), e1 = endPoint();
    const AcGePoint2d fs = NearestTo(seg, s1), fe = NearestTo(seg, e1);
    const bool endWins = fe.distanceTo(e1) < fs.distanceTo(s1);
    onSeg = endWins ? fe : fs;
    return endWins ? e1 : s1;
  }
  const BestPair best = ArcSegInside(*this, seg);
  onSeg = best.onOther;
  return best.onThis;
}

double AcGeCircArc2d::distanceTo(AcGeLineSeg2d& seg, const GkTolerance& tol) {
  const AcGePoint2d c = center();
  const double r = radius();
  const AcGePoint2d s1 = startPoint(), e1 = endPoint();
  const AcGePoint2d F = NearestTo(seg, c);
  const double d = F.distanceTo(c);
  if (d >= r) {
    if (OnArcByAngle(*this, F, tol)) return d - r;
    return std::min(NearestTo(seg, s1).distanceTo(s1), NearestTo(seg, e1).distanceTo(e1));
  }
  const AcGePoint2d ps = seg.startPoint(), pe = seg.endPoint();
  const LineCircleCrossings x = CrossLineWithCircle(ps, pe, c, r);
  AcGePoint2d common;
  if (CommonCrossing(*this, seg, x, common)) return 0.0;

  const double inf = std::numeric_limits<double>::infinity();
  double qS = inf, qE = inf;
  const bool startInside = InsideEndCandidate(*this, ps, qS);
  const bool endInside = InsideEndCandidate(*this, pe, qE);
  if (startInside && endInside) return std::min(qS, qE);
  return std::min({qS, qE, DistanceFrom(seg, s1), DistanceFrom(seg, e1)});
}

AcGePoint2d AcGeCircArc2d::closestPointTo(AcGeCircArc2d& other, AcGePoint2d& onOther,
                                          const GkTolerance& tol) {
  const ArcPairLayout l = LayOut(*this, other, tol);
  AcGePoint2d common;
  switch (l.kind) {
    case ArcPairKind::Apart:
    case ArcPairKind::Nested:
      if (l.thisFaces && l.otherFaces) {
        onOther = l.onOther;
        return l.onThis;
      }
      break;
    case ArcPairKind::SameCircle:
      if (SameCircleCommonPoint(*this, other, common)) {
        onOther = common;
        return common;
      }
      break;
    case ArcPairKind::Crossing:
      if (CommonCrossing(*this, other, l.D, common)) {
        onOther = common;
        return common;
      }
      break;
  }
  const BestPair best = ArcArcEndPairs(*this, other);
  onOther = best.onOther;
  return best.onThis;
}

double AcGeCircArc2d::distanceTo(AcGeCircArc2d& other, const GkTolerance& tol) {
  const ArcPairLayout l = LayOut(*this, other, tol);
  AcGePoint2d common;
  switch (l.kind) {
    case ArcPairKind::Apart:
    case ArcPairKind::Nested:
      // Only when both facing points lie on their arcs is the gap between
      // them the answer. Otherwise the nearest pair involves an end point and
      // the end-point candidates measure it exactly; a facing point paired
      // with the other arc's nearer end would overstate the distance.
      if (l.thisFaces && l.otherFaces) return l.facingGap;
      break;
    case ArcPairKind::SameCircle:
      if (SameCircleCommonPoint(*this, other, common)) return 0.0;
      break;
    case ArcPairKind::Crossing:
      if (CommonCrossing(*this, other, l.D, common)) return 0.0;
      break;
  }
  return ArcArcEndDistance(*this, other);
}

double AcGeCircArc2d::distanceToSeg(AcGeLineSeg2d& seg, AcGePoint2d& onThis, AcGePoint2d& onSeg,
                                    const GkTolerance& tol) {
  onThis = closestPointTo(seg, onSeg, tol);
  return onThis.distanceTo(onSeg);
}

double AcGeCircArc2d::distanceToArc(AcGeCircArc2d& other, AcGePoint2d& onThis, AcGePoint2d& onOther,
                                    const GkTolerance& tol) {
  onThis = closestPointTo(other, onOther, tol);
  return onThis.distanceTo(onOther);
}
