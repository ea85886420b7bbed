// GkCompositeCurve2d: a chain of line segments and circular arcs that
// normally closes into a loop (the outline of a pad, a board, a cut-out, or
// one boundary of a region), with the loop-only queries: containment,
// orientation, enclosed area and composite-to-composite distances.
//
// Invariants the loop queries assume (never checked or repaired): member i
// ends where member i + 1 starts, and in a loop the last member ends where
// the first starts. Members in use are AcGeLineSeg2d and AcGeCircArc2d; the
// loop queries skip members of other kinds.
//
// Ownership: the composite owns its members and destroys them. Copying makes
// a deep copy (each member cloned), so a copy and its source never share a
// member. Null pointers are never stored.
//
// The four sinks below sample a loop member by member without repeating the
// joint point: each drops the first point it receives (the member's start,
// already emitted by the previous member or by the composite itself).
//
// Units are drawing units. Queries refresh the box cache, so one composite is
// not queried from two threads at once.
#pragma once

#include <engine/curve2d.h>
#include <engine/engine_export.h>

#include <cstdint>
#include <vector>

// Appends every point but the first to the caller's list.
class ENGINE_EXPORT GetLoopSample : public GkSamplePoint {
public:
  // list is not owned and must outlive the sink.
  explicit GetLoopSample(std::vector<AcGePoint2d>* list);
  void AddPoint(const AcGePoint2d& pt) override;

private:
  std::vector<AcGePoint2d>* m_list;
  bool m_seen = false;
};

// Passes every point but the first to the caller's point sink unchanged.
class ENGINE_EXPORT GetLoopSamplePoint : public GkSamplePoint {
public:
  // sink is not owned and must outlive this one.
  explicit GetLoopSamplePoint(GkSamplePoint* sink);
  void AddPoint(const AcGePoint2d& pt) override;

private:
  GkSamplePoint* m_sink;
  bool m_seen = false;
};

// Passes every point but the first to the caller's x/y sink unchanged.
class ENGINE_EXPORT GetLoopSampleXY : public GkSampleXY {
public:
  // sink is not owned and must outlive this one.
  explicit GetLoopSampleXY(GkSampleXY* sink);
  void AddXY(const double& x, const double& y) override;

private:
  GkSampleXY* m_sink;
  bool m_seen = false;
};

// Running trapezoid sum of a sampled loop: for every point but the first,
// sum += (prevX + x) * (y - prevY), then the previous point becomes (x, y).
// The first point is dropped and leaves the previous point as it was. Over a
// closed loop the sum is twice the signed area (positive counter-clockwise).
class ENGINE_EXPORT GetAreaSampleXY : public GkSampleXY {
public:
  GetAreaSampleXY(double sum, double prevX, double prevY);
  void AddXY(const double& x, const double& y) override;

  double Sum() const { return m_sum; }
  double PrevX() const { return m_prevX; }
  double PrevY() const { return m_prevY; }

private:
  double m_sum;
  double m_prevX;
  double m_prevY;
  bool m_seen = false;
};

class ENGINE_EXPORT GkCompositeCurve2d : public GkCurve2d {
public:
  // No members, empty box, out of date.
  GkCompositeCurve2d();
  // Deep copies: every member of src is cloned; the box cache is copied as it
  // stands (the geometry is the same).
  GkCompositeCurve2d(const GkCompositeCurve2d& src);
  GkCompositeCurve2d& operator=(const GkCompositeCurve2d& src);
  // Destroys every member.
  ~GkCompositeCurve2d() override;

  // Appends crv and takes ownership; marks the box out of date. No continuity
  // check. A null pointer is ignored.
  void append(GkCurve2d* crv);
  // Replaces the list by the given pointers (the argument is not changed) and
  // takes ownership of them; null entries are left out. The members held
  // before are NOT destroyed: they pass back to the caller's care. Marks the
  // box out of date.
  void SetCurveList(std::vector<GkCurve2d*>& crvs);
  // Clears crvs and fills it with the member pointers in order; the composite
  // keeps ownership.
  void GetCurveList(std::vector<GkCurve2d*>& crvs) const;
  int GetCurveCnt() const;

  // ---- GkCurve2d interface, in the base's order ----
  // kCrvComposite.
  GkCurveType GetCrvType() const override;

