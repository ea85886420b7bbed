// AcGePoint2d and AcGeVector2d: arithmetic, strict per-coordinate point
// equality under the library default, transformations, reflection with its
// fallbacks, and the vector predicates with their inclusive tolerances.
#include <engine/lineseg2d.h>
#include <engine/matrix2d.h>
#include <engine/point2d.h>

#include "tolerance_guard.h"

#include <testsupport/geometry_asserts.h>
#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

using P = AcGePoint2d;
using V = AcGeVector2d;
using testsupport::kPi;

// ---- construction and arithmetic

TEST(Point2d, ConstructionSetAndConstants) {
  const P zero;
  EXPECT_POINT_EQ(zero, P(0, 0));
  P p;
  p.set(1.5, -2.5);
  EXPECT_EQ(p.x, 1.5);
  EXPECT_EQ(p.y, -2.5);
  EXPECT_POINT_EQ(AcGePoint2d::m_kOrigin, P(0, 0));
  EXPECT_POINT_EQ(AcGeVector2d::kXAxis, V(1, 0));
  EXPECT_POINT_EQ(AcGeVector2d::kYAxis, V(0, 1));
  EXPECT_POINT_EQ(p.asVector(), V(1.5, -2.5));
}

TEST(Point2d, ArithmeticWithScalarsPointsAndVectors) {
  const P p(3, 4);
  EXPECT_POINT_EQ(p * 2.0, P(6, 8));
  EXPECT_POINT_EQ(p / 2.0, P(1.5, 2));
  EXPECT_POINT_EQ(p + P(1, 1), P(4, 5));
  EXPECT_POINT_EQ(p + V(-1, 2), P(2, 6));
  EXPECT_POINT_EQ(p - V(1, 1), P(2, 3));
  const V d = p - P(1, 1);  // from the argument to this point
  EXPECT_POINT_EQ(d, V(2, 3));
  P q(p);
  q *= 3.0;
  EXPECT_POINT_EQ(q, P(9, 12));
  q /= 3.0;
  q += P(1, 0);
  q += V(0, 1);
  q -= V(2, 2);
  EXPECT_POINT_EQ(q, P(2, 3));
  const P inf = P(1, 1) / 0.0;  // no check of the divisor
  EXPECT_TRUE(std::isinf(inf.x));
}

TEST(Vector2d, ArithmeticAndProducts) {
  const V a(3, 4);
  const V b(-1, 2);
  EXPECT_POINT_EQ(a + b, V(2, 6));
  EXPECT_POINT_EQ(a - b, V(4, 2));
  EXPECT_POINT_EQ(-a, V(-3, -4));
  EXPECT_POINT_EQ(a * 0.5, V(1.5, 2));
  EXPECT_POINT_EQ(a / 2.0, V(1.5, 2));
  EXPECT_EQ(a.dotProduct(b), 5.0);
  EXPECT_EQ(a * b, 5.0);
  EXPECT_POINT_EQ(a.perpVector(), V(-4, 3));
  EXPECT_EQ(a.length(), 5.0);
  EXPECT_EQ(a.lengthSqrd(), 25.0);
  V c;
  c.setToSum(a, b);
  EXPECT_POINT_EQ(c, V(2, 6));
  c.setToProduct(b, 3.0);
  EXPECT_POINT_EQ(c, V(-3, 6));
  c.negate();
  EXPECT_POINT_EQ(c, V(3, -6));
  c += V(1, 1);
  c -= V(0, 2);
  c *= 2.0;
  c /= 4.0;
  EXPECT_POINT_EQ(c, V(2, -3.5));
}

TEST(Vector2d, IndexOperatorReadsAndWrites) {
  V v(7, 8);
  const V& cv = v;
  EXPECT_EQ(cv[0], 7.0);
  EXPECT_EQ(cv[1], 8.0);
  v[0] = -1;
  v[1] = -2;
  EXPECT_POINT_EQ(v, V(-1, -2));
}

// ---- point equality: strict, per coordinate, g_tol at call time

