// AcGeMatrix2d: products, inversion, comparison and the transformations it
// is built as; the reflection across a segment's line lives here too.
#include <engine/lineseg2d.h>
#include <engine/matrix2d.h>

#include "reflection.h"
#include "tolerance_terms.h"

#include <cmath>

const AcGeMatrix2d AcGeMatrix2d::kIdentity;

bool gk::WriteReflection(const AcGePoint2d& s, const AcGePoint2d& e, AcGeMatrix2d& m) {
  const AcGeVector2d d = e - s;
  const double t = GkGeoLib::g_tol.EqualPoint();
  if (std::fabs(d.x) < t && std::fabs(d.y) < t) {
    m.setToMirroring(s);
    return false;
  }
  const double c = s.x * e.y - e.x * s.y;
  const double h = 1 / (d.x * d.x + d.y * d.y);
  m(0, 0) = (d.x * d.x - d.y * d.y) * h;
  m(1, 1) = (d.y * d.y - d.x * d.x) * h;
  m(0, 1) = 2 * d.x * d.y * h;
  m(1, 0) = m(0, 1);
  m(0, 2) = 2 * d.y * c * h;
  m(1, 2) = -2 * d.x * c * h;
  return true;
}

AcGeMatrix2d AcGeMatrix2d::operator*(const AcGeMatrix2d& b) const {
  AcGeMatrix2d r;
  for (unsigned i = 0; i < 3; ++i) {
    for (unsigned j = 0; j < 3; ++j) {
      r(i, j) = (*this)(i, 0) * b(0, j) + (*this)(i, 1) * b(1, j) + (*this)(i, 2) * b(2, j);
    }
  }
  return r;
}

AcGeMatrix2d& AcGeMatrix2d::postMultBy(const AcGeMatrix2d& b) { return *this = *this * b; }

AcGeMatrix2d& AcGeMatrix2d::operator*=(const AcGeMatrix2d& b) { return postMultBy(b); }

AcGeMatrix2d& AcGeMatrix2d::preMultBy(const AcGeMatrix2d& b) { return *this = b * *this; }

AcGeMatrix2d& AcGeMatrix2d::operator*=(const double& s) {
  for (double& v : entry) v *= s;
  return *this;
}

AcGeMatrix2d AcGeMatrix2d::transpose() const {
  AcGeMatrix2d r;
  for (unsigned i = 0; i < 3; ++i) {
    for (unsigned j = 0; j < 3; ++j) r(i, j) = (*this)(j, i);
  }
  return r;
}

AcGeMatrix2d& AcGeMatrix2d::transposeIt() { return *this = transpose(); }

namespace {

// The 2x2 part is a rotation or reflection: unit columns, orthogonal to
// each other, to within 1e-12.
bool IsOrthonormal(const AcGeMatrix2d& m) {
  const double lim = 1e-12;
  return std::fabs(m(0, 0) * m(0, 0) + m(1, 0) * m(1, 0) - 1) <= lim &&
         std::fabs(m(0, 1) * m(0, 1) + m(1, 1) * m(1, 1) - 1) <= lim &&
         std::fabs(m(0, 0) * m(0, 1) + m(1, 0) * m(1, 1)) <= lim;
}

// Rigid motion: transpose the 2x2 part, rotate the translation back and
// negate it.
AcGeMatrix2d RigidInverse(const AcGeMatrix2d& m) {
  AcGeMatrix2d r;
  r(0, 0) = m(0, 0);
  r(0, 1) = m(1, 0);
  r(0, 2) = -(m(0, 0) * m(0, 2) + m(1, 0) * m(1, 2));
  r(1, 0) = m(0, 1);
  r(1, 1) = m(1, 1);
  r(1, 2) = -(m(0, 1) * m(0, 2) + m(1, 1) * m(1, 2));
  return r;
}

// Any affine map: invert the 2x2 part by its determinant and map the
// translation back through it.
AcGeMatrix2d AffineInverse(const AcGeMatrix2d& m) {
  const double det = m(0, 0) * m(1, 1) - m(0, 1) * m(1, 0);
  AcGeMatrix2d r;
  r(0, 0) = m(1, 1) / det;
  r(0, 1) = -m(0, 1) / det;
  r(1, 0) = -m(1, 0) / det;
  r(1, 1) = m(0, 0) / det;
  r(0, 2) = -(r(0, 0) * m(0, 2) + r(0, 1) * m(1, 2));
  r(1, 2) = -(r(1, 0) * m(0, 2) + r(1, 1) * m(1, 2));
  return r;
}

}  // namespace

