// The private glue between shapes and ClipperLib: grid rounding, the arc
// sink, loops to tagged paths, and result rings back to segments and arcs.
#include "clipper_glue.h"
#include "clipper_rings.h"

#include <engine/circarc2d.h>
#include <engine/lineseg2d.h>

#include <testsupport/geometry_asserts.h>
#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <set>
#include <vector>

using clipper_glue::kScale;
using clipper_glue::kTagBase;
using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using testsupport::kPi;

namespace {

// One grid unit in drawing units, and half its diagonal: the most a point
// moves when put on the grid.
constexpr double kGrid = kClipperGrid;
constexpr double kHalfDiagonal = kGrid * 0.7071067811865476;

cInt StepOf(const IntPoint& p) { return p.Z % kTagBase; }

AcGePoint2d FromGrid(const IntPoint& p) {
  return AcGePoint2d(clipper_glue::FromInt(p.X), clipper_glue::FromInt(p.Y));
}

// Path points on a circle of radius r (integer units) about the origin, at
// the given angles in degrees, all tagged with key 1 and the largest
// coordinate step between consecutive points.
Path CirclePoints(double r, const std::vector<double>& degrees) {
  Path path;
  for (double d : degrees) {
    const double a = d * kPi / 180.0;
    path.emplace_back(std::llround(r * std::cos(a)), std::llround(r * std::sin(a)), 0);
  }
  return path;
}

void TagRun(Path& path, std::size_t from, std::size_t to, cInt key) {
  cInt step = 0;
  for (std::size_t i = from + 1; i < to; ++i) {
    step = std::max(step, std::abs(path[i].X - path[i - 1].X));
    step = std::max(step, std::abs(path[i].Y - path[i - 1].Y));
  }
  for (std::size_t i = from; i < to; ++i) path[i].Z = key * kTagBase + step;
}

std::vector<double> Degrees(double from, double to, double step) {
  std::vector<double> out;
  for (double d = from; d <= to + 1e-9; d += step) out.push_back(d);
  return out;
}

struct Members {
  std::vector<AcGeLineSeg2d*> segs;
  std::vector<AcGeCircArc2d*> arcs;
  std::vector<GkCurve2d*> all;
};

Members Split(GkCompositeCurve2d& loop) {
  Members m;
  loop.GetCurveList(m.all);
  for (GkCurve2d* c : m.all) {
    if (auto* a = dynamic_cast<AcGeCircArc2d*>(c)) m.arcs.push_back(a);
    if (auto* s = dynamic_cast<AcGeLineSeg2d*>(c)) m.segs.push_back(s);
  }
  return m;
}

// Consecutive members join within the grid, and the last closes on the first.
void ExpectClosedChain(const Members& m) {
  for (std::size_t i = 0; i < m.all.size(); ++i) {
    const GkCurve2d* next = m.all[(i + 1) % m.all.size()];
    EXPECT_POINT_NEAR(m.all[i]->endPoint(), next->startPoint(), 1e-9) << "joint after " << i;
  }
}

}  // namespace

// ---- grid rounding ----

// The values clipper.h documents, stated as numbers on purpose: a grid unit
// of 0.000254 drawing units (the grid and its unit are exact reciprocals in
// doubles) and arcs sampled to 0.00254. The private constants are those.
TEST(ClipperConstants, TheDocumentedGridAndSamplingTolerance) {
  EXPECT_EQ(kClipperGrid, 0.000254);
  EXPECT_EQ(kClipperSampleTol, 0.00254);
  EXPECT_EQ(kScale, kClipperGridPerUnit);
  EXPECT_EQ(clipper_glue::kSampleTol, kClipperSampleTol);
  EXPECT_EQ(clipper_glue::FromInt(1), 0.000254);
  EXPECT_EQ(clipper_glue::ToInt(0.000254), 1);
  EXPECT_EQ(clipper_glue::ToInt(1.0), 3937);
  EXPECT_EQ(clipper_glue::ToInt(2.54), 10000);
}

TEST(ClipperGlue, GridRoundingHalvesAwayFromZero) {
  struct Case {
    double v;
    cInt expected;
  };
  const std::vector<Case> cases{{0.000635, 3},
                                {-0.000635, -3},
                                {0.0, 0},
                                {1.0, 3937},
                                {-1.0, -3937},
                                // 0.49999999999999994 + 0.5 rounds up to 1.0 in doubles.
                                {0.000127, 1},
                                {-0.000126, 0},
                                {545460.0, 2147480315},
                                // Beyond the old 32-bit range: computed in 64 bits.
                                {1.0e6, 3937007874},
                                {-1.0e6, -3937007874}};
  for (const Case& c : cases) EXPECT_EQ(clipper_glue::ToInt(c.v), c.expected) << c.v;
  EXPECT_EQ(clipper_glue::ToInt(std::nan("")), clipper_glue::kOutOfRange);
  EXPECT_EQ(clipper_glue::ToInt(1e300), clipper_glue::kOutOfRange);
  EXPECT_EQ(clipper_glue::ToInt(-INFINITY), clipper_glue::kOutOfRange);
  EXPECT_DOUBLE_EQ(clipper_glue::FromInt(3937), 3937 / kScale);
}

