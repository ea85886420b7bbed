// AcGeCircArc2d distances and closest points against a point, a segment and
// another arc, including the order in which equally good candidates win.
#include <engine/circarc2d.h>
#include <engine/lineseg2d.h>
#include <engine/tolerance.h>

#include "circarc2d_query_testutil.h"

#include <testsupport/geometry_asserts.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

using namespace arcq_test;

namespace {

const double kH = std::sqrt(0.5);                               // cos(pi/4)
const AcGeCircArc2d kQuarter = Arc(0, 0, 1, 0, kPi / 2, true);  // unit, ccw, 0..pi/2

// ------------------------------------------------------------------- point

struct PointCase {
  const char* name;
  AcGeCircArc2d arc;
  AcGePoint2d p;
  double dist;
  AcGePoint2d closest;
};

class ArcPointDistance : public ::testing::TestWithParam<PointCase> {};

TEST_P(ArcPointDistance, DistanceAndClosestPoint) {
  PointCase c = GetParam();
  EXPECT_NEAR(c.arc.distanceTo(c.p, GkGeoLib::g_tol), c.dist, 1e-12);
  EXPECT_POINT_NEAR(c.arc.closestPointTo(c.p, GkGeoLib::g_tol), c.closest, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArcPointDistance,
    ::testing::Values(
        PointCase{"OutsideFacingTheArc", kQuarter, {2, 2}, 2 * std::sqrt(2.0) - 1, {kH, kH}},
        PointCase{"InsideFacingTheArc", kQuarter, {0.5, 0}, 0.5, {1, 0}},
        // The centre has polar angle 0 and maps to the 45 degree point.
        PointCase{"Centre", kQuarter, {0, 0}, 1, {kH, kH}},
        PointCase{"OffTheArcNearerTheStart", kQuarter, {1, -1}, 1, {1, 0}},
        // Equally far from both ends: the end point wins.
        PointCase{"OffTheArcTieGoesToTheEnd", kQuarter, {-1, -1}, std::sqrt(5.0), {0, 1}},
        PointCase{"FullCircle", Circle(1, 1, 2), {1, 4}, 1, {1, 3}},
        PointCase{"ClockwiseArc", Arc(0, 0, 1, kPi / 2, 0, false), {3, 0}, 2, {1, 0}}),
    [](const ::testing::TestParamInfo<PointCase>& i) { return std::string(i.param.name); });

TEST(ArcPointDistanceTolerance, CallersAngleToleranceWidensTheArc) {
  // (2, -1e-4) lies 1e-4 rad below the arc's start direction.
  AcGeCircArc2d arc = kQuarter;
  AcGePoint2d p(2, -2e-4);
  GkTolerance wide;
  wide.SetEqualVector(1e-3);
  EXPECT_NEAR(arc.distanceTo(p, wide), std::hypot(2.0, 2e-4) - 1, 1e-12);
  EXPECT_NEAR(arc.distanceTo(p, GkGeoLib::g_tol), std::hypot(1.0, 2e-4), 1e-12);
  EXPECT_POINT_EQ(arc.closestPointTo(p, GkGeoLib::g_tol), arc.startPoint());
}

// ----------------------------------------------------------------- segment

struct SegCase {
  const char* name;
  AcGeCircArc2d arc;
  AcGeLineSeg2d seg;
  double dist;  // closest-pair distance, and distanceTo
  AcGePoint2d onArc;
  AcGePoint2d onSeg;
};

class ArcSegDistance : public ::testing::TestWithParam<SegCase> {};

TEST_P(ArcSegDistance, PairAndDistance) {
  SegCase c = GetParam();
  AcGePoint2d onSeg(-99, -99);
  const AcGePoint2d onArc = c.arc.closestPointTo(c.seg, onSeg, GkGeoLib::g_tol);
  EXPECT_POINT_NEAR(onArc, c.onArc, 1e-12);
  EXPECT_POINT_NEAR(onSeg, c.onSeg, 1e-12);
  EXPECT_NEAR(c.arc.distanceTo(c.seg, GkGeoLib::g_tol), c.dist, 1e-12);

  AcGePoint2d a(-99, -99), b(-99, -99);
  EXPECT_NEAR(c.arc.distanceToSeg(c.seg, a, b, GkGeoLib::g_tol), c.dist, 1e-12);
  EXPECT_POINT_NEAR(a, c.onArc, 1e-12);
  EXPECT_POINT_NEAR(b, c.onSeg, 1e-12);
}

const double kR = std::sqrt(0.61);  // |(0.6, 0.5)|
const double kF = std::sqrt(4.25);  // |(2, 0.5)|

INSTANTIATE_TEST_SUITE_P(
    Table, ArcSegDistance,
    ::testing::Values(
        SegCase{"FootOutsideOnTheArc",
                kQuarter,
                Seg(2, 0.5, 2, 3),
                kF - 1,
                {2 / kF, 0.5 / kF},
                {2, 0.5}},
        SegCase{"TangentAtTheArcEnd", kQuarter, Seg(-1, 1, 1, 1), 0, {0, 1}, {0, 1}},
        // Foot off the arc, outside: the arc end nearer the segment.
        SegCase{"OutsideFallsBackToArcEnds", kQuarter, Seg(-3, -2, 3, -2), 2, {1, 0}, {1, -2}},
        // Both arc ends equally far: the start wins.
        SegCase{"OutsideTieGoesToTheStart",
                Arc(0, 0, 1, kPi / 2, 1.5 * kPi, true),
                Seg(3, -5, 3, 5),
                3,
                {0, 1},
                {3, 1}},
        // Reaches inside, crossings off the arc, both ends outside.
        SegCase{
            "InsideCrossingsOffTheArc", kQuarter, Seg(-3, -0.5, 3, -0.5), 0.5, {1, 0}, {1, -0.5}},
        SegCase{"InsideCrossingOnTheArc",
                kQuarter,
                Seg(0, 0.5, 2, 0.5),
                0,
                {std::sqrt(0.75), 0.5},
                {std::sqrt(0.75), 0.5}},
        // Wholly inside and on the arc by angle: the segment end nearer the
        // circle.
        SegCase{"WhollyInside",
                kQuarter,
                Seg(0.5, 0.5, 0.6, 0.5),
                1 - kR,
                {0.6 / kR, 0.5 / kR},
                {0.6, 0.5}},
        // One end inside on the arc by angle, the crossing beyond the arc:
        // that end's radial gap beats both arc ends.
        SegCase{"OneInnerEndBeatsArcEnds",
                kQuarter,
                Seg(0.5, 0.5, -2, 0.5),
                1 - kH,
                {kH, kH},
                {0.5, 0.5}},
        // Foot inside, off the arc; the arc's end is nearest the segment.
        SegCase{"InsideArcEndNearest",
                kQuarter,
                Seg(-0.5, -0.5, 0.8, -0.5),
                std::sqrt(0.29),
                {1, 0},
                {0.8, -0.5}}),
    [](const ::testing::TestParamInfo<SegCase>& i) { return std::string(i.param.name); });

TEST(ArcSegDistanceTolerance, OnlyDistanceToReadsTheCallersAngleTolerance) {
  // The foot (2, -4e-4) lies 2e-4 rad before the arc's start direction.
  AcGeCircArc2d arc = kQuarter;
  AcGeLineSeg2d seg = Seg(2, -5, 2, -4e-4);
  GkTolerance wide;
  wide.SetEqualVector(1e-3);
  EXPECT_NEAR(arc.distanceTo(seg, wide), std::hypot(2.0, 4e-4) - 1, 1e-12);
  EXPECT_NEAR(arc.distanceTo(seg, GkGeoLib::g_tol), std::hypot(1.0, 4e-4), 1e-12);
  for (const GkTolerance& tol : {wide, GkGeoLib::g_tol}) {
    AcGePoint2d onSeg;
    EXPECT_POINT_EQ(arc.closestPointTo(seg, onSeg, tol), arc.startPoint());
    EXPECT_POINT_NEAR(onSeg, AcGePoint2d(2, -4e-4), 1e-12);
  }
}

TEST(ArcSegDistanceCrossing, SlantedCrossingGivesACommonPoint) {
  // A segment that is not axis-aligned crossing the arc: the crossing,
  // computed on a lengthened copy of the segment, is a common point of both
  // curves and the distance is 0.
  const struct {
    const char* name;
    AcGeCircArc2d arc;
    AcGeLineSeg2d seg;
  } rows[] = {
      {"GentleSlope", kQuarter, Seg(0.2, 0.3, 1.5, 1.1)},
      {"SteepSlope", kQuarter, Seg(0.3, 0.1, 0.9, 3.0)},
      {"LargeCoordinates", Arc(1000, -2000, 50, 0, kPi, true), Seg(990, -1990, 1030, -1900)},
      {"ClockwiseArc", Arc(0, 0, 2, kPi, kPi / 2, false), Seg(-3, 0.4, 0.2, 0.9)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    AcGeCircArc2d arc = row.arc;
    AcGeLineSeg2d seg = row.seg;
    int count = 0;
    AcGePoint2d x1, x2;
    ASSERT_TRUE(arc.intersectWith(seg, count, x1, x2, GkGeoLib::g_tol));
    AcGePoint2d onArc, onSeg;
    EXPECT_LE(arc.distanceToSeg(seg, onArc, onSeg, GkGeoLib::g_tol), 1e-9);
    EXPECT_POINT_NEAR(onArc, x1, 1e-9);
    EXPECT_LE(arc.distanceTo(seg, GkGeoLib::g_tol), 1e-9);
  }
}

// ---------------------------------------------------------------------- arc

struct ArcCase {
  const char* name;
  AcGeCircArc2d self;
  AcGeCircArc2d other;
  double dist;
  AcGePoint2d onSelf;
  AcGePoint2d onOther;
};

class ArcArcDistance : public ::testing::TestWithParam<ArcCase> {};

TEST_P(ArcArcDistance, PairAndDistance) {
  ArcCase c = GetParam();
  AcGePoint2d onOther(-99, -99);
  EXPECT_POINT_NEAR(c.self.closestPointTo(c.other, onOther, GkGeoLib::g_tol), c.onSelf, 1e-12);
  EXPECT_POINT_NEAR(onOther, c.onOther, 1e-12);
  EXPECT_NEAR(c.self.distanceTo(c.other, GkGeoLib::g_tol), c.dist, 1e-12);
  AcGePoint2d a, b;
  EXPECT_NEAR(c.self.distanceToArc(c.other, a, b, GkGeoLib::g_tol), c.dist, 1e-12);
  EXPECT_POINT_NEAR(a, c.onSelf, 1e-12);
  EXPECT_POINT_NEAR(b, c.onOther, 1e-12);
}

const double kQ = std::sqrt(3.25);  // |(-1.5, 1)|
const double kRt2 = std::sqrt(2.0);
const double kS = std::sqrt(0.75);

INSTANTIATE_TEST_SUITE_P(
    Table, ArcArcDistance,
    ::testing::Values(
        ArcCase{"ApartFacing", Circle(0, 0, 1), Circle(3, 0, 1), 1, {1, 0}, {2, 0}},
        // Crossing circles, neither crossing on the arc: end-point fallback.
        ArcCase{"CrossingOffTheArcFallsBack",
                Arc(0, 0, 1, kPi / 2, kPi, true),
                Circle(1.5, 0, 1),
                kQ - 1,
                {0, 1},
                {1.5 - 1.5 / kQ, 1 / kQ}},
        ArcCase{"CrossingOnBoth", Circle(0, 0, 1), Circle(1, 0, 1), 0, {0.5, kS}, {0.5, kS}},
        ArcCase{"NestedFacing", Circle(0, 0, 2), Circle(0.5, 0, 1), 0.5, {2, 0}, {1.5, 0}},
        ArcCase{
            "NestedFacingSmallerFirst", Circle(0.5, 0, 1), Circle(0, 0, 2), 0.5, {1.5, 0}, {2, 0}},
        // Coincident centres: the direction between them is the zero vector,
        // polar angle 0, unit vector at 45 degrees.
        ArcCase{"Concentric", Circle(0, 0, 2), Circle(0, 0, 1), 1, {kRt2, kRt2}, {kH, kH}},
        ArcCase{"SameCircleOtherFull", kQuarter, Circle(0, 0, 1), 0, {1, 0}, {1, 0}},
        ArcCase{"SameCircleOtherStartInside",
                kQuarter,
                Arc(0, 0, 1, kPi / 4, kPi, true),
                0,
                {kH, kH},
                {kH, kH}},
        ArcCase{"SameCircleOtherEndInside",
                kQuarter,
                Arc(0, 0, 1, kPi, kPi / 4, false),
                0,
                {kH, kH},
                {kH, kH}},
        ArcCase{"SameCircleDisjoint",
                kQuarter,
                Arc(0, 0, 1, kPi, 4 * kPi / 3, true),
                kRt2,
                {0, 1},
                {-1, 0}}),
    [](const ::testing::TestParamInfo<ArcCase>& i) { return std::string(i.param.name); });

TEST(ArcArcDistanceFallback, EqualCandidatesKeepTheFirst) {
  // Left half of the unit circle and right half of the circle about (4, 0),
  // the latter clockwise: neither faces the other, and the four end-point
  // pairs are all 4 apart. The first pair (this arc's point nearest the
  // other's start, that start) wins; the second and fourth pairs would give
  // the lower points instead.
  AcGeCircArc2d self = Arc(0, 0, 1, kPi / 2, 1.5 * kPi, true);
  AcGeCircArc2d other = Arc(4, 0, 1, kPi / 2, 1.5 * kPi, false);
  AcGePoint2d onOther;
  EXPECT_POINT_NEAR(self.closestPointTo(other, onOther, GkGeoLib::g_tol), AcGePoint2d(0, 1), 1e-12);
  EXPECT_POINT_NEAR(onOther, AcGePoint2d(4, 1), 1e-12);
  EXPECT_NEAR(self.distanceTo(other, GkGeoLib::g_tol), 4, 1e-12);
}

TEST(ArcArcDistanceFallback, NestedArcOnOneCircleUsesEndPoints) {
  // pi/6..pi/3 inside 0..pi/2: neither end of the other lies on this arc, so
  // the end-point pairs answer with one of this arc's ends, which lie on the
  // other arc.
  AcGeCircArc2d self = Arc(0, 0, 1, kPi / 6, kPi / 3, true);
  AcGeCircArc2d other = kQuarter;
  AcGePoint2d onOther;
  const AcGePoint2d onSelf = self.closestPointTo(other, onOther, GkGeoLib::g_tol);
  const AcGePoint2d s = self.startPoint(), e = self.endPoint();
  EXPECT_LE(std::min(onSelf.distanceTo(s), onSelf.distanceTo(e)), 1e-12);
  EXPECT_POINT_NEAR(onOther, onSelf, 1e-12);
  EXPECT_NEAR(self.distanceTo(other, GkGeoLib::g_tol), 0, 1e-12);
}

// When only one of the two facing points lies on its arc, the facing point
// paired with the other arc's nearer end overstates the distance; the
// end-point candidates measure it exactly, so distanceTo uses them, as the
// closest pair does.
TEST(ArcArcDistanceFallback, SingleFacingUsesTheExactEndPointDistance) {
  const struct {
    const char* name;
    AcGeCircArc2d self;
    AcGeCircArc2d other;
    double exact;      // true distance
    double facingGap;  // facing point to the other arc's nearer end
  } rows[] = {
      // Apart: only this full circle faces; the other arc is the far side
      // of the circle about (3, 0), ends (3 + h, -h) and (3 + h, h).
      {"ApartOnlyThisFaces", Circle(0, 0, 1), Arc(3, 0, 1, -kPi / 4, kPi / 4, true),
       std::sqrt(10 + 3 * kRt2) - 1, std::hypot(2 + kH, kH)},
      {"ApartOnlyOtherFaces", Arc(3, 0, 1, -kPi / 4, kPi / 4, true), Circle(0, 0, 1),
       std::sqrt(10 + 3 * kRt2) - 1, std::hypot(2 + kH, kH)},
      // Nested: the small arc is the left half of the circle about (1, 0).
      {"NestedOnlyLargerFaces", Circle(0, 0, 3), Arc(1, 0, 1, kPi / 2, 1.5 * kPi, true), 3 - kRt2,
       std::sqrt(5.0)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    AcGeCircArc2d self = row.self, other = row.other;
    const double d = self.distanceTo(other, GkGeoLib::g_tol);
    EXPECT_NEAR(d, row.exact, 1e-12);
    EXPECT_LT(d, row.facingGap - 1e-3);
    AcGePoint2d a, b;
    EXPECT_NEAR(self.distanceToArc(other, a, b, GkGeoLib::g_tol), row.exact, 1e-12);
  }
}

// Concentric circles have no line of centres: every direction faces. The
// facing test and the facing points must use the same direction, or the
// point handed back on an arc lies off it (found by fuzzing: a circle of
// radius 1/32 inside a clockwise arc that covers angle 0 but not 45
// degrees).
TEST(ArcArcDistanceConcentric, NearestPairLiesOnBothArcs) {
  const struct {
    const char* name;
    AcGeCircArc2d self;
    AcGeCircArc2d other;
    double exact;
  } rows[] = {
      {"FuzzedCircleInsideArc", Circle(-1024, -1024, 0.03125),
       Arc(-1024, -1024, 1, 0.0095873799242851554, 2.8762139772855773, false), 0.96875},
      {"ArcInsideCircle", Arc(5, 5, 1, kPi, 1.5 * kPi, true), Circle(5, 5, 3), 2},
      {"ArcsWithoutCommonDirection", Arc(0, 0, 1, kPi, 1.25 * kPi, true),
       Arc(0, 0, 2, 0, kPi / 2, true), std::sqrt(5 - 4 * std::cos(kPi / 2))},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (int swap = 0; swap < 2; ++swap) {
      AcGeCircArc2d self = swap ? row.other : row.self, other = swap ? row.self : row.other;
      AcGePoint2d onOther;
      AcGePoint2d onSelf = self.closestPointTo(other, onOther, GkGeoLib::g_tol);
      EXPECT_NEAR(self.distanceTo(onSelf, GkGeoLib::g_tol), 0, 1e-12);
      EXPECT_NEAR(other.distanceTo(onOther, GkGeoLib::g_tol), 0, 1e-12);
      EXPECT_NEAR(onSelf.distanceTo(onOther), row.exact, 1e-12);
      EXPECT_NEAR(self.distanceTo(other, GkGeoLib::g_tol), row.exact, 1e-12);
    }
  }
}

// A point at the centre (or a segment through it) is as far from every
// point of the arc; the point handed back must still be on the arc, not the
// 45 degree point of the circle when the arc does not reach 45 degrees
// (found by fuzzing: a cw sliver from 0.0077 rad to 0 of radius 480 and a
// zero-length segment at its centre).
TEST(ArcDistanceFromTheCentre, ClosestPointLiesOnTheArc) {
  const struct {
    const char* name;
    AcGeCircArc2d arc;
  } rows[] = {
      {"FuzzedSliver", Arc(-1024, -1024, 480, 0.0076699039394281243, 0, false)},
      {"LowerHalf", Arc(0, 0, 2, kPi, 2 * kPi, true)},
      {"SecondQuadrantCw", Arc(3, -1, 1, kPi, kPi / 2, false)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    AcGeCircArc2d arc = row.arc;
    AcGePoint2d c = arc.center();
    AcGePoint2d onArc = arc.closestPointTo(c, GkGeoLib::g_tol);
    EXPECT_NEAR(arc.distanceTo(onArc, GkGeoLib::g_tol), 0, 1e-12);
    EXPECT_NEAR(arc.distanceTo(c, GkGeoLib::g_tol), arc.radius(), 1e-12);
    for (AcGeLineSeg2d seg :
         {AcGeLineSeg2d(c, c), AcGeLineSeg2d(c - AcGeVector2d(0.5, 0), c + AcGeVector2d(0.5, 0))}) {
      AcGePoint2d onSeg;
      onArc = arc.closestPointTo(seg, onSeg, GkGeoLib::g_tol);
      EXPECT_NEAR(arc.distanceTo(onArc, GkGeoLib::g_tol), 0, 1e-12);
      EXPECT_NEAR(seg.distanceTo(onSeg, GkGeoLib::g_tol), 0, 1e-12);
      EXPECT_NEAR(onArc.distanceTo(onSeg), arc.distanceTo(seg, GkGeoLib::g_tol), 1e-12);
    }
  }
}

// Circles that just touch from outside, one of them far smaller: D passes
// D >= r1 + r2 because r1 + r2 rounds to r1, but D - r1 - r2 is -r2. The
// distance must not come out negative (found by fuzzing with circles of
// radius 4e-149 and 7e-304).
TEST(ArcArcDistanceRounding, TouchingCirclesAreNeverANegativeDistanceApart) {
  const struct {
    const char* name;
    AcGeCircArc2d large;
    AcGeCircArc2d small;
  } rows[] = {
      {"UnitAndTiny", Circle(0, 0, 1), Circle(1, 0, 1e-17)},
      {"Fuzzed", Circle(1.4197767966351375e-269, 4.1863410308286346e-149, 4.1863410308286346e-149),
       Circle(7.4628560013509419e-304, 8.7072456499633562e-275, 7.4628560013509419e-304)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    AcGeCircArc2d large = row.large, small = row.small;
    AcGePoint2d a, b;
    EXPECT_GE(large.distanceTo(small, GkGeoLib::g_tol), 0.0);
    EXPECT_GE(small.distanceTo(large, GkGeoLib::g_tol), 0.0);
    EXPECT_NEAR(large.distanceTo(small, GkGeoLib::g_tol), 0.0, 1e-15);
    EXPECT_NEAR(large.distanceToArc(small, a, b, GkGeoLib::g_tol), 0.0, 1e-15);
  }
}

// Crossings of a tiny circle with a large one, taken on the large circle,
// sit at an angle whose cosine is within rounding of 1: acos turns one ulp
// of it into 1.5e-8 rad, times the large radius. The crossing handed back
// lay 6.8e-7 off an arc of radius 7e-9 (found by fuzzing). On the smaller
// circle the same error is a fraction of its radius.
TEST(ArcArcCrossing, CrossingsOfATinyAndALargeCircleLieOnBoth) {
  const struct {
    const char* name;
    AcGeCircArc2d large;
    AcGeCircArc2d small;
  } rows[] = {
      {"SmallOnTheLargeCircle", Circle(0, 1000, 1000), Circle(0, 0, 1e-5)},
      {"Fuzzed", Circle(7.0415362464629258e-09, 32.501960784313603, 32.501960784313724),
       Arc(1.0984022828170211e-302, 7.028796187369723e-09, 7.0415291131710959e-09, 0, 0, true)},
  };
  const GkTolerance& tol = GkGeoLib::g_tol;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (int swap = 0; swap < 2; ++swap) {
      AcGeCircArc2d self = swap ? row.small : row.large, other = swap ? row.large : row.small;
      AcGePoint2d onOther;
      AcGePoint2d onSelf = self.closestPointTo(other, onOther, tol);
      EXPECT_LE(self.distanceTo(onSelf, tol), 1e-12);
      EXPECT_LE(other.distanceTo(onOther, tol), 1e-12);
      int count = 0;
      AcGePoint2d p1, p2;
      self.intersectWith(other, count, p1, p2, tol);
      ASSERT_GE(count, 1);
      for (const AcGePoint2d& p : {p1, p2}) {
        if (&p == &p2 && count < 2) break;
        AcGePoint2d q = p;
        EXPECT_LE(std::fabs(q.distanceTo(row.small.center()) - row.small.radius()), 1e-10);
        EXPECT_LE(std::fabs(q.distanceTo(row.large.center()) - row.large.radius()), 1e-10);
      }
    }
  }
}

// A segment that starts on the circle and runs inwards touches the arc at
// its start. Rounding put the computed crossing a few ulps before that end,
// and distanceTo (which trusted the distance test alone) measured the
// arc's end instead, while closestPointTo found the contact (found by
// fuzzing: distance 1.5708 against a pair 0 apart).
TEST(ArcSegDistanceContact, CrossingAtTheSegmentsEndIsContact) {
  AcGeCircArc2d arc = Arc(-1024, -1024, 256, 1.5769322499464391, 6.2341937957664886, false);
  for (AcGeLineSeg2d seg : {Seg(-1024, -768, -1024, -1022.25), Seg(-1024, -1022.25, -1024, -768)}) {
    AcGePoint2d onSeg;
    AcGePoint2d onArc = arc.closestPointTo(seg, onSeg, GkGeoLib::g_tol);
    EXPECT_NEAR(onArc.distanceTo(onSeg), 0, 1e-12);
    EXPECT_NEAR(arc.distanceTo(seg, GkGeoLib::g_tol), 0, 1e-12);
    EXPECT_NEAR(seg.distanceTo(arc, GkGeoLib::g_tol), 0, 1e-12);
  }
}

// --------------------------------------------------------------- properties

TEST(ArcPointDistanceProperty, MatchesDenseSamplingAndTheClosestPoint) {
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> coord(-10, 10);
  for (int i = 0; i < 500; ++i) {
    AcGeCircArc2d arc = RandomArc(rng);
    AcGePoint2d p(coord(rng), coord(rng));
    SCOPED_TRACE("case " + std::to_string(i));
    double sampled = 1e300;
    const int n = 20000;
    for (int k = 0; k <= n; ++k) {
      const AcGePoint2d q = ArcPointAt(arc, static_cast<double>(k) / n);
      sampled = std::min(sampled, std::hypot(q.x - p.x, q.y - p.y));
    }
    const double d = arc.distanceTo(p, GkGeoLib::g_tol);
    // Sampling overestimates by at most the half gap between samples.
    const double gap = arc.radius() * SweepOf(arc) / n;
    EXPECT_LE(d, sampled + 1e-12);
    EXPECT_GE(d, sampled - gap);
    const AcGePoint2d c = arc.closestPointTo(p, GkGeoLib::g_tol);
    EXPECT_TRUE(PointOnArc(arc, c, 1e-9));
    EXPECT_NEAR(std::hypot(c.x - p.x, c.y - p.y), d, 1e-9);
  }
}

TEST(ArcSegDistanceProperty, PairsLieOnTheCurvesAndAgreeWithDistanceTo) {
  std::mt19937 rng(4242);
  for (int i = 0; i < 3000; ++i) {
    AcGeCircArc2d arc = RandomArc(rng);
    AcGeLineSeg2d seg = RandomSeg(rng);
    SCOPED_TRACE("case " + std::to_string(i));
    AcGePoint2d onArc, onSeg;
    const double d = arc.distanceToSeg(seg, onArc, onSeg, GkGeoLib::g_tol);
    EXPECT_TRUE(PointOnArc(arc, onArc, 1e-9));
    EXPECT_LE(SegPointDistance(seg.startPoint(), seg.endPoint(), onSeg), 1e-9);
    EXPECT_EQ(d, onArc.distanceTo(onSeg));
    // Away from the tolerance bands the two operations use the same
    // candidates, so they agree.
    const double viaDistanceTo = arc.distanceTo(seg, GkGeoLib::g_tol);
    EXPECT_GE(viaDistanceTo, 0.0);
    EXPECT_NEAR(viaDistanceTo, d, 1e-9);
  }
}

TEST(ArcArcDistanceProperty, PairsLieOnTheArcsAndAgreeWithDistanceTo) {
  std::mt19937 rng(99);
  for (int i = 0; i < 3000; ++i) {
    AcGeCircArc2d a = RandomArc(rng), b = RandomArc(rng);
    SCOPED_TRACE("case " + std::to_string(i));
    AcGePoint2d onA, onB;
    const double d = a.distanceToArc(b, onA, onB, GkGeoLib::g_tol);
    EXPECT_TRUE(PointOnArc(a, onA, 1e-9));
    EXPECT_TRUE(PointOnArc(b, onB, 1e-9));
    EXPECT_EQ(d, onA.distanceTo(onB));
    const double viaDistanceTo = a.distanceTo(b, GkGeoLib::g_tol);
    EXPECT_GE(viaDistanceTo, 0.0);
    EXPECT_NEAR(viaDistanceTo, d, 1e-9);
    // Arcs found to meet are 0 apart.
    int count = 0;
    AcGePoint2d x1, x2;
    if (a.intersectWith(b, count, x1, x2, GkGeoLib::g_tol)) {
      EXPECT_LE(d, GkGeoLib::g_tol.EqualPoint());
    }
  }
}

}  // namespace