  // Distances and closest points: the best over the members, each asked with
  // GkGeoLib::g_tol. Only tol.EqualPoint is read: the walk stops at the first
  // member whose value falls below it (distances then return exactly 0). On
  // equal values the earlier member wins. An empty composite gives +inf and
  // (0, 0) and leaves out-parameters untouched.
  double distanceTo(AcGeCircArc2d& arc, const GkTolerance& tol) override;
  double distanceTo(AcGeLineSeg2d& seg, const GkTolerance& tol) override;
  double distanceTo(AcGePoint2d& pt, const GkTolerance& tol) override;
  // Point of the composite nearest the curve; other receives the curve's point.
  AcGePoint2d closestPointTo(AcGeCircArc2d& arc, AcGePoint2d& other,
                             const GkTolerance& tol) override;
  AcGePoint2d closestPointTo(AcGeLineSeg2d& seg, AcGePoint2d& other,
                             const GkTolerance& tol) override;
  AcGePoint2d closestPointTo(AcGePoint2d& pt, const GkTolerance& tol) override;
  // onThis on the composite, onOther on the argument; returns their distance.
  double distanceToSeg(AcGeLineSeg2d& seg, AcGePoint2d& onThis, AcGePoint2d& onOther,
                       const GkTolerance& tol) override;
  double distanceToArc(AcGeCircArc2d& arc, AcGePoint2d& onThis, AcGePoint2d& onOther,
                       const GkTolerance& tol) override;

  // Union of the member boxes, cached; the empty box without members.
  GkBoundBox2d GetBoundBox() override;
  // New composite with a clone of every member and the box values copied; its
  // box is out of date. Owned by the caller.
  GkCurve2d* Clone() override;
  // The first member's GetAnyPoint / startPoint, the last member's endPoint;
  // (0, 0) without members.
  AcGePoint2d GetAnyPoint() const override;
  AcGePoint2d startPoint() const override;
  AcGePoint2d endPoint() const override;
  // Always (0, 0).
  AcGePoint2d midPoint() const override;
  // Reverses the member order and flips every member; the box stays.
  void Flip() override;

  // The first member's start point once, then every member's samples without
  // its start point (tol is each member's chord tolerance). A closed loop of
  // n members ends with its start point again. Nothing for an empty composite.
  void getSamplePoints(GkSamplePoint& sink, const double& tol) override;
  void GetSamplePointXY(GkSampleXY& sink, const double& tol) override;
  // As above into pts, which is cleared first.
  void GetSampleBuffer(std::vector<AcGePoint2d>& pts, const double& tol) override;

  // ---- loop queries ----
  // True when pt lies inside the closed loop: a crossing count along a
  // horizontal ray to +x, arcs cut into chords where they meet the ray, with
  // g_tol.EqualPoint (t) as below. Points outside the box by more than t are
  // out; a vertex level with the ray within t counts as below it, so a corner
  // on the ray is counted once and horizontal edges never count; an edge
  // crossing exactly at pt.x is not to the right of pt.
  bool IsPointIn(const AcGePoint2d& pt);
  // True when the loop runs counter-clockwise: its signed area, exact for
  // segments and arcs, is positive. False for the empty loop and for loops
  // that enclose nothing. A one-arc circle answers by its direction.
  bool Orientation();
  // Enclosed area (not negative) from the trapezoid sum of the loop sampled at
  // sampleTol; 0 for the empty loop. Loops of one or two arcs (circles) have
  // their real area. The loop must be closed.
  double Area(const double& sampleTol);
  // Smallest distance between the two composites; onThis and onOther receive
  // the pair that realises it. Members of this composite are handed to other
  // with tol; the walk stops below tol.EqualPoint and then returns 0.
  double distanceToComposite(GkCompositeCurve2d& other, AcGePoint2d& onThis, AcGePoint2d& onOther,
                             const GkTolerance& tol);
  // The point of this composite nearest other; onOther receives other's point.
  AcGePoint2d closestPointTo(GkCompositeCurve2d& other, AcGePoint2d& onOther,
                             const GkTolerance& tol);

private:
  // Edge-crossing rule of IsPointIn for the edge a-b against the ray from p:
  // exactly one end is above p (y beyond p.y by more than g_tol.EqualPoint)
  // and the edge's crossing x lies strictly right of p.x.
  bool IsIntersectValid(const AcGePoint2d& a, const AcGePoint2d& b, const AcGePoint2d& p) const;
  // Crossings of an arc member with the ray; toggles parity per crossing chord.
  void ToggleArcCrossings(AcGeCircArc2d& arc, AcGeLineSeg2d& ray, const AcGePoint2d& p,
                          bool& parity) const;
  // Trapezoid sum of the loop sampled at sampleTol (twice the signed area).
  double SampledAreaSum(const double& sampleTol);
  // Twice the signed area enclosed by the members, segments and arcs exact
  // (chord terms plus each arc's circular segment), others sampled.
  double ExactAreaSum();
  void DestroyMembers();

  std::vector<GkCurve2d*> m_members;
  // Changes, to a value never used before, whenever the member list is
  // replaced, grown or assigned: a shape compares it to know whether the
  // box it keeps of this loop still holds.
  std::uint64_t m_listStamp;
  friend class GkShape;
};
