// AcGeLineSeg2d: distances and nearest pairs against another segment and
// against an arc (answered by the arc with the roles exchanged).
#include <engine/circarc2d.h>
#include <engine/lineseg2d.h>

#include <testsupport/geometry_asserts.h>
#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

using P = AcGePoint2d;

struct PairCase {
  const char* name;
  P a0, a1;  // this segment
  P b0, b1;  // other segment
  double distance;
  P onThis, onOther;
};

class LineSeg2dSegDistance : public ::testing::TestWithParam<PairCase> {};

TEST_P(LineSeg2dSegDistance, DistanceAndNearestPair) {
  const PairCase& c = GetParam();
  AcGeLineSeg2d a(c.a0, c.a1);
  AcGeLineSeg2d b(c.b0, c.b1);
  const GkTolerance tol;
  EXPECT_NEAR(a.distanceTo(b, tol), c.distance, 1e-12);

  P onOther(-9, -9);
  const P onThis = a.closestPointTo(b, onOther, tol);
  EXPECT_POINT_NEAR(onThis, c.onThis, 1e-12);
  EXPECT_POINT_NEAR(onOther, c.onOther, 1e-12);

  P t(-9, -9), o(-9, -9);
  const double d = a.distanceToSeg(b, t, o, tol);
  EXPECT_POINT_NEAR(t, c.onThis, 1e-12);
  EXPECT_POINT_NEAR(o, c.onOther, 1e-12);
  EXPECT_EQ(d, t.distanceTo(o));

  // The same call through the curve interface reaches the same bodies.
  GkCurve2d& curve = a;
  EXPECT_EQ(curve.distanceToSeg(b, t, o, tol), d);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineSeg2dSegDistance,
    ::testing::Values(
        // All four end pairs are 5 apart: the first (other's start) is kept.
        PairCase{"ParallelKeepsTheFirstPair", P(0, 0), P(10, 0), P(0, 5), P(10, 5), 5.0, P(0, 0),
                 P(0, 5)},
        PairCase{"OtherStartNearest", P(0, 0), P(10, 0), P(12, 1), P(20, 1), std::sqrt(5.0),
                 P(10, 0), P(12, 1)},
        PairCase{"OtherEndNearest", P(-10, 0), P(10, 0), P(0, 3), P(0, 2), 2.0, P(0, 0), P(0, 2)},
        PairCase{"ThisStartNearest", P(0, 2), P(0, 3), P(-10, 0), P(10, 0), 2.0, P(0, 2), P(0, 0)},
        PairCase{"ThisEndNearest", P(0, 3), P(0, 2), P(-10, 0), P(10, 0), 2.0, P(0, 2), P(0, 0)},
        PairCase{"Crossing", P(0, 0), P(2, 2), P(0, 2), P(2, 0), 0.0, P(1, 1), P(1, 1)},
        PairCase{"TouchingAtOtherStart", P(0, 0), P(10, 0), P(5, 0), P(5, 5), 0.0, P(5, 0),
                 P(5, 0)},
        PairCase{"TouchingAtThisEnd", P(0, 0), P(10, 0), P(10, -5), P(10, 5), 0.0, P(10, 0),
                 P(10, 0)},
        PairCase{"ColinearOverlapGivesOtherStart", P(0, 0), P(10, 0), P(5, 0), P(15, 0), 0.0,
                 P(5, 0), P(5, 0)},
        PairCase{"SkewApart", P(0, 0), P(4, 0), P(6, 1), P(8, 5), std::sqrt(5.0), P(4, 0), P(6, 1)},
        PairCase{"BothZeroLength", P(1, 1), P(1, 1), P(4, 5), P(4, 5), 5.0, P(1, 1), P(4, 5)}),
    [](const ::testing::TestParamInfo<PairCase>& i) { return std::string(i.param.name); });

TEST(LineSeg2dSegDistance, EndPointProjectionsUseTheLibraryDefault) {
  // Under a caller EqualPoint of 1 the horizontal snap would send (0.5, 3)
  // to this start; the candidate pairs are formed with g_tol and find the
  // true foot (0.5, 0) instead.
  AcGeLineSeg2d a(P(0, 0), P(10, 0));
  AcGeLineSeg2d b(P(0.5, 3), P(0.5, 5));
  GkTolerance coarse;
  coarse.SetEqualPoint(1.0);
  P onOther;
  const P onThis = a.closestPointTo(b, onOther, coarse);
  EXPECT_POINT_EQ(onThis, P(0.5, 0));
  EXPECT_POINT_EQ(onOther, P(0.5, 3));
  EXPECT_EQ(a.distanceTo(b, coarse), 3.0);
}

