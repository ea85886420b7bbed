// GkBoundBox2d: growth, overlap and containment tests with tolerance, the
// gap between boxes, quarters and transformation.
#include <engine/boundbox2d.h>

#include "tolerance_terms.h"

#include <algorithm>
#include <cmath>

GkBoundBox2d::GkBoundBox2d() : minX(HUGE_VAL), maxX(-HUGE_VAL), maxY(-HUGE_VAL), minY(HUGE_VAL) {}

GkBoundBox2d::GkBoundBox2d(double minx, double maxx, double miny, double maxy)
    : minX(minx), maxX(maxx), maxY(maxy), minY(miny) {}

bool GkBoundBox2d::IsValid() const { return !(minX > maxX || minY > maxY); }

void GkBoundBox2d::Combine(double x, double y) {
  minX = std::min(minX, x);
  maxX = std::max(maxX, x);
  minY = std::min(minY, y);
  maxY = std::max(maxY, y);
}

void GkBoundBox2d::Combine(const GkBoundBox2d& other) {
  minX = std::min(minX, other.minX);
  maxX = std::max(maxX, other.maxX);
  minY = std::min(minY, other.minY);
  maxY = std::max(maxY, other.maxY);
}

void GkBoundBox2d::Extend(double d) {
  minX -= d;
  maxX += d;
  minY -= d;
  maxY += d;
}

void GkBoundBox2d::Offset(double dx, double dy) {
  minX += dx;
  maxX += dx;
  minY += dy;
  maxY += dy;
}

bool GkBoundBox2d::Intersect(const GkBoundBox2d& other, GkBoundBox2d& out) const {
  if (!IsOverLap(other, GkGeoLib::g_tol)) return false;
  out.minX = std::max(minX, other.minX);
  out.maxX = std::min(maxX, other.maxX);
  out.minY = std::max(minY, other.minY);
  out.maxY = std::min(maxY, other.maxY);
  return true;
}

namespace {

// The extent [x0, x1] x [y0, y1] lies in the box widened by tol.EqualPoint;
// tested left, right, bottom, top, stopping at the first failure.
bool ContainsExtent(const GkBoundBox2d& b, double x0, double x1, double y0, double y1,
                    const GkTolerance& tol) {
  const double t = tol.EqualPoint();
  return gk::LessEqualWithin(b.minX, x0, t) && gk::GreaterEqualWithin(b.maxX, x1, t) &&
         gk::LessEqualWithin(b.minY, y0, t) && GkMath::Compare(b.maxY, y1, CMP_GREATER_EQUAL, tol);
}

}  // namespace

bool GkBoundBox2d::Contain(AcGePoint2d p, const GkTolerance& tol) const {
  return ContainsExtent(*this, p.x, p.x, p.y, p.y, tol);
}

bool GkBoundBox2d::Contain(const GkBoundBox2d& other, const GkTolerance& tol) const {
  return ContainsExtent(*this, other.minX, other.maxX, other.minY, other.maxY, tol);
}

bool GkBoundBox2d::IsOverLap(const GkBoundBox2d& other, const GkTolerance& tol) const {
  const double t = tol.EqualPoint();
  if (gk::GreaterBeyond(minX, other.maxX, t)) return false;
  if (gk::LessBeyond(maxX, other.minX, t)) return false;
  if (gk::GreaterBeyond(minY, other.maxY, t)) return false;
  return !GkMath::Compare(maxY, other.minY, CMP_LESS, tol);
}

double GkBoundBox2d::Distance(const GkBoundBox2d& other) const {
  if (IsOverLap(other, GkGeoLib::g_tol)) return 0.0;
  double dx = 0.0;
  if (minX > other.maxX || other.minX > maxX) {
    dx = std::min(std::fabs(minX - other.maxX), std::fabs(other.minX - maxX));
  }
  double dy = 0.0;
  if (minY > other.maxY || other.minY > maxY) {
    dy = std::min(std::fabs(other.minY - maxY), std::fabs(minY - other.maxY));
  }
  return std::sqrt(dx * dx + dy * dy);
}

GkBoundBox2d GkBoundBox2d::GetSubBox(int i) const {
  const double hw = (maxX - minX) * 0.5;
  const double hh = (maxY - minY) * 0.5;
  const unsigned bits = static_cast<unsigned>(i);
  const double x0 = minX + (bits & 1u) * hw;
  const double y0 = minY + ((bits >> 1) & 1u) * hh;
  return GkBoundBox2d(x0, x0 + hw, y0, y0 + hh);
}

AcGePoint2d GkBoundBox2d::Center() const {
  return AcGePoint2d((minX + maxX) * 0.5, (minY + maxY) * 0.5);
}

double GkBoundBox2d::Width() const { return maxX - minX; }
double GkBoundBox2d::Height() const { return maxY - minY; }
double GkBoundBox2d::Area() const { return Height() * Width(); }

AcGePoint2d GkBoundBox2d::GetTopLeft() const { return AcGePoint2d(minX, maxY); }
AcGePoint2d GkBoundBox2d::GetTopRight() const { return AcGePoint2d(maxX, maxY); }
AcGePoint2d GkBoundBox2d::GetBottomLeft() const { return AcGePoint2d(minX, minY); }
AcGePoint2d GkBoundBox2d::GetBottomRight() const { return AcGePoint2d(maxX, minY); }

void GkBoundBox2d::transformBy(const AcGeMatrix2d& m) {
  const AcGePoint2d p = GetBottomLeft().Transform(m);
  const AcGePoint2d q = GetTopRight().Transform(m);
  *this =
      GkBoundBox2d(std::min(p.x, q.x), std::max(p.x, q.x), std::min(p.y, q.y), std::max(p.y, q.y));
}

GkBoundBox2d GkBoundBox2d::operator*(const double& s) const {
  return GkBoundBox2d(minX * s, maxX * s, minY * s, maxY * s);
}
