// GkCompositeCurve2d: ownership and copies, the box cache, sampling of the
// chain, the loop sinks, containment, orientation, area and distances.
#include <engine/circarc2d.h>
#include <engine/compositecurve2d.h>
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

using testsupport::kPi;

namespace {

const double kInf = std::numeric_limits<double>::infinity();

AcGeLineSeg2d* Seg(double x0, double y0, double x1, double y1) {
  return new AcGeLineSeg2d(AcGePoint2d(x0, y0), AcGePoint2d(x1, y1));
}

// A segment that counts its destructions.
int g_destroyed = 0;
class CountedSeg : public AcGeLineSeg2d {
public:
  CountedSeg(const AcGePoint2d& a, const AcGePoint2d& b) : AcGeLineSeg2d(a, b) {}
  ~CountedSeg() override { ++g_destroyed; }
};

// Pie slice: counter-clockwise quarter arc of radius 1 about the origin from
// angle 0 to pi/2 with the two radii; ccwArc false gives the same loop with
// the arc given clockwise from pi/2 to 0 (and the loop reversed).
std::unique_ptr<GkCompositeCurve2d> QuarterPie(bool ccwArc) {
  auto loop = std::make_unique<GkCompositeCurve2d>();
  const AcGePoint2d o(0, 0), a(1, 0), b(0, 1);
  if (ccwArc) {
    loop->append(new AcGeLineSeg2d(o, a));
    loop->append(new AcGeCircArc2d(o, 1.0, 0.0, kPi / 2, true));
    loop->append(new AcGeLineSeg2d(b, o));
  } else {
    loop->append(new AcGeLineSeg2d(o, b));
    loop->append(new AcGeCircArc2d(o, 1.0, kPi / 2, 0.0, false));
    loop->append(new AcGeLineSeg2d(a, o));
  }
  return loop;
}

// Records every x/y pair it receives.
struct RecordXY : GkSampleXY {
  std::vector<AcGePoint2d> pts;
  void AddXY(const double& x, const double& y) override { pts.emplace_back(x, y); }
};
struct RecordPoint : GkSamplePoint {
  std::vector<AcGePoint2d> pts;
  void AddPoint(const AcGePoint2d& p) override { pts.push_back(p); }
};

}  // namespace

// ---- ownership, copies, contents ----

TEST(CompositeCurve2d, DefaultIsEmpty) {
  GkCompositeCurve2d c;
  EXPECT_EQ(c.GetCurveCnt(), 0);
  EXPECT_EQ(c.GetCrvType(), kCrvComposite);
  const GkBoundBox2d box = c.GetBoundBox();
  EXPECT_FALSE(box.IsValid());
  EXPECT_POINT_EQ(c.startPoint(), AcGePoint2d(0, 0));
  EXPECT_POINT_EQ(c.endPoint(), AcGePoint2d(0, 0));
  EXPECT_POINT_EQ(c.GetAnyPoint(), AcGePoint2d(0, 0));
  EXPECT_FALSE(c.IsPointIn(AcGePoint2d(0, 0)));
  EXPECT_FALSE(c.Orientation());
  EXPECT_EQ(c.Area(0.01), 0.0);
}

TEST(CompositeCurve2d, DestroysOwnMembersButNotReplacedOnes) {
  g_destroyed = 0;
  auto* oldA = new CountedSeg({0, 0}, {1, 0});
  auto* oldB = new CountedSeg({1, 0}, {0, 0});
  {
    GkCompositeCurve2d c;
    c.append(oldA);
    c.append(oldB);
    std::vector<GkCurve2d*> fresh{new CountedSeg({0, 0}, {2, 0}), new CountedSeg({2, 0}, {0, 0}),
                                  new CountedSeg({0, 0}, {0, 0})};
    c.SetCurveList(fresh);
    EXPECT_EQ(fresh.size(), 3u) << "the argument is not changed";
    EXPECT_EQ(c.GetCurveCnt(), 3);
    EXPECT_EQ(g_destroyed, 0) << "SetCurveList destroys nothing";
  }
  EXPECT_EQ(g_destroyed, 3) << "only the new members die with the composite";
  delete oldA;
  delete oldB;
  EXPECT_EQ(g_destroyed, 5);
}