TEST(Point2dEquality, StrictPerCoordinateWithLibraryDefault) {
  struct Row {
    const char* name;
    P a, b;
    bool equal;
  };
  const Row rows[] = {
      {"withinTol", P(0, 0), P(0.9e-8, 0), true},
      {"exactlyTolIsDifferent", P(0, 0), P(1e-8, 0), false},
      {"exactlyTolInY", P(0, 0), P(0, -1e-8), false},
      // A box test, not a distance: both coordinates just inside.
      {"diagonalFartherThanTol", P(0, 0), P(0.9e-8, 0.9e-8), true},
      {"identical", P(5, 6), P(5, 6), true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.a == r.b, r.equal);
    EXPECT_EQ(r.a != r.b, !r.equal);
    EXPECT_EQ(r.a.isEqualTo(r.b, GkTolerance()), r.equal);
  }
}

TEST(Point2dEquality, ChangingTheLibraryDefaultChangesOperatorOnly) {
  ScopedDefaultTolerance guard;
  GkGeoLib::g_tol.SetEqualPoint(1e-3);
  EXPECT_TRUE(P(0, 0) == P(5e-4, 5e-4));
  EXPECT_FALSE(P(0, 0).isEqualTo(P(5e-4, 5e-4), GkTolerance()));
  GkTolerance loose;
  loose.SetEqualPoint(1.0);
  EXPECT_TRUE(P(0, 0).isEqualTo(P(0.5, -0.5), loose));
}

// ---- point transformations

TEST(Point2d, DistanceAndAffineMapping) {
  EXPECT_EQ(P(0, 0).distanceTo(P(3, 4)), 5.0);
  AcGeMatrix2d m;
  m(0, 0) = 2;
  m(0, 1) = 3;
  m(0, 2) = 5;
  m(1, 0) = -1;
  m(1, 1) = 4;
  m(1, 2) = 7;
  m(2, 0) = 100;  // row 2 never takes part in the mapping
  const P p(1, 2);
  EXPECT_POINT_EQ(p.Transform(m), P(2 + 6 + 5, -1 + 8 + 7));
  P q(p);
  q.transformBy(m);
  EXPECT_POINT_EQ(q, P(13, 14));
  EXPECT_POINT_EQ(p, P(1, 2));
}

TEST(Point2d, RotateAboutCentreMatchesRotationMatrixExactly) {
  P p(2, 1);
  p.rotateBy(kPi / 2, P(1, 1));
  EXPECT_POINT_NEAR(p, P(1, 2), 1e-15);
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> dist(-10.0, 10.0);
  for (int i = 0; i < 500; ++i) {
    const P start(dist(rng), dist(rng));
    const P centre(dist(rng), dist(rng));
    const double a = dist(rng);
    P r(start);
    r.rotateBy(a, centre);
    EXPECT_POINT_EQ(r, start.Transform(AcGeMatrix2d::rotation(a, centre)));
    EXPECT_NEAR(r.distanceTo(centre), start.distanceTo(centre), 1e-12);
  }
}

TEST(Point2d, ScaleByScalesAboutTheCentreLikeTheScalingMatrix) {
  P p(3, 4);
  p.scaleBy(2.0, P(1, 1));
  EXPECT_POINT_EQ(p, P(5, 7));
  P centre(-2, 9);
  centre.scaleBy(0.25, P(-2, 9));
  EXPECT_POINT_EQ(centre, P(-2, 9));
  AcGeMatrix2d m;
  m.setToScaling(-1.5, P(0.5, -3));
  P q(7, 11);
  const P mapped = q.Transform(m);
  q.scaleBy(-1.5, P(0.5, -3));
  EXPECT_POINT_EQ(q, mapped);
}

TEST(Point2dMirror, AcrossTheSegmentLine) {
  P p(1, 0);
  p.mirror(AcGeLineSeg2d(P(0, 0), P(1, 1)));
  EXPECT_POINT_NEAR(p, P(0, 1), 1e-15);
  P q(5, 7);
  q.mirror(AcGeLineSeg2d(P(0, 2), P(3, 2)));  // horizontal line y = 2
  EXPECT_POINT_NEAR(q, P(5, -3), 1e-14);
}

TEST(Point2dMirror, ShortSegmentFallsBackToPointReflectionThroughStart) {
  struct Row {
    const char* name;
    AcGeLineSeg2d seg;
    P in, out;
  };
  const Row rows[] = {
      {"zeroLength", AcGeLineSeg2d(P(2, 3), P(2, 3)), P(0, 0), P(4, 6)},
      {"shorterThanTolInBoth", AcGeLineSeg2d(P(2, 3), P(2 + 0.5e-8, 3 - 0.5e-8)), P(0, 0), P(4, 6)},
      // Exactly EqualPoint long in x: strict test, so a proper line y = 0.
      {"exactlyTolIsALine", AcGeLineSeg2d(P(0, 0), P(1e-8, 0)), P(5, 7), P(5, -7)},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    P p(r.in);
    p.mirror(r.seg);
    EXPECT_POINT_NEAR(p, r.out, 1e-12);
  }
}

