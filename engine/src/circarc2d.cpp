// AcGeCircArc2d: construction, field access, measures, angle and point tests,
// bounding box and transformations. Sampling, intersections and distances
// live in their own circarc2d_*.cpp files.
#include <engine/circarc2d.h>

#include <engine/lineseg2d.h>

#include "constants.h"

#include <cmath>

namespace {

using gk::kHalfPi;
using gk::kPi;
using gk::kThreeHalfPi;
constexpr double kTwoPi = gk::k2Pi;

// Polar angle of p about c, in [0, 2pi).
double polarAngle(const AcGePoint2d& p, const AcGePoint2d& c) { return (p - c).angle(); }

// c + r*(cos a, sin a).
AcGePoint2d pointAt(const AcGePoint2d& c, double r, double a) {
  return AcGePoint2d(c.x + r * std::cos(a), c.y + r * std::sin(a));
}

}  // namespace

// ---- construction ----

AcGeCircArc2d::AcGeCircArc2d()
    : GkCurve2d(),
      m_center(),
      m_radius(0.0),
      m_startAng(0.0),
      m_endAng(0.0),
      m_isCCW(true),
      m_isCircle(false) {}

AcGeCircArc2d::AcGeCircArc2d(const AcGeCircArc2d& src)
    : GkCurve2d(),
      m_center(src.m_center),
      m_radius(src.m_radius),
      m_startAng(src.m_startAng),
      m_endAng(src.m_endAng),
      m_isCCW(src.m_isCCW),
      m_isCircle(src.m_isCircle) {}

AcGeCircArc2d::AcGeCircArc2d(const AcGePoint2d& center, const double& radius) : AcGeCircArc2d() {
  set(center, radius);
}

AcGeCircArc2d::AcGeCircArc2d(const AcGePoint2d& center, const double& radius,
                             const double& startAng, const double& endAng, const bool& isCCW)
    : AcGeCircArc2d() {
  set(center, radius, startAng, endAng, isCCW);
}

AcGeCircArc2d::AcGeCircArc2d(const AcGePoint2d& p1, const AcGePoint2d& p2, const AcGePoint2d& p3)
    : AcGeCircArc2d() {
  set(p1, p2, p3);
}

AcGeCircArc2d::AcGeCircArc2d(const AcGePoint2d& startPt, const AcGePoint2d& center,
                             const AcGePoint2d& endPt, const bool& isCCW)
    : AcGeCircArc2d() {
  set(startPt, center, endPt, isCCW);
}

AcGeCircArc2d& AcGeCircArc2d::operator=(const AcGeCircArc2d& src) {
  GkCurve2d::operator=(src);
  m_center = src.m_center;
  m_radius = src.m_radius;
  m_startAng = src.m_startAng;
  m_endAng = src.m_endAng;
  m_isCCW = src.m_isCCW;
  m_isCircle = src.m_isCircle;
  return *this;
}

AcGeCircArc2d::~AcGeCircArc2d() = default;

// ---- setters ----

AcGeCircArc2d& AcGeCircArc2d::setCenter(const AcGePoint2d& center) {
  m_center = center;
  boxOutOfDate = true;
  return *this;
}

AcGeCircArc2d& AcGeCircArc2d::setRadius(const double& radius) {
  m_radius = radius;
  boxOutOfDate = true;
  return *this;
}

AcGeCircArc2d& AcGeCircArc2d::setAngles(const double& startAng, const double& endAng) {
  m_startAng = startAng;
  m_endAng = endAng;
  boxOutOfDate = true;
  return *this;
}

AcGeCircArc2d& AcGeCircArc2d::set(const AcGePoint2d& center, const double& radius) {
  m_center = center;
  m_radius = radius;
  m_startAng = 0.0;
  m_endAng = 0.0;
  m_isCCW = false;
  m_isCircle = true;
  boxOutOfDate = true;
  return *this;
}

AcGeCircArc2d& AcGeCircArc2d::set(const AcGePoint2d& center, const double& radius,
                                  const double& startAng, const double& endAng, const bool& isCCW) {
  m_center = center;
  m_radius = radius;
  m_startAng = GkMath::CorrectAngle(startAng);
  m_endAng = GkMath::CorrectAngle(endAng);
  m_isCCW = isCCW;
  m_isCircle = false;
  boxOutOfDate = true;
  return *this;
}

