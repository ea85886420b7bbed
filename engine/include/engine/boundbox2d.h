// GkBoundBox2d: the axis-aligned bounding box of the library. Every curve
// caches one, and intersection, distance and containment queries test boxes
// first to reject far-apart geometry cheaply.
//
// Invariant of a valid box: minX <= maxX and minY <= maxY (zero width or
// height is valid). The default box is empty (minX = minY = +inf,
// maxX = maxY = -inf) and not valid; combining anything into it yields that
// thing's extent. No query checks validity: empty and invalid boxes go
// through the same formulas. Tolerance tests use EqualPoint and are
// inclusive unless stated.
#pragma once

#include <engine/engine_export.h>
#include <engine/matrix2d.h>
#include <engine/point2d.h>
#include <engine/tolerance.h>

class ENGINE_EXPORT GkBoundBox2d {
public:
  // The empty box.
  GkBoundBox2d();
  // Stored as passed, unchecked. Note the argument order (minX, maxX, minY,
  // maxY) differs from the field order.
  GkBoundBox2d(double minx, double maxx, double miny, double maxy);

  // True unless minX > maxX or minY > maxY.
  bool IsValid() const;
  // Grow to contain the point (x, y) / the other box.
  void Combine(double x, double y);
  void Combine(const GkBoundBox2d& other);
  // Widen every side by d (d may be negative).
  void Extend(double d);
  // Translate by (dx, dy).
  void Offset(double dx, double dy);

  // Overlap test with GkGeoLib::g_tol; when the boxes overlap, out receives
  // the common part (slightly inverted, by up to EqualPoint, for boxes that
  // only touch within tolerance) and the result is true. Otherwise false
  // with out untouched.
  bool Intersect(const GkBoundBox2d& other, GkBoundBox2d& out) const;
  // The point lies in the box widened by tol.EqualPoint.
  bool Contain(AcGePoint2d p, const GkTolerance& tol) const;
  // The other box lies in this box widened by tol.EqualPoint.
  bool Contain(const GkBoundBox2d& other, const GkTolerance& tol) const;
  // The boxes overlap or touch, or are apart by at most tol.EqualPoint.
  bool IsOverLap(const GkBoundBox2d& other, const GkTolerance& tol) const;
  // The Euclidean gap between the boxes (corner to corner when apart on both
  // axes); 0 when they overlap by IsOverLap with GkGeoLib::g_tol.
  double Distance(const GkBoundBox2d& other) const;
  // One quarter: bit 0 of i picks the x half, bit 1 the y half (0 bottom-
  // left, 1 bottom-right, 2 top-left, 3 top-right); higher bits are ignored
  // and a negative i is read in two's complement (-1 is top-right).
  GkBoundBox2d GetSubBox(int i) const;

  AcGePoint2d Center() const;
  double Width() const;   // maxX - minX
  double Height() const;  // maxY - minY
  double Area() const;    // Height * Width
  AcGePoint2d GetTopLeft() const;
  AcGePoint2d GetTopRight() const;
  AcGePoint2d GetBottomLeft() const;
  AcGePoint2d GetBottomRight() const;

  // The extent of the images of two corners only, (minX, minY) and
  // (maxX, maxY). Exact for translations, axis flips and quarter turns;
  // under other rotations the result need not enclose the rotated box.
  void transformBy(const AcGeMatrix2d& m);
  // Each field times s, no reordering: a negative s gives an invalid box.
  GkBoundBox2d operator*(const double& s) const;

  double minX;
  double maxX;
  double maxY;
  double minY;
};