// ---- the arc sink ----

TEST(ClipperGlue, ArcSinkWritesOrDropsTheFirstPoint) {
  Path path;
  ClipperArcSample first(&path, true, 0.0, 9.0, 9.0);
  first.AddXY(0.0, 0.0);
  first.AddXY(1.0, 0.0);
  first.AddXY(1.0, 1.0);
  ASSERT_EQ(path.size(), 3u);
  EXPECT_EQ(path[1].X, 3937);
  EXPECT_EQ(path[2].Y, 3937);
  for (const IntPoint& p : path) EXPECT_EQ(p.Z, 0);
  // (1 + 0)(0 - 0) + (1 + 1)(0 - 1): the previous point is the first one.
  EXPECT_EQ(first.sum, -2.0);
  EXPECT_EQ(first.step, 3937);

  ClipperArcSample next(&path, false, 5.0, 1.0, 1.0);
  next.AddXY(7.0, 7.0);  // dropped, the previous point stays (1, 1)
  next.AddXY(0.5, 1.0);
  ASSERT_EQ(path.size(), 4u);
  EXPECT_EQ(next.sum, 5.0 + (0.5 + 1.0) * (1.0 - 1.0));
  EXPECT_EQ(next.prevX, 0.5);
  EXPECT_EQ(next.step, clipper_glue::ToInt(1.0) - clipper_glue::ToInt(0.5));
}

// ---- loops to paths ----

TEST(ClipperGlue, PolygonLoopsAreOrientedByRole) {
  struct Case {
    const char* name;
    bool ccwLoop;
    bool outer;
  };
  for (Case c : {Case{"ccwOuter", true, true}, Case{"cwOuter", false, true},
                 Case{"ccwHole", true, false}, Case{"cwHole", false, false}}) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<GkCompositeCurve2d> sq(testsupport::RectLoop(0, 0, 1, 2, c.ccwLoop));
    clipper_glue::PathBuilder builder;
    Path path;
    builder.LoopToPath(*sq, c.outer, path);
    ASSERT_EQ(path.size(), 4u) << "each vertex once, no closing repeat";
    EXPECT_EQ(ClipperLib::Orientation(path), c.outer);
    EXPECT_DOUBLE_EQ(std::fabs(ClipperLib::Area(path)), 3937.0 * 7874.0);
    for (const IntPoint& p : path) EXPECT_EQ(p.Z, 0);
    EXPECT_TRUE(builder.Valid());
  }
}

TEST(ClipperGlue, SingleArcLoopBecomesAFullCircleWithoutTouchingTheArc) {
  for (bool outer : {true, false}) {
    auto* arc = new AcGeCircArc2d(AcGePoint2d(1, 2), 3.0, 0.5, 2.0, false);
    GkCompositeCurve2d loop;
    loop.append(arc);
    clipper_glue::PathBuilder builder;
    Path path;
    builder.LoopToPath(loop, outer, path);
    EXPECT_FALSE(arc->IsCircle());
    EXPECT_EQ(arc->startAng(), 0.5);
    EXPECT_EQ(arc->endAng(), 2.0);
    EXPECT_TRUE(arc->isClockWise());

    const int a = GkMath::GetArcBreakCount(3.0, kPi / 4, clipper_glue::kSampleTol);
    ASSERT_EQ(path.size(), static_cast<std::size_t>(8 * a - 8));
    EXPECT_EQ(ClipperLib::Orientation(path), outer);
    const cInt tag = path[0].Z;
    EXPECT_GE(tag / kTagBase, 1);
    for (std::size_t i = 0; i < path.size(); ++i) {
      ASSERT_EQ(path[i].Z, tag);
      const IntPoint& next = path[(i + 1) % path.size()];
      EXPECT_LE(std::abs(next.X - path[i].X), StepOf(path[i]));
      EXPECT_LE(std::abs(next.Y - path[i].Y), StepOf(path[i]));
      const double r = std::hypot(path[i].X / kScale - 1, path[i].Y / kScale - 2);
      EXPECT_NEAR(r, 3.0, kHalfDiagonal);
    }
  }
}

TEST(ClipperGlue, SingleNonArcLoopGivesAnEmptyPath) {
  GkCompositeCurve2d loop;
  loop.append(new AcGeLineSeg2d(AcGePoint2d(0, 0), AcGePoint2d(1, 0)));
  clipper_glue::PathBuilder builder;
  Path path;
  builder.LoopToPath(loop, true, path);
  EXPECT_TRUE(path.empty());
}

