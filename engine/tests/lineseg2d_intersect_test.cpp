// AcGeLineSeg2d: the three segment-with-segment intersection operations, the
// order of the end-point flag bits, the rejection tests, and the guarded
// answers where the carrier lines give no usable crossing.
#include <engine/lineseg2d.h>

#include <testsupport/geometry_asserts.h>
#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

using P = AcGePoint2d;

// Caller's outputs preset to recognisable values so that untouched outputs can
// be told apart from written ones.
struct Outputs {
  int count = 7;
  std::bitset<7> flags{0x55};
  P p1{-99, -99};
  P p2{-77, -77};
};

struct BitsetCase {
  const char* name;
  P a0, a1;  // this segment
  P b0, b1;  // other segment
  bool result;
  int count;
  const char* flags;  // bit 6 first, as std::bitset prints
  P p1, p2;           // p2 checked only for count 2
};

class LineSeg2dIntersectBits : public ::testing::TestWithParam<BitsetCase> {};

TEST_P(LineSeg2dIntersectBits, CountFlagsAndPoints) {
  const BitsetCase& c = GetParam();
  AcGeLineSeg2d a(c.a0, c.a1);
  AcGeLineSeg2d b(c.b0, c.b1);
  Outputs o;
  const bool r = a.intersectWith(b, o.count, o.flags, o.p1, o.p2, GkTolerance());
  ASSERT_EQ(r, c.result);
  // The boolean form agrees wherever the bitset form answers.
  EXPECT_EQ(a.intersectWith(b, GkTolerance()), c.result);
  if (!c.result) {
    EXPECT_EQ(o.count, 7);
    EXPECT_EQ(o.flags, std::bitset<7>(0x55));
    EXPECT_POINT_EQ(o.p1, P(-99, -99));
    EXPECT_POINT_EQ(o.p2, P(-77, -77));
    return;
  }
  EXPECT_EQ(o.count, c.count);
  EXPECT_EQ(o.flags, std::bitset<7>(std::string(c.flags)));
  EXPECT_POINT_NEAR(o.p1, c.p1, 1e-12);
  if (c.count == 2) {
    EXPECT_POINT_NEAR(o.p2, c.p2, 1e-12);
  } else {
    EXPECT_POINT_EQ(o.p2, P(-77, -77));  // a single point leaves p2 alone
  }
}

const P kNone(0, 0);

INSTANTIATE_TEST_SUITE_P(
    Cases, LineSeg2dIntersectBits,
    ::testing::Values(BitsetCase{"ProperCrossing", P(0, 0), P(2, 2), P(0, 2), P(2, 0), true, 1,
                                 "0000000", P(1, 1), kNone},
                      BitsetCase{"ProperCrossingOffCentre", P(0, 0), P(10, 0), P(3, -1), P(3, 1),
                                 true, 1, "0000000", P(3, 0), kNone},
                      BitsetCase{"OverlapOtherStartThenThisEnd", P(0, 0), P(10, 0), P(5, 0),
                                 P(15, 0), true, 2, "1000001", P(5, 0), P(10, 0)},
                      BitsetCase{"SameSegmentOtherStartThenOtherEnd", P(0, 0), P(10, 0), P(0, 0),
                                 P(10, 0), true, 2, "0010001", P(0, 0), P(10, 0)},
                      BitsetCase{"OtherInsideThis", P(0, 0), P(10, 0), P(2, 0), P(4, 0), true, 2,
                                 "0010001", P(2, 0), P(4, 0)},
                      BitsetCase{"ThisInsideOther", P(2, 0), P(4, 0), P(0, 0), P(10, 0), true, 2,
                                 "1000100", P(2, 0), P(4, 0)},
                      BitsetCase{"ReversedOverlapOtherEndThenThisEnd", P(0, 0), P(10, 0), P(15, 0),
                                 P(5, 0), true, 2, "1000010", P(5, 0), P(10, 0)},
                      BitsetCase{"OverlapOtherEndThenThisStart", P(5, 0), P(15, 0), P(0, 0),
                                 P(10, 0), true, 2, "0100010", P(10, 0), P(5, 0)},
                      BitsetCase{"SharedEndPointSkipsTheRepeat", P(0, 0), P(10, 0), P(10, 0),
                                 P(10, 10), true, 1, "0000001", P(10, 0), kNone},
                      BitsetCase{"TJunctionOnOtherStart", P(0, 0), P(10, 0), P(5, 0), P(5, 5), true,
                                 1, "0000001", P(5, 0), kNone},
                      BitsetCase{"TouchAtOtherEnd", P(0, 0), P(10, 0), P(-5, 5), P(0, 0), true, 1,
                                 "0000010", P(0, 0), kNone},
                      BitsetCase{"ThisStartOnOther", P(0, 0), P(10, 0), P(0, -5), P(0, 5), true, 1,
                                 "0000100", P(0, 0), kNone},
                      BitsetCase{"ThisEndOnOther", P(0, 0), P(10, 0), P(10, -5), P(10, 5), true, 1,
                                 "0001000", P(10, 0), kNone},
                      BitsetCase{"ParallelApart", P(0, 0), P(1, 0), P(0, 1), P(1, 1), false, 0,
                                 "0000000", kNone, kNone},
                      BitsetCase{"ColinearGapBeyondTolerance", P(0, 0), P(1, 0), P(2, 0), P(3, 0),
                                 false, 0, "0000000", kNone, kNone},
                      BitsetCase{"BoxesOverlapButOtherOnOneSide", P(0, 0), P(10, 10), P(0, 1),
                                 P(5, 6), false, 0, "0000000", kNone, kNone},
                      BitsetCase{"ThisOnOneSideOfOther", P(0, 0), P(10, 0), P(11, -1), P(9.5, 5),
                                 false, 0, "0000000", kNone, kNone},
                      BitsetCase{"ZeroLengthOtherOnThis", P(0, 0), P(10, 0), P(4, 0), P(4, 0), true,
                                 1, "0000001", P(4, 0), kNone}),
    [](const ::testing::TestParamInfo<BitsetCase>& i) { return std::string(i.param.name); });

