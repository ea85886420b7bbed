// Arc sampling: point counts, the repeated-addition walk with exact end
// points, the octant scheme for circles, the sinks, the fast variant, the
// limits, and the on-arc / chord-tolerance property on random arcs.
#include <engine/circarc2d.h>

#include <testsupport/geometry_asserts.h>
#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

using testsupport::kPi;
constexpr double kTwoPi = 2 * kPi;

struct XYSink : GkSampleXY {
  std::vector<AcGePoint2d> pts;
  void AddXY(const double& x, const double& y) override { pts.emplace_back(x, y); }
};
struct PointSink : GkSamplePoint {
  std::vector<AcGePoint2d> pts;
  void AddPoint(const AcGePoint2d& p) override { pts.push_back(p); }
};
struct CountingSink : GkSampleXY {
  long long n = 0;
  void AddXY(const double&, const double&) override { ++n; }
};

std::vector<AcGePoint2d> bufferOf(AcGeCircArc2d arc, double tol) {
  std::vector<AcGePoint2d> pts;
  arc.GetSampleBuffer(pts, tol);
  return pts;
}

std::vector<AcGePoint2d> xyOf(const AcGeCircArc2d& arc, int count, bool fast = false) {
  XYSink sink;
  if (fast)
    arc.GetFastSamplePointXY(sink, count);
  else
    arc.GetSamplePointXY(sink, count);
  return sink.pts;
}

TEST(CircArc2dSample, HalfCircleWalksByRepeatedAdditionToTheExactEnd) {
  const AcGeCircArc2d half(AcGePoint2d(), 1, 0, kPi, true);
  const std::vector<AcGePoint2d> pts = bufferOf(half, 0.01);
  ASSERT_EQ(pts.size(), 24u);
  EXPECT_EQ(pts.front().x, half.startPoint().x);
  EXPECT_EQ(pts.front().y, half.startPoint().y);
  EXPECT_EQ(pts.back().x, half.endPoint().x);
  EXPECT_EQ(pts.back().y, half.endPoint().y);
  double theta = 0.0;
  for (size_t k = 1; k + 1 < pts.size(); ++k) {
    theta = theta + kPi / 23;
    EXPECT_EQ(pts[k].x, std::cos(theta) * 1.0 + 0.0) << "point " << k;
    EXPECT_EQ(pts[k].y, std::sin(theta) * 1.0 + 0.0) << "point " << k;
  }
}

TEST(CircArc2dSample, ClockwiseHalfCircleRunsBackThroughTheTop) {
  AcGeCircArc2d half(AcGePoint2d(), 1, 0, kPi, true);
  half.Flip();
  const std::vector<AcGePoint2d> pts = bufferOf(half, 0.01);
  ASSERT_EQ(pts.size(), 24u);
  EXPECT_POINT_NEAR(pts.front(), AcGePoint2d(-1, 0), 1e-15);
  EXPECT_POINT_NEAR(pts.back(), AcGePoint2d(1, 0), 1e-15);
  for (size_t k = 1; k < pts.size(); ++k) {
    EXPECT_GT(pts[k].x, pts[k - 1].x) << "point " << k;
    EXPECT_GE(pts[k].y, -1e-15) << "point " << k;
  }
}

TEST(CircArc2dSample, CircleHasEightOctantsOfPoints) {
  struct Row {
    const char* name;
    double tol;
    bool ccw;
    size_t count;
    double secondY;
  };
  const double s = std::sin(kPi / 24);
  const Row rows[] = {
      {"0.01 ccw", 0.01, true, 49, s},
      {"0.01 cw", 0.01, false, 49, -s},
      {"0.00254", 0.00254, true, 97, std::sin(kPi / 48)},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    AcGeCircArc2d circle(AcGePoint2d(), 1);
    circle.SetIsCCW(r.ccw);
    const std::vector<AcGePoint2d> pts = bufferOf(circle, r.tol);
    ASSERT_EQ(pts.size(), r.count);
    EXPECT_POINT_EQ(pts.front(), AcGePoint2d(1, 0));
    EXPECT_POINT_EQ(pts.back(), AcGePoint2d(1, 0));
    EXPECT_NEAR(pts[1].y, r.secondY, 1e-15);
    EXPECT_NEAR(pts[1].x, std::sqrt(1 - r.secondY * r.secondY), 1e-15);
  }
}

