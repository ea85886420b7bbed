// GkBoundBox2d: the empty box, growth, overlap and containment with their
// inclusive tolerances, the gap distance, quarters, and the two-corner
// transformation.
#include <engine/boundbox2d.h>

#include "tolerance_guard.h"

#include <testsupport/geometry_asserts.h>
#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

using P = AcGePoint2d;
using B = GkBoundBox2d;
using testsupport::kPi;
const double kInf = std::numeric_limits<double>::infinity();

// Compares in the constructor's order: minX, maxX, minY, maxY.
::testing::AssertionResult BoxIs(const B& b, double minX, double maxX, double minY, double maxY) {
  if (b.minX == minX && b.maxX == maxX && b.minY == minY && b.maxY == maxY) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "box (" << b.minX << ", " << b.maxX << ", " << b.minY << ", " << b.maxY
         << ") expected (" << minX << ", " << maxX << ", " << minY << ", " << maxY << ")";
}

TEST(BoundBox2d, DefaultIsTheEmptyBox) {
  const B b;
  EXPECT_TRUE(BoxIs(b, kInf, -kInf, kInf, -kInf));
  EXPECT_FALSE(b.IsValid());
  EXPECT_EQ(b.Width(), -kInf);
  EXPECT_EQ(b.Height(), -kInf);
  EXPECT_EQ(b.Area(), kInf);  // -inf times -inf
}

TEST(BoundBox2d, FourValueConstructorStoresUncheckedInArgumentOrder) {
  const B b(1, 2, 3, 4);
  EXPECT_TRUE(BoxIs(b, 1, 2, 3, 4));
  const B inverted(5, 1, 0, 1);
  EXPECT_TRUE(BoxIs(inverted, 5, 1, 0, 1));
  EXPECT_FALSE(inverted.IsValid());
  EXPECT_FALSE(B(0, 1, 2, 1).IsValid());
  EXPECT_TRUE(B(3, 3, 4, 4).IsValid());  // zero size is valid
}

TEST(BoundBox2d, CombiningIntoTheEmptyBoxGivesTheExtent) {
  B b;
  b.Combine(1, 2);
  EXPECT_TRUE(BoxIs(b, 1, 1, 2, 2));
  EXPECT_TRUE(b.IsValid());
  EXPECT_EQ(b.Width(), 0.0);
  b.Combine(-1, 5);
  EXPECT_TRUE(BoxIs(b, -1, 1, 2, 5));
  B other;
  other.Combine(b);
  EXPECT_TRUE(BoxIs(other, -1, 1, 2, 5));
  other.Combine(B());  // the empty box adds nothing
  EXPECT_TRUE(BoxIs(other, -1, 1, 2, 5));
  other.Combine(B(0, 10, -3, 0));
  EXPECT_TRUE(BoxIs(other, -1, 10, -3, 5));
  B empty;
  empty.Combine(B());
  EXPECT_FALSE(empty.IsValid());
}

TEST(BoundBox2d, ExtendOffsetAndScale) {
  B b(0, 1, 0, 1);
  b.Extend(0.5);
  EXPECT_TRUE(BoxIs(b, -0.5, 1.5, -0.5, 1.5));
  b.Extend(-0.5);
  b.Offset(2, -3);
  EXPECT_TRUE(BoxIs(b, 2, 3, -3, -2));
  const B flipped = B(0, 1, 0, 1) * -1.0;
  EXPECT_TRUE(BoxIs(flipped, 0, -1, 0, -1));
  EXPECT_FALSE(flipped.IsValid());
  EXPECT_TRUE(BoxIs(B(1, 2, 3, 4) * 2.0, 2, 4, 6, 8));
}

TEST(BoundBox2d, QueriesOfCornersCentreAndSize) {
  const B b(0, 10, 0, 5);
  EXPECT_POINT_EQ(b.GetTopLeft(), P(0, 5));
  EXPECT_POINT_EQ(b.GetTopRight(), P(10, 5));
  EXPECT_POINT_EQ(b.GetBottomLeft(), P(0, 0));
  EXPECT_POINT_EQ(b.GetBottomRight(), P(10, 0));
  EXPECT_POINT_EQ(b.Center(), P(5, 2.5));
  EXPECT_EQ(b.Width(), 10.0);
  EXPECT_EQ(b.Height(), 5.0);
  EXPECT_EQ(b.Area(), 50.0);
}