TEST(ClipperGlue, ArcStartVerticesCarryTheArcsTag) {
  std::unique_ptr<GkCompositeCurve2d> loop(testsupport::RoundedRectLoop(0, 0, 8, 5, 1.5));
  clipper_glue::PathBuilder builder;
  Path path;
  builder.LoopToPath(*loop, true, path);
  // Every vertex is an arc point: each segment ends where the next arc starts.
  std::set<cInt> tags;
  std::size_t changes = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    ASSERT_NE(path[i].Z, 0) << i;
    tags.insert(path[i].Z);
    if (path[i].Z != path[(i + 1) % path.size()].Z) ++changes;
  }
  EXPECT_EQ(tags.size(), 4u);
  EXPECT_EQ(changes, 4u) << "each arc's points form one contiguous run";
  EXPECT_TRUE(ClipperLib::Orientation(path));
  EXPECT_NEAR(ClipperLib::Area(path) / (kScale * kScale), 40.0 - (4.0 - kPi) * 2.25, 0.01);
}

TEST(ClipperGlue, LoopStartingWithAnArcHasNoClosingRepeat) {
  // Two half circles of one circle share its tag, and the end of the second
  // (the first arc's start) is not repeated.
  GkCompositeCurve2d loop;
  loop.append(new AcGeCircArc2d(AcGePoint2d(0, 0), 1.0, 0.0, kPi, true));
  loop.append(new AcGeCircArc2d(AcGePoint2d(0, 0), 1.0, kPi, 2 * kPi, true));
  clipper_glue::PathBuilder builder;
  Path path;
  builder.LoopToPath(loop, true, path);
  const std::size_t n =
      static_cast<std::size_t>(GkMath::GetArcBreakCount(1.0, kPi, clipper_glue::kSampleTol));
  ASSERT_EQ(path.size(), 2 * n - 2);
  EXPECT_NE(path.front(), path.back());
  EXPECT_EQ(path[0].X, 3937);
  EXPECT_EQ(path[0].Y, 0);
  EXPECT_EQ(path[n - 1].X, -3937);
  for (const IntPoint& p : path) EXPECT_EQ(p.Z, path[0].Z) << "one circle, one tag";
}

TEST(ClipperGlue, JointOfArcsOnTwoCirclesCarriesTheLaterArcsTag) {
  // A lens: two arcs of different circles through (0, -1) and (0, 1).
  const double h = std::sqrt(2.0);
  GkCompositeCurve2d loop;
  loop.append(new AcGeCircArc2d(AcGePoint2d(-1, 0), h, -kPi / 4, kPi / 4, true));
  loop.append(new AcGeCircArc2d(AcGePoint2d(1, 0), h, 3 * kPi / 4, 5 * kPi / 4, true));
  clipper_glue::PathBuilder builder;
  Path path;
  builder.LoopToPath(loop, true, path);
  const std::size_t n =
      static_cast<std::size_t>(GkMath::GetArcBreakCount(h, kPi / 2, clipper_glue::kSampleTol));
  ASSERT_EQ(path.size(), 2 * n - 2);
  EXPECT_NE(path[n - 2].Z, path[n - 1].Z);
  EXPECT_EQ(path[n - 1].Z, path[n].Z) << "the joint belongs to the later arc";
  EXPECT_NE(path[0].Z / kTagBase, path[n].Z / kTagBase);
}

TEST(ClipperGlue, ArcsOnOneCircleShareOneKeyAndTheLargestStepAcrossShapes) {
  // Three arcs on the circle about (2, 3) of radius 1, in different loops and
  // shapes and in both directions, and one arc on a circle of radius 1.5.
  auto slot = [](double from, double to, bool ccw, double r) {
    GkCompositeCurve2d* loop = new GkCompositeCurve2d();
    auto* arc = new AcGeCircArc2d(AcGePoint2d(2, 3), r, from, to, ccw);
    loop->append(arc);
    loop->append(new AcGeLineSeg2d(arc->endPoint(), arc->startPoint()));
    GkShape* shape = new GkShape();
    std::vector<GkCompositeCurve2d*> loops{loop};
    shape->SetCurveList(loops);
    return std::unique_ptr<GkShape>(shape);
  };
  std::vector<std::unique_ptr<GkShape>> shapes;
  shapes.push_back(slot(0.0, 1.0, true, 1.0));
  shapes.push_back(slot(2.0, 4.5, false, 1.0));
  shapes.push_back(slot(0.3, 0.35, true, 1.0));
  shapes.push_back(slot(0.0, 1.0, true, 1.5));
  clipper_glue::PathBuilder builder;
  ClipperLib::Paths a, b;
  builder.AddShape(shapes[0].get(), a);
  builder.AddShape(shapes[1].get(), b);
  builder.AddShape(shapes[2].get(), b);
  builder.AddShape(shapes[3].get(), a);
  builder.Finish();
  ASSERT_EQ(a.size(), 2u);
  ASSERT_EQ(b.size(), 2u);
  auto tagOf = [](const Path& path) {
    for (const IntPoint& p : path) {
      if (p.Z != 0) return p.Z;
    }
    return cInt(0);
  };
  const cInt tag = tagOf(a[0]);
  EXPECT_EQ(tagOf(b[0]), tag);
  EXPECT_EQ(tagOf(b[1]), tag);
  EXPECT_NE(tagOf(a[1]) / kTagBase, tag / kTagBase);
  // The circle's step bounds the hops of all three arcs' samples.
  cInt widest = 0;
  for (const Path* path : {&a[0], &b[0], &b[1]}) {
    for (std::size_t i = 0; i + 1 < path->size(); ++i) {
      if ((*path)[i].Z == 0 || (*path)[i + 1].Z == 0) continue;
      widest = std::max({widest, std::abs((*path)[i + 1].X - (*path)[i].X),
                         std::abs((*path)[i + 1].Y - (*path)[i].Y)});
    }
  }
  EXPECT_EQ(tag % kTagBase, widest);
}

