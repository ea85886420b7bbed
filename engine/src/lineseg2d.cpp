// AcGeLineSeg2d: construction, access, predicates, point projection, box,
// cloning, transformation and sampling. Intersections live in
// lineseg2d_intersect.cpp, curve-to-curve distances in lineseg2d_distance.cpp.
#include <engine/lineseg2d.h>

#include "lineseg2d_orient.h"

#include <algorithm>
#include <cmath>

namespace {

// Nearest point N of the segment s->e to p: the projection, snapped to an end
// when d.(p - s) is within EqualPoint^2 of 0 or of L^2. Never divides by zero:
// a zero-length segment gives r = 0 <= q and thus its start.
AcGePoint2d projectOntoSegment(const AcGePoint2d& s, const AcGePoint2d& e, const AcGePoint2d& p,
                               const GkTolerance& tol) {
  const double q = GkTolerance::GetSquareTol(tol).EqualPoint();
  const AcGeVector2d d = e - s;
  const double r = d.dotProduct(p - s);
  const double l2 = d.x * d.x + d.y * d.y;
  if (r <= q) return s;
  if (r >= l2 - q) return e;
  return s + d * (r / l2);
}

// Snapping of closestPointTo along one axis for an axis-aligned segment.
// s, e are the segment's coordinates on that axis, v the point's. Returns 0
// for the start, 1 for the end, -1 when the projection must decide.
int snapAlongAxis(double s, double e, double v, double t) {
  if (e > s) {
    if (v - s <= t) return 0;
    if (v - e >= -t) return 1;
  } else {
    if (s - v <= t) return 0;
    if (v - e <= t) return 1;
  }
  return -1;
}

}  // namespace

AcGeLineSeg2d::AcGeLineSeg2d() = default;

AcGeLineSeg2d::AcGeLineSeg2d(const AcGePoint2d& p1, const AcGePoint2d& p2)
    : startPt(p1), endPt(p2) {}

AcGeLineSeg2d::AcGeLineSeg2d(const AcGePoint2d& p, const AcGeVector2d& v)
    : startPt(p), endPt(p + v) {}

// The base is freshly initialised on purpose: a copy starts with an empty,
// out-of-date box.
AcGeLineSeg2d::AcGeLineSeg2d(const AcGeLineSeg2d& src)
    : GkCurve2d(), startPt(src.startPt), endPt(src.endPt) {}

AcGeLineSeg2d& AcGeLineSeg2d::operator=(const AcGeLineSeg2d& src) {
  GkCurve2d::operator=(src);
  startPt = src.startPt;
  endPt = src.endPt;
  return *this;
}

AcGeLineSeg2d::~AcGeLineSeg2d() = default;

AcGeLineSeg2d& AcGeLineSeg2d::set(const AcGePoint2d& p1, const AcGePoint2d& p2) {
  startPt = p1;
  endPt = p2;
  boxOutOfDate = true;
  return *this;
}

AcGeLineSeg2d& AcGeLineSeg2d::set(const AcGePoint2d& p, const AcGeVector2d& v) {
  return set(p, p + v);
}

GkCurveType AcGeLineSeg2d::GetCrvType() const { return kCrvLineSeg; }

double AcGeLineSeg2d::distanceTo(AcGePoint2d& p, const GkTolerance& tol) {
  return p.distanceTo(projectOntoSegment(startPt, endPt, p, tol));
}

AcGePoint2d AcGeLineSeg2d::closestPointTo(AcGePoint2d& p, const GkTolerance& tol) {
  const double t = tol.EqualPoint();
  int end = -1;
  if (std::fabs(startPt.y - endPt.y) < t)
    end = snapAlongAxis(startPt.x, endPt.x, p.x, t);
  else if (std::fabs(startPt.x - endPt.x) < t)
    end = snapAlongAxis(startPt.y, endPt.y, p.y, t);
  if (end == 0) return startPt;
  if (end == 1) return endPt;
  return projectOntoSegment(startPt, endPt, p, tol);
}

GkBoundBox2d AcGeLineSeg2d::GetBoundBox() {
  if (boxOutOfDate) {
    cachedBox.minX = std::min(startPt.x, endPt.x);
    cachedBox.maxX = std::max(startPt.x, endPt.x);
    cachedBox.maxY = std::max(startPt.y, endPt.y);
    cachedBox.minY = std::min(startPt.y, endPt.y);
    boxOutOfDate = false;
  }
  return cachedBox;
}

GkCurve2d* AcGeLineSeg2d::Clone() {
  auto* copy = new AcGeLineSeg2d();
  *copy = *this;  // assignment takes the box cache as it stands
  return copy;
}