TEST(LineSeg2dIntersect, OrientationUsesTheSquaredTolerance) {
  // A stub starting 0.5e-9 above a diagonal: m = -5e-9, far beyond
  // EqualPoint^2 = 1e-16, so under the defaults the stub misses.
  AcGeLineSeg2d diag(P(0, 0), P(10, 10));
  AcGeLineSeg2d stub(P(5, 5 + 0.5e-9), P(5, 8));
  EXPECT_FALSE(diag.intersectWith(stub, GkTolerance()));
  // With EqualPoint 1e-4 the threshold is 1e-8 (inclusive): now it touches.
  GkTolerance loose;
  loose.SetEqualPoint(1e-4);
  EXPECT_TRUE(diag.intersectWith(stub, loose));
}

TEST(LineSeg2dIntersect, BoxToleranceDecidesColinearGaps) {
  AcGeLineSeg2d a(P(0, 0), P(1, 0));
  AcGeLineSeg2d near(P(1 + 0.5e-8, 0), P(2, 0));
  AcGeLineSeg2d far(P(1 + 2e-8, 0), P(2, 0));
  EXPECT_TRUE(a.intersectWith(near, GkTolerance()));
  EXPECT_FALSE(a.intersectWith(far, GkTolerance()));

  int count = 0;
  std::bitset<7> flags;
  P p1, p2;
  ASSERT_TRUE(a.intersectWith(near, count, flags, p1, p2, GkTolerance()));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(flags, std::bitset<7>("0000001"));
  EXPECT_POINT_EQ(p1, P(1 + 0.5e-8, 0));
}

TEST(LineSeg2dIntersect, RefreshesBothBoxCaches) {
  struct Seg : AcGeLineSeg2d {
    using AcGeLineSeg2d::AcGeLineSeg2d;
    bool outOfDate() const { return boxOutOfDate; }
  };
  Seg a(P(0, 0), P(1, 1));
  Seg b(P(5, 5), P(6, 7));
  EXPECT_FALSE(a.intersectWith(b, GkTolerance()));
  EXPECT_FALSE(a.outOfDate());
  EXPECT_FALSE(b.outOfDate());
}