TEST(CircArc2dSample, CoarseToleranceGivesEndPointsOrOctantCorners) {
  const std::vector<AcGePoint2d> arcPts =
      bufferOf(AcGeCircArc2d(AcGePoint2d(), 1, 0.5, 2, true), 3);
  ASSERT_EQ(arcPts.size(), 2u);
  const AcGeCircArc2d circle(AcGePoint2d(2, 1), 1);  // clockwise
  const std::vector<AcGePoint2d> pts = bufferOf(circle, 3);
  const double q = std::sqrt(2.0) * 0.5;
  const AcGePoint2d corners[] = {{3, 1},         {2 + q, 1 - q}, {2, 0},
                                 {2 - q, 1 - q}, {1, 1},         {2 - q, 1 + q},
                                 {2, 2},         {2 + q, 1 + q}, {3, 1}};
  ASSERT_EQ(pts.size(), 9u);
  for (size_t k = 0; k < 9; ++k) {
    EXPECT_POINT_NEAR(pts[k], corners[k], 1e-15) << "corner " << k;
  }
}

TEST(CircArc2dSample, UnusableTolerancesGiveTheMinimumAndTinyOnesAreCapped) {
  const AcGeCircArc2d arc(AcGePoint2d(), 1, 0, kPi, true);
  const AcGeCircArc2d circle(AcGePoint2d(), 1);
  for (double tol : {0.0, -1.0, std::nan("")}) {
    SCOPED_TRACE(tol);
    EXPECT_EQ(bufferOf(arc, tol).size(), 2u);
    EXPECT_EQ(bufferOf(circle, tol).size(), 9u);
  }
  CountingSink arcSink, circleSink;
  AcGeCircArc2d(arc).GetSamplePointXY(arcSink, 1e-300);
  AcGeCircArc2d(circle).GetSamplePointXY(circleSink, 1e-300);
  EXPECT_EQ(arcSink.n, AcGeCircArc2d::kMaxSamplePoints);
  EXPECT_LE(circleSink.n, AcGeCircArc2d::kMaxSamplePoints);
  EXPECT_GT(circleSink.n, AcGeCircArc2d::kMaxSamplePoints - 8);
}

TEST(CircArc2dSample, NegativeSweepFromUnnormalisedAnglesGivesTheEndPoints) {
  // setAngles stores its values unchanged: clockwise from 0 to 7 has the
  // sweep 0 + 2pi - 7 < 0, and the count formula then gives fewer than two
  // points. Each tolerance below makes it give -3, 0 and 1 respectively.
  AcGeCircArc2d arc(AcGePoint2d(1, 2), 1.0, 0.0, 1.0, false);
  arc.setAngles(0.0, 7.0);
  ASSERT_LT(arc.GetArcSweepangle(), 0.0);
  for (double tol : {0.01, 1 - std::cos(0.3), 1 - std::cos(0.5)}) {
    SCOPED_TRACE(tol);
    ASSERT_LT(GkMath::GetArcBreakCount(1.0, arc.GetArcSweepangle(), tol), 2);
    std::vector<AcGePoint2d> buf(100, AcGePoint2d(9, 9));
    arc.GetSampleBuffer(buf, tol);
    XYSink xy;
    arc.GetSamplePointXY(xy, tol);
    for (const std::vector<AcGePoint2d>* pts : {&buf, &xy.pts}) {
      ASSERT_EQ(pts->size(), 2u);
      EXPECT_POINT_EQ(pts->front(), arc.startPoint());
      EXPECT_POINT_EQ(pts->back(), arc.endPoint());
    }
  }
}

TEST(CircArc2dSample, BufferIsReplacedAndSinksSeeTheSameSequence) {
  const AcGeCircArc2d shapes[] = {AcGeCircArc2d(AcGePoint2d(1, -2), 3, 5.5, 1.0, true),
                                  AcGeCircArc2d(AcGePoint2d(1, -2), 3, 5.5, 1.0, false),
                                  AcGeCircArc2d(AcGePoint2d(1, -2), 3)};
  for (const AcGeCircArc2d& shape : shapes) {
    AcGeCircArc2d arc = shape;
    std::vector<AcGePoint2d> buf(100, AcGePoint2d(9, 9));
    arc.GetSampleBuffer(buf, 0.001);
    XYSink xy;
    PointSink pt;
    arc.GetSamplePointXY(xy, 0.001);
    arc.getSamplePoints(pt, 0.001);
    ASSERT_EQ(xy.pts.size(), buf.size());
    ASSERT_EQ(pt.pts.size(), buf.size());
    for (size_t k = 0; k < buf.size(); ++k) {
      EXPECT_POINT_EQ(xy.pts[k], buf[k]);
      EXPECT_POINT_EQ(pt.pts[k], buf[k]);
    }
  }
}

