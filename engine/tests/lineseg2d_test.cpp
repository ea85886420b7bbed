// AcGeLineSeg2d: construction, access, box cache, predicates, point-on-segment
// test, point projection, transformation and sampling.
#include <engine/lineseg2d.h>

#include <testsupport/geometry_asserts.h>
#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using P = AcGePoint2d;
using testsupport::kPi;

// Exposes the protected box cache so tests can see when it is recomputed.
class InspectSeg : public AcGeLineSeg2d {
public:
  using AcGeLineSeg2d::AcGeLineSeg2d;
  bool outOfDate() const { return boxOutOfDate; }
  const GkBoundBox2d& cache() const { return cachedBox; }
  // Plants a cache value that the geometry would never give, so that a copy
  // of the cache can be told apart from a recomputation.
  void plantCache(const GkBoundBox2d& b, bool outOfDate) {
    cachedBox = b;
    boxOutOfDate = outOfDate;
  }
};

void expectBox(const GkBoundBox2d& b, double minX, double maxX, double minY, double maxY) {
  EXPECT_EQ(b.minX, minX);
  EXPECT_EQ(b.maxX, maxX);
  EXPECT_EQ(b.minY, minY);
  EXPECT_EQ(b.maxY, maxY);
}

bool isEmptyBox(const GkBoundBox2d& b) {
  const double inf = std::numeric_limits<double>::infinity();
  return b.minX == inf && b.minY == inf && b.maxX == -inf && b.maxY == -inf;
}

TEST(LineSeg2dConstruction, DefaultIsZeroSegmentWithEmptyOutOfDateBox) {
  InspectSeg s;
  EXPECT_POINT_EQ(s.startPoint(), P(0, 0));
  EXPECT_POINT_EQ(s.endPoint(), P(0, 0));
  EXPECT_TRUE(s.outOfDate());
  EXPECT_TRUE(isEmptyBox(s.cache()));
  EXPECT_EQ(s.GetCrvType(), kCrvLineSeg);
}

TEST(LineSeg2dConstruction, PointAndVectorGivesEndAtPointPlusVector) {
  AcGeLineSeg2d s(P(1, 2), AcGeVector2d(3, -4));
  EXPECT_POINT_EQ(s.startPoint(), P(1, 2));
  EXPECT_POINT_EQ(s.endPoint(), P(4, -2));
  AcGeLineSeg2d t;
  t.set(P(-1, -1), AcGeVector2d(2, 0));
  EXPECT_POINT_EQ(t.endPoint(), P(1, -1));
}

TEST(LineSeg2dConstruction, CopyConstructorResetsBoxButAssignmentCopiesIt) {
  InspectSeg src(P(0, 0), P(2, 3));
  src.GetBoundBox();
  ASSERT_FALSE(src.outOfDate());

  InspectSeg copied(src);
  EXPECT_POINT_EQ(copied.endPoint(), P(2, 3));
  EXPECT_TRUE(copied.outOfDate());
  EXPECT_TRUE(isEmptyBox(copied.cache()));

  InspectSeg assigned;
  assigned = src;
  EXPECT_POINT_EQ(assigned.endPoint(), P(2, 3));
  EXPECT_FALSE(assigned.outOfDate());
  expectBox(assigned.cache(), 0, 2, 0, 3);
}

TEST(LineSeg2dBox, ComputedOnceAndRefreshedAfterSetButNotAfterFlip) {
  InspectSeg s(P(5, -1), P(-2, 4));
  expectBox(s.GetBoundBox(), -2, 5, -1, 4);
  EXPECT_FALSE(s.outOfDate());

  s.set(P(0, 0), P(1, 1));
  EXPECT_TRUE(s.outOfDate());
  expectBox(s.GetBoundBox(), 0, 1, 0, 1);

  s.Flip();
  EXPECT_FALSE(s.outOfDate());
  EXPECT_POINT_EQ(s.startPoint(), P(1, 1));
  EXPECT_POINT_EQ(s.endPoint(), P(0, 0));
  expectBox(s.GetBoundBox(), 0, 1, 0, 1);
}