// Collinear segments with a gap larger than g_tol but inside the caller's box
// tolerance: the carrier lines are one line and their closed-form crossing is
// 0/0. The bitset form answers false and leaves the outputs alone; the
// boolean form still reports a meeting within the caller's tolerance.
TEST(LineSeg2dIntersectGuard, IdenticalCarriersWithGapReportNoPoint) {
  GkTolerance tol;
  tol.SetEqualPoint(1e-3);
  AcGeLineSeg2d a(P(0, 0), P(1, 0));
  AcGeLineSeg2d b(P(1.0005, 0), P(2, 0));
  Outputs o;
  EXPECT_FALSE(a.intersectWith(b, o.count, o.flags, o.p1, o.p2, tol));
  EXPECT_EQ(o.count, 7);
  EXPECT_EQ(o.flags, std::bitset<7>(0x55));
  EXPECT_POINT_EQ(o.p1, P(-99, -99));
  EXPECT_TRUE(a.intersectWith(b, tol));
}

// Parallel carriers (exactly: both directions (8, 8)) whose ends are
// 8.3e-9 apart, within g_tol.EqualPoint, but off each other's line by an area
// far above EqualPoint^2: no end point passes the on-segment test, the closed
// form divides by zero, and the shared point is reported as an end contact.
TEST(LineSeg2dIntersectGuard, ParallelCarriersSharingAPointWithinDefaultTolerance) {
  GkTolerance tol;
  tol.SetEqualPoint(1e-3);
  const double a = std::ldexp(1.0, -28);
  const double b = std::ldexp(1.0, -27);
  AcGeLineSeg2d s(P(0, 0), P(8, 8));
  AcGeLineSeg2d o(P(8 + a, 8 + b), P(16 + a, 16 + b));
  int count = 0;
  std::bitset<7> flags;
  P p1, p2(-1, -1);
  ASSERT_TRUE(s.intersectWith(o, count, flags, p1, p2, tol));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(flags, std::bitset<7>("0000001"));
  EXPECT_POINT_EQ(p1, P(8 + a, 8 + b));
  EXPECT_TRUE(std::isfinite(p1.x) && std::isfinite(p1.y));
  EXPECT_POINT_EQ(p2, P(-1, -1));
}

// Nearly parallel carriers, not a proper crossing under a loose tolerance:
// their lines cross at (2, 0), a full unit away from this segment. That is no
// intersection point, so the bitset form reports none.
TEST(LineSeg2dIntersectGuard, FarCarrierCrossingOfNearParallelPairIsNotReported) {
  GkTolerance tol;
  tol.SetEqualPoint(1e-3);
  AcGeLineSeg2d a(P(0, 0), P(1, 0));
  AcGeLineSeg2d b(P(1.0005, 1e-12), P(2, 0));
  Outputs o;
  EXPECT_FALSE(a.intersectWith(b, o.count, o.flags, o.p1, o.p2, tol));
  EXPECT_EQ(o.count, 7);
  EXPECT_POINT_EQ(o.p1, P(-99, -99));
}

// b lies inside a on a's carrier line (up to rounding of its construction).
// With coordinates near 50 the orientation values are about 1e-14, far above
// EqualPoint^2 = 1e-16, and their signs split so that the pair passes for a
// proper crossing; the closed-form crossing of the two almost identical
// carriers then lands at about (-21.3, -14), 3.7 units from both segments.
// Such a point is refused: the overlap is reported by its two end points.
TEST(LineSeg2dIntersectGuard, RoundingSplitColinearOverlapIsNotAFarCrossing) {
  AcGeLineSeg2d a(P(-54.288696277658879, -9.4657237964327177),
                  P(27.207546633819682, -11.458994003603008));
  AcGeLineSeg2d b(P(-33.289844116854482, -9.9793227661713519),
                  P(17.517909686304399, -11.222000690098266));
  // Precondition: the orientation codes really do straddle on both sides.
  const double q = GkTolerance::GetSquareTol(GkTolerance()).EqualPoint();
  ASSERT_GT(std::fabs(a.Mult(b.startPoint())), q);
  ASSERT_LT(a.Mult(b.startPoint()) * a.Mult(b.endPoint()), 0.0);
  ASSERT_LT(b.Mult(a.startPoint()) * b.Mult(a.endPoint()), 0.0);

  int count = 0;
  std::bitset<7> flags;
  P p1, p2;
  ASSERT_TRUE(a.intersectWith(b, count, flags, p1, p2, GkTolerance()));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(flags, std::bitset<7>("0010001"));
  EXPECT_POINT_EQ(p1, b.startPoint());
  EXPECT_POINT_EQ(p2, b.endPoint());

  P onOther;
  const P onThis = a.closestPointTo(b, onOther, GkTolerance());
  EXPECT_POINT_EQ(onThis, b.startPoint());
  EXPECT_POINT_EQ(onOther, b.startPoint());
}

