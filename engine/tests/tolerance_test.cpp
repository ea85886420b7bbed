// GkTolerance, the library default g_tol, and the numeric helpers of GkMath:
// comparisons under tolerance, range and angle tests, angle normalisation
// with the IEEE remainder, rounding, guarded power, the arc sample count and
// the table-driven sine and cosine.
#include <engine/point2d.h>
#include <engine/tolerance.h>

#include "tolerance_guard.h"

#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using testsupport::kPi;
constexpr double k2Pi = 2 * kPi;
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// ---- GkTolerance and GkGeoLib

TEST(Tolerance, DefaultsAreTheDocumentedValues) {
  const GkTolerance tol;
  EXPECT_EQ(tol.EqualPoint(), 1e-8);
  EXPECT_EQ(tol.EqualVector(), 1e-7);
  EXPECT_EQ(tol.ArcTol(), 0.00254);
}

TEST(Tolerance, SettersWriteOneValueEachAndCopiesAreIndependent) {
  GkTolerance tol;
  tol.SetEqualPoint(0.5);
  tol.SetEqualVector(-1.0);  // stored unchecked
  tol.SetArcTol(3.0);
  GkTolerance copy(tol);
  EXPECT_EQ(copy.EqualPoint(), 0.5);
  EXPECT_EQ(copy.EqualVector(), -1.0);
  EXPECT_EQ(copy.ArcTol(), 3.0);
  copy.SetEqualPoint(7.0);
  EXPECT_EQ(tol.EqualPoint(), 0.5);
  GkTolerance assigned;
  assigned = copy;
  EXPECT_EQ(assigned.EqualPoint(), 7.0);
  EXPECT_EQ(assigned.ArcTol(), 3.0);
}

TEST(Tolerance, GetSquareTolSquaresAllThreeAndLeavesTheArgument) {
  const GkTolerance tol;
  const GkTolerance sq = GkTolerance::GetSquareTol(tol);
  EXPECT_EQ(sq.EqualPoint(), 1e-8 * 1e-8);
  EXPECT_EQ(sq.EqualVector(), 1e-7 * 1e-7);
  EXPECT_EQ(sq.ArcTol(), 0.00254 * 0.00254);
  EXPECT_NEAR(sq.ArcTol(), 6.4516e-6, 1e-18);
  EXPECT_EQ(tol.EqualPoint(), 1e-8);
}

TEST(Tolerance, LibraryDefaultStartsWithDefaultsAndIsReadAtCallTime) {
  ScopedDefaultTolerance guard;
  EXPECT_EQ(GkGeoLib::g_tol.EqualPoint(), 1e-8);
  EXPECT_EQ(GkGeoLib::g_tol.EqualVector(), 1e-7);
  EXPECT_EQ(GkGeoLib::g_tol.ArcTol(), 0.00254);
  const AcGePoint2d a(0, 0);
  const AcGePoint2d b(5e-4, 5e-4);
  EXPECT_FALSE(a == b);
  GkGeoLib::g_tol.SetEqualPoint(1e-3);
  EXPECT_TRUE(a == b);
}

// ---- Compare

struct CompareCase {
  const char* name;
  double a;
  double b;
  COMPAREVAL expected;
};

class CompareTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareTest, ThreeWayUnderEqualPoint) {
  const CompareCase& c = GetParam();
  EXPECT_EQ(GkMath::Compare(c.a, c.b, GkTolerance()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CompareTest,
    ::testing::Values(CompareCase{"HalfTolAboveIsEqual", 1.0, 1.0 + 0.5e-8, CMP_EQUAL},
                      CompareCase{"TwoTolBelowIsGreater", 1.0, 1.0 - 2e-8, CMP_GREATER},
                      CompareCase{"TwoTolAboveIsLess", 1.0, 1.0 + 2e-8, CMP_LESS},
                      // A difference of exactly EqualPoint is equal: inclusive.
                      CompareCase{"ExactlyTolIsEqual", 1e-8, 0.0, CMP_EQUAL},
                      CompareCase{"ExactlyMinusTolIsEqual", 0.0, 1e-8, CMP_EQUAL},
                      CompareCase{"JustOverTolIsGreater", 1.0000000000000002e-8, 0.0, CMP_GREATER},
                      CompareCase{"NaNIsLess", kNaN, 0.0, CMP_LESS},
                      CompareCase{"InfinityIsGreater", kInf, 0.0, CMP_GREATER}),
    [](const ::testing::TestParamInfo<CompareCase>& info) { return std::string(info.param.name); });

TEST(Compare, UsesOnlyEqualPointOfTheRecord) {
  GkTolerance tol;
  tol.SetEqualPoint(0.5);
  tol.SetEqualVector(0.0);
  EXPECT_EQ(GkMath::Compare(1.0, 1.4, tol), CMP_EQUAL);
  EXPECT_EQ(GkMath::Compare(1.0, 1.6, tol), CMP_LESS);
}

TEST(Compare, RequestedCompareAcceptsTheNamedResults) {
  const GkTolerance tol;
  struct Row {
    const char* name;
    double a, b;
    bool eq, gt, lt, ge, le;
  };
  const Row rows[] = {
      {"equal", 1.0, 1.0 + 0.5e-8, true, false, false, true, true},
      {"greater", 1.0, 1.0 - 2e-8, false, true, false, true, false},
      {"less", 1.0, 1.0 + 2e-8, false, false, true, false, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(GkMath::Compare(r.a, r.b, CMP_EQUAL, tol), r.eq);
    EXPECT_EQ(GkMath::Compare(r.a, r.b, CMP_GREATER, tol), r.gt);
    EXPECT_EQ(GkMath::Compare(r.a, r.b, CMP_LESS, tol), r.lt);
    EXPECT_EQ(GkMath::Compare(r.a, r.b, CMP_GREATER_EQUAL, tol), r.ge);
    EXPECT_EQ(GkMath::Compare(r.a, r.b, CMP_LESS_EQUAL, tol), r.le);
    // Any other request value matches nothing the three-way compare makes.
    EXPECT_FALSE(GkMath::Compare(r.a, r.b, static_cast<COMPAREVAL>(7), tol));
  }
}

// ---- IsValueBetween

TEST(IsValueBetween, ClosedIntervalInEitherOrderWidenedByEqualPoint) {
  const GkTolerance tol;
  struct Row {
    const char* name;
    double v, a, b;
    bool expected;
  };
  const Row rows[] = {
      {"inside", 5, 0, 10, true},
      {"boundsReversed", 5, 10, 0, true},
      {"halfTolPastUpper", 10 + 0.5e-8, 0, 10, true},
      {"halfTolBelowLowerReversed", -0.5e-8, 10, 0, true},
      {"exactlyTolPastUpper", 1 + 1e-8, 0, 1, true},
      {"wellPastUpper", 10.1, 0, 10, false},
      {"belowLower", -0.1, 0, 10, false},
      {"degenerateInterval", 3, 3, 3, true},
      {"nan", kNaN, 0, 10, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(GkMath::IsValueBetween(r.v, r.a, r.b, tol), r.expected);
  }
}

// ---- IsAngleBetween

struct AngleCase {
  const char* name;
  double angle, start, end;
  bool ccw;
  bool expected;
};

class IsAngleBetweenTest : public ::testing::TestWithParam<AngleCase> {};

TEST_P(IsAngleBetweenTest, Row) {
  const AngleCase& c = GetParam();
  EXPECT_EQ(GkMath::IsAngleBetween(c.angle, c.start, c.end, c.ccw, GkTolerance()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IsAngleBetweenTest,
    ::testing::Values(
        AngleCase{"CcwRangeWrapsThroughZero", 0.1, 6.0, 0.5, true, true},
        AngleCase{"CwRangeFromSixToHalfExcludesZeroSide", 0.1, 6.0, 0.5, false, false},
        AngleCase{"CwRangeFromSixToHalfContainsThree", 3.0, 6.0, 0.5, false, true},
        AngleCase{"CcwRangeExcludesThree", 3.0, 6.0, 0.5, true, false},
        AngleCase{"StartWithinEqualVector", 1.0 - 0.5e-7, 1.0, 2.0, true, true},
        AngleCase{"EndWithinEqualVector", 2.0 + 0.5e-7, 1.0, 2.0, true, true},
        AngleCase{"PastEndBeyondEqualVector", 2.0 + 1e-6, 1.0, 2.0, true, false},
        AngleCase{"AnglesOutsideZeroToTwoPi", -k2Pi + 1.5, 1.0 + 2 * k2Pi, 2.0 - k2Pi, true, true},
        // Start and end on one direction: the full turn.
        AngleCase{"CoincidentEndsAreFullTurn", 4.0, 1.0, 1.0, true, true},
        AngleCase{"CoincidentEndsModuloTwoPiCw", 4.0, 1.0, 1.0 + k2Pi, false, true},
        AngleCase{"EndsWithinEqualVectorAreFullTurn", 3.0, 1.0, 1.0 + 0.5e-7, true, true}),
    [](const ::testing::TestParamInfo<AngleCase>& info) { return std::string(info.param.name); });

// Every angle of a random arc lies on it, and every angle of the
// complementary arc, away from the ends, does not; the clockwise arc from
// end to start is the same point set as the counter-clockwise arc.
TEST(IsAngleBetween, PropertyArcPointsInsideComplementOutside) {
  const GkTolerance tol;
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> startDist(-20.0, 20.0);
  std::uniform_real_distribution<double> sweepDist(1e-3, k2Pi - 1e-3);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 2000; ++i) {
    const double start = startDist(rng);
    const double sweep = sweepDist(rng);
    const double end = start + sweep;
    const double u = unit(rng);
    const double inside = start + u * sweep;
    const double outside = end + (0.01 + 0.98 * u) * (k2Pi - sweep);
    SCOPED_TRACE(testing::Message() << "start " << start << " sweep " << sweep << " u " << u);
    EXPECT_TRUE(GkMath::IsAngleBetween(inside, start, end, true, tol));
    EXPECT_TRUE(GkMath::IsAngleBetween(inside, end, start, false, tol));
    EXPECT_FALSE(GkMath::IsAngleBetween(outside, start, end, true, tol));
    EXPECT_FALSE(GkMath::IsAngleBetween(outside, end, start, false, tol));
  }
}

// ---- Angle normalisation: IEEE remainder, not fmod

TEST(CorrectAngle, DocumentedValues) {
  EXPECT_EQ(GkMath::CorrectAngle(0.0), 0.0);
  // remainder(pi, 2pi) is pi (ties to even), so 2pi stays 2pi.
  EXPECT_EQ(GkMath::CorrectAngle(k2Pi), k2Pi);
  EXPECT_EQ(GkMath::CorrectAngle(-kPi), kPi);
  EXPECT_DOUBLE_EQ(GkMath::CorrectAngle(-kPi / 2), 3 * kPi / 2);
  // 7 - pi is more than pi past a multiple of 2pi: remainder goes back a turn
  // where fmod would leave 7 outside [0, 2pi].
  EXPECT_NEAR(GkMath::CorrectAngle(7.0), 7.0 - k2Pi, 1e-15);
}

TEST(CorrectAngle, PropertyResultInRangeAndSameDirection) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> dist(-100.0, 100.0);
  for (int i = 0; i < 5000; ++i) {
    const double a = dist(rng);
    const double c = GkMath::CorrectAngle(a);
    const double u = GkMath::CorrectAngleU(a);
    SCOPED_TRACE(a);
    EXPECT_GE(c, 0.0);
    EXPECT_LE(c, k2Pi);
    EXPECT_NEAR(std::sin(c), std::sin(a), 1e-12);
    EXPECT_NEAR(std::cos(c), std::cos(a), 1e-12);
    EXPECT_GE(u, 0.0);
    EXPECT_LE(u, kPi);
    EXPECT_NEAR(std::cos(u), std::cos(a), 1e-12);
  }
}

TEST(CorrectAngleU, UnsignedValues) {
  EXPECT_DOUBLE_EQ(GkMath::CorrectAngleU(3 * kPi / 2), kPi / 2);
  EXPECT_DOUBLE_EQ(GkMath::CorrectAngleU(-kPi / 4), kPi / 4);
  EXPECT_EQ(GkMath::CorrectAngleU(kPi), kPi);
}

TEST(GetAngleDifferenceU, SmallerUnsignedAngleBetweenDirections) {
  EXPECT_NEAR(GkMath::GetAngleDifferenceU(0.1, k2Pi - 0.1), 0.2, 1e-15);
  EXPECT_NEAR(GkMath::GetAngleDifferenceU(k2Pi - 0.1, 0.1), 0.2, 1e-15);
  EXPECT_DOUBLE_EQ(GkMath::GetAngleDifferenceU(0.0, 3 * kPi / 2), kPi / 2);
  EXPECT_EQ(GkMath::GetAngleDifferenceU(1.0, 1.0), 0.0);
}

// ---- Round

TEST(Round, HalvesAwayFromZero) {
  struct Row {
    double x;
    int expected;
  };
  const Row rows[] = {{2.5, 3},
                      {-2.5, -3},
                      {-0.4, 0},
                      {0.0, 0},
                      {0.4, 0},
                      {0.5, 1},
                      {-0.5, -1},
                      {1.49, 1},
                      {-1.51, -2},
                      {2147483646.6, INT_MAX},
                      {-2147483647.6, INT_MIN}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.x);
    EXPECT_EQ(GkMath::Round(r.x), r.expected);
  }
}

TEST(Round, OutOfIntRangeSaturatesAndNaNGivesZero) {
  EXPECT_EQ(GkMath::Round(2147483647.5), INT_MAX);
  EXPECT_EQ(GkMath::Round(1e300), INT_MAX);
  EXPECT_EQ(GkMath::Round(kInf), INT_MAX);
  EXPECT_EQ(GkMath::Round(-2147483648.5), INT_MIN);
  EXPECT_EQ(GkMath::Round(-1e300), INT_MIN);
  EXPECT_EQ(GkMath::Round(-kInf), INT_MIN);
  EXPECT_EQ(GkMath::Round(kNaN), 0);
}

// ---- Pow and unit conversions

TEST(Pow, DomainAndRangeErrorsGiveZero) {
  EXPECT_EQ(GkMath::Pow(-8.0, 1.0 / 3), 0.0);
  EXPECT_EQ(GkMath::Pow(10.0, 400.0), 0.0);
  EXPECT_EQ(GkMath::Pow(-10.0, 401.0), 0.0);  // overflow to -infinity
  EXPECT_EQ(GkMath::Pow(0.0, -1.0), 0.0);     // pole error
  EXPECT_EQ(GkMath::Pow(kInf, 2.0), kInf);    // an infinite operand is no error
  EXPECT_EQ(GkMath::Pow(2.0, 10.0), 1024.0);
  EXPECT_EQ(GkMath::Pow(-2.0, 3.0), -8.0);
  EXPECT_EQ(GkMath::Pow(0.0, 0.0), 1.0);
}

TEST(Pow, PointPowerIsPerCoordinateWithoutGuard) {
  const AcGePoint2d p = GkMath::Pow(AcGePoint2d(2, 3), 2.0);
  EXPECT_EQ(p.x, 4.0);
  EXPECT_EQ(p.y, 9.0);
  const AcGePoint2d q = GkMath::Pow(AcGePoint2d(-8, 4), 0.5);
  EXPECT_TRUE(std::isnan(q.x));
  EXPECT_EQ(q.y, 2.0);
}

TEST(UnitConversion, FactorsAndRoundTrips) {
  // The factors are exactly the specified doubles (180/pi, pi/180, 200/pi,
  // pi/200).
  EXPECT_EQ(GkMath::Rad2Deg(1.0), 57.29577951308232);
  EXPECT_EQ(GkMath::Deg2Rad(1.0), 0.017453292519943295);
  EXPECT_EQ(GkMath::Rad2Gra(1.0), 63.66197723675813);
  EXPECT_EQ(GkMath::Gra2Rad(1.0), 0.015707963267948967);
  EXPECT_DOUBLE_EQ(GkMath::Rad2Deg(kPi), 180.0);
  EXPECT_DOUBLE_EQ(GkMath::Deg2Rad(90.0), kPi / 2);
  EXPECT_DOUBLE_EQ(GkMath::Rad2Gra(kPi), 200.0);
  EXPECT_DOUBLE_EQ(GkMath::Gra2Rad(100.0), kPi / 2);
  for (double x = -10.0; x <= 10.0; x += 0.37) {
    EXPECT_NEAR(GkMath::Deg2Rad(GkMath::Rad2Deg(x)), x, 1e-14);
    EXPECT_NEAR(GkMath::Gra2Rad(GkMath::Rad2Gra(x)), x, 1e-14);
  }
}

// ---- GetArcBreakCount

TEST(GetArcBreakCount, FormulaAndItsFallbacks) {
  struct Row {
    const char* name;
    double radius, sweep, tol;
    int expected;
  };
  const Row rows[] = {
      // acos(0.99) = 0.14153..., pi / 0.14153 = 22.19...: 22 + 2.
      {"halfCircle", 1, kPi, 0.01, 24},
      {"tolBeyondDiameter", 1, kPi, 3, 2},
      {"negativeTol", 1, kPi, -0.01, 2},
      {"zeroSweepGivesBothEnds", 1, 0, 0.01, 2},
      {"zeroTolerance", 1, kPi, 0, 2},
      {"zeroRadius", 0, kPi, 0.01, 2},
      {"zeroRadiusAndTolerance", 0, kPi, 0, 2},
      {"nanSweep", 1, kNaN, 0.01, 2},
      {"infiniteSweep", 1, kInf, 0.01, 2},
      {"hugeSweepIsCapped", 1, 1e12, 0.01, GkMath::kMaxArcBreakCount},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(GkMath::GetArcBreakCount(r.radius, r.sweep, r.tol), r.expected);
  }
  EXPECT_EQ(GkMath::kMaxArcBreakCount, INT_MAX);
}

// The count yields chords whose sagitta is at most the tolerance.
TEST(GetArcBreakCount, PropertySagittaWithinTolerance) {
  std::mt19937 rng(99);
  std::uniform_real_distribution<double> radiusDist(0.01, 1000.0);
  std::uniform_real_distribution<double> sweepDist(0.0, k2Pi);
  std::uniform_real_distribution<double> tolExp(-6.0, -1.0);
  for (int i = 0; i < 2000; ++i) {
    const double radius = radiusDist(rng);
    const double sweep = sweepDist(rng);
    const double tol = std::pow(10.0, tolExp(rng)) * radius;
    const int count = GkMath::GetArcBreakCount(radius, sweep, tol);
    ASSERT_GE(count, 2);
    const double step = sweep / (count - 1);
    const double sagitta = radius * (1 - std::cos(step / 2));
    EXPECT_LE(sagitta, tol * (1 + 1e-9)) << "radius " << radius << " sweep " << sweep;
  }
}

// ---- kSinTable, FastSin, FastCos

TEST(SinTable, DocumentedEntries) {
  EXPECT_EQ(kSinTable[0], 0.0);
  EXPECT_EQ(kSinTable[1], 0.0245412285229123);
  EXPECT_EQ(kSinTable[64], 1.0);
  EXPECT_EQ(kSinTable[128], 0.0);
  EXPECT_EQ(kSinTable[192], -1.0);
  EXPECT_EQ(kSinTable[255], -0.0245412285229124);
}

// Every entry is the double-precision sine rounded to 15 significant
// digits; the quarter turns are exact.
TEST(SinTable, EveryEntryIsTheSineRoundedToFifteenDigits) {
  for (int k = 0; k < 256; ++k) {
    SCOPED_TRACE(k);
    if (k % 64 == 0) {
      const double exact[] = {0.0, 1.0, 0.0, -1.0};
      EXPECT_EQ(kSinTable[k], exact[k / 64]);
      continue;
    }
    char text[40];
    std::snprintf(text, sizeof text, "%.14e", std::sin(2 * kPi * k / 256));
    EXPECT_EQ(kSinTable[k], std::strtod(text, nullptr)) << text;
    EXPECT_NEAR(kSinTable[k], -kSinTable[256 - k], 1e-15);
  }
}

TEST(FastSinCos, ExactAtTableAngles) {
  EXPECT_EQ(GkMath::FastSin(kPi / 2), 1.0);
  EXPECT_EQ(GkMath::FastCos(0.0), 1.0);
  EXPECT_EQ(GkMath::FastSin(0.0), 0.0);
  // c = -1 wraps to entry 255 (and entry 63 for the cosine); the residual
  // angle is exactly zero.
  EXPECT_EQ(GkMath::FastSin(-kPi / 128), kSinTable[255]);
  EXPECT_EQ(GkMath::FastCos(-kPi / 128), kSinTable[63]);
  EXPECT_EQ(GkMath::FastCos(kPi), -1.0);
}

TEST(FastSinCos, PropertyWithinTaylorErrorOfTheLibrarySine) {
  // Second-order expansion about a table angle: error at most |a|^3/6 with
  // |a| <= pi/256, plus the table's rounding.
  const double bound = std::pow(kPi / 256, 3) / 6 + 1e-14;
  std::mt19937 rng(2024);
  std::uniform_real_distribution<double> dist(-50.0, 50.0);
  for (int i = 0; i < 20000; ++i) {
    const double x = dist(rng);
    ASSERT_NEAR(GkMath::FastSin(x), std::sin(x), bound) << x;
    ASSERT_NEAR(GkMath::FastCos(x), std::cos(x), bound) << x;
  }
}

TEST(FastSinCos, NaNPropagates) {
  EXPECT_TRUE(std::isnan(GkMath::FastSin(kNaN)));
  EXPECT_TRUE(std::isnan(GkMath::FastCos(kNaN)));
}

}  // namespace
