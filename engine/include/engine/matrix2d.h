// AcGeMatrix2d: a 2D affine transformation held as a 3x3 matrix in row-major
// order (entry (r, c) is element r*3 + c), acting on column vectors:
//   x' = (0,0)*x + (0,1)*y + (0,2)
//   y' = (1,0)*x + (1,1)*y + (1,2)
// Row 2 (identity 0, 0, 1) takes part in products, transposition and
// comparison but never in the mapping of a point or vector. The translation
// is the column ((0,2), (1,2)).
#pragma once

#include <engine/engine_export.h>
#include <engine/point2d.h>

class AcGeLineSeg2d;

class ENGINE_EXPORT AcGeMatrix2d {
public:
  // The identity.
  constexpr AcGeMatrix2d() = default;

  // entry(r, c); no range check.
  double operator()(unsigned int r, unsigned int c) const { return entry[r * 3 + c]; }
  double& operator()(unsigned int r, unsigned int c) { return entry[r * 3 + c]; }

  // Full 3x3 products: this * b; this := this * b; this := b * this.
  AcGeMatrix2d operator*(const AcGeMatrix2d& b) const;
  AcGeMatrix2d& postMultBy(const AcGeMatrix2d& b);
  AcGeMatrix2d& operator*=(const AcGeMatrix2d& b);
  AcGeMatrix2d& preMultBy(const AcGeMatrix2d& b);
  // All nine entries times s.
  AcGeMatrix2d& operator*=(const double& s);

  AcGeMatrix2d transpose() const;
  AcGeMatrix2d& transposeIt();
  // The inverse as an affine map (row 2 of the result is 0, 0, 1). When the
  // 2x2 part is orthonormal within 1e-12 (a rotation or reflection) it is
  // the rigid-motion inverse: the 2x2 part transposed and the translation
  // rotated back and negated. Otherwise the general affine inverse, so that
  // scalings invert correctly; a singular 2x2 part gives non-finite entries.
  AcGeMatrix2d inverse() const;
  AcGeMatrix2d& invert();

  // Every one of the nine entries differs by less than 1e-7 (strict, the
  // fixed constant, not a tolerance record).
  bool isEqualTo(const AcGeMatrix2d& m) const;
  bool operator==(const AcGeMatrix2d& m) const;
  bool operator!=(const AcGeMatrix2d& m) const;

  // The translation as a point: ((0,2), (1,2)).
  AcGePoint2d Offset() const;
  // CorrectAngle(atan2((0,1), (0,0))) in [0, 2pi]. For rotation(a, c) the
  // entry (0,1) holds -sin a, so the result is CorrectAngle(-a).
  double Rotate() const;

  static AcGeMatrix2d translation(const AcGeVector2d& v);
  // Rotation by a radians (counter-clockwise for a > 0) about c.
  static AcGeMatrix2d rotation(const double& a, const AcGePoint2d& c);
  // Point reflection through p.
  static AcGeMatrix2d mirroring(const AcGePoint2d& p);
  // Reflection across the line through the segment's end points; a segment
  // shorter than g_tol.EqualPoint in both coordinates (strict) gives the
  // point reflection through its start.
  static AcGeMatrix2d mirroring(const AcGeLineSeg2d& line);

  AcGeMatrix2d& setToIdentity();
  // Adds v to the translation; nothing else changes.
  AcGeMatrix2d& setToTranslation(const AcGeVector2d& v);
  // Writes rows 0-1 of rotation(a, c); row 2 unchanged.
  AcGeMatrix2d& setToRotation(double a, const AcGePoint2d& c);
  // Writes (0,0) = (1,1) = -1, (0,2) = 2p.x, (1,2) = 2p.y; the other
  // entries are unchanged.
  AcGeMatrix2d& setToMirroring(const AcGePoint2d& p);
  // As mirroring(line) without resetting to the identity first: a proper
  // line writes rows 0-1; the degenerate case writes only (0,0), (1,1),
  // (0,2) and (1,2).
  AcGeMatrix2d& setToMirroring(const AcGeLineSeg2d& line);
  // Writes rows 0-1 with the uniform scaling by f about c:
  // [f, 0, c.x*(1 - f)], [0, f, c.y*(1 - f)]; row 2 unchanged.
  AcGeMatrix2d& setToScaling(double f, const AcGePoint2d& c);

  static const AcGeMatrix2d kIdentity;

  double entry[9] = {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
};