TEST(Point2dMirror, FallbackUsesTheLibraryDefaultNotACallerTolerance) {
  ScopedDefaultTolerance guard;
  const AcGeLineSeg2d shortSeg(P(1, 1), P(1 + 5e-4, 1));
  P asLine(3, 3);
  asLine.mirror(shortSeg);
  EXPECT_POINT_NEAR(asLine, P(3, -1), 1e-9);
  GkGeoLib::g_tol.SetEqualPoint(1e-3);
  P asPoint(3, 3);
  asPoint.mirror(shortSeg);
  EXPECT_POINT_EQ(asPoint, P(-1, -1));
}

TEST(Point2dMirror, PropertyInvolutionAndEquidistantFromTheLine) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> dist(-100.0, 100.0);
  for (int i = 0; i < 500; ++i) {
    const P s(dist(rng), dist(rng));
    const P e(dist(rng), dist(rng));
    const P p(dist(rng), dist(rng));
    const AcGeLineSeg2d seg(s, e);
    P m(p);
    m.mirror(seg);
    EXPECT_NEAR(m.distanceTo(s), p.distanceTo(s), 1e-9);
    EXPECT_NEAR(m.distanceTo(e), p.distanceTo(e), 1e-9);
    m.mirror(seg);
    EXPECT_POINT_NEAR(m, p, 1e-9);
  }
}

// ---- vector directions

TEST(Vector2d, NormalAndNormalize) {
  const GkTolerance tol;
  EXPECT_POINT_EQ(V(3, 4).normal(tol), V(0.6, 0.8));
  const double h = std::sqrt(2.0) * 0.5;
  EXPECT_POINT_EQ(V(0, 0).normal(tol), V(h, h));
  EXPECT_POINT_EQ(V(0.9e-8, 0).normal(tol), V(h, h));  // shorter than 1e-8, strict
  EXPECT_POINT_EQ(V(1e-8, 0).normal(tol), V(1, 0));
  V v(-5, 0);
  v.normalize(tol);
  EXPECT_POINT_EQ(v, V(-1, 0));
}

// Squares beyond the double range (coordinates past about 1e154) must not
// make lengths infinite or directions vanish.
TEST(Vector2d, LengthsAndDirectionsOfHugeVectors) {
  const GkTolerance tol;
  for (const double big : {1e155, 1e200, 1e300}) {
    SCOPED_TRACE(big);
    EXPECT_EQ(V(big, 0).length(), big);
    EXPECT_DOUBLE_EQ(V(3 * big / 5, 4 * big / 5).length(), big);
    EXPECT_POINT_NEAR(V(0, -big).normal(tol), V(0, -1), 1e-15);
    EXPECT_POINT_NEAR(V(big, big).normal(tol), V(std::sqrt(0.5), std::sqrt(0.5)), 1e-15);
    EXPECT_EQ(P(-big / 2, 1).distanceTo(P(big / 2, 1)), big);
  }
  // Infinite and not-a-number components keep their plain results.
  EXPECT_EQ(V(std::numeric_limits<double>::infinity(), 1).length(),
            std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(V(std::nan(""), 1).length()));
}

TEST(Vector2d, AngleIsInZeroToTwoPi) {
  EXPECT_DOUBLE_EQ(V(0, -1).angle(), 3 * kPi / 2);
  EXPECT_EQ(V(1, 0).angle(), 0.0);
  EXPECT_EQ(V(-1, 0).angle(), kPi);
  EXPECT_DOUBLE_EQ(V(1, 1).angle(), kPi / 4);
}