TEST(ClipperGlue, CrossingsOfChordsOfOneCircleAreCreatedOnIt) {
  const cInt t = 7 * kTagBase + 120;
  IntPoint a(0, 0, t), b(100, 0, t), c(50, -10, -t), d(50, 10, t), pt(50, 0, 0);
  clipper_glue::FillCrossingTag(a, b, c, d, pt);
  EXPECT_EQ(pt.Z, -t);
  IntPoint other(50, 10, t + kTagBase), plain(50, 10, 0), pt2(50, 0, 0), pt3(50, 0, 0);
  clipper_glue::FillCrossingTag(a, b, c, other, pt2);
  EXPECT_EQ(pt2.Z, 0) << "chords of two circles";
  clipper_glue::FillCrossingTag(a, b, c, plain, pt3);
  EXPECT_EQ(pt3.Z, 0) << "a chord and a plain edge";
  // With a step of 40, the edge from a to b hops farther than the circle's
  // samples ever do: it joins two points of the circle but is no chord of
  // its sampling, and its crossing lies off the circle.
  const cInt fine = 7 * kTagBase + 40;
  IntPoint fa(0, 0, fine), fb(100, 0, fine), fc(50, -10, -fine), fd(50, 10, fine), pt4(50, 0, 0);
  clipper_glue::FillCrossingTag(fa, fb, fc, fd, pt4);
  EXPECT_EQ(pt4.Z, 0) << "a jump";
  EXPECT_EQ(clipper_glue::ChordTag(fc, fd), fine);
  EXPECT_EQ(clipper_glue::ChordTag(fa, fb), 0);
}

TEST(ClipperGlue, CreatedPointsJoinARunButNeverDefineItsArc) {
  // Samples of one circle every 10 degrees with crossings created between
  // them, slightly inside the circle, as where two end caps interleave; the
  // ring closes through two plain vertices below.
  const double r = 10000;
  Path path;
  const cInt t = 5 * kTagBase + 1800;
  for (int d = 0; d <= 180; d += 10) {
    const double a = d * kPi / 180.0;
    path.emplace_back(std::llround(r * std::cos(a)), std::llround(r * std::sin(a)), t);
    if (d < 180) {
      const double m = (d + 5) * kPi / 180.0;
      path.emplace_back(std::llround(0.99 * r * std::cos(m)), std::llround(0.99 * r * std::sin(m)),
                        -t);
    }
  }
  path.emplace_back(-10000, -5000, 0);
  path.emplace_back(10000, -5000, 0);
  std::unique_ptr<GkCompositeCurve2d> loop(clipper_glue::PathToComposite(path));
  Members m = Split(*loop);
  ASSERT_EQ(m.arcs.size(), 1u);
  ExpectClosedChain(m);
  EXPECT_POINT_NEAR(m.arcs[0]->center(), AcGePoint2d(0, 0), 2 * kHalfDiagonal);
  EXPECT_NEAR(m.arcs[0]->radius(), r / kScale, 2 * kHalfDiagonal);
  EXPECT_NEAR(m.arcs[0]->GetArcSweepangle(), kPi, 1e-6);
  EXPECT_EQ(m.segs.size(), 3u);
}