// A shallow crossing under EqualPoint 0.01 (EqualPoint^2 = 1e-4): this end
// (3, 2) lies within that area of the other's carrier, so no pair counts as a
// proper crossing, yet (3, 2) is a whole unit beyond the other segment and no
// end point lies on the opposite segment. Instead of the point (0, 0), which
// lies on neither segment, the nearest end pair answers: the other's end is
// 2.5e-5 from this segment.
TEST(LineSeg2dSegDistanceGuard, NoAcceptedEndPointFallsBackToTheEndPairs) {
  GkTolerance tol;
  tol.SetEqualPoint(0.01);
  AcGeLineSeg2d a(P(-3, 2), P(3, 2));
  AcGeLineSeg2d b(P(1, 2 + 3e-5), P(2, 2 - 2.5e-5));
  ASSERT_TRUE(a.intersectWith(b, tol));  // the rejection tests pass
  P onOther(-9, -9);
  const P onThis = a.closestPointTo(b, onOther, tol);
  EXPECT_POINT_NEAR(onThis, P(2, 2), 1e-12);
  EXPECT_POINT_EQ(onOther, P(2, 2 - 2.5e-5));
  P t, o;
  const double d = a.distanceToSeg(b, t, o, tol);
  EXPECT_NEAR(d, 2.5e-5, 1e-12);
  EXPECT_LE(d, tol.EqualPoint());  // they do cross: the distance stays within tol
  EXPECT_EQ(a.distanceTo(b, tol), 0.0);
}

// Collinear overlapping segments whose orientation codes rounding turns into
// a straddle on both sides (|m| just above EqualPoint^2 with opposite signs):
// the pair looks like a proper crossing, but the carriers are exactly
// parallel and the closed-form crossing is 0/0. Both operations answer with
// end points of the common stretch instead of a non-finite point.
TEST(LineSeg2dSegDistanceGuard, RoundedColinearOverlapNeverGivesANonFinitePoint) {
  AcGeLineSeg2d a(P(-1.0090580036790309, -6.9839253157923604),
                  P(-10.138159995551472, -16.617731745107008));
  AcGeLineSeg2d b(P(-2.3682320518303501, -8.4182416039985046),
                  P(-11.497334043702793, -18.052048033313152));
  // Precondition: exactly equal directions, so the closed form divides by 0.
  ASSERT_EQ(a.direction().x, b.direction().x);
  ASSERT_EQ(a.direction().y, b.direction().y);
  const GkTolerance tol;

  P onOther(-9, -9);
  const P onThis = a.closestPointTo(b, onOther, tol);
  EXPECT_POINT_EQ(onThis, b.startPoint());
  EXPECT_POINT_EQ(onOther, b.startPoint());

  int count = 0;
  std::bitset<7> flags;
  P p1, p2;
  ASSERT_TRUE(a.intersectWith(b, count, flags, p1, p2, tol));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(flags, std::bitset<7>("1000001"));
  EXPECT_POINT_EQ(p1, b.startPoint());
  EXPECT_POINT_EQ(p2, a.endPoint());
}

// A real crossing at an angle of about 1.6e-10: this segment and a copy
// with its start raised and its end lowered by 1e-7 cross near the middle.
// The closed-form crossing is 8e-5 off both segments by rounding and the
// nearest end pair is 1e-7 apart; the nearest pair is the crossing itself.
TEST(LineSeg2dSegDistanceGuard, ShallowCrossingGivesTheCrossingNotAnEndPair) {
  AcGeLineSeg2d a(P(-512.3, 311.7), P(733.9, -402.1));
  AcGeLineSeg2d b(P(-512.3, 311.7 + 1e-7), P(733.9, -402.1 - 1e-7));
  const GkTolerance tol;
  P onOther(-9, -9);
  P onThis = a.closestPointTo(b, onOther, tol);
  EXPECT_LE(a.distanceTo(onThis, tol), 1e-9);
  EXPECT_LE(b.distanceTo(onThis, tol), 1e-9);
  EXPECT_POINT_EQ(onOther, onThis);
  P t, o;
  EXPECT_EQ(a.distanceToSeg(b, t, o, tol), 0.0);
  EXPECT_EQ(a.distanceTo(b, tol), 0.0);
}