// Segments that really cross at a very shallow angle: the other segment is
// this one with its start raised and its end lowered by 1e-7, so they cross
// near this segment's middle (where exactly depends on the rounding of the
// construction). The closed-form crossing of such nearly parallel carriers
// is off both segments by rounding (2e-7 and 8e-5 here); the crossing is
// still reported, on both segments.
struct ShallowCrossingCase {
  const char* name;
  P a0, a1;
};

class LineSeg2dShallowCrossing : public ::testing::TestWithParam<ShallowCrossingCase> {};

TEST_P(LineSeg2dShallowCrossing, IsReportedOnBothSegments) {
  const ShallowCrossingCase& c = GetParam();
  AcGeLineSeg2d a(c.a0, c.a1);
  AcGeLineSeg2d b(P(c.a0.x, c.a0.y + 1e-7), P(c.a1.x, c.a1.y - 1e-7));
  // Precondition: a proper crossing by the orientation codes.
  const double q = GkTolerance::GetSquareTol(GkTolerance()).EqualPoint();
  for (double m :
       {a.Mult(b.startPoint()), a.Mult(b.endPoint()), b.Mult(a.startPoint()), b.Mult(a.endPoint())})
    ASSERT_GT(std::fabs(m), q);
  ASSERT_LT(a.Mult(b.startPoint()) * a.Mult(b.endPoint()), 0.0);
  ASSERT_LT(b.Mult(a.startPoint()) * b.Mult(a.endPoint()), 0.0);

  Outputs o;
  ASSERT_TRUE(a.intersectWith(b, o.count, o.flags, o.p1, o.p2, GkTolerance()));
  EXPECT_EQ(o.count, 1);
  EXPECT_TRUE(o.flags.none());
  EXPECT_LE(a.distanceTo(o.p1, GkGeoLib::g_tol), 1e-9);
  EXPECT_LE(b.distanceTo(o.p1, GkGeoLib::g_tol), 1e-9);
  EXPECT_LE(o.p1.distanceTo(a.midPoint()), 1e-3 * a.length());
  EXPECT_POINT_EQ(o.p2, P(-77, -77));

  P pt(-5, -5);
  ASSERT_TRUE(a.intersectWith(b, pt, GkTolerance()));
  EXPECT_POINT_EQ(pt, o.p1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineSeg2dShallowCrossing,
    ::testing::Values(ShallowCrossingCase{"Small", P(10.1, 20.2), P(30.3, 40.4)},
                      ShallowCrossingCase{"BoardSized", P(-512.3, 311.7), P(733.9, -402.1)}),
    [](const ::testing::TestParamInfo<ShallowCrossingCase>& i) {
      return std::string(i.param.name);
    });

struct SinglePointCase {
  const char* name;
  P a0, a1, b0, b1;
  bool result;
  P expected;
};

class LineSeg2dIntersectPoint : public ::testing::TestWithParam<SinglePointCase> {};

TEST_P(LineSeg2dIntersectPoint, ReportsOnlyASinglePoint) {
  const SinglePointCase& c = GetParam();
  AcGeLineSeg2d a(c.a0, c.a1);
  AcGeLineSeg2d b(c.b0, c.b1);
  P pt(-5, -5);
  EXPECT_EQ(a.intersectWith(b, pt, GkTolerance()), c.result);
  EXPECT_POINT_NEAR(pt, c.result ? c.expected : P(-5, -5), 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineSeg2dIntersectPoint,
    ::testing::Values(
        SinglePointCase{"Crossing", P(0, 0), P(2, 2), P(0, 2), P(2, 0), true, P(1, 1)},
        SinglePointCase{"SharedEnd", P(0, 0), P(10, 0), P(10, 0), P(10, 10), true, P(10, 0)},
        SinglePointCase{"OverlapHasTwoPoints", P(0, 0), P(10, 0), P(5, 0), P(15, 0), false, kNone},
        SinglePointCase{"Apart", P(0, 0), P(1, 0), P(0, 1), P(1, 1), false, kNone}),
    [](const ::testing::TestParamInfo<SinglePointCase>& i) { return std::string(i.param.name); });

// ---- property test ----

double distToSeg(AcGeLineSeg2d& s, P p) { return s.distanceTo(p, GkGeoLib::g_tol); }

// Draws pairs of several kinds: general position, shared end points,
// collinear overlaps on an integer grid, T-junctions, and zero-length ones.
struct PairGen {
  std::mt19937 rng{2024};
  std::uniform_real_distribution<double> coord{-20, 20};
  std::uniform_int_distribution<int> grid{-10, 10};
  std::uniform_int_distribution<int> kind{0, 4};

  P rp() { return P(coord(rng), coord(rng)); }
  P gp() { return P(grid(rng), grid(rng)); }

  void next(AcGeLineSeg2d& a, AcGeLineSeg2d& b) {
    switch (kind(rng)) {
      case 0:
        a.set(rp(), rp());
        b.set(rp(), rp());
        break;
      case 1: {  // shared end point
        const P s = rp();
        a.set(s, rp());
        b.set(rp(), s);
        break;
      }
      case 2: {  // collinear on a grid line, exact arithmetic
        const int y = grid(rng);
        a.set(P(grid(rng), y), P(grid(rng), y));
        b.set(P(grid(rng), y), P(grid(rng), y));
        break;
      }
      case 3: {  // T-junction at a grid point of an axis-aligned segment
        const P s = gp();
        const P e(s.x + std::abs(grid(rng)) + 1, s.y);
        const P foot(s.x + 0.5 * (e.x - s.x), s.y);
        a.set(s, e);
        b.set(foot, P(foot.x + grid(rng), foot.y + std::abs(grid(rng)) + 1));
        break;
      }
      default: {  // zero-length other
        const P q = gp();
        a.set(gp(), gp());
        b.set(q, q);
        break;
      }
    }
  }
};

TEST(LineSeg2dIntersectProperty, ReportedPointsLieOnBothSegmentsAndFlagsNameEndPoints) {
  PairGen gen;
  const GkTolerance tol;
  int met = 0;
  for (int i = 0; i < 4000; ++i) {
    AcGeLineSeg2d a, b;
    gen.next(a, b);
    SCOPED_TRACE("case " + std::to_string(i));
    int count = -1;
    std::bitset<7> flags;
    P p1, p2;
    const bool r = a.intersectWith(b, count, flags, p1, p2, tol);
    if (r) {
      EXPECT_TRUE(a.intersectWith(b, tol));  // bitset true implies boolean true
    } else {
      EXPECT_EQ(count, -1);
      continue;
    }
    ++met;
    ASSERT_TRUE(count == 1 || count == 2);
    std::vector<P> pts{p1};
    if (count == 2) pts.push_back(p2);
    for (const P& p : pts) {
      ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
      EXPECT_LE(distToSeg(a, p), 1e-9);
      EXPECT_LE(distToSeg(b, p), 1e-9);
    }
    // Flag bits: none for a proper crossing, otherwise exactly one of 0-3,
    // and one of 4-6 exactly when there are two points.
    const std::size_t first = flags[0] + flags[1] + flags[2] + flags[3];
    const std::size_t second = flags[4] + flags[5] + flags[6];
    if (flags.none()) {
      EXPECT_EQ(count, 1);
      continue;
    }
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(second, count == 2 ? 1u : 0u);
    const P named1 = flags[0]   ? b.startPoint()
                     : flags[1] ? b.endPoint()
                     : flags[2] ? a.startPoint()
                                : a.endPoint();
    EXPECT_POINT_EQ(p1, named1);
    if (count == 2) {
      const P named2 = flags[4] ? b.endPoint() : flags[5] ? a.startPoint() : a.endPoint();
      EXPECT_POINT_EQ(p2, named2);
      EXPECT_FALSE(p1 == p2);
    }
  }
  EXPECT_GT(met, 1000);  // the generator really produces meeting pairs
}

// Pairs that cross well inside both segments (by an independent parametric
// solution) are found, at the same point.
TEST(LineSeg2dIntersectProperty, ClearCrossingsAreFoundAtTheRightPoint) {
  std::mt19937 rng(99);
  std::uniform_real_distribution<double> coord(-100, 100);
  const GkTolerance tol;
  int checked = 0;
  for (int i = 0; i < 3000; ++i) {
    const P a0(coord(rng), coord(rng)), a1(coord(rng), coord(rng));
    const P b0(coord(rng), coord(rng)), b1(coord(rng), coord(rng));
    const double ux = a1.x - a0.x, uy = a1.y - a0.y, vx = b1.x - b0.x, vy = b1.y - b0.y;
    const double den = ux * vy - uy * vx;
    if (std::fabs(den) < 1.0) continue;
    const double wx = b0.x - a0.x, wy = b0.y - a0.y;
    const double s = (wx * vy - wy * vx) / den;
    const double t = (wx * uy - wy * ux) / den;
    AcGeLineSeg2d a(a0, a1), b(b0, b1);
    const bool inside = s > 0.01 && s < 0.99 && t > 0.01 && t < 0.99;
    const bool outside = s < -0.01 || s > 1.01 || t < -0.01 || t > 1.01;
    SCOPED_TRACE("case " + std::to_string(i));
    if (inside) {
      ++checked;
      int count = 0;
      std::bitset<7> flags;
      P p1, p2;
      ASSERT_TRUE(a.intersectWith(b, count, flags, p1, p2, tol));
      EXPECT_EQ(count, 1);
      EXPECT_TRUE(flags.none());
      EXPECT_POINT_NEAR(p1, P(a0.x + ux * s, a0.y + uy * s), 1e-9);
    } else if (outside) {
      EXPECT_FALSE(a.intersectWith(b, tol));
    }
  }
  EXPECT_GT(checked, 200);
}

// Property: pairs crossing at angles from 1e-4 down to 1e-11 radians, on
// segments up to 1000 long, are reported as crossing at a point on both
// segments, and their nearest pair is that meeting point. "On" allows
// EqualPoint plus rounding: a closed-form crossing is kept when it lies
// within EqualPoint (plus 1e-12 of the coordinates) of both segments.
TEST(LineSeg2dIntersectProperty, ShallowCrossingsAreFoundOnBothSegments) {
  std::mt19937 rng(31);
  std::uniform_real_distribution<double> unit(0, 1);
  const GkTolerance tol;
  const double q = GkTolerance::GetSquareTol(tol).EqualPoint();
  int checked = 0;
  for (int i = 0; i < 3000; ++i) {
    const double len = std::pow(10.0, 1 + 2 * unit(rng));
    const double th = 2 * testsupport::kPi * unit(rng);
    const double dth = std::pow(10.0, -4 - 7 * unit(rng));
    const P mid((unit(rng) - 0.5) * len, (unit(rng) - 0.5) * len);
    const double s = 0.1 + 0.8 * unit(rng);  // where along a they cross
    const P cross(mid.x + (2 * s - 1) * len * std::cos(th),
                  mid.y + (2 * s - 1) * len * std::sin(th));
    AcGeLineSeg2d a(P(mid.x - len * std::cos(th), mid.y - len * std::sin(th)),
                    P(mid.x + len * std::cos(th), mid.y + len * std::sin(th)));
    AcGeLineSeg2d b(P(cross.x - len * std::cos(th + dth), cross.y - len * std::sin(th + dth)),
                    P(cross.x + len * std::cos(th + dth), cross.y + len * std::sin(th + dth)));
    const double o1 = a.Mult(b.startPoint()), o2 = a.Mult(b.endPoint());
    const double o3 = b.Mult(a.startPoint()), o4 = b.Mult(a.endPoint());
    if (std::fabs(o1) <= q || std::fabs(o2) <= q || std::fabs(o3) <= q || std::fabs(o4) <= q)
      continue;
    if (o1 * o2 >= 0 || o3 * o4 >= 0) continue;  // rounding of the construction moved an end across
    ++checked;
    SCOPED_TRACE("case " + std::to_string(i));
    int count = 0;
    std::bitset<7> flags;
    P p1, p2;
    ASSERT_TRUE(a.intersectWith(b, count, flags, p1, p2, tol));
    EXPECT_GE(count, 1);
    EXPECT_LE(distToSeg(a, p1), 2e-8);
    EXPECT_LE(distToSeg(b, p1), 2e-8);
    P onOther;
    const P onThis = a.closestPointTo(b, onOther, tol);
    EXPECT_LE(onThis.distanceTo(onOther), 2e-8);
    EXPECT_LE(distToSeg(a, onThis), 2e-8);
    EXPECT_LE(distToSeg(b, onOther), 2e-8);
  }
  EXPECT_GT(checked, 2000);
}

}  // namespace