TEST(ClipperGlue, LargeArcsAreSampledFinerToKeepTheStepBelowTheTagBase) {
  // At the usual tolerance a radius of 2000 gives chords of about 6.4 units
  // (25,000 grid units), too wide for the tag.
  GkCompositeCurve2d loop;
  loop.append(new AcGeLineSeg2d(AcGePoint2d(0, 0), AcGePoint2d(2000, 0)));
  loop.append(new AcGeCircArc2d(AcGePoint2d(0, 0), 2000.0, 0.0, kPi / 2, true));
  loop.append(new AcGeLineSeg2d(AcGePoint2d(0, 2000), AcGePoint2d(0, 0)));
  clipper_glue::PathBuilder builder;
  Path path;
  builder.LoopToPath(loop, true, path);
  std::size_t tagged = 0;
  for (std::size_t i = 0; i + 1 < path.size(); ++i) {
    if (path[i].Z == 0 || path[i + 1].Z != path[i].Z) continue;
    ++tagged;
    ASSERT_LT(StepOf(path[i]), kTagBase);
    EXPECT_LE(std::abs(path[i + 1].X - path[i].X), StepOf(path[i]));
    EXPECT_LE(std::abs(path[i + 1].Y - path[i].Y), StepOf(path[i]));
  }
  EXPECT_GT(tagged, 1000u);
  std::unique_ptr<GkCompositeCurve2d> back(clipper_glue::PathToComposite(path));
  Members m = Split(*back);
  ASSERT_EQ(m.arcs.size(), 1u);
  EXPECT_NEAR(m.arcs[0]->radius(), 2000.0, 1e-3);
}

TEST(ClipperGlue, ArcsTooLargeToTagGoInAsPlainVertices) {
  // A circle of radius 1e6 would need millions of points to keep its step
  // below the tag base: it is sampled at the usual tolerance, untagged.
  const double r = 1.0e6;
  std::unique_ptr<GkCompositeCurve2d> loop(testsupport::CircleLoop({0, 0}, r));
  clipper_glue::PathBuilder builder;
  Path path;
  builder.LoopToPath(*loop, true, path);
  EXPECT_TRUE(builder.Valid());
  const int a = GkMath::GetArcBreakCount(r, kPi / 4, clipper_glue::kSampleTol);
  ASSERT_EQ(path.size(), static_cast<std::size_t>(8 * a - 8));
  for (const IntPoint& p : path) ASSERT_EQ(p.Z, 0);
  std::unique_ptr<GkCompositeCurve2d> back(clipper_glue::PathToComposite(path));
  Members m = Split(*back);
  EXPECT_TRUE(m.arcs.empty());
  EXPECT_EQ(m.segs.size(), path.size());
}

TEST(ClipperGlue, NonFiniteCoordinatesMakeTheBuilderInvalid) {
  std::unique_ptr<GkCompositeCurve2d> sq(testsupport::RectLoop(0, 0, std::nan(""), 1));
  clipper_glue::PathBuilder builder;
  Path path;
  builder.LoopToPath(*sq, true, path);
  EXPECT_FALSE(builder.Valid());
}

// ---- rings back to loops ----

TEST(ClipperGlue, UntaggedRingGivesSegments) {
  const Path path{{0, 0, 0}, {100, 0, 0}, {100, 50, 0}, {0, 50, 0}};
  std::unique_ptr<GkCompositeCurve2d> loop(clipper_glue::PathToComposite(path));
  Members m = Split(*loop);
  EXPECT_EQ(m.segs.size(), 4u);
  EXPECT_TRUE(m.arcs.empty());
  ExpectClosedChain(m);
  EXPECT_POINT_EQ(m.all[3]->endPoint(), AcGePoint2d(0, 0));
  EXPECT_EQ(clipper_glue::PathToComposite(Path()), nullptr);
}

TEST(ClipperGlue, WholeTaggedRingIsOneFullCircle) {
  for (bool ccw : {true, false}) {
    Path path = CirclePoints(10000, Degrees(0, 350, 10));
    if (!ccw) std::reverse(path.begin(), path.end());
    TagRun(path, 0, path.size(), 1);
    std::unique_ptr<GkCompositeCurve2d> loop(clipper_glue::PathToComposite(path));
    Members m = Split(*loop);
    ASSERT_EQ(m.all.size(), 1u);
    ASSERT_EQ(m.arcs.size(), 1u);
    EXPECT_TRUE(m.arcs[0]->IsCircle());
    EXPECT_EQ(m.arcs[0]->isClockWise(), !ccw);
    EXPECT_POINT_NEAR(m.arcs[0]->center(), AcGePoint2d(0, 0), 2 * kHalfDiagonal);
    EXPECT_NEAR(m.arcs[0]->radius(), 10000 / kScale, 2 * kHalfDiagonal);
  }
}

