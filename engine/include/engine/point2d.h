// Points and vectors: AcGePoint2d (a position) and AcGeVector2d (a
// displacement or direction). Plain values of two public doubles, x then y,
// with no heap state. Both share their scalar arithmetic; a point minus a
// point is a vector, a point plus a vector is a point.
#pragma once

#include <engine/engine_export.h>
#include <engine/tolerance.h>

class AcGeMatrix2d;
class AcGeLineSeg2d;
class AcGeVector2d;

class ENGINE_EXPORT AcGePoint2d {
public:
  constexpr AcGePoint2d() = default;
  constexpr AcGePoint2d(double px, double py) : x(px), y(py) {}

  AcGePoint2d& set(const double& px, const double& py) {
    x = px;
    y = py;
    return *this;
  }

  // Scalar arithmetic; no check of s.
  AcGePoint2d operator*(const double& s) const { return AcGePoint2d(x * s, y * s); }
  AcGePoint2d operator/(const double& s) const { return AcGePoint2d(x / s, y / s); }
  AcGePoint2d& operator*=(const double& s) {
    x *= s;
    y *= s;
    return *this;
  }
  AcGePoint2d& operator/=(const double& s) {
    x /= s;
    y /= s;
    return *this;
  }

  AcGePoint2d operator+(const AcGePoint2d& p) const { return AcGePoint2d(x + p.x, y + p.y); }
  AcGePoint2d operator+(const AcGeVector2d& v) const;
  AcGePoint2d operator-(const AcGeVector2d& v) const;
  // The vector from p to this point.
  AcGeVector2d operator-(const AcGePoint2d& p) const;
  AcGePoint2d& operator+=(const AcGePoint2d& p) {
    x += p.x;
    y += p.y;
    return *this;
  }
  AcGePoint2d& operator+=(const AcGeVector2d& v);
  AcGePoint2d& operator-=(const AcGeVector2d& v);

  AcGeVector2d asVector() const;
  // Euclidean distance.
  double distanceTo(const AcGePoint2d& p) const;

  // The affine mapping of the matrix: x' = m(0,0)x + m(0,1)y + m(0,2),
  // y' = m(1,0)x + m(1,1)y + m(1,2). In place / as a new point.
  AcGePoint2d& transformBy(const AcGeMatrix2d& m);
  AcGePoint2d Transform(const AcGeMatrix2d& m) const;
  // Rotation by a radians (counter-clockwise for a > 0) about c.
  AcGePoint2d& rotateBy(const double& a, const AcGePoint2d& c);
  // Reflection across the line through the segment's end points; a segment
  // shorter than g_tol.EqualPoint in both coordinates (strict) reflects
  // through its start point instead.
  AcGePoint2d& mirror(const AcGeLineSeg2d& line);
  // Uniform scaling about c by f: x' = x*f + c.x*(1 - f), likewise y; the
  // same mapping as AcGeMatrix2d::setToScaling(f, c).
  AcGePoint2d& scaleBy(const double& f, const AcGePoint2d& c);

  // Per-coordinate, strict: abs(dx) < EqualPoint and abs(dy) < EqualPoint,
  // with GkGeoLib::g_tol read at call time. Points differing by exactly
  // EqualPoint are different.
  bool operator==(const AcGePoint2d& p) const;
  bool operator!=(const AcGePoint2d& p) const;
  // As operator== with tol.EqualPoint.
  bool isEqualTo(const AcGePoint2d& p, const GkTolerance& tol) const;

  // (0, 0).
  static const AcGePoint2d m_kOrigin;

  double x = 0.0;
  double y = 0.0;
};

class ENGINE_EXPORT AcGeVector2d {
public:
  constexpr AcGeVector2d() = default;
  constexpr AcGeVector2d(double vx, double vy) : x(vx), y(vy) {}

  AcGeVector2d& set(const double& vx, const double& vy) {
    x = vx;
    y = vy;
    return *this;
  }

  // Scalar arithmetic; no check of s.
  AcGeVector2d operator*(const double& s) const { return AcGeVector2d(x * s, y * s); }
  AcGeVector2d operator/(const double& s) const { return AcGeVector2d(x / s, y / s); }
  AcGeVector2d& operator*=(const double& s) {
    x *= s;
    y *= s;
    return *this;
  }
  AcGeVector2d& operator/=(const double& s) {
    x /= s;
    y /= s;
    return *this;
  }