TEST(Vector2d, AngleToUnsignedOrPolarDifferenceForShortVectors) {
  struct Row {
    const char* name;
    V a, b;
    double expected;
  };
  const Row rows[] = {
      {"perpendicularUnsigned", V(1, 0), V(0, -1), kPi / 2},
      {"opposite", V(2, 0), V(-3, 0), kPi},
      {"zeroThisUsesPolarDifference", V(0, 0), V(0, 1), kPi / 2},
      {"zeroArgument", V(1, 0), V(0, 0), 0.0},
      {"fallbackIsSigned", V(0, 0), V(0, -1), -kPi / 2},
      // Exactly 1e-8 long: the fallback is inclusive.
      {"lengthExactlyLimit", V(1e-8, 0), V(0, -1), -kPi / 2},
      {"lengthAboveLimit", V(2e-8, 0), V(0, -1), kPi / 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_DOUBLE_EQ(r.a.angleTo(r.b), r.expected);
  }
}

TEST(Vector2d, RotateGivesUnitVector) {
  V v(3, 4);
  v.rotateBy(kPi / 2);
  EXPECT_POINT_NEAR(v, V(-0.8, 0.6), 1e-15);
  EXPECT_POINT_NEAR(V(0, 0).Rotate(0.5), V(std::cos(0.5), std::sin(0.5)), 0.0);
  EXPECT_POINT_NEAR(V(10, 0).Rotate(kPi), V(-1, 0), 1e-15);
}

TEST(Vector2d, ParallelAndPerpendicularUseUnnormalisedProducts) {
  const GkTolerance tol;
  struct Row {
    const char* name;
    V a, b;
    bool parallel, perpendicular;
  };
  const Row rows[] = {
      // Cross product 1.0 although the angle is only 1e-6.
      {"longNearlyParallel", V(1000, 0), V(1000, 0.001), false, false},
      {"tinyOffset", V(1, 0), V(1, 1e-8), true, false},
      {"crossExactlyTolIsInclusive", V(1, 0), V(1, 1e-7), true, false},
      {"crossJustOverTol", V(1, 0), V(1, 2e-7), false, false},
      {"perpendicular", V(1, 0), V(0, 5), false, true},
      {"dotExactlyTolIsInclusive", V(1, 0), V(1e-7, 1), false, true},
      {"dotJustOverTol", V(1, 0), V(2e-7, 1), false, false},
      {"opposite", V(1, 2), V(-2, -4), true, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.a.isParallelTo(r.b, tol), r.parallel);
    EXPECT_EQ(r.a.isPerpendicularTo(r.b, tol), r.perpendicular);
  }
}

TEST(Vector2d, CodirectionalNeedsParallelAndSameSense) {
  const GkTolerance tol;
  struct Row {
    const char* name;
    V a, b;
    bool expected;
  };
  const Row rows[] = {
      {"sameX", V(1, 0), V(2, 0), true},
      {"oppositeX", V(1, 0), V(-2, 0), false},
      {"sameY", V(0, 1), V(0, 3), true},
      {"oppositeY", V(0, 1), V(0, -3), false},
      {"negativeY", V(0, -1), V(0, -3), true},
      {"equal", V(2, 3), V(2, 3), true},
      {"nearlyEqual", V(0, 1), V(1e-9, 1), true},
      {"notParallel", V(1, 0), V(1, 1), false},
      {"diagonalOpposite", V(1, 1), V(-2, -2), false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.a.isCodirectionalTo(r.b, tol), r.expected);
  }
}

TEST(Vector2d, MirrorAcrossAnAxisThroughTheOrigin) {
  V v(1, 0);
  v.mirror(V(1, 1));
  EXPECT_POINT_NEAR(v, V(0, 1), 1e-15);
  V w(3, 4);
  w.mirror(V(1e-8, 0));  // exactly EqualPoint: still an axis
  EXPECT_POINT_NEAR(w, V(3, -4), 1e-12);
  V z(3, 4);
  z.mirror(V(0.5e-8, -0.5e-8));  // too short in both: negation
  EXPECT_POINT_EQ(z, V(-3, -4));
  // The axis's length and sense do not matter.
  V a(2, 5);
  V b(2, 5);
  a.mirror(V(3, -1));
  b.mirror(V(-30, 10));
  EXPECT_POINT_NEAR(a, b, 1e-14);
  EXPECT_NEAR(a.length(), V(2, 5).length(), 1e-14);
}

TEST(Vector2d, MatrixMappingIncludesTranslation) {
  V v(1, 1);
  v.transformBy(AcGeMatrix2d::translation(V(5, 5)));
  EXPECT_POINT_EQ(v, V(6, 6));
  V w;
  w.setToProduct(AcGeMatrix2d::rotation(kPi / 2, P(0, 0)), V(2, 0));
  EXPECT_POINT_NEAR(w, V(0, 2), 1e-15);
}

}  // namespace