AcGeCircArc2d& AcGeCircArc2d::set(const AcGePoint2d& p1, const AcGePoint2d& p2,
                                  const AcGePoint2d& p3) {
  const AcGeVector2d a = p2 - p1;
  const AcGeVector2d b = p3 - p1;
  const double cross = b.y * a.x - b.x * a.y;
  const double k = 1.0 / cross;
  // Each square is halved on its own before the sum.
  const double da = a.x * a.x * 0.5 + a.y * a.y * 0.5;
  const double db = b.x * b.x * 0.5 + b.y * b.y * 0.5;
  const double ox = (b.y * da - a.y * db) * k;
  const double oy = (a.x * db - b.x * da) * k;

  m_radius = std::hypot(ox, oy);
  m_center = AcGePoint2d(p1.x + ox, p1.y + oy);
  m_startAng = polarAngle(p1, m_center);
  m_endAng = polarAngle(p3, m_center);
  const double mid = polarAngle(p2, m_center);
  // The arc runs counter-clockwise exactly when p1, p2, p3 turn left. The
  // angle test says the same except where it cannot form a range: ends
  // within EqualVector of each other, or p2 that close to an end, where it
  // says counter-clockwise whatever side p2 is on. It decides only
  // collinear (or not finite) points, whose arc is meaningless anyway.
  m_isCCW = cross > 0.0 || (!(cross < 0.0) && GkMath::IsAngleBetween(mid, m_startAng, m_endAng,
                                                                     true, GkGeoLib::g_tol));
  m_isCircle = false;
  boxOutOfDate = true;
  return *this;
}

AcGeCircArc2d& AcGeCircArc2d::set(const AcGePoint2d& startPt, const AcGePoint2d& center,
                                  const AcGePoint2d& endPt, const bool& isCCW) {
  m_center = center;
  m_radius = startPt.distanceTo(center);
  m_startAng = polarAngle(startPt, center);
  m_endAng = polarAngle(endPt, center);
  m_isCCW = isCCW;
  m_isCircle = false;
  boxOutOfDate = true;
  return *this;
}

void AcGeCircArc2d::SetIsCCW(const bool& isCCW) {
  m_isCCW = isCCW;
  boxOutOfDate = true;
}

void AcGeCircArc2d::SetIsCircle(const bool& isCircle) {
  m_isCircle = isCircle;
  boxOutOfDate = true;
}

// ---- field access ----

AcGePoint2d AcGeCircArc2d::center() const { return m_center; }
double AcGeCircArc2d::radius() const { return m_radius; }
double AcGeCircArc2d::startAng() const { return m_startAng; }
double AcGeCircArc2d::endAng() const { return m_endAng; }
bool AcGeCircArc2d::isClockWise() const { return !m_isCCW; }
bool AcGeCircArc2d::IsCircle() const { return m_isCircle; }

// ---- measures and angle tests ----

double AcGeCircArc2d::GetArcSweepangle() const {
  if (m_isCircle) {
    return kTwoPi;
  }
  const double from = m_isCCW ? m_startAng : m_endAng;
  const double to = m_isCCW ? m_endAng : m_startAng;
  return to > from ? to - from : to + kTwoPi - from;
}

double AcGeCircArc2d::GetArcLength() const { return m_radius * GetArcSweepangle(); }

bool AcGeCircArc2d::endsCoincide(const GkTolerance& tol) const {
  return std::fabs(std::remainder(m_startAng - m_endAng, kTwoPi)) <= tol.EqualVector();
}

bool AcGeCircArc2d::IsAngleBetween(const double& angle, const GkTolerance& tol) const {
  if (m_isCircle) {
    return true;
  }
  if (endsCoincide(tol)) {
    // No range can be formed from the ends alone; the sweep says whether
    // this is a full turn or a sliver between two nearly equal angles.
    if (GetArcSweepangle() > kPi) {
      return true;
    }
    return GkMath::GetAngleDifferenceU(angle, m_startAng) <= tol.EqualVector() ||
           GkMath::GetAngleDifferenceU(angle, m_endAng) <= tol.EqualVector();
  }
  return GkMath::IsAngleBetween(angle, m_startAng, m_endAng, m_isCCW, tol);
}

bool AcGeCircArc2d::IsPointOnSeg(const AcGePoint2d& p, const GkTolerance& tol) const {
  if (!IsAngleBetween(polarAngle(p, m_center), tol)) {
    return false;
  }
  return std::fabs(p.distanceTo(m_center) - m_radius) <= tol.EqualPoint();
}

bool AcGeCircArc2d::IsCirArc(const AcGePoint2d& p1, const AcGePoint2d& p2, const AcGePoint2d& p3,
                             const GkTolerance& tol) {
  const double c = (p3.y - p1.y) * (p2.x - p1.x) - (p2.y - p1.y) * (p3.x - p1.x);
  return std::fabs(c) > tol.EqualPoint();
}

// ---- points ----

AcGePoint2d AcGeCircArc2d::startPoint() const { return pointAt(m_center, m_radius, m_startAng); }