  AcGeVector2d operator+(const AcGeVector2d& v) const { return AcGeVector2d(x + v.x, y + v.y); }
  AcGeVector2d operator-(const AcGeVector2d& v) const { return AcGeVector2d(x - v.x, y - v.y); }
  AcGeVector2d& operator+=(const AcGeVector2d& v) {
    x += v.x;
    y += v.y;
    return *this;
  }
  AcGeVector2d& operator-=(const AcGeVector2d& v) {
    x -= v.x;
    y -= v.y;
    return *this;
  }
  AcGeVector2d operator-() const { return AcGeVector2d(-x, -y); }
  AcGeVector2d& negate() {
    x = -x;
    y = -y;
    return *this;
  }

  // this := a + b; this := v * s.
  AcGeVector2d& setToSum(const AcGeVector2d& a, const AcGeVector2d& b);
  AcGeVector2d& setToProduct(const AcGeVector2d& v, const double& s);
  // this := m applied to v like a point, translation included.
  AcGeVector2d& setToProduct(const AcGeMatrix2d& m, const AcGeVector2d& v);

  // x*v.x + y*v.y.
  double dotProduct(const AcGeVector2d& v) const;
  double operator*(const AcGeVector2d& v) const;
  // (-y, x): a quarter turn counter-clockwise.
  AcGeVector2d perpVector() const;
  double length() const;
  double lengthSqrd() const;
  // atan2(y, x), plus 2pi when negative: in [0, 2pi).
  double angle() const;
  // Unsigned angle acos(dot / |this| / |v|) in [0, pi] (the quotient is not
  // clamped). When either length is at most 1e-8 (inclusive, fixed): the
  // signed difference of polar angles atan2(v) - atan2(this), not normalised.
  double angleTo(const AcGeVector2d& v) const;
  // Unit vector; a vector shorter than 1e-8 (strict, fixed) gives the unit
  // vector at 45 degrees. tol is not read.
  AcGeVector2d normal(const GkTolerance& tol) const;
  AcGeVector2d& normalize(const GkTolerance& tol);

  // abs(cross product) <= tol.EqualVector, on the vectors as they are (not
  // normalised; inclusive).
  bool isParallelTo(const AcGeVector2d& v, const GkTolerance& tol) const;
  // abs(dot product) <= tol.EqualVector (not normalised; inclusive).
  bool isPerpendicularTo(const AcGeVector2d& v, const GkTolerance& tol) const;
  // Parallel (cross product within EqualVector) and pointing the same way,
  // judged by near-equal components (strict) or by the sign of the ratio of
  // components (divides by this vector's own component, unguarded).
  bool isCodirectionalTo(const AcGeVector2d& v, const GkTolerance& tol) const;

  // 0 is x, 1 is y; no range check.
  double operator[](unsigned int i) const { return i == 0 ? x : y; }
  double& operator[](unsigned int i) { return i == 0 ? x : y; }

  // The unit vector at angle atan2(y, x) + a, whatever the length before
  // (a zero vector becomes (cos a, sin a)). In place / as a new vector.
  AcGeVector2d& rotateBy(const double& a);
  AcGeVector2d Rotate(const double& a) const;
  // Reflection across the line through the origin along axis; an axis with
  // both components strictly smaller than g_tol.EqualPoint in magnitude
  // negates the vector.
  AcGeVector2d& mirror(const AcGeVector2d& axis);
  // The full point mapping of the matrix, translation included: a
  // translation matrix moves a vector.
  AcGeVector2d& transformBy(const AcGeMatrix2d& m);

  // (1, 0) and (0, 1).
  static const AcGeVector2d kXAxis;
  static const AcGeVector2d kYAxis;

  double x = 0.0;
  double y = 0.0;
};

inline AcGePoint2d AcGePoint2d::operator+(const AcGeVector2d& v) const {
  return AcGePoint2d(x + v.x, y + v.y);
}
inline AcGePoint2d AcGePoint2d::operator-(const AcGeVector2d& v) const {
  return AcGePoint2d(x - v.x, y - v.y);
}
inline AcGeVector2d AcGePoint2d::operator-(const AcGePoint2d& p) const {
  return AcGeVector2d(x - p.x, y - p.y);
}
inline AcGePoint2d& AcGePoint2d::operator+=(const AcGeVector2d& v) {
  x += v.x;
  y += v.y;
  return *this;
}
inline AcGePoint2d& AcGePoint2d::operator-=(const AcGeVector2d& v) {
  x -= v.x;
  y -= v.y;
  return *this;
}
inline AcGeVector2d AcGePoint2d::asVector() const { return AcGeVector2d(x, y); }
