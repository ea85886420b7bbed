// AcGeLineSeg2d: the straight-segment curve (GkCurveType kCrvLineSeg).
//
// A segment runs from startPt to endPt; d = endPt - startPt is its direction
// (not normalised). Zero-length segments are allowed.
//
// Orientation code of a point P against a directed segment A->B:
//   m = (P.x - A.x)*(B.y - A.y) - (P.y - A.y)*(B.x - A.x)   (see Mult)
//   CMP_EQUAL when |m| <= EqualPoint^2, CMP_GREATER when m > EqualPoint^2,
//   CMP_LESS otherwise. m is positive when P lies to the right of A->B; the
//   threshold is an area, not a distance.
//
// Units are drawing units throughout. Queries that take a GkTolerance name the
// field they use; several sub-steps use the library default GkGeoLib::g_tol.
// Queries refresh the box cache, so one segment is not queried from two threads
// at once.
#pragma once

#include <engine/curve2d.h>
#include <engine/engine_export.h>

#include <bitset>
#include <vector>

class AcGeCircArc2d;

class ENGINE_EXPORT AcGeLineSeg2d : public GkCurve2d {
public:
  // Both points (0, 0); empty box, out of date.
  AcGeLineSeg2d();
  AcGeLineSeg2d(const AcGePoint2d& p1, const AcGePoint2d& p2);
  // Start p, end p + v.
  AcGeLineSeg2d(const AcGePoint2d& p, const AcGeVector2d& v);
  // Copies the points only; the box cache starts empty and out of date.
  AcGeLineSeg2d(const AcGeLineSeg2d& src);
  // Copies the points and the box cache as it stands.
  AcGeLineSeg2d& operator=(const AcGeLineSeg2d& src);
  ~AcGeLineSeg2d() override;

  // Both setters mark the box out of date and return this segment.
  AcGeLineSeg2d& set(const AcGePoint2d& p1, const AcGePoint2d& p2);
  AcGeLineSeg2d& set(const AcGePoint2d& p, const AcGeVector2d& v);

  // ---- GkCurve2d interface, in the base's order ----
  GkCurveType GetCrvType() const override;

  // Shortest distance to the arc: answered by the arc with roles exchanged.
  double distanceTo(AcGeCircArc2d& arc, const GkTolerance& tol) override;
  // Shortest distance between the segments: 0 when intersectWith(other, tol)
  // is true, else the least of the four end-point projections (g_tol).
  double distanceTo(AcGeLineSeg2d& other, const GkTolerance& tol) override;
  // Distance from p to its projection on the segment; projections within
  // EqualPoint^2 (of d.(p - startPt)) of an end snap to that end.
  double distanceTo(AcGePoint2d& p, const GkTolerance& tol) override;

  // Point of this segment nearest the arc; onOther receives the arc's point.
  AcGePoint2d closestPointTo(AcGeCircArc2d& arc, AcGePoint2d& onOther,
                             const GkTolerance& tol) override;
  // Point of this segment of the nearest pair; onOther receives the other
  // segment's point. Meeting segments give their common point for both; when
  // no common point can be named (no end point on the other segment under
  // tol, or a carrier crossing off the segments) the nearest of the four
  // end-point pairs (g_tol projections) answers; for a proper crossing whose
  // closed form is off by rounding, the crossing solved along this segment
  // answers first unless an end pair is already within g_tol.EqualPoint.
  AcGePoint2d closestPointTo(AcGeLineSeg2d& other, AcGePoint2d& onOther,
                             const GkTolerance& tol) override;
  // Nearest point of the segment to p (axis-aligned segments snap to an end
  // within EqualPoint, inclusive).
  AcGePoint2d closestPointTo(AcGePoint2d& p, const GkTolerance& tol) override;

  // onThis on this segment, onOther on the argument; returns their distance.
  double distanceToSeg(AcGeLineSeg2d& other, AcGePoint2d& onThis, AcGePoint2d& onOther,
                       const GkTolerance& tol) override;
  double distanceToArc(AcGeCircArc2d& arc, AcGePoint2d& onThis, AcGePoint2d& onOther,
                       const GkTolerance& tol) override;