TEST(BoundBox2d, SubBoxQuartersFromTheLowTwoBits) {
  const B b(0, 10, 0, 5);
  struct Row {
    int i;
    double minX, maxX, minY, maxY;
  };
  const Row rows[] = {
      {0, 0, 5, 0, 2.5},   {1, 5, 10, 0, 2.5}, {2, 0, 5, 2.5, 5},
      {3, 5, 10, 2.5, 5},  {4, 0, 5, 0, 2.5},  {6, 0, 5, 2.5, 5},
      {-1, 5, 10, 2.5, 5}, {-2, 0, 5, 2.5, 5}, {-4, 0, 5, 0, 2.5},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.i);
    EXPECT_TRUE(BoxIs(b.GetSubBox(r.i), r.minX, r.maxX, r.minY, r.maxY));
  }
}

TEST(BoundBox2d, PropertyQuartersTileTheBox) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> dist(-100.0, 100.0);
  for (int n = 0; n < 200; ++n) {
    B b;
    b.Combine(dist(rng), dist(rng));
    b.Combine(dist(rng), dist(rng));
    B tiled;
    double area = 0;
    for (int i = 0; i < 4; ++i) {
      const B q = b.GetSubBox(i);
      EXPECT_TRUE(b.Contain(q, GkTolerance()));
      tiled.Combine(q);
      area += q.Area();
    }
    EXPECT_NEAR(tiled.minX, b.minX, 1e-12);
    EXPECT_NEAR(tiled.maxX, b.maxX, 1e-12);
    EXPECT_NEAR(tiled.minY, b.minY, 1e-12);
    EXPECT_NEAR(tiled.maxY, b.maxY, 1e-12);
    EXPECT_NEAR(area, b.Area(), 1e-9);
  }
}

// ---- overlap, intersection, distance

