// Points and vectors: the operations that read tolerances, matrices and
// segments, and every formula with more than one rounding step.
#include <engine/lineseg2d.h>
#include <engine/matrix2d.h>
#include <engine/point2d.h>

#include "reflection.h"
#include "tolerance_terms.h"

#include <cmath>

const AcGePoint2d AcGePoint2d::m_kOrigin(0.0, 0.0);
const AcGeVector2d AcGeVector2d::kXAxis(1.0, 0.0);
const AcGeVector2d AcGeVector2d::kYAxis(0.0, 1.0);

namespace {

// sqrt(a^2 + b^2) as written, so that results stay bit for bit those of the
// plain formula; where the squares overflow (beyond about 1e154) std::hypot,
// which does not: a point 1e155 away is that far, not infinitely.
double SquareRootOfSum(double a, double b) {
  const double s = a * a + b * b;
  return std::isinf(s) ? std::hypot(a, b) : std::sqrt(s);
}

// The affine mapping of m applied to (x, y), in the stated order of
// operations; shared by points and vectors.
void MapXY(const AcGeMatrix2d& m, double& x, double& y) {
  const double nx = m(0, 0) * x + m(0, 1) * y + m(0, 2);
  const double ny = m(1, 0) * x + m(1, 1) * y + m(1, 2);
  x = nx;
  y = ny;
}

}  // namespace

// ---- AcGePoint2d

double AcGePoint2d::distanceTo(const AcGePoint2d& p) const {
  const double dx = x - p.x;
  const double dy = y - p.y;
  return SquareRootOfSum(dx, dy);
}

AcGePoint2d& AcGePoint2d::transformBy(const AcGeMatrix2d& m) {
  MapXY(m, x, y);
  return *this;
}

AcGePoint2d AcGePoint2d::Transform(const AcGeMatrix2d& m) const {
  AcGePoint2d p(*this);
  return p.transformBy(m);
}

AcGePoint2d& AcGePoint2d::rotateBy(const double& a, const AcGePoint2d& c) {
  const double co = std::cos(a);
  const double si = std::sin(a);
  const double nx = x * co - y * si + (c.x * (1 - co) + c.y * si);
  const double ny = x * si + y * co + (c.y * (1 - co) - c.x * si);
  x = nx;
  y = ny;
  return *this;
}

AcGePoint2d& AcGePoint2d::mirror(const AcGeLineSeg2d& line) {
  return transformBy(AcGeMatrix2d::mirroring(line));
}

AcGePoint2d& AcGePoint2d::scaleBy(const double& f, const AcGePoint2d& c) {
  x = x * f + c.x * (1 - f);
  y = y * f + c.y * (1 - f);
  return *this;
}

bool AcGePoint2d::operator==(const AcGePoint2d& p) const { return isEqualTo(p, GkGeoLib::g_tol); }

bool AcGePoint2d::operator!=(const AcGePoint2d& p) const { return !(*this == p); }

bool AcGePoint2d::isEqualTo(const AcGePoint2d& p, const GkTolerance& tol) const {
  const double t = tol.EqualPoint();
  return gk::EqualStrictlyWithin(p.x, x, t) && gk::EqualStrictlyWithin(p.y, y, t);
}

// ---- AcGeVector2d

AcGeVector2d& AcGeVector2d::setToSum(const AcGeVector2d& a, const AcGeVector2d& b) {
  return *this = a + b;
}

AcGeVector2d& AcGeVector2d::setToProduct(const AcGeVector2d& v, const double& s) {
  return *this = v * s;
}

AcGeVector2d& AcGeVector2d::setToProduct(const AcGeMatrix2d& m, const AcGeVector2d& v) {
  *this = v;
  return transformBy(m);
}

double AcGeVector2d::dotProduct(const AcGeVector2d& v) const { return x * v.x + y * v.y; }

double AcGeVector2d::operator*(const AcGeVector2d& v) const { return dotProduct(v); }

AcGeVector2d AcGeVector2d::perpVector() const { return AcGeVector2d(-y, x); }

double AcGeVector2d::length() const { return SquareRootOfSum(x, y); }

double AcGeVector2d::lengthSqrd() const { return x * x + y * y; }

double AcGeVector2d::angle() const {
  const double a = std::atan2(y, x);
  return a < 0 ? a + gk::k2Pi : a;
}

double AcGeVector2d::angleTo(const AcGeVector2d& v) const {
  const double la = length();
  const double lb = v.length();
  if (la <= 1e-8 || lb <= 1e-8) return std::atan2(v.y, v.x) - std::atan2(y, x);
  return std::acos((v.x * x + v.y * y) / la / lb);
}

AcGeVector2d AcGeVector2d::normal(const GkTolerance& tol) const {
  AcGeVector2d n(*this);
  return n.normalize(tol);
}

AcGeVector2d& AcGeVector2d::normalize(const GkTolerance&) {
  const double l = SquareRootOfSum(x, y);
  if (l < 1e-8) return set(std::sqrt(2.0) * 0.5, std::sqrt(2.0) * 0.5);
  return set(x / l, y / l);
}

bool AcGeVector2d::isParallelTo(const AcGeVector2d& v, const GkTolerance& tol) const {
  return std::fabs(x * v.y - v.x * y) <= tol.EqualVector();
}

bool AcGeVector2d::isPerpendicularTo(const AcGeVector2d& v, const GkTolerance& tol) const {
  return std::fabs(x * v.x + y * v.y) <= tol.EqualVector();
}

bool AcGeVector2d::isCodirectionalTo(const AcGeVector2d& v, const GkTolerance& tol) const {
  const double e = tol.EqualVector();
  if (std::fabs(x * v.y - v.x * y) > e) return false;
  if (gk::EqualStrictlyWithin(v.x, x, e)) {
    return gk::EqualStrictlyWithin(v.y, y, e) || v.y / y > 0;
  }
  return v.x / x > 0;
}

AcGeVector2d& AcGeVector2d::rotateBy(const double& a) { return *this = Rotate(a); }

AcGeVector2d AcGeVector2d::Rotate(const double& a) const {
  const double t = std::atan2(y, x) + a;
  return AcGeVector2d(std::cos(t), std::sin(t));
}

AcGeVector2d& AcGeVector2d::mirror(const AcGeVector2d& axis) {
  AcGeMatrix2d m;
  if (!gk::WriteReflection(AcGePoint2d::m_kOrigin, AcGePoint2d(axis.x, axis.y), m)) {
    return negate();
  }
  return transformBy(m);
}

AcGeVector2d& AcGeVector2d::transformBy(const AcGeMatrix2d& m) {
  MapXY(m, x, y);
  return *this;
}