  GkBoundBox2d GetBoundBox() override;
  // New heap copy with points and box cache as they stand; owned by the caller.
  GkCurve2d* Clone() override;
  // The middle point.
  AcGePoint2d GetAnyPoint() const override;
  AcGePoint2d startPoint() const override;
  AcGePoint2d endPoint() const override;
  AcGePoint2d midPoint() const override;
  // Exchanges the end points; the box cache is left as it is.
  void Flip() override;

  // Sampling ignores the tolerance: always the start point, then the end point.
  void getSamplePoints(GkSamplePoint& sink, const double& tol) override;
  void GetSamplePointXY(GkSampleXY& sink, const double& tol) override;
  // Appends the two end points to pts (earlier contents are kept).
  void GetSampleBuffer(std::vector<AcGePoint2d>& pts, const double& tol) override;

  // ---- segment queries ----
  // sqrt(d.x^2 + d.y^2).
  double length() const;
  // d = endPt - startPt, not normalised.
  AcGeVector2d direction() const;
  // (end.y - start.y)*(p.x - start.x) - (end.x - start.x)*(p.y - start.y):
  // twice the signed area of start, end, p; positive right of the segment.
  double Mult(const AcGePoint2d& p) const;
  // startPt + d*t; any t is allowed.
  AcGePoint2d evalPoint(double t) const;
  // |p - startPt| / length(), negated when d.(p - startPt) < 0 (strict). Not a
  // projection: the inverse of evalPoint only for points on the carrier line.
  // Divides by zero for a zero-length segment.
  double GetTVal(AcGePoint2d p);
  // New segment with both points mapped by m; its box is out of date. This
  // segment is unchanged.
  AcGeLineSeg2d Transform(const AcGeMatrix2d& m) const;

  // ---- predicates ----
  // False when EqualPoint^2 > other's length; else |d x d_o| <= EqualVector^2.
  bool isParallelTo(const AcGeLineSeg2d& other, const GkTolerance& tol) const;
  // |d . d_o| <= EqualVector (un-normalised dot product).
  bool isPerpendicularTo(const AcGeLineSeg2d& other, const GkTolerance& tol) const;
  // Parallel (as isParallelTo) and on one carrier line; the last step uses
  // g_tol.EqualVector whatever tol is.
  bool isColinearTo(const AcGeLineSeg2d& other, const GkTolerance& tol) const;
  // Same start and same end by strict per-coordinate point equality with
  // g_tol; tol does not take part. A reversed copy is not equal.
  bool isEqualTo(AcGeLineSeg2d other, const GkTolerance& tol) const;
  // p inside the box within EqualPoint (inclusive); for a segment that is not
  // axis-aligned (within EqualPoint) also orientation code CMP_EQUAL.
  bool IsPointOnSeg(const AcGePoint2d& p, const GkTolerance& tol);

  // ---- intersection with another segment ----
  // True when the segments cross, touch or overlap (box overlap within
  // EqualPoint and the orientation tests do not reject).
  bool intersectWith(AcGeLineSeg2d& other, const GkTolerance& tol);
  // On false count, flags, p1 and p2 are left as passed. On true count is 1
  // or 2 and flags name the end points reported:
  //   bit 0 p1 = other's start, 1 p1 = other's end, 2 p1 = this start,
  //   3 p1 = this end, 4 p2 = other's end, 5 p2 = this start, 6 p2 = this end.
  // A proper crossing reports count 1 and no bit. Never reports a point off
  // the segments: a carrier crossing that is not finite (parallel carriers)
  // or not within EqualPoint of both segments (plus 1e-12 of the coordinates'
  // magnitude for rounding) is dropped; end points within g_tol.EqualPoint of
  // the other segment are then reported as end-point contacts, else, for a
  // proper crossing, the crossing solved along this segment when it lies on
  // both (nearly parallel carriers that really cross), else false.
  bool intersectWith(AcGeLineSeg2d& other, int& count, std::bitset<7>& flags, AcGePoint2d& p1,
                     AcGePoint2d& p2, const GkTolerance& tol);
  // True with the point when the bitset form finds exactly one point; false
  // otherwise, with pt untouched.
  bool intersectWith(AcGeLineSeg2d& other, AcGePoint2d& pt, const GkTolerance& tol);

private:
  AcGePoint2d startPt;
  AcGePoint2d endPt;
};