TEST(BoundBox2d, OverlapRejectsOnEachSideBeyondTolerance) {
  const GkTolerance tol;
  const B unit(0, 1, 0, 1);
  struct Row {
    const char* name;
    B other;
    bool overlap;
  };
  const Row rows[] = {
      {"touchingRight", B(1, 2, 0, 1), true},
      {"gapHalfTolRight", B(1 + 0.5e-8, 2, 0, 1), true},
      {"gapRight", B(1.1, 2, 0, 1), false},
      {"gapLeft", B(-2, -1e-6, 0, 1), false},
      {"gapHalfTolLeft", B(-2, -0.5e-8, 0, 1), true},
      {"gapAbove", B(0, 1, 1 + 1e-6, 2), false},
      {"gapHalfTolAbove", B(0, 1, 1 + 0.5e-8, 2), true},
      {"gapBelow", B(0, 1, -2, -1e-6), false},
      {"gapHalfTolBelow", B(0, 1, -2, -0.5e-8), true},
      {"inside", B(0.2, 0.3, 0.2, 0.3), true},
      {"around", B(-5, 5, -5, 5), true},
      {"diagonalApart", B(2, 3, 2, 3), false},
      {"empty", B(), false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(unit.IsOverLap(r.other, tol), r.overlap);
    EXPECT_EQ(r.other.IsOverLap(unit, tol), r.overlap);
  }
}

TEST(BoundBox2d, IntersectGivesTheCommonPartOrLeavesOutAlone) {
  B out(7, 8, 9, 10);
  EXPECT_FALSE(B(0, 1, 0, 1).Intersect(B(5, 6, 5, 6), out));
  EXPECT_TRUE(BoxIs(out, 7, 8, 9, 10));
  EXPECT_TRUE(B(0, 2, 0, 2).Intersect(B(1, 3, 1, 3), out));
  EXPECT_TRUE(BoxIs(out, 1, 2, 1, 2));
  // Touching within tolerance: the common part is inverted by the gap.
  EXPECT_TRUE(B(0, 1, 0, 1).Intersect(B(1 + 0.5e-8, 2, 0, 1), out));
  EXPECT_TRUE(BoxIs(out, 1 + 0.5e-8, 1, 0, 1));
}

TEST(BoundBox2d, IntersectAndDistanceUseTheLibraryDefault) {
  ScopedDefaultTolerance guard;
  const B a(0, 1, 0, 1);
  const B b(1.0005, 2, 0, 1);
  B out;
  EXPECT_FALSE(a.Intersect(b, out));
  EXPECT_NEAR(a.Distance(b), 0.0005, 1e-15);
  GkGeoLib::g_tol.SetEqualPoint(1e-3);
  EXPECT_TRUE(a.Intersect(b, out));
  EXPECT_EQ(a.Distance(b), 0.0);
}

TEST(BoundBox2d, DistanceIsTheEuclideanGap) {
  const B unit(0, 1, 0, 1);
  struct Row {
    const char* name;
    B other;
    double distance;
  };
  const Row rows[] = {
      {"apartInX", B(1.1, 2, 0, 1), 0.1},
      {"apartInXLeft", B(-3, -2, 0.5, 0.7), 2.0},
      {"apartInY", B(0.2, 0.4, -5, -1), 1.0},
      {"apartOnBothAxes", B(2, 3, 2, 3), std::sqrt(2.0)},
      {"cornerGap", B(4, 5, -5, -4), 5.0},
      {"overlapping", B(0.5, 3, 0.5, 3), 0.0},
      {"touchingWithinTol", B(1 + 0.5e-8, 2, 0, 1), 0.0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_NEAR(unit.Distance(r.other), r.distance, 1e-15);
    EXPECT_NEAR(r.other.Distance(unit), r.distance, 1e-15);
  }
}

// ---- containment

TEST(BoundBox2d, ContainPointWidenedByEqualPoint) {
  const GkTolerance tol;
  const B b(0, 10, 0, 5);
  struct Row {
    const char* name;
    P p;
    bool inside;
  };
  const Row rows[] = {
      {"inside", P(5, 2), true},
      {"corner", P(10, 5), true},
      {"halfTolPastRight", P(10 + 0.5e-8, 5), true},
      {"pastRight", P(10.001, 5), false},
      {"halfTolPastLeft", P(-0.5e-8, 1), true},
      {"pastLeft", P(-1e-6, 1), false},
      {"halfTolBelow", P(1, -0.5e-8), true},
      {"below", P(1, -1e-6), false},
      {"halfTolAbove", P(1, 5 + 0.5e-8), true},
      {"above", P(1, 5 + 1e-6), false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(b.Contain(r.p, tol), r.inside);
  }
  EXPECT_FALSE(B().Contain(P(0, 0), tol));
}

TEST(BoundBox2d, ContainBoxWidenedByEqualPoint) {
  const GkTolerance tol;
  const B b(0, 10, 0, 5);
  EXPECT_TRUE(b.Contain(b, tol));
  EXPECT_TRUE(b.Contain(B(1, 2, 1, 2), tol));
  EXPECT_TRUE(b.Contain(B(-0.5e-8, 10 + 0.5e-8, -0.5e-8, 5 + 0.5e-8), tol));
  EXPECT_FALSE(b.Contain(B(-1e-6, 1, 1, 2), tol));
  EXPECT_FALSE(b.Contain(B(1, 10.1, 1, 2), tol));
  EXPECT_FALSE(b.Contain(B(1, 2, -1e-6, 2), tol));
  EXPECT_FALSE(b.Contain(B(1, 2, 1, 5.1), tol));
  EXPECT_FALSE(B(1, 2, 1, 2).Contain(b, tol));
}

// ---- transformation by two corners

TEST(BoundBox2d, TransformUsesTwoCornersOnly) {
  B rotated(0, 1, 0, 1);
  rotated.transformBy(AcGeMatrix2d::rotation(kPi / 4, P(0, 0)));
  // Only (0, 0) and (1, 1) are mapped: both land on the y axis.
  EXPECT_NEAR(rotated.minX, 0.0, 1e-15);
  EXPECT_NEAR(rotated.maxX, 0.0, 1e-15);
  EXPECT_EQ(rotated.minY, 0.0);
  EXPECT_NEAR(rotated.maxY, std::sqrt(2.0), 1e-15);
}

TEST(BoundBox2d, TransformIsExactForTranslationsFlipsAndQuarterTurns) {
  B moved(0, 2, 0, 1);
  moved.transformBy(AcGeMatrix2d::translation(AcGeVector2d(3, -4)));
  EXPECT_TRUE(BoxIs(moved, 3, 5, -4, -3));
  B flipped(0, 2, 0, 1);
  flipped.transformBy(AcGeMatrix2d::mirroring(P(0, 0)));
  EXPECT_TRUE(BoxIs(flipped, -2, 0, -1, 0));
  B turned(0, 2, 0, 1);
  turned.transformBy(AcGeMatrix2d::rotation(kPi / 2, P(0, 0)));
  EXPECT_NEAR(turned.minX, -1, 1e-15);
  EXPECT_NEAR(turned.maxX, 0, 1e-15);
  EXPECT_NEAR(turned.minY, 0, 1e-15);
  EXPECT_NEAR(turned.maxY, 2, 1e-15);
}

}  // namespace