TEST(CompositeCurve2d, NullMembersAreNeverStored) {
  GkCompositeCurve2d c;
  c.append(nullptr);
  std::vector<GkCurve2d*> list{Seg(0, 0, 1, 0), nullptr};
  c.SetCurveList(list);
  EXPECT_EQ(c.GetCurveCnt(), 1);
  std::vector<GkCurve2d*> got{nullptr, nullptr, nullptr};
  c.GetCurveList(got);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], list[0]);
}

TEST(CompositeCurve2d, CopiesAreDeepAndIndependent) {
  std::unique_ptr<GkCompositeCurve2d> square(testsupport::RectLoop(0, 0, 10, 10));
  GkCompositeCurve2d copy(*square);
  GkCompositeCurve2d assigned;
  assigned.append(Seg(5, 5, 6, 6));
  assigned = *square;
  square->GetBoundBox();
  std::unique_ptr<GkCurve2d> cloned(square->Clone());
  auto* clone = dynamic_cast<GkCompositeCurve2d*>(cloned.get());
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->GetBoundBox().maxX, 10.0);

  std::vector<GkCurve2d*> src, a, b, d;
  square->GetCurveList(src);
  copy.GetCurveList(a);
  assigned.GetCurveList(b);
  clone->GetCurveList(d);
  for (auto* list : {&a, &b, &d}) {
    ASSERT_EQ(list->size(), src.size());
    for (std::size_t i = 0; i < src.size(); ++i) {
      EXPECT_NE((*list)[i], src[i]) << "member " << i << " is shared";
      EXPECT_POINT_EQ((*list)[i]->startPoint(), src[i]->startPoint());
      EXPECT_POINT_EQ((*list)[i]->endPoint(), src[i]->endPoint());
    }
  }
  copy.Flip();
  EXPECT_TRUE(square->Orientation()) << "flipping a copy leaves the source";
  assigned = assigned;  // self-assignment keeps the members
  EXPECT_EQ(assigned.GetCurveCnt(), 4);
  EXPECT_DOUBLE_EQ(assigned.Area(0.01), 100.0);
}

TEST(CompositeCurve2d, BoxIsUnionOfMembersAndFollowsAppend) {
  GkCompositeCurve2d c;
  c.append(Seg(0, 0, 4, 1));
  GkBoundBox2d box = c.GetBoundBox();
  EXPECT_EQ(box.maxX, 4.0);
  EXPECT_EQ(box.maxY, 1.0);
  // A counter-clockwise half circle above (4, 1)..(0, 1) reaches y = 3.
  c.append(new AcGeCircArc2d(AcGePoint2d(2, 1), 2.0, 0.0, kPi, true));
  box = c.GetBoundBox();
  EXPECT_EQ(box.minX, 0.0);
  EXPECT_EQ(box.maxX, 4.0);
  EXPECT_EQ(box.minY, 0.0);
  EXPECT_DOUBLE_EQ(box.maxY, 3.0);
}

TEST(CompositeCurve2d, FlipReversesTheChain) {
  GkCompositeCurve2d c;
  c.append(Seg(0, 0, 1, 0));
  c.append(Seg(1, 0, 1, 2));
  const AcGePoint2d oldEnd = c.endPoint();
  const AcGePoint2d oldStart = c.startPoint();
  c.Flip();
  EXPECT_POINT_EQ(c.startPoint(), oldEnd);
  EXPECT_POINT_EQ(c.endPoint(), oldStart);
  std::vector<GkCurve2d*> list;
  c.GetCurveList(list);
  EXPECT_POINT_EQ(list[0]->endPoint(), AcGePoint2d(1, 0));
  EXPECT_POINT_EQ(c.midPoint(), AcGePoint2d(0, 0));
}

// ---- sampling and the loop sinks ----