AcGePoint2d AcGeLineSeg2d::GetAnyPoint() const { return midPoint(); }

AcGePoint2d AcGeLineSeg2d::startPoint() const { return startPt; }

AcGePoint2d AcGeLineSeg2d::endPoint() const { return endPt; }

AcGePoint2d AcGeLineSeg2d::midPoint() const {
  return AcGePoint2d((endPt.x + startPt.x) * 0.5, (endPt.y + startPt.y) * 0.5);
}

void AcGeLineSeg2d::Flip() { std::swap(startPt, endPt); }

void AcGeLineSeg2d::getSamplePoints(GkSamplePoint& sink, const double& /*tol*/) {
  sink.AddPoint(startPt);
  sink.AddPoint(endPt);
}

void AcGeLineSeg2d::GetSamplePointXY(GkSampleXY& sink, const double& /*tol*/) {
  sink.AddXY(startPt.x, startPt.y);
  sink.AddXY(endPt.x, endPt.y);
}

void AcGeLineSeg2d::GetSampleBuffer(std::vector<AcGePoint2d>& pts, const double& /*tol*/) {
  pts.push_back(startPt);
  pts.push_back(endPt);
}

double AcGeLineSeg2d::length() const {
  const AcGeVector2d d = direction();
  return std::sqrt(d.x * d.x + d.y * d.y);
}

AcGeVector2d AcGeLineSeg2d::direction() const { return endPt - startPt; }

double AcGeLineSeg2d::Mult(const AcGePoint2d& p) const {
  return (endPt.y - startPt.y) * (p.x - startPt.x) - (endPt.x - startPt.x) * (p.y - startPt.y);
}

AcGePoint2d AcGeLineSeg2d::evalPoint(double t) const { return startPt + direction() * t; }

double AcGeLineSeg2d::GetTVal(AcGePoint2d p) {
  const AcGeVector2d v = p - startPt;
  const double t = v.length() / length();
  return direction().dotProduct(v) < 0 ? -t : t;
}

AcGeLineSeg2d AcGeLineSeg2d::Transform(const AcGeMatrix2d& m) const {
  return AcGeLineSeg2d(startPt.Transform(m), endPt.Transform(m));
}

bool AcGeLineSeg2d::isParallelTo(const AcGeLineSeg2d& other, const GkTolerance& tol) const {
  const GkTolerance sq = GkTolerance::GetSquareTol(tol);
  if (sq.EqualPoint() > other.length()) return false;
  const AcGeVector2d d = direction();
  const AcGeVector2d o = other.direction();
  return std::fabs(d.x * o.y - o.x * d.y) <= sq.EqualVector();
}

bool AcGeLineSeg2d::isPerpendicularTo(const AcGeLineSeg2d& other, const GkTolerance& tol) const {
  const AcGeVector2d d = direction();
  const AcGeVector2d o = other.direction();
  return std::fabs(d.x * o.x + d.y * o.y) <= tol.EqualVector();
}

bool AcGeLineSeg2d::isColinearTo(const AcGeLineSeg2d& other, const GkTolerance& tol) const {
  // Not parallel (by isParallelTo, whose cross product is the same value
  // however its factors are ordered): not collinear.
  if (!isParallelTo(other, tol)) return false;
  const AcGeVector2d o = other.direction();
  const AcGePoint2d& s = startPt;
  const AcGePoint2d& e = endPt;
  const AcGePoint2d so = other.startPt;
  const AcGePoint2d eo = other.endPt;
  if (std::fabs((e.x - so.x) * (eo.y - s.y) - (e.y - so.y) * (eo.x - s.x)) > tol.EqualVector())
    return false;
  return std::fabs((e.x - so.x) * o.y - (e.y - so.y) * o.x) <= GkGeoLib::g_tol.EqualVector();
}

bool AcGeLineSeg2d::isEqualTo(AcGeLineSeg2d other, const GkTolerance& /*tol*/) const {
  return startPt == other.startPoint() && endPt == other.endPoint();
}

bool AcGeLineSeg2d::IsPointOnSeg(const AcGePoint2d& p, const GkTolerance& tol) {
  const double t = tol.EqualPoint();
  const bool axisAligned =
      std::fabs(startPt.x - endPt.x) <= t || std::fabs(startPt.y - endPt.y) <= t;
  GkBoundBox2d box = GetBoundBox();
  if (!box.Contain(p, tol)) return false;
  if (axisAligned) return true;
  return segdetail::orientationCode(startPt, endPt, p, tol) == CMP_EQUAL;
}