TEST(LineSeg2dClone, CopiesPointsAndBoxStateAsTheyStand) {
  const GkBoundBox2d planted(-7, 7, -7, 7);
  InspectSeg current(P(1, 1), P(3, 0));
  current.plantCache(planted, false);
  std::unique_ptr<GkCurve2d> c1(current.Clone());
  ASSERT_EQ(c1->GetCrvType(), kCrvLineSeg);
  EXPECT_NE(dynamic_cast<AcGeLineSeg2d*>(c1.get()), nullptr);
  EXPECT_POINT_EQ(c1->startPoint(), P(1, 1));
  EXPECT_POINT_EQ(c1->endPoint(), P(3, 0));
  // The current cache is taken over as it stands, not recomputed.
  expectBox(c1->GetBoundBox(), -7, 7, -7, 7);

  InspectSeg stale(P(1, 1), P(3, 0));
  stale.plantCache(planted, true);
  std::unique_ptr<GkCurve2d> c2(stale.Clone());
  // Out of date in the source: computed on first use.
  expectBox(c2->GetBoundBox(), 1, 3, 0, 1);
}

TEST(LineSeg2dQueries, MidLengthDirectionAndEval) {
  AcGeLineSeg2d s(P(1, 2), P(4, 6));
  EXPECT_POINT_EQ(s.midPoint(), P(2.5, 4));
  EXPECT_POINT_EQ(s.GetAnyPoint(), P(2.5, 4));
  EXPECT_EQ(s.length(), 5.0);
  EXPECT_POINT_EQ(s.direction(), AcGeVector2d(3, 4));
  EXPECT_POINT_EQ(s.evalPoint(0), P(1, 2));
  EXPECT_POINT_EQ(s.evalPoint(1), P(4, 6));
  EXPECT_POINT_EQ(s.evalPoint(-1), P(-2, -2));
  EXPECT_POINT_EQ(s.evalPoint(2), P(7, 10));
}

TEST(LineSeg2dQueries, MultIsNegativeOnTheLeftAndPositiveOnTheRight) {
  AcGeLineSeg2d s(P(0, 0), P(10, 0));
  EXPECT_EQ(s.Mult(P(5, 1)), -10.0);
  EXPECT_EQ(s.Mult(P(5, -1)), 10.0);
  EXPECT_EQ(s.Mult(P(20, 0)), 0.0);
}

struct TValCase {
  const char* name;
  P p;
  double expected;
};

class LineSeg2dTVal : public ::testing::TestWithParam<TValCase> {};

TEST_P(LineSeg2dTVal, DistanceRatioSignedByDirection) {
  AcGeLineSeg2d s(P(0, 0), P(10, 0));
  EXPECT_DOUBLE_EQ(s.GetTVal(GetParam().p), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineSeg2dTVal,
    ::testing::Values(TValCase{"Middle", P(5, 0), 0.5}, TValCase{"BeforeStart", P(-5, 0), -0.5},
                      TValCase{"OffLineIsNotAProjection", P(5, 3), std::sqrt(34.0) / 10},
                      TValCase{"End", P(10, 0), 1.0},
                      TValCase{"PerpendicularAtStart", P(0, 3), 0.3}),
    [](const ::testing::TestParamInfo<TValCase>& i) { return std::string(i.param.name); });

TEST(LineSeg2dQueries, GetTValInvertsEvalPointOnTheCarrierLine) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coord(-100, 100);
  std::uniform_real_distribution<double> param(-3, 3);
  for (int i = 0; i < 200; ++i) {
    AcGeLineSeg2d s(P(coord(rng), coord(rng)), P(coord(rng), coord(rng)));
    const double t = param(rng);
    EXPECT_NEAR(s.GetTVal(s.evalPoint(t)), t, 1e-12) << "case " << i;
  }
}

TEST(LineSeg2dTransform, MapsBothPointsAndLeavesTheSourceAlone) {
  InspectSeg s(P(1, 0), P(2, 0));
  s.GetBoundBox();
  const AcGeMatrix2d rot = AcGeMatrix2d::rotation(kPi / 2, P(0, 0));
  AcGeLineSeg2d t = s.Transform(rot);
  EXPECT_POINT_NEAR(t.startPoint(), P(0, 1), 1e-15);
  EXPECT_POINT_NEAR(t.endPoint(), P(0, 2), 1e-15);
  EXPECT_POINT_EQ(s.startPoint(), P(1, 0));
  EXPECT_POINT_EQ(s.endPoint(), P(2, 0));
  const AcGeMatrix2d shift = AcGeMatrix2d::translation(AcGeVector2d(5, -5));
  AcGeLineSeg2d u = s.Transform(shift);
  EXPECT_POINT_EQ(u.startPoint(), P(6, -5));
  expectBox(u.GetBoundBox(), 6, 7, -5, -5);
}

