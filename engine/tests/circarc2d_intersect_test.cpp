// AcGeCircArc2d::intersectWith: arc with segment, arc with arc, and arc with
// arc reporting which end points bound an overlap.
#include <engine/circarc2d.h>
#include <engine/lineseg2d.h>
#include <engine/tolerance.h>

#include "circarc2d_query_testutil.h"

#include <testsupport/geometry_asserts.h>

#include <gtest/gtest.h>

#include <bitset>
#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace arcq_test;

namespace {

const AcGePoint2d kUntouched(-777.0, 555.0);  // a caller's value that must survive

// ---------------------------------------------------------------- arc with segment

void ExpectPoints(const AcGePoint2d& p1, const AcGePoint2d& p2,
                  const std::vector<AcGePoint2d>& expected) {
  // Points not written keep the caller's values.
  if (!expected.empty()) {
    EXPECT_POINT_NEAR(p1, expected[0], 1e-12);
  } else {
    EXPECT_POINT_EQ(p1, kUntouched);
  }
  if (expected.size() > 1) {
    EXPECT_POINT_NEAR(p2, expected[1], 1e-12);
  } else {
    EXPECT_POINT_EQ(p2, kUntouched);
  }
}

struct ArcSegCase {
  const char* name;
  AcGeCircArc2d arc;
  AcGeLineSeg2d seg;
  double pointTol;  // caller's EqualPoint
  int count;
  AcGePoint2d p1, p2;  // expected, when count reaches 1 / 2
};

std::string CaseName(const ::testing::TestParamInfo<ArcSegCase>& info) { return info.param.name; }

class ArcSegIntersect : public ::testing::TestWithParam<ArcSegCase> {};

TEST_P(ArcSegIntersect, CountAndPoints) {
  ArcSegCase c = GetParam();
  GkTolerance tol;
  tol.SetEqualPoint(c.pointTol);
  int count = -1;
  AcGePoint2d p1 = kUntouched, p2 = kUntouched;
  const bool met = c.arc.intersectWith(c.seg, count, p1, p2, tol);
  EXPECT_EQ(count, c.count);
  EXPECT_EQ(met, c.count != 0);
  std::vector<AcGePoint2d> expected;
  if (c.count >= 1) expected.push_back(c.p1);
  if (c.count >= 2) expected.push_back(c.p2);
  ExpectPoints(p1, p2, expected);
}

const double kS = std::sqrt(0.75);
const AcGeCircArc2d kUpper = Arc(0, 0, 1, 0, kPi, true);  // unit, counter-clockwise, 0..pi

INSTANTIATE_TEST_SUITE_P(
    Table, ArcSegIntersect,
    ::testing::Values(
        ArcSegCase{"TwoCrossings", kUpper, Seg(-2, 0.5, 2, 0.5), 1e-8, 2, {-kS, 0.5}, {kS, 0.5}},
        // p1 is always the crossing nearer the segment's start.
        ArcSegCase{"TwoCrossingsReversedSegment",
                   kUpper,
                   Seg(2, 0.5, -2, 0.5),
                   1e-8,
                   2,
                   {kS, 0.5},
                   {-kS, 0.5}},
        ArcSegCase{"CrossingsOffTheArc", kUpper, Seg(-2, -0.5, 2, -0.5), 1e-8, 0, {}, {}},
        ArcSegCase{
            "OneCrossingSegmentEndsInside", kUpper, Seg(0, 0.5, 2, 0.5), 1e-8, 1, {kS, 0.5}, {}},
        ArcSegCase{"SegmentWhollyInside", kUpper, Seg(-0.5, 0.2, 0.5, 0.2), 1e-8, 0, {}, {}},
        ArcSegCase{"SegmentOutside", kUpper, Seg(-2, 3, 2, 3), 1e-8, 0, {}, {}},
        ArcSegCase{"TangentFromOutside", kUpper, Seg(-2, 1, 2, 1), 1e-8, 1, {0, 1}, {}},
        ArcSegCase{"TangentOffTheArc", kUpper, Seg(-2, -1, 2, -1), 1e-8, 0, {}, {}},
        ArcSegCase{"ZeroLengthSegmentOnTheArc", kUpper, Seg(0, 1, 0, 1), 1e-8, 1, {0, 1}, {}},
        ArcSegCase{"ZeroLengthSegmentInside", kUpper, Seg(0.2, 0.2, 0.2, 0.2), 1e-8, 0, {}, {}},
        ArcSegCase{"FullCircleTwoCrossings",
                   Circle(0, 0, 1),
                   Seg(-2, -0.5, 2, -0.5),
                   1e-8,
                   2,
                   {-kS, -0.5},
                   {kS, -0.5}},
        // The caller's tolerance decides tangency: a line 1e-6 above the top
        // touches under 1e-5 and misses under the default.
        ArcSegCase{"NearTangentWithinCallerTol",
                   kUpper,
                   Seg(-2, 1 + 1e-6, 2, 1 + 1e-6),
                   1e-5,
                   1,
                   {0, 1 + 1e-6},
                   {}},
        ArcSegCase{"NearTangentBeyondDefaultTol",
                   kUpper,
                   Seg(-2, 1 + 1e-6, 2, 1 + 1e-6),
                   1e-8,
                   0,
                   {},
                   {}}),
    CaseName);

// Contacts at the arc's end points are reported as the arc's own end points,
// bit for bit, however the contact was found.
TEST(ArcSegIntersectEnds, ContactsAtArcEndsAreTheEndPointsThemselves) {
  enum End { kStart, kEnd };
  const struct {
    const char* name;
    AcGeLineSeg2d seg;
    std::vector<End> ends;  // p1, p2
  } rows[] = {
      {"TangentAtTheStart", Seg(1, -1, 1, 1), {kStart}},
      {"SegmentEndingOnTheEnd", Seg(-2, 0, -1, 0), {kEnd}},
      {"SegmentStoppingWithinTolOfTheEnd", Seg(-2, 0, -1 - 0.5e-8, 0), {kEnd}},
      // y = x - 1 meets the circle at the start (1, 0) and at (0, -1), which
      // is outside the segment's box.
      {"SlantedCrossingThroughTheStart", Seg(0.5, -0.5, 1.5, 0.5), {kStart}},
      {"TheArcsChord", Seg(-2, 0, 2, 0), {kEnd, kStart}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    AcGeCircArc2d arc = kUpper;
    AcGeLineSeg2d seg = row.seg;
    int count = 0;
    AcGePoint2d got[2] = {kUntouched, kUntouched};
    ASSERT_TRUE(arc.intersectWith(seg, count, got[0], got[1], GkGeoLib::g_tol));
    ASSERT_EQ(count, static_cast<int>(row.ends.size()));
    for (int k = 0; k < count; ++k) {
      EXPECT_POINT_EQ(got[k], row.ends[k] == kStart ? arc.startPoint() : arc.endPoint());
    }
  }
}

// ------------------------------------------------------------------ arc with arc

struct ArcArcCase {
  const char* name;
  AcGeCircArc2d self;
  AcGeCircArc2d other;
  int count;                            // plain operation
  int flagCount;                        // operation with end-point flags
  std::string flagBits;                 // expected flags, bit 6 first (std::bitset text)
  std::vector<AcGePoint2d> points;      // plain operation: p1, p2 as far as written
  std::vector<AcGePoint2d> flagPoints;  // flag operation
};

std::string ArcArcName(const ::testing::TestParamInfo<ArcArcCase>& info) { return info.param.name; }

class ArcArcIntersect : public ::testing::TestWithParam<ArcArcCase> {};

TEST_P(ArcArcIntersect, Plain) {
  ArcArcCase c = GetParam();
  int count = -1;
  AcGePoint2d p1 = kUntouched, p2 = kUntouched;
  const bool met = c.self.intersectWith(c.other, count, p1, p2, GkGeoLib::g_tol);
  EXPECT_EQ(count, c.count);
  EXPECT_EQ(met, c.count != 0);
  ExpectPoints(p1, p2, c.points);
}

TEST_P(ArcArcIntersect, WithFlags) {
  ArcArcCase c = GetParam();
  int count = -1;
  std::bitset<7> flags("1111111");
  AcGePoint2d p1 = kUntouched, p2 = kUntouched;
  const bool met = c.self.intersectWith(c.other, count, flags, p1, p2, GkGeoLib::g_tol);
  EXPECT_EQ(count, c.flagCount);
  EXPECT_EQ(met, c.flagCount != 0);
  EXPECT_EQ(flags, std::bitset<7>(c.flagBits));
  ExpectPoints(p1, p2, c.flagPoints);
}

const double kH = std::sqrt(0.5);
const AcGePoint2d kTop(0, 1);
const AcGePoint2d kDiag(kH, kH);  // the unit circle at pi/4

INSTANTIATE_TEST_SUITE_P(
    Table, ArcArcIntersect,
    ::testing::Values(
        ArcArcCase{"CrossingCircles",
                   Circle(0, 0, 1),
                   Circle(1, 0, 1),
                   2,
                   2,
                   "0000000",
                   {{0.5, kS}, {0.5, -kS}},
                   {{0.5, kS}, {0.5, -kS}}},
        ArcArcCase{"CrossingAtBothArcEnds",
                   Arc(0, 0, 1, 0, kPi / 2, true),
                   Arc(1, 1, 1, kPi, 1.5 * kPi, true),
                   2,
                   2,
                   "0000000",
                   {{0, 1}, {1, 0}},
                   {{0, 1}, {1, 0}}},
        ArcArcCase{"CrossingsOffOneArc",
                   Arc(0, 0, 1, kPi / 2, 1.5 * kPi, true),
                   Circle(1, 0, 1),
                   0,
                   0,
                   "0000000",
                   {},
                   {}},
        ArcArcCase{"TangentFromOutside",
                   Circle(0, 0, 1),
                   Circle(2, 0, 1),
                   1,
                   1,
                   "0000000",
                   {{1, 0}},
                   {{1, 0}}},
        ArcArcCase{"TangentFromInsideLargerFirst",
                   Circle(0, 0, 2),
                   Circle(1, 0, 1),
                   1,
                   1,
                   "0000000",
                   {{2, 0}},
                   {{2, 0}}},
        ArcArcCase{"TangentFromInsideSmallerFirst",
                   Circle(1, 0, 1),
                   Circle(0, 0, 2),
                   1,
                   1,
                   "0000000",
                   {{2, 0}},
                   {{2, 0}}},
        ArcArcCase{"TangentPointOffTheArc",
                   Arc(0, 0, 1, kPi / 2, kPi, true),
                   Circle(2, 0, 1),
                   0,
                   0,
                   "0000000",
                   {},
                   {}},
        // An end point that reaches the other circle within the tolerance.
        ArcArcCase{"ArcStartTouchesInsideWithinTol",
                   Arc(0, 0, 2, 0, kPi / 2, true),
                   Circle(1 + 0.5e-8, 0, 1),
                   1,
                   1,
                   "0000000",
                   {{2, 0}},
                   {{2, 0}}},
        ArcArcCase{"CirclesApart", Circle(0, 0, 1), Circle(3, 0, 1), 0, 0, "0000000", {}, {}},
        ArcArcCase{
            "CircleWithinCircle", Circle(0, 0, 3), Circle(0.5, 0, 1), 0, 0, "0000000", {}, {}},
        ArcArcCase{
            "ConcentricDifferentRadii", Circle(0, 0, 2), Circle(0, 0, 1), 0, 0, "0000000", {}, {}},
        // Arcs on one circle.
        ArcArcCase{"SameArc",
                   Arc(0, 0, 1, 0, kPi / 2, true),
                   Arc(0, 0, 1, 0, kPi / 2, true),
                   3,
                   3,
                   "0000000",
                   {},
                   {}},
        ArcArcCase{"FlippedCopy",
                   Arc(0, 0, 1, 0, kPi / 2, true),
                   Arc(0, 0, 1, kPi / 2, 0, false),
                   3,
                   3,
                   "0000000",
                   {},
                   {}},
        ArcArcCase{
            "FullCircleAndArc", Circle(0, 0, 1), Arc(0, 0, 1, 1, 2, true), 3, 3, "0000000", {}, {}},
        ArcArcCase{"TwoHalvesSameWay",
                   Arc(0, 0, 1, 0, kPi, true),
                   Arc(0, 0, 1, kPi, 0, true),
                   2,
                   2,
                   "0000000",
                   {{1, 0}, {-1, 0}},
                   {{1, 0}, {-1, 0}}},
        ArcArcCase{"TwoHalvesOppositeWays",
                   Arc(0, 0, 1, 0, kPi, true),
                   Arc(0, 0, 1, 0, kPi, false),
                   2,
                   2,
                   "0000000",
                   {{1, 0}, {-1, 0}},
                   {{1, 0}, {-1, 0}}},
        ArcArcCase{"ShareOneEnd",
                   Arc(0, 0, 1, 0, kPi / 2, true),
                   Arc(0, 0, 1, kPi / 2, kPi, true),
                   1,
                   1,
                   "0000001",
                   {kTop},
                   {kTop}},
        ArcArcCase{"ShareOneEndOtherReversed",
                   Arc(0, 0, 1, 0, kPi / 2, true),
                   Arc(0, 0, 1, kPi, kPi / 2, false),
                   1,
                   1,
                   "0000010",
                   {kTop},
                   {kTop}},
        ArcArcCase{"ShareStartRunApart",
                   Arc(0, 0, 1, kPi / 2, kPi, true),
                   Arc(0, 0, 1, kPi / 2, 0, false),
                   1,
                   1,
                   "0000001",
                   {kTop},
                   {kTop}},
        ArcArcCase{"PartialOverlap",
                   Arc(0, 0, 1, 0, kPi / 2, true),
                   Arc(0, 0, 1, kPi / 4, 3 * kPi / 4, true),
                   3,
                   3,
                   "1000001",
                   {},
                   {kDiag, kTop}},
        ArcArcCase{"ThisNestedInOther",
                   Arc(0, 0, 1, kPi / 6, kPi / 3, true),
                   Arc(0, 0, 1, 0, kPi / 2, true),
                   3,
                   3,
                   "1000100",
                   {},
                   {{kS, 0.5}, {0.5, kS}}},
        ArcArcCase{"OtherNestedInThis",
                   Arc(0, 0, 1, 0, kPi / 2, true),
                   Arc(0, 0, 1, kPi / 6, kPi / 3, true),
                   3,
                   3,
                   "0010001",
                   {},
                   {{kS, 0.5}, {0.5, kS}}},
        ArcArcCase{"OverlapAtBothEnds",
                   Arc(0, 0, 1, 0, 1.5 * kPi, true),
                   Arc(0, 0, 1, kPi, kPi / 2, true),
                   3,
                   4,
                   "0000000",
                   {},
                   {}},
        ArcArcCase{"DisjointOnOneCircle",
                   Arc(0, 0, 1, 0, kPi / 4, true),
                   Arc(0, 0, 1, kPi / 2, kPi, true),
                   0,
                   0,
                   "0000000",
                   {},
                   {}}),
    ArcArcName);

TEST(ArcArcIntersectTolerance, FlagOperationUsesTheCallersTolerance) {
  // Circles 1e-6 apart from touching: tangent under a 1e-5 tolerance.
  AcGeCircArc2d a = Circle(0, 0, 1), b = Circle(2 + 1e-6, 0, 1);
  GkTolerance loose;
  loose.SetEqualPoint(1e-5);
  int count = 0;
  std::bitset<7> flags;
  AcGePoint2d p1, p2;
  EXPECT_FALSE(a.intersectWith(b, count, flags, p1, p2, GkGeoLib::g_tol));
  ASSERT_TRUE(a.intersectWith(b, count, flags, p1, p2, loose));
  EXPECT_EQ(count, 1);
  EXPECT_POINT_EQ(p1, a.startPoint());  // the end point (1, 0) is tried first
}

TEST(ArcArcIntersectTolerance, PlainOperationPrefiltersWithTheDefault) {
  // Under a loose caller tolerance the branch is tangent, but circles apart
  // by more than the default tolerance are rejected first.
  AcGeCircArc2d a = Circle(0, 0, 1), b = Circle(2 + 1e-6, 0, 1);
  GkTolerance loose;
  loose.SetEqualPoint(1e-5);
  int count = 0;
  AcGePoint2d p1, p2;
  EXPECT_FALSE(a.intersectWith(b, count, p1, p2, loose));
  EXPECT_EQ(count, 0);
}

TEST(ArcArcIntersectTolerance, TouchingWithinRoundingGivesTheTouchingPointNotNaN) {
  // Circles of radii 3.7 and 1.3 one ulp closer than touching: under a zero
  // tolerance they take the two-crossing branch, where the cosine quotient
  // can round beyond 1. Both operations must report a finite point at the
  // touching point (3.7, 0) on both circles. Overlapping by an ulp, the
  // circles truly cross about 4e-8 above and below it.
  GkTolerance tight;
  tight.SetEqualPoint(0.0);
  AcGeCircArc2d a = Circle(0, 0, 3.7), b = Circle(4.999999999999999, 0, 1.3);
  int count = 0;
  AcGePoint2d p1(0, 0), p2(0, 0);
  ASSERT_TRUE(a.intersectWith(b, count, p1, p2, tight));
  std::bitset<7> flags;
  AcGePoint2d q1(0, 0), q2(0, 0);
  ASSERT_TRUE(a.intersectWith(b, count, flags, q1, q2, tight));
  for (const AcGePoint2d& p : {p1, q1}) {
    EXPECT_POINT_NEAR(p, AcGePoint2d(3.7, 0), 1e-7);
    EXPECT_NEAR(p.distanceTo(a.center()), 3.7, 1e-12);
    EXPECT_NEAR(p.distanceTo(b.center()), 1.3, 1e-12);
  }
}

// --------------------------------------------------------------- properties

// Number of points where the segment truly meets the arc, or -1 when the
// answer rests on the tolerance (near tangency, near an end of either curve).
int ReferenceSegCount(const AcGeCircArc2d& arc, const AcGeLineSeg2d& seg) {
  const AcGePoint2d a = seg.startPoint(), b = seg.endPoint(), c = arc.center();
  const double r = arc.radius();
  const double dx = b.x - a.x, dy = b.y - a.y, fx = a.x - c.x, fy = a.y - c.y;
  const double A = dx * dx + dy * dy, B = 2 * (fx * dx + fy * dy), C = fx * fx + fy * fy - r * r;
  const double disc = B * B - 4 * A * C;
  if (std::fabs(disc) < 1e-6 * A) return -1;
  if (disc < 0) return 0;
  int n = 0;
  for (double sign : {-1.0, 1.0}) {
    const double t = (-B + sign * std::sqrt(disc)) / (2 * A);
    if (std::fabs(t) < 1e-6 || std::fabs(t - 1) < 1e-6) return -1;
    if (t < 0 || t > 1) continue;
    const double ang = Wrap(std::atan2(fy + t * dy, fx + t * dx));
    if (NearArcEnd(arc, ang, 1e-6)) return -1;
    if (DirectionOnArc(arc, ang)) ++n;
  }
  return n;
}

TEST(ArcSegIntersectProperty, CountsMatchTheGeometryAndPointsLieOnBoth) {
  std::mt19937 rng(20240601);
  int checked = 0, met = 0;
  for (int i = 0; i < 4000; ++i) {
    AcGeCircArc2d arc = RandomArc(rng);
    AcGeLineSeg2d seg = RandomSeg(rng);
    const int expected = ReferenceSegCount(arc, seg);
    if (expected < 0) continue;
    ++checked;
    int count = -1;
    AcGePoint2d p1, p2;
    arc.intersectWith(seg, count, p1, p2, GkGeoLib::g_tol);
    SCOPED_TRACE("case " + std::to_string(i));
    ASSERT_EQ(count, expected);
    const AcGePoint2d* pts[2] = {&p1, &p2};
    for (int k = 0; k < count; ++k) {
      met += 1;
      EXPECT_TRUE(PointOnArc(arc, *pts[k], 1e-9));
      EXPECT_LE(SegPointDistance(seg.startPoint(), seg.endPoint(), *pts[k]), 1e-9);
    }
    if (count == 2) {
      // p1 is the crossing nearer the segment's start.
      const AcGePoint2d s = seg.startPoint();
      EXPECT_LT(std::hypot(p1.x - s.x, p1.y - s.y), std::hypot(p2.x - s.x, p2.y - s.y));
    }
  }
  EXPECT_GT(checked, 3000);
  EXPECT_GT(met, 500);
}

// Number of crossings of two arcs on crossing circles, or -1 when the
// circles are near tangent or a crossing is near an arc end.
int ReferenceArcCount(const AcGeCircArc2d& a, const AcGeCircArc2d& b) {
  const AcGePoint2d c1 = a.center(), c2 = b.center();
  const double r1 = a.radius(), r2 = b.radius();
  const double D = std::hypot(c2.x - c1.x, c2.y - c1.y);
  if (std::fabs(D - (r1 + r2)) < 1e-6 || std::fabs(D - std::fabs(r1 - r2)) < 1e-6) return -1;
  if (D > r1 + r2 || D < std::fabs(r1 - r2)) return 0;
  const double base = std::atan2(c2.y - c1.y, c2.x - c1.x);
  const double half = std::acos((r1 * r1 + D * D - r2 * r2) / (2 * r1 * D));
  int n = 0;
  for (double sign : {1.0, -1.0}) {
    const double t = base + sign * half;
    const AcGePoint2d p(c1.x + r1 * std::cos(t), c1.y + r1 * std::sin(t));
    const double a1 = DirectionOf(p, c1), a2 = DirectionOf(p, c2);
    if (NearArcEnd(a, a1, 1e-6) || NearArcEnd(b, a2, 1e-6)) return -1;
    if (DirectionOnArc(a, a1) && DirectionOnArc(b, a2)) ++n;
  }
  return n;
}

TEST(ArcArcIntersectProperty, CountsMatchTheGeometryEitherWayRound) {
  std::mt19937 rng(777);
  int checked = 0, met = 0;
  for (int i = 0; i < 4000; ++i) {
    AcGeCircArc2d a = RandomArc(rng), b = RandomArc(rng);
    const int expected = ReferenceArcCount(a, b);
    if (expected < 0) continue;
    ++checked;
    SCOPED_TRACE("case " + std::to_string(i));
    for (int order = 0; order < 2; ++order) {
      AcGeCircArc2d& self = order == 0 ? a : b;
      AcGeCircArc2d& other = order == 0 ? b : a;
      int count = -1, flagCount = -1;
      std::bitset<7> flags;
      AcGePoint2d p1, p2, q1, q2;
      self.intersectWith(other, count, p1, p2, GkGeoLib::g_tol);
      self.intersectWith(other, flagCount, flags, q1, q2, GkGeoLib::g_tol);
      ASSERT_EQ(count, expected);
      ASSERT_EQ(flagCount, expected);
      EXPECT_TRUE(flags.none());
      const AcGePoint2d* pts[4] = {&p1, &p2, &q1, &q2};
      for (int k = 0; k < 4; ++k) {
        if (k % 2 >= count) continue;
        met += 1;
        EXPECT_TRUE(PointOnArc(self, *pts[k], 1e-9));
        EXPECT_TRUE(PointOnArc(other, *pts[k], 1e-9));
      }
    }
  }
  EXPECT_GT(checked, 3000);
  EXPECT_GT(met, 500);
}

}  // namespace