AcGePoint2d AcGeCircArc2d::endPoint() const { return pointAt(m_center, m_radius, m_endAng); }

AcGePoint2d AcGeCircArc2d::midPoint() const {
  double m = (m_startAng + m_endAng) * 0.5;
  if (!m_isCircle) {
    if (endsCoincide(GkGeoLib::g_tol) && GetArcSweepangle() > kPi) {
      // A full turn from the start: halfway is the opposite point, which
      // the mean of two (nearly) equal angles does not give.
      const double half = GetArcSweepangle() * 0.5;
      m = m_isCCW ? m_startAng + half : m_startAng - half;
    } else if (!IsAngleBetween(m, GkGeoLib::g_tol)) {
      m = m + kPi;
    }
  }
  return pointAt(m_center, m_radius, m);
}

AcGePoint2d AcGeCircArc2d::GetAnyPoint() const { return midPoint(); }

GkCurveType AcGeCircArc2d::GetCrvType() const { return kCrvArc; }

// ---- box ----

GkBoundBox2d AcGeCircArc2d::GetBoundBox() {
  if (!boxOutOfDate) {
    return cachedBox;
  }
  const double cx = m_center.x;
  const double cy = m_center.y;
  if (m_isCircle) {
    cachedBox = GkBoundBox2d(cx - m_radius, cx + m_radius, cy - m_radius, cy + m_radius);
  } else {
    const AcGePoint2d s = startPoint();
    const AcGePoint2d e = endPoint();
    GkBoundBox2d box(std::fmin(s.x, e.x), std::fmax(s.x, e.x), std::fmin(s.y, e.y),
                     std::fmax(s.y, e.y));
    const GkTolerance& tol = GkGeoLib::g_tol;
    if (IsAngleBetween(0.0, tol)) {
      box.maxX = cx + m_radius;
    }
    if (IsAngleBetween(kHalfPi, tol)) {
      box.maxY = cy + m_radius;
    }
    if (IsAngleBetween(kPi, tol)) {
      box.minX = cx - m_radius;
    }
    if (IsAngleBetween(kThreeHalfPi, tol)) {
      box.minY = cy - m_radius;
    }
    cachedBox = box;
  }
  boxOutOfDate = false;
  return cachedBox;
}

// ---- copies and transformations ----

GkCurve2d* AcGeCircArc2d::Clone() {
  AcGeCircArc2d* copy = new AcGeCircArc2d();
  *copy = *this;
  return copy;
}

void AcGeCircArc2d::Flip() {
  if (m_isCircle) {
    return;
  }
  const double a = m_startAng;
  m_startAng = m_endAng;
  m_endAng = a;
  m_isCCW = !m_isCCW;
}

AcGeCircArc2d& AcGeCircArc2d::mirror(const AcGeLineSeg2d& axis) {
  if (m_isCircle) {
    AcGePoint2d c = m_center;
    c.mirror(axis);
    return set(c, m_radius);
  }
  AcGePoint2d s = startPoint();
  AcGePoint2d c = m_center;
  AcGePoint2d e = endPoint();
  s.mirror(axis);
  c.mirror(axis);
  e.mirror(axis);
  return set(s, c, e, !m_isCCW);
}

AcGeCircArc2d AcGeCircArc2d::Transform(const AcGeMatrix2d& m) const {
  if (m_isCircle) {
    return AcGeCircArc2d(m_center.Transform(m), m_radius);
  }
  const AcGePoint2d s = startPoint().Transform(m);
  if (endsCoincide(GkGeoLib::g_tol) && GetArcSweepangle() > kPi) {
    // A full turn has coincident ends, so three points need two inner
    // ones; the result keeps the full turn from the image of the start.
    const double third = GetArcSweepangle() / 3.0;
    const double dir = m_isCCW ? third : -third;
    const AcGePoint2d a = pointAt(m_center, m_radius, m_startAng + dir).Transform(m);
    const AcGePoint2d b = pointAt(m_center, m_radius, m_startAng + 2.0 * dir).Transform(m);
    AcGeCircArc2d result(s, a, b);
    result.setAngles(result.startAng(), result.startAng());
    return result;
  }
  const double mid = (m_startAng + m_endAng) * 0.5;
  AcGePoint2d mp;
  if (IsAngleBetween(mid, GkGeoLib::g_tol)) {
    mp = AcGePoint2d(m_center.x + m_radius * std::cos(mid), m_center.y + m_radius * std::sin(mid));
  } else {
    mp = AcGePoint2d(m_center.x - m_radius * std::cos(mid), m_center.y - m_radius * std::sin(mid));
  }
  return AcGeCircArc2d(s, mp.Transform(m), endPoint().Transform(m));
}