// ---- predicates ----

struct PredicateCase {
  const char* name;
  P a0, a1, b0, b1;
  bool parallel, perpendicular, colinear;
};

class LineSeg2dPredicates : public ::testing::TestWithParam<PredicateCase> {};

TEST_P(LineSeg2dPredicates, ParallelPerpendicularColinear) {
  const PredicateCase& c = GetParam();
  const GkTolerance tol;
  AcGeLineSeg2d a(c.a0, c.a1);
  AcGeLineSeg2d b(c.b0, c.b1);
  EXPECT_EQ(a.isParallelTo(b, tol), c.parallel);
  EXPECT_EQ(a.isPerpendicularTo(b, tol), c.perpendicular);
  EXPECT_EQ(a.isColinearTo(b, tol), c.colinear);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineSeg2dPredicates,
    ::testing::Values(
        PredicateCase{"ParallelWithinSquaredVectorTol", P(0, 0), P(1, 0), P(0, 1), P(1, 1 + 1e-15),
                      true, false, false},
        PredicateCase{"ArgumentOfZeroLengthIsNeverParallel", P(0, 0), P(1, 0), P(3, 3), P(3, 3),
                      false, true, false},
        PredicateCase{"Perpendicular", P(0, 0), P(1, 0), P(0, 0), P(0, 1), false, true, false},
        // 1e-7 * 1 is far above EqualVector^2 = 1e-14.
        PredicateCase{"SlopeOf1e7IsNotParallel", P(0, 0), P(1, 0), P(0, 0), P(1, 1e-7), false,
                      false, false},
        PredicateCase{"OverlappingColinear", P(0, 0), P(10, 0), P(5, 0), P(15, 0), true, false,
                      true},
        PredicateCase{"ReversedColinear", P(0, 0), P(10, 10), P(20, 20), P(12, 12), true, false,
                      true},
        PredicateCase{"DisjointColinear", P(0, 0), P(1, 1), P(5, 5), P(6, 6), true, false, true},
        PredicateCase{"ParallelOffsetIsNotColinear", P(0, 0), P(10, 0), P(0, 1e-6), P(10, 1e-6),
                      true, false, false},
        // Dot product 1e-7 is exactly EqualVector: inclusive.
        PredicateCase{"PerpendicularBoundaryInclusive", P(0, 0), P(1, 0), P(0, 0), P(1e-7, 1),
                      false, true, false}),
    [](const ::testing::TestParamInfo<PredicateCase>& i) { return std::string(i.param.name); });

TEST(LineSeg2dPredicates, ColinearLastStepReadsTheLibraryDefault) {
  // Offset 0.5e-8 across a length 10 carrier: the final test value is 5e-8.
  // A loose caller tolerance lets the earlier steps pass; the last step is
  // decided by g_tol.EqualVector alone.
  AcGeLineSeg2d a(P(0, 0), P(10, 0));
  AcGeLineSeg2d b(P(0, 0.5e-8), P(10, 0.5e-8));
  GkTolerance loose;
  loose.SetEqualVector(1.0);
  const GkTolerance saved = GkGeoLib::g_tol;
  EXPECT_TRUE(a.isColinearTo(b, loose));
  GkGeoLib::g_tol.SetEqualVector(1e-8);
  EXPECT_FALSE(a.isColinearTo(b, loose));
  GkGeoLib::g_tol = saved;
}

TEST(LineSeg2dPredicates, IsEqualToIsStrictPerCoordinateAndDirected) {
  const GkTolerance loose = [] {
    GkTolerance t;
    t.SetEqualPoint(1.0);
    return t;
  }();
  AcGeLineSeg2d a(P(0, 0), P(1, 1));
  EXPECT_TRUE(a.isEqualTo(AcGeLineSeg2d(P(0, 0), P(1, 1)), GkTolerance()));
  EXPECT_TRUE(a.isEqualTo(AcGeLineSeg2d(P(0.9e-8, 0), P(1, 1)), GkTolerance()));
  EXPECT_FALSE(a.isEqualTo(AcGeLineSeg2d(P(1e-8, 0), P(1, 1)), GkTolerance()));
  EXPECT_FALSE(a.isEqualTo(AcGeLineSeg2d(P(1, 1), P(0, 0)), GkTolerance()));
  // The tolerance argument does not take part.
  EXPECT_FALSE(a.isEqualTo(AcGeLineSeg2d(P(0.5, 0), P(1, 1)), loose));
}

