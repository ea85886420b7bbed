// AcGeCircArc2d: the circular-arc curve (GkCurveType kCrvArc), an arc of a
// circle or, with the full-circle flag, the whole circle.
//
// Point set: centre + radius*(cos t, sin t) for the angles t swept from the
// start angle to the end angle, counter-clockwise when the ccw flag is set and
// clockwise otherwise. For a full circle the angles and the direction are
// ignored by every query except startPoint/endPoint (the point at the stored
// angle) and sampling (which walks in the direction of the flag).
//
// Angles are radians, counter-clockwise from +x. The angle-taking set() and
// constructor normalise into [0, 2pi]; angles derived from points lie in
// [0, 2pi); setAngles stores its values unchanged. A non-circle arc whose start
// and end coincide (modulo 2pi, within EqualVector) is read as a full turn when
// its sweep exceeds pi (equal angles, or 0 and 2pi) and as a sliver otherwise.
//
// The polar angle of a point P about the centre is (P - centre).angle(), in
// [0, 2pi). A point is "on the arc by angle" under tol when IsAngleBetween of
// its polar angle holds.
//
// Units are drawing units. Queries refresh the box cache, so one arc is not
// queried from two threads at once. Every change of the point set marks the
// box out of date.
#pragma once

#include <engine/curve2d.h>
#include <engine/engine_export.h>

#include <bitset>
#include <vector>

class AcGeLineSeg2d;

class ENGINE_EXPORT AcGeCircArc2d : public GkCurve2d {
public:
  // ---- construction (every constructor leaves the box empty, out of date) ----
  // Centre (0, 0), radius 0, both angles 0, counter-clockwise, not a circle.
  AcGeCircArc2d();
  // Copies centre, radius, angles and both flags; the box cache is not copied.
  AcGeCircArc2d(const AcGeCircArc2d& src);
  // Full circle: as set(center, radius).
  AcGeCircArc2d(const AcGePoint2d& center, const double& radius);
  // As set(center, radius, startAng, endAng, isCCW).
  AcGeCircArc2d(const AcGePoint2d& center, const double& radius, const double& startAng,
                const double& endAng, const bool& isCCW);
  // Arc through three points: as set(p1, p2, p3).
  AcGeCircArc2d(const AcGePoint2d& p1, const AcGePoint2d& p2, const AcGePoint2d& p3);
  // As set(startPt, center, endPt, isCCW).
  AcGeCircArc2d(const AcGePoint2d& startPt, const AcGePoint2d& center, const AcGePoint2d& endPt,
                const bool& isCCW);
  // Copies every field, the box cache and its flag included.
  AcGeCircArc2d& operator=(const AcGeCircArc2d& src);
  ~AcGeCircArc2d() override;

  // ---- setters: each marks the box out of date and returns this arc ----
  AcGeCircArc2d& setCenter(const AcGePoint2d& center);
  AcGeCircArc2d& setRadius(const double& radius);
  // Stores both angles unchanged (no normalisation).
  AcGeCircArc2d& setAngles(const double& startAng, const double& endAng);
  // Full circle: both angles 0, ccw flag false, full-circle flag true.
  AcGeCircArc2d& set(const AcGePoint2d& center, const double& radius);
  // Each angle normalised by GkMath::CorrectAngle into [0, 2pi]; not a circle.
  AcGeCircArc2d& set(const AcGePoint2d& center, const double& radius, const double& startAng,
                     const double& endAng, const bool& isCCW);
  // Arc from p1 through p2 to p3; counter-clockwise exactly when p2 lies on
  // the counter-clockwise sweep from p1 to p3 (g_tol). Collinear points give
  // a non-finite centre and radius: test them with IsCirArc first.
  AcGeCircArc2d& set(const AcGePoint2d& p1, const AcGePoint2d& p2, const AcGePoint2d& p3);
  // Radius = |startPt - center|; angles = polar angles of startPt and endPt
  // (the distance of endPt is ignored); not a circle.
  AcGeCircArc2d& set(const AcGePoint2d& startPt, const AcGePoint2d& center,
                     const AcGePoint2d& endPt, const bool& isCCW);
  // Store the flag. Both change the point set, so both mark the box out of date.
  void SetIsCCW(const bool& isCCW);
  void SetIsCircle(const bool& isCircle);