// Property: the nearest pair lies on the two segments, its distance is what
// distanceToSeg returns, no end-point pair is nearer, and distanceTo agrees
// with it for segments that do not meet.
TEST(LineSeg2dSegDistance, PropertyNearestPairIsOnBothAndNoEndPairIsNearer) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> coord(-30, 30);
  const GkTolerance tol;
  for (int i = 0; i < 2000; ++i) {
    AcGeLineSeg2d a(P(coord(rng), coord(rng)), P(coord(rng), coord(rng)));
    AcGeLineSeg2d b(P(coord(rng), coord(rng)), P(coord(rng), coord(rng)));
    SCOPED_TRACE("case " + std::to_string(i));
    P t, o;
    const double d = a.distanceToSeg(b, t, o, tol);
    ASSERT_GE(d, 0.0);
    EXPECT_LE(a.distanceTo(t, tol), 1e-9);
    EXPECT_LE(b.distanceTo(o, tol), 1e-9);
    EXPECT_EQ(d, t.distanceTo(o));
    for (P e : {b.startPoint(), b.endPoint()}) {
      EXPECT_LE(d, a.distanceTo(e, tol) + 1e-9);
    }
    for (P e : {a.startPoint(), a.endPoint()}) {
      EXPECT_LE(d, b.distanceTo(e, tol) + 1e-9);
    }
    const double plain = a.distanceTo(b, tol);
    if (a.intersectWith(b, tol)) {
      EXPECT_EQ(plain, 0.0);
    } else {
      EXPECT_NEAR(plain, d, 1e-9);
    }
  }
}

// ---- against an arc: the arc answers with the roles exchanged ----

using testsupport::kPi;

// Unit counter-clockwise quarter arc about the origin, from 0 to pi/2.
AcGeCircArc2d quarterArc() { return AcGeCircArc2d(P(0, 0), 1.0, 0.0, kPi / 2, true); }

TEST(LineSeg2dArcDistance, SegmentPointFirstArcPointSecond) {
  AcGeCircArc2d arc = quarterArc();
  AcGeLineSeg2d seg(P(2, 0.5), P(2, 3));
  const GkTolerance tol;
  const P foot(2, 0.5);
  const P onArc(2 / std::sqrt(4.25), 0.5 / std::sqrt(4.25));

  EXPECT_NEAR(seg.distanceTo(arc, tol), std::sqrt(4.25) - 1, 1e-12);

  P onOther(-9, -9);
  const P onThis = seg.closestPointTo(arc, onOther, tol);
  EXPECT_POINT_NEAR(onThis, foot, 1e-12);
  EXPECT_POINT_NEAR(onOther, onArc, 1e-12);

  P t(-9, -9), o(-9, -9);
  const double d = seg.distanceToArc(arc, t, o, tol);
  EXPECT_POINT_NEAR(t, foot, 1e-12);
  EXPECT_POINT_NEAR(o, onArc, 1e-12);
  EXPECT_DOUBLE_EQ(d, t.distanceTo(o));
}

TEST(LineSeg2dArcDistance, MatchesTheArcsOwnAnswerWithRolesExchanged) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> coord(-3, 3);
  std::uniform_real_distribution<double> ang(0, 2 * kPi);
  const GkTolerance tol;
  for (int i = 0; i < 300; ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    AcGeCircArc2d arc(P(coord(rng), coord(rng)), 0.5 + std::fabs(coord(rng)), ang(rng), ang(rng),
                      (i & 1) != 0);
    AcGeLineSeg2d seg(P(coord(rng), coord(rng)), P(coord(rng), coord(rng)));

    EXPECT_EQ(seg.distanceTo(arc, tol), arc.distanceTo(seg, tol));

    P segPt, arcPt;
    const P arcFirst = arc.closestPointTo(seg, segPt, tol);
    P onOther;
    const P onThis = seg.closestPointTo(arc, onOther, tol);
    EXPECT_POINT_EQ(onThis, segPt);
    EXPECT_POINT_EQ(onOther, arcFirst);

    P t, o, at, ao;
    const double d = seg.distanceToArc(arc, t, o, tol);
    const double ad = arc.distanceToSeg(seg, at, ao, tol);
    EXPECT_EQ(d, ad);
    EXPECT_POINT_EQ(t, ao);
    EXPECT_POINT_EQ(o, at);
  }
}

}  // namespace