AcGeMatrix2d AcGeMatrix2d::inverse() const {
  return IsOrthonormal(*this) ? RigidInverse(*this) : AffineInverse(*this);
}

AcGeMatrix2d& AcGeMatrix2d::invert() { return *this = inverse(); }

bool AcGeMatrix2d::isEqualTo(const AcGeMatrix2d& m) const {
  for (unsigned i = 0; i < 9; ++i) {
    if (!gk::EqualStrictlyWithin(entry[i], m.entry[i], 1e-7)) return false;
  }
  return true;
}

bool AcGeMatrix2d::operator==(const AcGeMatrix2d& m) const { return isEqualTo(m); }

bool AcGeMatrix2d::operator!=(const AcGeMatrix2d& m) const { return !isEqualTo(m); }

AcGePoint2d AcGeMatrix2d::Offset() const { return AcGePoint2d((*this)(0, 2), (*this)(1, 2)); }

double AcGeMatrix2d::Rotate() const {
  return GkMath::CorrectAngle(std::atan2((*this)(0, 1), (*this)(0, 0)));
}

AcGeMatrix2d AcGeMatrix2d::translation(const AcGeVector2d& v) {
  return AcGeMatrix2d().setToTranslation(v);
}

AcGeMatrix2d AcGeMatrix2d::rotation(const double& a, const AcGePoint2d& c) {
  return AcGeMatrix2d().setToRotation(a, c);
}

AcGeMatrix2d AcGeMatrix2d::mirroring(const AcGePoint2d& p) {
  return AcGeMatrix2d().setToMirroring(p);
}

AcGeMatrix2d AcGeMatrix2d::mirroring(const AcGeLineSeg2d& line) {
  return AcGeMatrix2d().setToMirroring(line);
}

AcGeMatrix2d& AcGeMatrix2d::setToIdentity() { return *this = AcGeMatrix2d(); }

AcGeMatrix2d& AcGeMatrix2d::setToTranslation(const AcGeVector2d& v) {
  (*this)(0, 2) += v.x;
  (*this)(1, 2) += v.y;
  return *this;
}

AcGeMatrix2d& AcGeMatrix2d::setToRotation(double a, const AcGePoint2d& c) {
  const double co = std::cos(a);
  const double si = std::sin(a);
  (*this)(0, 0) = co;
  (*this)(0, 1) = -si;
  (*this)(0, 2) = c.x * (1 - co) + c.y * si;
  (*this)(1, 0) = si;
  (*this)(1, 1) = co;
  (*this)(1, 2) = c.y * (1 - co) - c.x * si;
  return *this;
}

AcGeMatrix2d& AcGeMatrix2d::setToMirroring(const AcGePoint2d& p) {
  (*this)(0, 0) = -1.0;
  (*this)(1, 1) = -1.0;
  (*this)(0, 2) = 2 * p.x;
  (*this)(1, 2) = 2 * p.y;
  return *this;
}

AcGeMatrix2d& AcGeMatrix2d::setToMirroring(const AcGeLineSeg2d& line) {
  gk::WriteReflection(line.startPoint(), line.endPoint(), *this);
  return *this;
}

AcGeMatrix2d& AcGeMatrix2d::setToScaling(double f, const AcGePoint2d& c) {
  (*this)(0, 0) = f;
  (*this)(0, 1) = 0.0;
  (*this)(0, 2) = c.x * (1 - f);
  (*this)(1, 0) = 0.0;
  (*this)(1, 1) = f;
  (*this)(1, 2) = c.y * (1 - f);
  return *this;
}