TEST(CompositeCurve2d, SquareSamplesToFivePointsForAnyTolerance) {
  std::unique_ptr<GkCompositeCurve2d> square(testsupport::RectLoop(0, 0, 10, 10));
  const std::vector<AcGePoint2d> corners{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
  for (double tol : {1e-6, 0.01, 100.0}) {
    SCOPED_TRACE(tol);
    std::vector<AcGePoint2d> pts(7, AcGePoint2d(9, 9));
    square->GetSampleBuffer(pts, tol);
    ASSERT_EQ(pts.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_POINT_EQ(pts[i], corners[i]);
    RecordXY xy;
    square->GetSamplePointXY(xy, tol);
    RecordPoint pp;
    square->getSamplePoints(pp, tol);
    ASSERT_EQ(xy.pts.size(), 5u);
    ASSERT_EQ(pp.pts.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
      EXPECT_POINT_EQ(xy.pts[i], corners[i]);
      EXPECT_POINT_EQ(pp.pts[i], corners[i]);
    }
  }
}

TEST(CompositeCurve2d, SamplingDropsEveryJointOnce) {
  // Each member's own sampling, joined without repeats, is the chain's.
  std::unique_ptr<GkCompositeCurve2d> loop(testsupport::RoundedRectLoop(0, 0, 8, 5, 1.5));
  std::vector<GkCurve2d*> members;
  loop->GetCurveList(members);
  std::vector<AcGePoint2d> expected{members[0]->startPoint()};
  for (GkCurve2d* m : members) {
    std::vector<AcGePoint2d> own;
    m->GetSampleBuffer(own, 0.01);
    expected.insert(expected.end(), own.begin() + 1, own.end());
  }
  std::vector<AcGePoint2d> pts;
  loop->GetSampleBuffer(pts, 0.01);
  RecordXY xy;
  loop->GetSamplePointXY(xy, 0.01);
  RecordPoint pp;
  loop->getSamplePoints(pp, 0.01);
  for (const auto* got : {&pts, &xy.pts, &pp.pts}) {
    ASSERT_EQ(got->size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_POINT_EQ((*got)[i], expected[i]);
  }
  EXPECT_POINT_NEAR(pts.back(), pts.front(), 1e-12);
}

TEST(CompositeCurve2d, LoopSinksDropTheFirstPoint) {
  std::vector<AcGePoint2d> list;
  GetLoopSample toList(&list);
  RecordPoint rp;
  GetLoopSamplePoint toPoint(&rp);
  RecordXY rx;
  GetLoopSampleXY toXY(&rx);
  GetAreaSampleXY area(5.0, 1.0, 2.0);
  const std::vector<AcGePoint2d> in{{7, 7}, {3, 2}, {3, 6}};
  for (const AcGePoint2d& p : in) {
    toList.AddPoint(p);
    toPoint.AddPoint(p);
    toXY.AddXY(p.x, p.y);
    area.AddXY(p.x, p.y);
  }
  for (const auto* got : {&list, &rp.pts, &rx.pts}) {
    ASSERT_EQ(got->size(), 2u);
    EXPECT_POINT_EQ((*got)[0], in[1]);
    EXPECT_POINT_EQ((*got)[1], in[2]);
  }
  // The first point leaves the previous point (1, 2) as it was:
  // 5 + (1 + 3)(2 - 2) + (3 + 3)(6 - 2) = 29.
  EXPECT_EQ(area.Sum(), 29.0);
  EXPECT_EQ(area.PrevX(), 3.0);
  EXPECT_EQ(area.PrevY(), 6.0);
}

// ---- orientation and area ----

TEST(CompositeCurve2d, UnitSquareOrientationAndArea) {
  std::unique_ptr<GkCompositeCurve2d> sq(testsupport::RectLoop(0, 0, 1, 1));
  EXPECT_TRUE(sq->Orientation());
  for (double tol : {1e-9, 0.1, 5.0}) EXPECT_DOUBLE_EQ(sq->Area(tol), 1.0) << tol;
  const AcGePoint2d oldEnd = sq->endPoint();
  sq->Flip();
  EXPECT_FALSE(sq->Orientation());
  EXPECT_DOUBLE_EQ(sq->Area(0.1), 1.0);
  EXPECT_POINT_EQ(sq->startPoint(), oldEnd);
}

// Circles made of one or two arcs enclose their real area; a loop of one or
// two segments (there and back) encloses none.
TEST(CompositeCurve2d, LoopsOfFewerThanThreeMembersHaveTheirRealArea) {
  GkCompositeCurve2d halves;
  halves.append(new AcGeCircArc2d(AcGePoint2d(0, 0), 1.0, 0.0, kPi, true));
  halves.append(new AcGeCircArc2d(AcGePoint2d(0, 0), 1.0, kPi, 2 * kPi, true));
  std::unique_ptr<GkCompositeCurve2d> circle(testsupport::CircleLoop({0, 0}, 1.0));
  // A full-circle arc keeps its direction under Flip, so the clockwise case
  // is built clockwise; the two halves are flipped.
  std::unique_ptr<GkCompositeCurve2d> cwCircle(testsupport::CircleLoop({0, 0}, 1.0, false));
  GkCompositeCurve2d cwHalves(halves);
  cwHalves.Flip();
  for (GkCompositeCurve2d* c : {&halves, circle.get(), &cwHalves, cwCircle.get()}) {
    // The sampled polygon lies inside the circle, short by at most the
    // sagitta times the circumference.
    EXPECT_LE(c->Area(0.001), kPi);
    EXPECT_GE(c->Area(0.001), kPi - 0.001 * 2 * kPi);
    EXPECT_EQ(c->Orientation(), c == &halves || c == circle.get());
  }
  GkCompositeCurve2d thereAndBack;
  thereAndBack.append(new AcGeLineSeg2d(AcGePoint2d(0, 0), AcGePoint2d(3, 1)));
  thereAndBack.append(new AcGeLineSeg2d(AcGePoint2d(3, 1), AcGePoint2d(0, 0)));
  EXPECT_EQ(thereAndBack.Area(0.01), 0.0);
  EXPECT_FALSE(thereAndBack.Orientation());
}

// Arcs far below the coarse orientation tolerance (0.1) sample to their
// chords; two half circles then collapse onto a diameter. The direction
// must still come out.
TEST(CompositeCurve2d, OrientationOfTinyArcLoops) {
  for (double r : {0.04, 0.01, 1e-4}) {
    for (bool ccw : {true, false}) {
      SCOPED_TRACE(testing::Message() << "r " << r << " ccw " << ccw);
      GkCompositeCurve2d halves;
      halves.append(new AcGeCircArc2d(AcGePoint2d(3, 2), r, 0.0, kPi, true));
      halves.append(new AcGeCircArc2d(AcGePoint2d(3, 2), r, kPi, 2 * kPi, true));
      if (!ccw) halves.Flip();
      EXPECT_EQ(halves.Orientation(), ccw);
      // A D shape: a half circle closed by its diameter.
      GkCompositeCurve2d d;
      d.append(new AcGeCircArc2d(AcGePoint2d(3, 2), r, 0.0, kPi, true));
      d.append(new AcGeLineSeg2d(AcGePoint2d(3 - r, 2), AcGePoint2d(3 + r, 2)));
      if (!ccw) d.Flip();
      EXPECT_EQ(d.Orientation(), ccw);
    }
  }
  // A loop that truly encloses nothing stays false.
  GkCompositeCurve2d thereAndBack;
  thereAndBack.append(new AcGeLineSeg2d(AcGePoint2d(0, 0), AcGePoint2d(0.01, 0)));
  thereAndBack.append(new AcGeLineSeg2d(AcGePoint2d(0.01, 0), AcGePoint2d(0, 0)));
  EXPECT_FALSE(thereAndBack.Orientation());
}

// A thin lune: its arcs sampled coarsely cross each other, and the chord
// polygon turns the other way. The direction must be the loop's own at every
// size, as a fine sampling's signed area says.
TEST(CompositeCurve2d, OrientationOfThinLunesAtEverySize) {
  struct Lune {
    double top, low;  // heights of the two arcs' middles, in units of the size
  };
  for (const Lune l : {Lune{1.0, 0.5}, Lune{0.09, 0.05}}) {
    for (const double s : {0.04, 1.0, 1000.0}) {
      for (const bool ccw : {true, false}) {
        SCOPED_TRACE(testing::Message()
                     << "heights " << l.top << ", " << l.low << " size " << s << " ccw " << ccw);
        const AcGePoint2d a(-s, 0), b(s, 0), c(s, 0.001 * s);
        // Clockwise as built: over the top from a to b, down to c, back to a
        // through a lower arc.
        GkCompositeCurve2d lune;
        lune.append(new AcGeCircArc2d(a, AcGePoint2d(0, l.top * s), b));
        lune.append(new AcGeLineSeg2d(b, c));
        lune.append(new AcGeCircArc2d(c, AcGePoint2d(0, l.low * s), a));
        if (ccw) lune.Flip();
        std::vector<AcGePoint2d> pts;
        lune.GetSampleBuffer(pts, 1e-6 * s);
        double twice = 0.0;
        for (std::size_t i = 0; i + 1 < pts.size(); ++i)
          twice += pts[i].x * pts[i + 1].y - pts[i + 1].x * pts[i].y;
        ASSERT_EQ(twice > 0.0, ccw) << "the lune is built as meant";
        EXPECT_EQ(lune.Orientation(), ccw);
      }
    }
  }
}

TEST(CompositeCurve2d, AreaOfArcLoopsConvergesToTheTrueArea) {
  // A sampled arc lies inside its circle, so the area falls short by less
  // than the sagitta times the arc length.
  struct Case {
    const char* name;
    GkCompositeCurve2d* loop;
    double area;
    double arcLength;
  };
  const double rc = 1.5;
  std::vector<Case> cases{
      {"rounded rect", testsupport::RoundedRectLoop(0, 0, 8, 5, rc), 40.0 - (4.0 - kPi) * rc * rc,
       2 * kPi * rc},
      {"slot", testsupport::SlotLoop(-2, 3, 1, 2), 5 * 4 + kPi * 4, 2 * kPi * 2},
      {"pie", QuarterPie(true).release(), kPi / 4, kPi / 2},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<GkCompositeCurve2d> owned(c.loop);
    EXPECT_TRUE(c.loop->Orientation());
    for (double tol : {0.01, 0.001, 0.0001}) {
      const double a = c.loop->Area(tol);
      EXPECT_LE(a, c.area + 1e-9) << tol;
      EXPECT_GE(a, c.area - tol * c.arcLength) << tol;
    }
    c.loop->Flip();
    EXPECT_FALSE(c.loop->Orientation());
    EXPECT_NEAR(c.loop->Area(0.0001), c.area, 0.0001 * c.arcLength);
  }
}

// ---- point in loop ----

struct PointInCase {
  std::string name;
  AcGePoint2d p;
  bool inside;
};

class SquarePointIn : public testing::TestWithParam<PointInCase> {};

TEST_P(SquarePointIn, FollowsTheCrossingRule) {
  std::unique_ptr<GkCompositeCurve2d> sq(testsupport::RectLoop(0, 0, 10, 10));
  EXPECT_EQ(sq->IsPointIn(GetParam().p), GetParam().inside);
  sq->Flip();
  EXPECT_EQ(sq->IsPointIn(GetParam().p), GetParam().inside) << "direction does not matter";
}

INSTANTIATE_TEST_SUITE_P(
    CompositeCurve2d, SquarePointIn,
    testing::Values(
        PointInCase{"centre", {5, 5}, true}, PointInCase{"rightOutside", {15, 5}, false},
        // Passes the box test, but the right edge is not strictly right of it.
        PointInCase{"justRightOfEdge", {10 + 1e-9, 5}, false},
        PointInCase{"justInsideRight", {10 - 1e-6, 5}, true},
        PointInCase{"leftOutside", {-1, 5}, false},
        // The ray runs along the bottom edge: horizontal edges never
        // count, the lower corner counts as below, so the bottom is in.
        PointInCase{"onBottomEdge", {5, 0}, true}, PointInCase{"onTopEdge", {5, 10}, false},
        PointInCase{"belowBox", {5, -1e-7}, false}, PointInCase{"aboveBox", {5, 10 + 1e-7}, false}),
    [](const testing::TestParamInfo<PointInCase>& info) { return info.param.name; });

TEST(CompositeCurve2d, DiamondCornersOnTheRayCountOnce) {
  std::unique_ptr<GkCompositeCurve2d> diamond(
      testsupport::PolygonLoop({{0, 5}, {5, 0}, {10, 5}, {5, 10}}));
  const std::vector<PointInCase> cases{{"inside", {2, 5}, true},
                                       {"outsideLeft", {-1, 5}, false},
                                       {"centre", {5, 5}, true},
                                       {"nearRight", {9.9, 5}, true},
                                       {"outsideCorner", {9.9, 9.9}, false}};
  for (const PointInCase& c : cases) EXPECT_EQ(diamond->IsPointIn(c.p), c.inside) << c.name;
}

TEST(CompositeCurve2d, PointRightOfEveryMemberIsOutside) {
  std::unique_ptr<GkCompositeCurve2d> tri(testsupport::PolygonLoop({{0, 0}, {10, 0}, {0, 10}}));
  EXPECT_FALSE(tri->IsPointIn(AcGePoint2d(9, 9)));
  EXPECT_TRUE(tri->IsPointIn(AcGePoint2d(1, 1)));
}

namespace {

// A pie: a counter-clockwise arc about c from `from` to `to`, then the two
// radii back through c.
std::unique_ptr<GkCompositeCurve2d> Pie(const AcGePoint2d& c, double r, double from, double to) {
  auto loop = std::make_unique<GkCompositeCurve2d>();
  auto* arc = new AcGeCircArc2d(c, r, from, to, true);
  const AcGePoint2d s = arc->startPoint(), e = arc->endPoint();
  loop->append(arc);
  loop->append(new AcGeLineSeg2d(e, c));
  loop->append(new AcGeLineSeg2d(c, s));
  return loop;
}

}  // namespace

// The cuts at the top and bottom of the circle and the crossings of the
// ray stay within the arc's sweep. An arc starting 5e-8 past the top (as
// arcs rebuilt through three points do) cut there again a turn away, and a
// crossing at the start of a small arc far from the origin, whose angle
// reads 7e-7 below the start angle, was moved a turn away too: each added
// a chord across the whole arc, and points well inside read outside.
TEST(CompositeCurve2d, ArcEndsNearTheTopOrAtRoundedEndPointsCountOnce) {
  const double pi = 3.141592653589793;
  for (const double delta : {0.0, 5e-8, -5e-8, 2e-7}) {
    const auto quarter = Pie(AcGePoint2d(0, 0), 1.0, pi / 2 + delta, pi);
    EXPECT_TRUE(quarter->IsPointIn(AcGePoint2d(-0.6, 0.5))) << delta;
    EXPECT_TRUE(quarter->IsPointIn(AcGePoint2d(-0.3, 0.3))) << delta;
    EXPECT_FALSE(quarter->IsPointIn(AcGePoint2d(-0.8, 0.8))) << delta;
    const auto bottom = Pie(AcGePoint2d(0, 0), 1.0, 3 * pi / 2 + delta, 2 * pi);
    EXPECT_TRUE(bottom->IsPointIn(AcGePoint2d(0.6, -0.5))) << delta;
    EXPECT_FALSE(bottom->IsPointIn(AcGePoint2d(-0.1, -0.5))) << delta;
  }
  // Pies of sweep 1 and radius 1e-5 about (1e6 + 0.123, 1e6 + 0.456); a
  // point on the horizontal through the start vertex, halfway between the
  // two radii (inside: for start angles up to (pi - 1) / 2 the horizontal
  // meets the second radius within the circle), about 1e-6 from the edges.
  const AcGePoint2d c(1000000.123, 1000000.456);
  for (int k = 0; k < 200; ++k) {
    const double alpha = 0.3 + 0.0035 * k;
    const auto pie = Pie(c, 1e-5, alpha, alpha + 1.0);
    const AcGePoint2d s = pie->startPoint();
    const double xLeft = c.x + (s.y - c.y) / std::tan(alpha + 1.0);
    EXPECT_TRUE(pie->IsPointIn(AcGePoint2d(0.5 * (xLeft + s.x), s.y))) << "start angle " << alpha;
  }
}

TEST(CompositeCurve2d, QuarterPieContainmentEitherArcDirection) {
  const std::vector<PointInCase> cases{
      {"inside", {0.7, 0.5}, true},      {"outsideArc", {0.9, 0.5}, false},
      {"nearTop", {0.1, 0.99}, true},    {"aboveTop", {0.1, 1.01}, false},
      {"belowAxis", {0.5, -0.1}, false}, {"leftOfRadius", {-0.1, 0.5}, false}};
  for (bool ccw : {true, false}) {
    auto pie = QuarterPie(ccw);
    for (const PointInCase& c : cases) EXPECT_EQ(pie->IsPointIn(c.p), c.inside) << c.name << ccw;
  }
}

TEST(CompositeCurve2d, FullCircleContainment) {
  for (bool ccw : {true, false}) {
    std::unique_ptr<GkCompositeCurve2d> c(testsupport::CircleLoop({3, 4}, 2.0, ccw));
    const std::vector<PointInCase> cases{
        {"centre", {3, 4}, true},        {"nearTop", {3, 5.999}, true},
        {"aboveTop", {3, 6.001}, false}, {"tangentTop", {2, 6}, false},
        {"nearLeft", {1.001, 4}, true},  {"levelWithCentreRight", {5.5, 4}, false},
        {"insideLow", {3.5, 2.2}, true}};
    for (const PointInCase& pc : cases) EXPECT_EQ(c->IsPointIn(pc.p), pc.inside) << pc.name << ccw;
  }
}

// Random points against rounded rectangles: the crossing count must agree
// with the exact region (points within 1e-6 of the boundary are skipped).
TEST(CompositeCurve2d, PointInAgreesWithRoundedRectRegion) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> u(-1.0, 11.0);
  const double x0 = 0.5, y0 = 1.0, x1 = 9.0, y1 = 7.0, rc = 2.0;
  std::unique_ptr<GkCompositeCurve2d> loop(testsupport::RoundedRectLoop(x0, y0, x1, y1, rc));
  auto signedDist = [&](const AcGePoint2d& p) {
    // Distance to the rounded rectangle, negative inside.
    const double cx = std::min(std::max(p.x, x0 + rc), x1 - rc);
    const double cy = std::min(std::max(p.y, y0 + rc), y1 - rc);
    return std::hypot(p.x - cx, p.y - cy) - rc;
  };
  int checked = 0;
  for (int i = 0; i < 4000; ++i) {
    const AcGePoint2d p(u(rng), u(rng));
    const double d = signedDist(p);
    if (std::fabs(d) < 1e-6) continue;
    ++checked;
    ASSERT_EQ(loop->IsPointIn(p), d < 0) << "point (" << p.x << ", " << p.y << ")";
  }
  EXPECT_GT(checked, 3900);
  // Points level with the corner arcs' ends, where the ray meets chord joints
  // exactly, and just inside the bottom and top edges.
  for (double y : {y0 + rc, y1 - rc, y0 + 1e-6, y1 - 1e-6})
    for (double x : {x0 + 0.01, x1 - 0.01, 5.0}) {
      const AcGePoint2d p(x, y);
      EXPECT_EQ(loop->IsPointIn(p), signedDist(p) < 0) << x << ", " << y;
    }
}

// ---- distances ----

TEST(CompositeCurve2d, DistanceToPointsAndEarlyExit) {
  std::unique_ptr<GkCompositeCurve2d> sq(testsupport::RectLoop(0, 0, 10, 10));
  const GkTolerance tol;
  struct Case {
    AcGePoint2d p;
    double dist;
    AcGePoint2d nearest;
  };
  const std::vector<Case> cases{{{5, -3}, 3.0, {5, 0}},
                                {{13, 14}, 5.0, {10, 10}},
                                {{5, 4}, 4.0, {5, 0}},
                                {{7, 10}, 0.0, {7, 10}},
                                {{-2, 5}, 2.0, {0, 5}}};
  for (Case c : cases) {
    EXPECT_DOUBLE_EQ(sq->distanceTo(c.p, tol), c.dist);
    EXPECT_POINT_NEAR(sq->closestPointTo(c.p, tol), c.nearest, 1e-12);
  }
  // A point on a member, off by a residual below EqualPoint, gives exactly 0.
  AcGePoint2d onEdge(3, 1e-12);
  EXPECT_EQ(sq->distanceTo(onEdge, tol), 0.0);
}

TEST(CompositeCurve2d, DistancesToCurvesAndTheirPairs) {
  std::unique_ptr<GkCompositeCurve2d> sq(testsupport::RectLoop(0, 0, 10, 10));
  const GkTolerance tol;
  AcGeLineSeg2d seg(AcGePoint2d(12, 2), AcGePoint2d(12, 8));
  AcGePoint2d onThis(-1, -1), onOther(-1, -1);
  EXPECT_DOUBLE_EQ(sq->distanceToSeg(seg, onThis, onOther, tol), 2.0);
  EXPECT_DOUBLE_EQ(onThis.x, 10.0);
  EXPECT_DOUBLE_EQ(onOther.x, 12.0);
  EXPECT_DOUBLE_EQ(onThis.y, onOther.y);
  EXPECT_DOUBLE_EQ(sq->distanceTo(seg, tol), 2.0);
  AcGePoint2d other;
  const AcGePoint2d p = sq->closestPointTo(seg, other, tol);
  EXPECT_DOUBLE_EQ(p.x, 10.0);
  EXPECT_DOUBLE_EQ(other.x, 12.0);

  AcGeCircArc2d circle(AcGePoint2d(5, 15), 2.0);
  EXPECT_NEAR(sq->distanceTo(circle, tol), 3.0, 1e-12);
  EXPECT_NEAR(sq->distanceToArc(circle, onThis, onOther, tol), 3.0, 1e-12);
  EXPECT_POINT_NEAR(onThis, AcGePoint2d(5, 10), 1e-12);
  EXPECT_POINT_NEAR(onOther, AcGePoint2d(5, 13), 1e-12);
  const AcGePoint2d q = sq->closestPointTo(circle, other, tol);
  EXPECT_POINT_NEAR(q, AcGePoint2d(5, 10), 1e-12);
  EXPECT_POINT_NEAR(other, AcGePoint2d(5, 13), 1e-12);

  AcGeLineSeg2d crossing(AcGePoint2d(5, 5), AcGePoint2d(15, 5));
  EXPECT_EQ(sq->distanceToSeg(crossing, onThis, onOther, tol), 0.0);
  EXPECT_POINT_NEAR(onThis, AcGePoint2d(10, 5), 1e-12);
}

TEST(CompositeCurve2d, EmptyCompositeDistancesLeaveOutputsAlone) {
  GkCompositeCurve2d empty;
  const GkTolerance tol;
  AcGePoint2d p(1, 1);
  AcGeLineSeg2d seg(AcGePoint2d(0, 0), AcGePoint2d(1, 0));
  AcGeCircArc2d arc(AcGePoint2d(0, 0), 1.0);
  EXPECT_EQ(empty.distanceTo(p, tol), kInf);
  EXPECT_EQ(empty.distanceTo(seg, tol), kInf);
  EXPECT_EQ(empty.distanceTo(arc, tol), kInf);
  AcGePoint2d a(7, 7), b(8, 8);
  EXPECT_EQ(empty.distanceToSeg(seg, a, b, tol), kInf);
  EXPECT_EQ(empty.distanceToArc(arc, a, b, tol), kInf);
  EXPECT_POINT_EQ(empty.closestPointTo(seg, b, tol), AcGePoint2d(0, 0));
  EXPECT_POINT_EQ(empty.closestPointTo(p, tol), AcGePoint2d(0, 0));
  EXPECT_POINT_EQ(a, AcGePoint2d(7, 7));
  EXPECT_POINT_EQ(b, AcGePoint2d(8, 8));
  std::unique_ptr<GkCompositeCurve2d> sq(testsupport::RectLoop(0, 0, 1, 1));
  EXPECT_EQ(empty.distanceToComposite(*sq, a, b, tol), kInf);
  EXPECT_POINT_EQ(a, AcGePoint2d(7, 7));
}

TEST(CompositeCurve2d, CompositeToComposite) {
  std::unique_ptr<GkCompositeCurve2d> a(testsupport::RectLoop(0, 0, 10, 10));
  std::unique_ptr<GkCompositeCurve2d> b(testsupport::RectLoop(13, 14, 20, 20));
  std::unique_ptr<GkCompositeCurve2d> disc(testsupport::CircleLoop({5, 16}, 2.0));
  const GkTolerance tol;
  AcGePoint2d onThis, onOther;
  EXPECT_DOUBLE_EQ(a->distanceToComposite(*b, onThis, onOther, tol), 5.0);
  EXPECT_POINT_NEAR(onThis, AcGePoint2d(10, 10), 1e-12);
  EXPECT_POINT_NEAR(onOther, AcGePoint2d(13, 14), 1e-12);
  EXPECT_NEAR(disc->distanceToComposite(*a, onThis, onOther, tol), 4.0, 1e-12);
  EXPECT_POINT_NEAR(onThis, AcGePoint2d(5, 14), 1e-12);
  EXPECT_POINT_NEAR(onOther, AcGePoint2d(5, 10), 1e-12);
  AcGePoint2d other;
  EXPECT_POINT_NEAR(a->closestPointTo(*disc, other, tol), AcGePoint2d(5, 10), 1e-12);
  EXPECT_POINT_NEAR(other, AcGePoint2d(5, 14), 1e-12);
  std::unique_ptr<GkCompositeCurve2d> overlapping(testsupport::RectLoop(5, 5, 15, 15));
  EXPECT_EQ(a->distanceToComposite(*overlapping, onThis, onOther, tol), 0.0);
}