  // ---- field access ----
  AcGePoint2d center() const;
  double radius() const;
  double startAng() const;
  double endAng() const;
  // The negation of the ccw flag.
  bool isClockWise() const;
  bool IsCircle() const;

  // ---- measures and angle tests ----
  // Swept angle in (0, 2pi] for normalised angles; 2pi for a full circle and
  // for equal start and end angles.
  double GetArcSweepangle() const;
  // radius * GetArcSweepangle().
  double GetArcLength() const;
  // True for a full circle; otherwise GkMath::IsAngleBetween of angle against
  // the arc's range under tol.EqualVector (inclusive, ends widened). An arc
  // whose ends coincide within EqualVector is a full turn (every angle) when
  // its sweep exceeds pi, else a sliver (angles within EqualVector of an end).
  bool IsAngleBetween(const double& angle, const GkTolerance& tol) const;
  // On the arc by angle under tol and | |p - centre| - radius | <= tol.EqualPoint.
  bool IsPointOnSeg(const AcGePoint2d& p, const GkTolerance& tol) const;
  // True when p1, p2, p3 are not collinear: the doubled signed triangle area
  // (p3.y - p1.y)(p2.x - p1.x) - (p2.y - p1.y)(p3.x - p1.x) exceeds
  // tol.EqualPoint in magnitude (strict).
  static bool IsCirArc(const AcGePoint2d& p1, const AcGePoint2d& p2, const AcGePoint2d& p3,
                       const GkTolerance& tol);

  // ---- transformations ----
  // Mirrors the arc in place about the infinite line through axis and returns
  // it. A full circle stays a full circle (angles 0, ccw false); an arc always
  // comes out running the other way. Box out of date.
  AcGeCircArc2d& mirror(const AcGeLineSeg2d& axis);
  // New arc, the image under m (this arc unchanged): a full circle maps to the
  // circle of the transformed centre and the same radius; an arc maps to the
  // arc through the images of its start, middle and end points, so the
  // direction is re-derived (a reflection reverses it). A full-turn arc maps
  // to a full-turn arc through the images of its start and two inner points.
  AcGeCircArc2d Transform(const AcGeMatrix2d& m) const;

  // ---- GkCurve2d interface, in the base's order ----
  GkCurveType GetCrvType() const override;

  // Distances and closest points against arcs, segments and points. Their
  // bodies live in circarc2d_distance.cpp.
  double distanceTo(AcGeCircArc2d& other, const GkTolerance& tol) override;
  double distanceTo(AcGeLineSeg2d& seg, const GkTolerance& tol) override;
  double distanceTo(AcGePoint2d& p, const GkTolerance& tol) override;
  // This arc's point of the nearest pair; onOther receives the other arc's.
  AcGePoint2d closestPointTo(AcGeCircArc2d& other, AcGePoint2d& onOther,
                             const GkTolerance& tol) override;
  // This arc's point of the nearest pair; onOther receives the segment's.
  AcGePoint2d closestPointTo(AcGeLineSeg2d& seg, AcGePoint2d& onOther,
                             const GkTolerance& tol) override;
  AcGePoint2d closestPointTo(AcGePoint2d& p, const GkTolerance& tol) override;
  // onThis on this arc, onOther on the argument; returns their distance.
  double distanceToSeg(AcGeLineSeg2d& seg, AcGePoint2d& onThis, AcGePoint2d& onOther,
                       const GkTolerance& tol) override;
  double distanceToArc(AcGeCircArc2d& other, AcGePoint2d& onThis, AcGePoint2d& onOther,
                       const GkTolerance& tol) override;

  // The cached box, recomputed when out of date: the end points widened at
  // each axis direction the arc passes (g_tol); the whole circle's box for a
  // full circle.
  GkBoundBox2d GetBoundBox() override;
  // New heap copy with every field, box cache included; owned by the caller.
  GkCurve2d* Clone() override;
  // Same as midPoint().
  AcGePoint2d GetAnyPoint() const override;
  // centre + radius*(cos a, sin a) at the stored start / end angle.
  AcGePoint2d startPoint() const override;
  AcGePoint2d endPoint() const override;
  // The point halfway along the arc (g_tol for the angle test).
  AcGePoint2d midPoint() const override;
  // Swaps the angles and inverts the ccw flag; nothing for a full circle. The
  // point set stays, so does the box.
  void Flip() override;