TEST(ClipperGlue, RunWrappingThroughTheRingStartIsOneArc) {
  // Half circle from 0 to 180 degrees closed through a plain vertex just
  // below its diameter, read from every possible start point.
  Path half = CirclePoints(10000, Degrees(0, 180, 10));
  TagRun(half, 0, half.size(), 3);
  half.emplace_back(0, -20, 0);
  const double r = 10000 / kScale;
  const double area = kPi * r * r / 2 + r * 20 / kScale;
  // A run's first or last chord may come back straight (short runs at the
  // start): at most two 10-degree chords' bulge.
  const double chordBulge = r * r / 2 * (kPi / 18 - std::sin(kPi / 18));
  for (std::size_t k = 0; k < half.size(); ++k) {
    SCOPED_TRACE(k);
    Path path(half.begin() + k, half.end());
    path.insert(path.end(), half.begin(), half.begin() + k);
    std::unique_ptr<GkCompositeCurve2d> loop(clipper_glue::PathToComposite(path));
    Members m = Split(*loop);
    ASSERT_EQ(m.arcs.size(), 1u);
    ExpectClosedChain(m);
    EXPECT_FALSE(m.arcs[0]->isClockWise());
    EXPECT_POINT_NEAR(m.arcs[0]->center(), AcGePoint2d(0, 0), 4 * kHalfDiagonal);
    EXPECT_GE(m.arcs[0]->GetArcSweepangle(), kPi - 2 * kPi / 18 - 1e-9);
    EXPECT_NEAR(testsupport::SignedLoopArea(*loop), area, 2 * chordBulge + 0.001);
    if (k == 1) {
      // One run point before P0: its chord into P0 is a segment, and the arc
      // starts at P0.
      EXPECT_POINT_NEAR(m.arcs[0]->startPoint(), FromGrid(half[1]), 1e-9);
      EXPECT_POINT_NEAR(m.arcs[0]->endPoint(), AcGePoint2d(-r, 0), 1e-9);
      EXPECT_EQ(m.all.back()->GetCrvType(), kCrvLineSeg);
      EXPECT_POINT_NEAR(m.all.back()->startPoint(), AcGePoint2d(r, 0), 1e-9);
    } else if (k <= 16) {
      // At least three run points from P0 on and two before it: the pieces
      // before and after P0 make one arc over the whole half circle.
      EXPECT_POINT_NEAR(m.arcs[0]->startPoint(), AcGePoint2d(r, 0), 1e-9);
      EXPECT_POINT_NEAR(m.arcs[0]->endPoint(), AcGePoint2d(-r, 0), 1e-9);
    }
  }
}

TEST(ClipperGlue, JumpInsideARunEndsTheArc) {
  // 0..60 and 120..180 degrees of one tagged arc, the middle cut away, then
  // closed through two plain vertices below.
  Path path = CirclePoints(10000, Degrees(0, 180, 10));
  TagRun(path, 0, path.size(), 2);
  path.erase(path.begin() + 7, path.begin() + 12);
  path.emplace_back(-10000, -5000, 0);
  path.emplace_back(10000, -5000, 0);
  std::unique_ptr<GkCompositeCurve2d> loop(clipper_glue::PathToComposite(path));
  Members m = Split(*loop);
  ASSERT_EQ(m.arcs.size(), 2u);
  ExpectClosedChain(m);
  for (AcGeCircArc2d* arc : m.arcs)
    EXPECT_FALSE(arc->IsAngleBetween(kPi / 2, GkGeoLib::g_tol)) << "no arc spans the cut";
}

TEST(ClipperGlue, JumpAtTheWrapIsNotBridgedByAnArc) {
  // As above, but read from just after the cut: the last run wraps into P0
  // across the cut, which must come back as a chord, not as an arc.
  Path arc = CirclePoints(10000, Degrees(0, 180, 10));
  TagRun(arc, 0, arc.size(), 2);
  Path path(arc.begin() + 12, arc.end());  // 120..180
  path.emplace_back(-10000, -5000, 0);
  path.emplace_back(10000, -5000, 0);
  path.insert(path.end(), arc.begin(), arc.begin() + 7);  // 0..60
  std::unique_ptr<GkCompositeCurve2d> loop(clipper_glue::PathToComposite(path));
  Members m = Split(*loop);
  ASSERT_EQ(m.arcs.size(), 2u);
  ExpectClosedChain(m);
  for (AcGeCircArc2d* a : m.arcs)
    EXPECT_FALSE(a->IsAngleBetween(kPi / 2, GkGeoLib::g_tol)) << "no arc spans the cut";
  // The region: two circular sectors' worth of arc plus straight parts; its
  // area is that of the sampled polygon up to the arcs' bulge.
  double polygon = 0.0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const IntPoint& a = path[i];
    const IntPoint& b = path[(i + 1) % path.size()];
    polygon += (static_cast<double>(a.X) * b.Y - static_cast<double>(b.X) * a.Y) * 0.5;
  }
  polygon /= kScale * kScale;
  const double r = 10000 / kScale;
  const double bulge = 2 * (kPi / 3 * r * r / 2 - 6 * 0.5 * r * r * std::sin(kPi / 18));
  // 0.01 covers the three-point fit through grid points; bridging the cut
  // with an arc would add the 60-degree segment, about 0.58.
  EXPECT_NEAR(testsupport::SignedLoopArea(*loop), polygon + bulge, 0.01);
}

