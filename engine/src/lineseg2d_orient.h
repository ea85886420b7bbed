// Private helpers shared by the segment's intersection and distance code:
// the orientation code, the three rejection tests and the crossing of two
// carrier lines.
#pragma once

#include <engine/lineseg2d.h>

namespace segdetail {

// Orientation code of p against the directed segment a->b:
// m = (p.x - a.x)*(b.y - a.y) - (p.y - a.y)*(b.x - a.x), compared with
// q = EqualPoint^2: CMP_EQUAL when |m| <= q, CMP_GREATER when m > q (p right
// of a->b), CMP_LESS otherwise.
COMPAREVAL orientationCode(const AcGePoint2d& a, const AcGePoint2d& b, const AcGePoint2d& p,
                           const GkTolerance& tol);

// Orientation codes of a segment pair: o1/o2 of other's start/end against this
// segment, o3/o4 of this start/end against other.
struct PairCodes {
  COMPAREVAL o1 = CMP_EQUAL;
  COMPAREVAL o2 = CMP_EQUAL;
  COMPAREVAL o3 = CMP_EQUAL;
  COMPAREVAL o4 = CMP_EQUAL;

  bool anyEqual() const {
    return o1 == CMP_EQUAL || o2 == CMP_EQUAL || o3 == CMP_EQUAL || o4 == CMP_EQUAL;
  }
};

// Runs three rejection tests, in order and stopping at the first that
// rejects: the boxes do not overlap (EqualPoint, refreshing both box caches);
// other lies wholly on one side of this segment (o1 == o2, not CMP_EQUAL);
// this segment lies wholly on one side of other (o3 == o4, not CMP_EQUAL).
// Returns false on a rejection; on true all four codes are filled.
bool passesRejectionTests(AcGeLineSeg2d& self, AcGeLineSeg2d& other, const GkTolerance& tol,
                          PairCodes& codes);

// Crossing of the two carrier lines by the closed form; not finite when the
// lines are parallel.
AcGePoint2d carrierCrossing(const AcGeLineSeg2d& self, const AcGeLineSeg2d& other);

// Is the carrier crossing p a sound common point of the two segments? It must
// be finite and lie within tol.EqualPoint of both segments, plus a rounding
// allowance of 1e-12 times the largest end-point coordinate. Nearly parallel
// carriers (or collinear ones whose orientation codes rounding has split) give
// crossings far from both segments, or none at all; those are refused.
bool crossingLiesOnBoth(AcGeLineSeg2d& self, AcGeLineSeg2d& other, AcGePoint2d p,
                        const GkTolerance& tol);

// The crossing of the two carrier lines taken as a point of this segment:
// start + d*t, with t = ((C - A) x v) / (d x v) clamped to [0, 1]. Used when
// the closed form is refused: for nearly parallel carriers (angles below
// about 1e-6 on board-sized segments) the closed form loses many digits,
// while this point stays on this segment and near the other. Returns false
// when t is not finite (parallel carriers).
bool crossingOnThisSegment(const AcGeLineSeg2d& self, const AcGeLineSeg2d& other, AcGePoint2d& p);

}  // namespace segdetail