  // ---- sampling (bodies in circarc2d_sample.cpp) ----
  // Points from the start point to the end point, both included, that many
  // that no chord strays from the arc by more than tol (a chord tolerance in
  // drawing units, > 0): n = GkMath::GetArcBreakCount(radius, sweep, tol). A
  // full circle is walked from (centre.x + radius, centre.y) by octants,
  // 8a - 7 points with a = GetArcBreakCount(radius, pi/4, tol). A tolerance
  // that is not positive, or above 2*radius, gives the minimum (2 points, or
  // the 9 octant corners). At most kMaxSamplePoints points are produced.
  void getSamplePoints(GkSamplePoint& sink, const double& tol) override;
  void GetSamplePointXY(GkSampleXY& sink, const double& tol) override;
  // Replaces the contents of pts with exactly the sample points.
  void GetSampleBuffer(std::vector<AcGePoint2d>& pts, const double& tol) override;

  // Resizes pts to count and fills it with the arc walk of count points, full
  // circles included (from startPoint(), sweep 2pi, no octant scheme). A
  // count of 1 leaves the end point; a count below 1 gives the two end points.
  void getSamplePoints(std::vector<AcGePoint2d>& pts, int count) const;
  // count points on an arc (the two end points when count < 2). A full circle
  // gives 8a - 7 points with a = int(count*0.125 + 1): count 64 gives 65;
  // any count below 16 gives the 9 octant corners; at most kMaxSamplePoints.
  void GetSamplePointXY(GkSampleXY& sink, const int& count) const;
  // The same for a non-const arc: without it an int count on a non-const
  // arc is ambiguous with the (non-const) tolerance form.
  void GetSamplePointXY(GkSampleXY& sink, const int& count);
  // As GetSamplePointXY(sink, count), the inner points from GkMath::FastCos /
  // FastSin (error below 3.2e-7 * radius); start and end points are exact.
  void GetFastSamplePointXY(GkSampleXY& sink, const int& count) const;

  // Most points any tolerance-driven sampling produces (a tolerance below
  // about 1e-12 * radius would otherwise ask for billions). Sampling finer
  // than this is already far below the point tolerance for radii up to a
  // few thousand units.
  static constexpr int kMaxSamplePoints = 1 << 22;

  // ---- intersections (bodies in circarc2d_intersect.cpp) ----
  // Arc with segment. count: 0 none, 1 p1, 2 p1 and p2 (p1 nearer the
  // segment's start). tol decides tangency only; the rest uses g_tol. Points
  // not written keep the caller's values. Returns count != 0.
  bool intersectWith(AcGeLineSeg2d& seg, int& count, AcGePoint2d& p1, AcGePoint2d& p2,
                     const GkTolerance& tol);
  // Arc with arc. count: 0 none; 1 p1; 2 p1, p2 (or the two arcs make one
  // whole circle: this arc's start and end points); 3 overlap along one
  // circle, no point written. tol chooses the tangent branch; prefilters and
  // later tests use g_tol. Returns count != 0.
  bool intersectWith(AcGeCircArc2d& other, int& count, AcGePoint2d& p1, AcGePoint2d& p2,
                     const GkTolerance& tol);
  // Arc with arc, every test under tol. As above, and on one circle: count 3
  // with no point (identical, reversed or full circle) or with p1, p2 the ends
  // of the common stretch; count 4 when each contains both ends of the other.
  // flags (cleared on entry) name the reported end points:
  //   bit 0 p1 = other's start, 1 p1 = other's end, 2 p1 = this start,
  //   3 p1 = this end, 4 p2 = other's end, 5 p2 = this start, 6 p2 = this end.
  bool intersectWith(AcGeCircArc2d& other, int& count, std::bitset<7>& flags, AcGePoint2d& p1,
                     AcGePoint2d& p2, const GkTolerance& tol);

private:
  // Octant walk of a full circle, 8a - 7 points (a >= 2), in curve order.
  void GetCircleSampleBuffer(std::vector<AcGePoint2d>& pts, const double& tol) const;
  // True when the ends coincide within tol.EqualVector modulo 2pi (not a circle).
  bool endsCoincide(const GkTolerance& tol) const;

  AcGePoint2d m_center;
  double m_radius;
  double m_startAng;
  double m_endAng;
  bool m_isCCW;
  bool m_isCircle;
};