TEST(ClipperGlue, ShortAndCollinearRunsComeBackAsSegments) {
  // Tagged runs of one point, two points, and three collinear points.
  const Path path{{0, 0, 10001},      {1000, 0, 0},     {1000, 500, 20500}, {1000, 1000, 20500},
                  {500, 1000, 30500}, {0, 1000, 30500}, {-500, 1000, 30500}};
  std::unique_ptr<GkCompositeCurve2d> loop(clipper_glue::PathToComposite(path));
  Members m = Split(*loop);
  EXPECT_TRUE(m.arcs.empty());
  EXPECT_EQ(m.segs.size(), path.size());
  ExpectClosedChain(m);
  for (AcGeLineSeg2d* s : m.segs) {
    EXPECT_TRUE(std::isfinite(s->startPoint().x) && std::isfinite(s->endPoint().y));
  }
}

namespace {

// A square ring from (x0, y0) to (x1, y1), counter-clockwise or clockwise.
Path Square(cInt x0, cInt y0, cInt x1, cInt y1, bool ccw) {
  Path p{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
  if (!ccw) std::reverse(p.begin(), p.end());
  return p;
}

}  // namespace

// Result rings whose direction disagrees with their nesting are nested again
// by containment and turned to match their depth: a clockwise ring that lies
// in no other is an outer ring, a counter-clockwise one in a hole that came
// as a root is an island. Rings of an earlier sweep stay as they are; rings
// that agree keep their path.
TEST(ClipperGlue, RingsAreTurnedToMatchTheirNesting) {
  const Path earlier = Square(-500, -500, -400, -400, false);  // another sweep's hole
  const Path outer = Square(0, 0, 100, 100, true);
  const Path hole = Square(10, 10, 90, 90, false);
  const Path island = Square(20, 20, 80, 80, true);
  const Path lone = Square(200, 0, 300, 100, false);
  clipper_glue::PassResult result;
  clipper_glue::RingForest& forest = result.forest;
  const std::size_t e = forest.Add(&earlier, clipper_glue::RingForest::npos);
  const std::size_t o = forest.Add(&outer, clipper_glue::RingForest::npos);
  const std::size_t h = forest.Add(&hole, o);
  const std::size_t i = forest.Add(&island, clipper_glue::RingForest::npos);
  const std::size_t l = forest.Add(&lone, clipper_glue::RingForest::npos);
  clipper_glue::rings::OrientByNesting(result, o);
  EXPECT_EQ(forest.roots, (std::vector<std::size_t>{e, o, l}));
  EXPECT_EQ(forest.nodes[o].childs, (std::vector<std::size_t>{h}));
  EXPECT_EQ(forest.nodes[h].childs, (std::vector<std::size_t>{i}));
  EXPECT_TRUE(forest.nodes[l].childs.empty());
  EXPECT_EQ(forest.nodes[e].contour, &earlier);
  EXPECT_EQ(forest.nodes[o].contour, &outer);
  EXPECT_EQ(forest.nodes[h].contour, &hole);
  EXPECT_EQ(forest.nodes[i].contour, &island);
  EXPECT_EQ(*forest.nodes[l].contour, Square(200, 0, 300, 100, true));

  // A forest that agrees is left alone.
  clipper_glue::PassResult same;
  const std::size_t o2 = same.forest.Add(&outer, clipper_glue::RingForest::npos);
  const std::size_t h2 = same.forest.Add(&hole, o2);
  clipper_glue::rings::OrientByNesting(same, 0);
  EXPECT_EQ(same.forest.roots, (std::vector<std::size_t>{o2}));
  EXPECT_EQ(same.forest.nodes[o2].childs, (std::vector<std::size_t>{h2}));
  EXPECT_TRUE(same.rings.empty());
}

// The ring around a ring is judged at a point clear of the other rings'
// edges: where two rings nearly touch, the sweep's rounding can put a corner
// of a hole a grid unit outside the ring that holds it, and a hole judged
// there came back as an island. A ring that touches the ring around it at
// every corner is judged at the midpoints of its edges; one that lies on
// the other's edges everywhere is undecided.
TEST(ClipperGlue, TheRingAroundARingIsJudgedClearOfOtherEdges) {
  using clipper_glue::rings::Containers;
  const Path square = Square(0, 0, 1000, 1000, true);
  const Path stray{{-1, 500}, {300, 600}, {300, 400}};               // first corner just outside
  const Path diamond{{500, 0}, {0, 500}, {500, 1000}, {1000, 500}};  // corners on the edges
  const Path twin = Square(0, 0, 1000, 1000, false);
  const Path beside{{1003, 500}, {1200, 600}, {1200, 400}};  // near the square, outside it
  Containers containers;
  containers.Add(square, 0, 0, false);
  containers.Seal();
  for (const Path* inside : {&stray, &diamond}) {
    bool decided = false;
    const Containers::Entry* around =
        containers.Around(*inside, 1, clipper_glue::rings::Area2(*inside), &decided);
    ASSERT_NE(around, nullptr) << inside->front().X;
    EXPECT_EQ(around->node, 0u);
    EXPECT_TRUE(decided);
  }
  bool decided = true;
  containers.Around(twin, 1, clipper_glue::rings::Area2(twin), &decided);
  EXPECT_FALSE(decided);
  decided = false;
  EXPECT_EQ(containers.Around(beside, 1, clipper_glue::rings::Area2(beside), &decided), nullptr);
  EXPECT_TRUE(decided);
}

// Nearness to an edge is the same whether or not a long ring has built its
// band index: edges within reach of a point may lie in the bands beside the
// point's own.
TEST(ClipperGlue, NearnessToARingIsTheSameWithItsBandIndex) {
  using clipper_glue::rings::RingIndex;
  Path ring;  // a 200-gon of radius 10,000
  for (int k = 0; k < 200; ++k) {
    const double a = 2 * kPi * k / 200;
    ring.emplace_back(static_cast<cInt>(std::lround(10000 * std::cos(a))),
                      static_cast<cInt>(std::lround(10000 * std::sin(a))));
  }
  const clipper_glue::rings::Box box = clipper_glue::rings::BoxOf(ring);
  RingIndex banded(ring, box);
  for (int k = 0; k < 64; ++k) banded.Winding(IntPoint(0, 0));  // builds the index
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> vertex(0, 199), offset(-6, 6);
  int nearCount = 0;
  for (int k = 0; k < 4000; ++k) {
    const IntPoint& v = ring[vertex(rng)];
    const IntPoint p(v.X + offset(rng), v.Y + offset(rng));
    bool onA = false, onB = false, nearA = false, nearB = false;
    RingIndex plain(ring, box);  // a fresh index scans every edge
    const int wa = plain.Winding(p, onA, &nearA);
    const int wb = banded.Winding(p, onB, &nearB);
    ASSERT_EQ(nearA, nearB) << p.X << ", " << p.Y;
    ASSERT_EQ(onA, onB) << p.X << ", " << p.Y;
    if (!onA) {
      ASSERT_EQ(wa, wb) << p.X << ", " << p.Y;
    }
    nearCount += nearA;
    // Within 4 units of the vertex itself is near; farther than 4 from
    // every edge is not.
    if (std::abs(p.X - v.X) + std::abs(p.Y - v.Y) <= 4) {
      ASSERT_TRUE(nearA);
    }
  }
  EXPECT_GT(nearCount, 0);
  EXPECT_LT(nearCount, 4000);
}

// ---- the passes before the rebuild ----

// The rings of the last pass are what Execute rebuilds its shapes from: their
// signed areas sum to the result's within the chord tolerance and a grid
// step along the boundary, holes included. Calls that Execute refuses give no
// rings.
TEST(ClipperGlue, TheLastPassesRingsHoldTheAreaOfTheRebuiltResult) {
  std::unique_ptr<GkShape> plate(
      testsupport::MakeShape(testsupport::RoundedRectLoop(0, 0, 6, 4, 0.8),
                             {testsupport::CircleLoop(AcGePoint2d(2, 2), 0.7, false)}));
  std::unique_ptr<GkShape> disc(
      testsupport::MakeShape(testsupport::CircleLoop(AcGePoint2d(5, 3), 1.5)));
  std::unique_ptr<GkShape> bar(testsupport::MakeShape(testsupport::RectLoop(1, 1.8, 7, 2.2)));
  const std::vector<GkShape*> shapes{plate.get(), disc.get(), bar.get()};
  const double band = (kClipperSampleTol + kGrid) *
                      (testsupport::ShapePerimeter(*plate) + testsupport::ShapePerimeter(*disc) +
                       testsupport::ShapePerimeter(*bar));
  const std::vector<std::vector<GkClipType>> cases{{kClipDifference, kClipDifference},
                                                   {kClipUnion, kClipIntersection},
                                                   {kClipXor, kClipDifference},
                                                   {kClipIntersection, kClipXor}};
  for (const std::vector<GkClipType>& types : cases) {
    SCOPED_TRACE(testing::Message() << "types " << types[0] << " " << types[1]);
    GkClipper clipper;
    std::vector<GkShape*> operands = shapes;
    clipper.SetShapeList(operands);
    std::vector<GkShape*> result;
    clipper.Execute(types, result);
    const double rebuilt = testsupport::TotalArea(result);
    testsupport::DeleteShapes(result);

    clipper_glue::PassResult last;
    ASSERT_TRUE(clipper_glue::ClipToForest(shapes, types, last));
    double rings = 0;
    for (const clipper_glue::RingForest::Node& node : last.forest.nodes)
      rings += ClipperLib::Area(*node.contour) * kGrid * kGrid;
    EXPECT_GT(rebuilt, 1.0);
    EXPECT_NEAR(rings, rebuilt, band);
  }
  clipper_glue::PassResult last;
  EXPECT_FALSE(clipper_glue::ClipToForest(shapes, {kClipUnion}, last));
  EXPECT_FALSE(clipper_glue::ClipToForest(shapes, {kClipUnion, static_cast<GkClipType>(7)}, last));
  EXPECT_TRUE(last.forest.nodes.empty());
}
