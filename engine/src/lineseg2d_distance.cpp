// AcGeLineSeg2d: shortest distances and nearest pairs against another segment
// and against an arc. Against an arc the question goes to the arc with the
// roles exchanged; the arc answers with its own rules.
#include <engine/circarc2d.h>
#include <engine/lineseg2d.h>

#include "lineseg2d_orient.h"

#include <algorithm>

namespace {

// A candidate nearest pair: a point of this segment and one of the other.
struct Pair {
  AcGePoint2d onThis;
  AcGePoint2d onOther;
  double dist;
};

Pair makePair(const AcGePoint2d& onThis, const AcGePoint2d& onOther) {
  return Pair{onThis, onOther, onThis.distanceTo(onOther)};
}

// Nearest pair between segments that do not meet: the four end-point
// projections (g_tol) in a fixed order; a later pair wins only when strictly
// nearer.
Pair nearestEndPointPair(AcGeLineSeg2d& self, AcGeLineSeg2d& other) {
  const GkTolerance& g = GkGeoLib::g_tol;
  AcGePoint2d so = other.startPoint();
  AcGePoint2d eo = other.endPoint();
  AcGePoint2d s = self.startPoint();
  AcGePoint2d e = self.endPoint();
  const Pair cands[4] = {
      makePair(self.closestPointTo(so, g), so),
      makePair(self.closestPointTo(eo, g), eo),
      makePair(s, other.closestPointTo(s, g)),
      makePair(e, other.closestPointTo(e, g)),
  };
  Pair best = cands[0];
  for (const Pair& c : cands) {
    if (c.dist < best.dist) best = c;
  }
  return best;
}

// The common point of segments that pass the rejection tests without a proper
// crossing: the first end point (other's start, other's end, this start, this
// end) whose code is CMP_EQUAL and that lies on the opposite segment under
// tol. Returns false when none does.
bool commonEndPoint(AcGeLineSeg2d& self, AcGeLineSeg2d& other, const segdetail::PairCodes& codes,
                    const GkTolerance& tol, AcGePoint2d& common) {
  const AcGePoint2d so = other.startPoint();
  const AcGePoint2d eo = other.endPoint();
  const AcGePoint2d s = self.startPoint();
  const AcGePoint2d e = self.endPoint();
  if (codes.o1 == CMP_EQUAL && self.IsPointOnSeg(so, tol))
    common = so;
  else if (codes.o2 == CMP_EQUAL && self.IsPointOnSeg(eo, tol))
    common = eo;
  else if (codes.o3 == CMP_EQUAL && other.IsPointOnSeg(s, tol))
    common = s;
  else if (codes.o4 == CMP_EQUAL && other.IsPointOnSeg(e, tol))
    common = e;
  else
    return false;
  return true;
}

}  // namespace

double AcGeLineSeg2d::distanceTo(AcGeLineSeg2d& other, const GkTolerance& tol) {
  if (intersectWith(other, tol)) return 0.0;
  const GkTolerance& g = GkGeoLib::g_tol;
  AcGePoint2d so = other.startPoint();
  AcGePoint2d eo = other.endPoint();
  AcGePoint2d s = startPt;
  AcGePoint2d e = endPt;
  return std::min(
      {distanceTo(so, g), distanceTo(eo, g), other.distanceTo(s, g), other.distanceTo(e, g)});
}

AcGePoint2d AcGeLineSeg2d::closestPointTo(AcGeLineSeg2d& other, AcGePoint2d& onOther,
                                          const GkTolerance& tol) {
  segdetail::PairCodes codes;
  if (segdetail::passesRejectionTests(*this, other, tol, codes)) {
    AcGePoint2d common;
    bool found = false;
    if (!codes.anyEqual()) {
      common = segdetail::carrierCrossing(*this, other);
      // Rounding can make (nearly) collinear segments look like a
      // proper crossing; a crossing off the segments falls back to the
      // end points.
      found = segdetail::crossingLiesOnBoth(*this, other, common, tol);
    } else {
      // No end point accepted (near-collinear pair meeting only within
      // the box tolerance): fall back to the end points rather than
      // reporting an arbitrary point.
      found = commonEndPoint(*this, other, codes, tol, common);
    }
    if (found) {
      onOther = common;
      return common;
    }
    if (!codes.anyEqual()) {
      // A real crossing of nearly parallel carriers, where the closed
      // form is off by rounding: an end pair in contact answers, else
      // the crossing solved along this segment.
      const Pair best = nearestEndPointPair(*this, other);
      if (best.dist <= GkGeoLib::g_tol.EqualPoint()) {
        onOther = best.onOther;
        return best.onThis;
      }
      if (segdetail::crossingOnThisSegment(*this, other, common) &&
          segdetail::crossingLiesOnBoth(*this, other, common, tol)) {
        onOther = common;
        return common;
      }
    }
  }
  const Pair best = nearestEndPointPair(*this, other);
  onOther = best.onOther;
  return best.onThis;
}

double AcGeLineSeg2d::distanceToSeg(AcGeLineSeg2d& other, AcGePoint2d& onThis, AcGePoint2d& onOther,
                                    const GkTolerance& tol) {
  onThis = closestPointTo(other, onOther, tol);
  return onThis.distanceTo(onOther);
}

double AcGeLineSeg2d::distanceTo(AcGeCircArc2d& arc, const GkTolerance& tol) {
  return arc.distanceTo(*this, tol);
}

AcGePoint2d AcGeLineSeg2d::closestPointTo(AcGeCircArc2d& arc, AcGePoint2d& onOther,
                                          const GkTolerance& tol) {
  // The arc writes the segment's point into result and returns its own.
  AcGePoint2d result(0.0, 0.0);
  onOther = arc.closestPointTo(*this, result, tol);
  return result;
}

double AcGeLineSeg2d::distanceToArc(AcGeCircArc2d& arc, AcGePoint2d& onThis, AcGePoint2d& onOther,
                                    const GkTolerance& tol) {
  // The arc fills its own point first, then the segment's.
  return arc.distanceToSeg(*this, onOther, onThis, tol);
}