// ---- IsPointOnSeg ----

struct OnSegCase {
  const char* name;
  P s, e, p;
  bool expected;
};

class LineSeg2dOnSeg : public ::testing::TestWithParam<OnSegCase> {};

TEST_P(LineSeg2dOnSeg, BoxThenOrientation) {
  const OnSegCase& c = GetParam();
  AcGeLineSeg2d seg(c.s, c.e);
  EXPECT_EQ(seg.IsPointOnSeg(c.p, GkTolerance()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineSeg2dOnSeg,
    ::testing::Values(
        OnSegCase{"AxisAlignedBoxOnly", P(0, 0), P(10, 0), P(10 + 0.5e-8, 0), true},
        OnSegCase{"AxisAlignedOffsetWithinTol", P(0, 0), P(10, 0), P(5, 1e-8), true},
        OnSegCase{"AxisAlignedBeyondBox", P(0, 0), P(10, 0), P(10 + 2e-8, 0), false},
        OnSegCase{"DiagonalAreaThresholdIsStrict", P(0, 0), P(10, 10), P(5, 5 + 1e-9), false},
        OnSegCase{"DiagonalExact", P(0, 0), P(10, 10), P(2.5, 2.5), true},
        OnSegCase{"DiagonalOnCarrierOutsideBox", P(0, 0), P(10, 10), P(11, 11), false},
        OnSegCase{"VerticalSegment", P(3, 0), P(3, -4), P(3, -2), true},
        OnSegCase{"ZeroLengthSegmentAtPoint", P(1, 1), P(1, 1), P(1, 1), true},
        OnSegCase{"ZeroLengthSegmentElsewhere", P(1, 1), P(1, 1), P(1, 1.1), false}),
    [](const ::testing::TestParamInfo<OnSegCase>& i) { return std::string(i.param.name); });

TEST(LineSeg2dOnSeg, RefreshesTheBoxCache) {
  InspectSeg s(P(0, 0), P(1, 1));
  s.IsPointOnSeg(P(0.5, 0.5), GkTolerance());
  EXPECT_FALSE(s.outOfDate());
  expectBox(s.cache(), 0, 1, 0, 1);
}

// ---- point projection ----

struct ClosestCase {
  const char* name;
  P s, e, p, expected;
};

class LineSeg2dClosestPoint : public ::testing::TestWithParam<ClosestCase> {};

TEST_P(LineSeg2dClosestPoint, NearestPointAndItsDistance) {
  const ClosestCase& c = GetParam();
  AcGeLineSeg2d seg(c.s, c.e);
  P p = c.p;
  const GkTolerance tol;
  EXPECT_POINT_NEAR(seg.closestPointTo(p, tol), c.expected, 1e-12);
  EXPECT_NEAR(seg.distanceTo(p, tol), c.p.distanceTo(c.expected), 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineSeg2dClosestPoint,
    ::testing::Values(
        ClosestCase{"HorizontalBeforeStart", P(0, 0), P(10, 0), P(-3, 4), P(0, 0)},
        ClosestCase{"HorizontalPastEnd", P(0, 0), P(10, 0), P(12, 1), P(10, 0)},
        ClosestCase{"HorizontalInside", P(0, 0), P(10, 0), P(4, -2), P(4, 0)},
        ClosestCase{"HorizontalReversedBeforeStart", P(10, 0), P(0, 0), P(11, 1), P(10, 0)},
        ClosestCase{"HorizontalReversedPastEnd", P(10, 0), P(0, 0), P(-1, 1), P(0, 0)},
        ClosestCase{"VerticalPastEnd", P(0, 0), P(0, 5), P(1, 9), P(0, 5)},
        ClosestCase{"VerticalReversedInside", P(0, 5), P(0, 0), P(-2, 3), P(0, 3)},
        ClosestCase{"DiagonalOnSegment", P(0, 0), P(10, 10), P(4, 4), P(4, 4)},
        ClosestCase{"DiagonalFoot", P(0, 0), P(10, 10), P(0, 10), P(5, 5)},
        ClosestCase{"DiagonalBeforeStart", P(0, 0), P(10, 10), P(-1, -3), P(0, 0)},
        ClosestCase{"DiagonalPastEnd", P(0, 0), P(10, 10), P(12, 11), P(10, 10)},
        ClosestCase{"ZeroLength", P(2, 2), P(2, 2), P(5, 6), P(2, 2)}),
    [](const ::testing::TestParamInfo<ClosestCase>& i) { return std::string(i.param.name); });

TEST(LineSeg2dClosestPoint, DistanceToOffDiagonalPointIsExact) {
  AcGeLineSeg2d seg(P(0, 0), P(10, 10));
  P p(0, 10);
  EXPECT_DOUBLE_EQ(seg.distanceTo(p, GkTolerance()), std::sqrt(50.0));
}

TEST(LineSeg2dClosestPoint, HorizontalSnapsToAnEndWithinTolerance) {
  // p.x 0.5e-8 past the start still returns the start exactly.
  AcGeLineSeg2d seg(P(0, 0), P(10, 0));
  P p(0.5e-8, 3);
  EXPECT_POINT_EQ(seg.closestPointTo(p, GkTolerance()), P(0, 0));
  P q(10 - 0.5e-8, 3);
  EXPECT_POINT_EQ(seg.closestPointTo(q, GkTolerance()), P(10, 0));
}

// Property: the nearest point lies on the segment, no end point is nearer, and
// no point sampled along the segment is nearer.
TEST(LineSeg2dClosestPoint, PropertyNearestPointIsOnTheSegmentAndMinimal) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> coord(-50, 50);
  const GkTolerance tol;
  for (int i = 0; i < 500; ++i) {
    AcGeLineSeg2d seg(P(coord(rng), coord(rng)), P(coord(rng), coord(rng)));
    P p(coord(rng), coord(rng));
    const P n = seg.closestPointTo(p, tol);
    const double d = seg.distanceTo(p, tol);
    // On the carrier line and between the ends.
    EXPECT_LE(std::fabs(seg.Mult(n)) / seg.length(), 1e-9) << "case " << i;
    const double t =
        seg.direction().dotProduct(n - seg.startPoint()) / seg.direction().lengthSqrd();
    EXPECT_GE(t, -1e-12) << "case " << i;
    EXPECT_LE(t, 1 + 1e-12) << "case " << i;
    EXPECT_NEAR(p.distanceTo(n), d, 1e-9) << "case " << i;
    for (int k = 0; k <= 20; ++k) {
      const P q = seg.evalPoint(k / 20.0);
      EXPECT_LE(d, p.distanceTo(q) + 1e-9) << "case " << i << " sample " << k;
    }
  }
}

// ---- sampling ----

struct RecordingPoints : GkSamplePoint {
  std::vector<P> pts;
  void AddPoint(const AcGePoint2d& pt) override { pts.push_back(pt); }
};

struct RecordingXY : GkSampleXY {
  std::vector<P> pts;
  void AddXY(const double& x, const double& y) override { pts.emplace_back(x, y); }
};

TEST(LineSeg2dSampling, EveryFormYieldsStartThenEndWhateverTheTolerance) {
  AcGeLineSeg2d seg(P(1, 2), P(-3, 7));
  for (double tol : {0.0, 1e-9, 0.01, 100.0, -1.0}) {
    SCOPED_TRACE(tol);
    RecordingPoints rp;
    seg.getSamplePoints(rp, tol);
    ASSERT_EQ(rp.pts.size(), 2u);
    EXPECT_POINT_EQ(rp.pts[0], P(1, 2));
    EXPECT_POINT_EQ(rp.pts[1], P(-3, 7));

    RecordingXY rx;
    seg.GetSamplePointXY(rx, tol);
    ASSERT_EQ(rx.pts.size(), 2u);
    EXPECT_POINT_EQ(rx.pts[0], P(1, 2));
    EXPECT_POINT_EQ(rx.pts[1], P(-3, 7));

    std::vector<P> buf{P(9, 9)};
    seg.GetSampleBuffer(buf, tol);
    ASSERT_EQ(buf.size(), 3u);  // appends, earlier contents kept
    EXPECT_POINT_EQ(buf[0], P(9, 9));
    EXPECT_POINT_EQ(buf[1], P(1, 2));
    EXPECT_POINT_EQ(buf[2], P(-3, 7));
  }
}

TEST(LineSeg2dLifetime, DeletingThroughTheBaseReleasesTheSegment) {
  // Run under the sanitizer build this catches a non-virtual destructor path.
  std::unique_ptr<GkCurve2d> c(new AcGeLineSeg2d(P(0, 0), P(1, 0)));
  EXPECT_EQ(c->GetCrvType(), kCrvLineSeg);
}

}  // namespace