TEST(CircArc2dSample, CountDrivenSinkCounts) {
  struct Row {
    const char* name;
    bool circle;
    int count;
    size_t want;
  };
  const Row rows[] = {
      {"circle 64", true, 64, 65}, {"circle 16", true, 16, 17}, {"circle 15", true, 15, 9},
      {"circle 8", true, 8, 9},    {"circle 7", true, 7, 9},    {"circle 0", true, 0, 9},
      {"circle -5", true, -5, 9},  {"arc 64", false, 64, 64},   {"arc 2", false, 2, 2},
      {"arc 1", false, 1, 2},      {"arc -3", false, -3, 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const AcGeCircArc2d arc = r.circle ? AcGeCircArc2d(AcGePoint2d(1, 1), 2)
                                       : AcGeCircArc2d(AcGePoint2d(1, 1), 2, 1, 4, false);
    for (bool fast : {false, true}) {
      const std::vector<AcGePoint2d> pts = xyOf(arc, r.count, fast);
      ASSERT_EQ(pts.size(), r.want);
      const AcGePoint2d first = r.circle ? AcGePoint2d(3, 1) : arc.startPoint();
      const AcGePoint2d last = r.circle ? AcGePoint2d(3, 1) : arc.endPoint();
      EXPECT_POINT_EQ(pts.front(), first);
      EXPECT_POINT_EQ(pts.back(), last);
    }
  }
}

TEST(CircArc2dSample, NonConstArcsTakeTheCountOrTheToleranceByArgumentType) {
  // On a non-const arc an int picks the count form and a double the
  // tolerance form; 5 as a count gives 5 points on an arc, 5.0 as a
  // tolerance (over twice the radius) only the two end points; a circle
  // gives its 9 octant corners either way.
  struct Row {
    const char* name;
    bool circle;
    size_t byCount, byTol;
  };
  const Row rows[] = {{"arc", false, 5, 2}, {"circle", true, 9, 9}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    AcGeCircArc2d arc = r.circle ? AcGeCircArc2d(AcGePoint2d(1, 1), 2)
                                 : AcGeCircArc2d(AcGePoint2d(1, 1), 2, 1, 4, true);
    XYSink byCount, byTol, sixtyFour;
    arc.GetSamplePointXY(byCount, 5);
    arc.GetSamplePointXY(byTol, 5.0);
    arc.GetSamplePointXY(sixtyFour, 64);
    EXPECT_EQ(byCount.pts.size(), r.byCount);
    EXPECT_EQ(byTol.pts.size(), r.byTol);
    EXPECT_EQ(sixtyFour.pts.size(), r.circle ? 65u : 64u);
    EXPECT_EQ(sixtyFour.pts, xyOf(arc, 64));
  }
}

TEST(CircArc2dSample, FastVariantDiffersByTheTableErrorOnly) {
  for (const AcGeCircArc2d& arc : {AcGeCircArc2d(AcGePoint2d(5, 5), 100, 0.2, 4.0, false),
                                   AcGeCircArc2d(AcGePoint2d(5, 5), 100)}) {
    const std::vector<AcGePoint2d> exact = xyOf(arc, 64), fast = xyOf(arc, 64, true);
    ASSERT_EQ(exact.size(), fast.size());
    double worst = 0.0;
    for (size_t k = 0; k < exact.size(); ++k) {
      worst = std::fmax(worst, exact[k].distanceTo(fast[k]));
    }
    EXPECT_LT(worst, 3.2e-7 * 100 * std::sqrt(2.0));
    EXPECT_GT(worst, 0.0);  // the table really is used
  }
}

TEST(CircArc2dSample, CountDrivenVectorWalksEvenCirclesAsArcs) {
  const AcGeCircArc2d circle(AcGePoint2d(), 1);
  std::vector<AcGePoint2d> pts;
  circle.getSamplePoints(pts, 5);
  const AcGePoint2d want[] = {{1, 0}, {0, -1}, {-1, 0}, {0, 1}, {1, 0}};
  ASSERT_EQ(pts.size(), 5u);
  for (size_t k = 0; k < 5; ++k) EXPECT_POINT_NEAR(pts[k], want[k], 1e-15) << k;

  const AcGeCircArc2d arc(AcGePoint2d(), 1, 0.5, 2.5, true);
  struct Row {
    int count;
    size_t size;
  };
  for (const Row r : {Row{1, 1}, Row{0, 2}, Row{-4, 2}, Row{2, 2}}) {
    SCOPED_TRACE(r.count);
    std::vector<AcGePoint2d> v(7);
    arc.getSamplePoints(v, r.count);
    ASSERT_EQ(v.size(), r.size);
    EXPECT_POINT_EQ(v.back(), arc.endPoint());
    if (r.size == 2) {
      EXPECT_POINT_EQ(v.front(), arc.startPoint());
    }
  }
}

// Signed angular offset of p from the start, measured along the arc's
// direction, in [0, 2pi).
double offsetAlong(const AcGeCircArc2d& arc, const AcGePoint2d& p) {
  const double a = std::atan2(p.y - arc.center().y, p.x - arc.center().x);
  const double d = arc.isClockWise() ? arc.startAng() - a : a - arc.startAng();
  return d - kTwoPi * std::floor(d / kTwoPi);
}

// Largest distance of a chord between consecutive points from the circle.
double worstSagitta(const std::vector<AcGePoint2d>& pts, double r) {
  double worst = 0.0;
  for (size_t k = 1; k < pts.size(); ++k) {
    const double half = pts[k].distanceTo(pts[k - 1]) * 0.5;
    worst = std::fmax(worst, r - std::sqrt(std::fmax(0.0, r * r - half * half)));
  }
  return worst;
}

TEST(CircArc2dSample, RandomArcsSampleOnTheArcWithinTheChordTolerance) {
  std::mt19937 rng(2024);
  std::uniform_real_distribution<double> unit(0, 1), coord(-1000, 1000);
  for (int i = 0; i < 400; ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    const double r = 0.01 * std::pow(1e5, unit(rng));  // 0.01 to 1000
    const double tol = r * std::pow(10.0, -4 + 3.5 * unit(rng));
    const AcGePoint2d c(coord(rng), coord(rng));
    const bool ccw = unit(rng) < 0.5;
    AcGeCircArc2d arc(c, r, kTwoPi * unit(rng), kTwoPi * unit(rng), ccw);
    if (i % 5 == 0) {
      arc.SetIsCircle(true);
      arc.SetIsCCW(ccw);
    }
    const std::vector<AcGePoint2d> pts = bufferOf(arc, tol);
    const double sweep = arc.GetArcSweepangle();
    const size_t want =
        arc.IsCircle() ? 8u * static_cast<size_t>(GkMath::GetArcBreakCount(r, kPi / 4, tol)) - 7u
                       : static_cast<size_t>(GkMath::GetArcBreakCount(r, sweep, tol));
    ASSERT_EQ(pts.size(), want);
    const double rounding = 1e-12 * (r + std::fabs(c.x) + std::fabs(c.y));
    for (const AcGePoint2d& p : pts) {
      ASSERT_NEAR(p.distanceTo(c), r, rounding);
    }
    EXPECT_LE(worstSagitta(pts, r), tol + rounding);
    if (arc.IsCircle()) {
      EXPECT_POINT_EQ(pts.front(), AcGePoint2d(c.x + r, c.y));
      EXPECT_POINT_EQ(pts.back(), pts.front());
      continue;
    }
    // Every point lies inside the sweep, in order.
    const double angleSlack = 1e-9;
    double previous = 0.0;
    for (size_t k = 1; k + 1 < pts.size(); ++k) {
      const double off = offsetAlong(arc, pts[k]);
      ASSERT_LT(off, sweep + angleSlack) << "point " << k;
      ASSERT_GT(off, previous) << "point " << k;
      previous = off;
    }
    EXPECT_POINT_EQ(pts.front(), arc.startPoint());
    EXPECT_POINT_EQ(pts.back(), arc.endPoint());
  }
}

}  // namespace
