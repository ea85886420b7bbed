// Property tests of GkClipper on random overlapping shapes made of segments
// and arcs (rounded rectangles, slots, circles, rings, polygons, D shapes,
// plates with round holes, loops in either direction):
// - area identities between the four operations;
// - containment of points away from every boundary agrees with the boolean
//   combination of the inputs;
// - every rebuilt arc lies on a source arc's circle: centre and radius match
//   within the grid error carried through the three-point construction.
#include <engine/circarc2d.h>
#include <engine/clipper.h>
#include <engine/lineseg2d.h>

#include <testsupport/random.h>
#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using testsupport::ArcsOf;
using testsupport::kPi;
using testsupport::LoopsOf;

namespace {

// The most a result boundary moves from the true one: a chord standing in for
// an arc (sampling tolerance) plus rounding and the crossings computed on the
// grid (one grid unit).
constexpr double kShift = kClipperSampleTol + kClipperGrid;
// Chord tolerance used to measure areas and lengths of inputs and results.
constexpr double kMeasureTol = 1e-4;
// Points closer than this to any input boundary are not checked for
// containment: the result boundary may lie up to kShift away.
constexpr double kClearance = 0.01;

using testsupport::Random;

GkCompositeCurve2d* MaybeFlipped(GkCompositeCurve2d* loop, Random& rnd) {
  if (rnd.Coin()) loop->Flip();
  return loop;
}

// Arc from angle a sweeping s counter-clockwise, closed by its chord.
GkCompositeCurve2d* DLoop(const AcGePoint2d& c, double r, double a, double s) {
  auto* arc = new AcGeCircArc2d(c, r, a, a + s, true);
  auto* loop = new GkCompositeCurve2d();
  const AcGePoint2d start = arc->startPoint();
  const AcGePoint2d end = arc->endPoint();
  loop->append(arc);
  loop->append(new AcGeLineSeg2d(end, start));
  return loop;
}

// Convex polygon through n points at sorted random angles about c.
GkCompositeCurve2d* ConvexLoop(const AcGePoint2d& c, int n, Random& rnd) {
  std::vector<double> angles;
  for (int i = 0; i < n; ++i) angles.push_back(rnd.U(0, 2 * kPi));
  std::sort(angles.begin(), angles.end());
  const double r = rnd.U(1.5, 3.5);
  std::vector<AcGePoint2d> pts;
  for (double a : angles) pts.emplace_back(c.x + r * std::cos(a), c.y + r * std::sin(a));
  return testsupport::PolygonLoop(pts);
}

// A random shape in the square 0..10, described in `name`.
GkShape* RandomShape(Random& rnd, std::string& name) {
  const AcGePoint2d c(rnd.U(3, 7), rnd.U(3, 7));
  switch (rnd.I(0, 6)) {
    case 0: {
      const double w = rnd.U(2, 6), h = rnd.U(2, 6);
      const double rc = rnd.U(0.2, std::min(w, h) / 2 - 0.05);
      name = "roundedRect";
      return testsupport::MakeShape(MaybeFlipped(
          testsupport::RoundedRectLoop(c.x - w / 2, c.y - h / 2, c.x + w / 2, c.y + h / 2, rc),
          rnd));
    }
    case 1: {
      const double len = rnd.U(1, 5), r = rnd.U(0.5, 2);
      name = "slot";
      return testsupport::MakeShape(
          MaybeFlipped(testsupport::SlotLoop(c.x - len / 2, c.x + len / 2, c.y, r), rnd));
    }
    case 2:
      name = "circle";
      return testsupport::MakeShape(testsupport::CircleLoop(c, rnd.U(0.5, 3), rnd.Coin()));
    case 3: {
      const double ro = rnd.U(1.5, 3.5);
      name = "ring";
      return testsupport::MakeShape(testsupport::CircleLoop(c, ro, rnd.Coin()),
                                    {testsupport::CircleLoop(c, rnd.U(0.3, ro - 0.5), rnd.Coin())});
    }
    case 4:
      name = "polygon";
      return testsupport::MakeShape(MaybeFlipped(ConvexLoop(c, rnd.I(3, 7), rnd), rnd));
    case 5: {
      const double w = rnd.U(3, 7), h = rnd.U(3, 7);
      // The slot hole (3 hr long, 2 hr high) stays 0.4 inside the plate.
      const double hr = rnd.U(0.3, std::min((w - 1.2) / 3, (h - 1.2) / 2));
      const AcGePoint2d hc(c.x + rnd.U(-0.2, 0.2), c.y + rnd.U(-0.2, 0.2));
      name = "plateWithHole";
      return testsupport::MakeShape(
          MaybeFlipped(testsupport::RectLoop(c.x - w / 2, c.y - h / 2, c.x + w / 2, c.y + h / 2),
                       rnd),
          {MaybeFlipped(testsupport::SlotLoop(hc.x - hr / 2, hc.x + hr / 2, hc.y, hr), rnd)});
    }
    default:
      name = "dShape";
      return testsupport::MakeShape(MaybeFlipped(
          DLoop(c, rnd.U(1, 3.5), rnd.U(0, 2 * kPi), rnd.U(0.5 * kPi, 1.7 * kPi)), rnd));
  }
}

struct Outcome {
  std::vector<GkShape*> shapes;
  ~Outcome() { testsupport::DeleteShapes(shapes); }
  double Area() const { return testsupport::TotalArea(shapes, kMeasureTol); }
  bool Contains(const AcGePoint2d& p) const {
    for (GkShape* s : shapes)
      if (s->IsPointIn(p)) return true;
    return false;
  }
};

class RandomPair : public testing::TestWithParam<unsigned> {};

}  // namespace

TEST_P(RandomPair, AreaIdentitiesContainmentAndRebuiltArcs) {
  Random rnd(GetParam());
  std::string nameA, nameB;
  std::unique_ptr<GkShape> a(RandomShape(rnd, nameA));
  std::unique_ptr<GkShape> b(RandomShape(rnd, nameB));
  SCOPED_TRACE(nameA + " with " + nameB);

  std::vector<GkShape*> operands{a.get(), b.get()};
  GkClipper clipper;
  clipper.SetShapeList(operands);
  Outcome inter, uni, diff, xr;
  clipper.Execute({kClipIntersection}, inter.shapes);
  clipper.Execute({kClipUnion}, uni.shapes);
  clipper.Execute({kClipDifference}, diff.shapes);
  clipper.Execute({kClipXor}, xr.shapes);
  ASSERT_FALSE(uni.shapes.empty());

  // Area identities. The boundaries of the results are pieces of the input
  // boundaries, each used at most twice over both sides of an identity, each
  // moved by at most kShift (plus the measuring chords).
  const double areaA = testsupport::ShapeArea(*a, kMeasureTol);
  const double areaB = testsupport::ShapeArea(*b, kMeasureTol);
  const double length = testsupport::ShapePerimeter(*a) + testsupport::ShapePerimeter(*b);
  const double tol = 2 * (kShift + kMeasureTol) * length;
  EXPECT_NEAR(uni.Area() + inter.Area(), areaA + areaB, tol);
  EXPECT_NEAR(diff.Area(), areaA - inter.Area(), tol);
  EXPECT_NEAR(xr.Area(), uni.Area() - inter.Area(), tol);

  // Containment away from the boundaries follows the boolean operation.
  const GkTolerance gtol;
  auto clear = [&](AcGePoint2d p) {
    for (GkShape* s : operands)
      for (GkCompositeCurve2d* loop : LoopsOf(*s))
        if (loop->distanceTo(p, gtol) < kClearance) return false;
    return true;
  };
  int checked = 0;
  for (int i = 0; i < 150; ++i) {
    const AcGePoint2d p(rnd.U(-0.5, 10.5), rnd.U(-0.5, 10.5));
    if (!clear(p)) continue;
    ++checked;
    const bool inA = a->IsPointIn(p), inB = b->IsPointIn(p);
    std::ostringstream where;
    where << "point (" << p.x << ", " << p.y << ") inA " << inA << " inB " << inB;
    EXPECT_EQ(inter.Contains(p), inA && inB) << where.str();
    EXPECT_EQ(uni.Contains(p), inA || inB) << where.str();
    EXPECT_EQ(diff.Contains(p), inA && !inB) << where.str();
    EXPECT_EQ(xr.Contains(p), inA != inB) << where.str();
  }
  EXPECT_GT(checked, 100);

  // Every rebuilt arc sits on the circle of a source arc.
  std::vector<AcGeCircArc2d*> sources = ArcsOf(*a);
  const std::vector<AcGeCircArc2d*> arcsB = ArcsOf(*b);
  sources.insert(sources.end(), arcsB.begin(), arcsB.end());
  for (const Outcome* o : {&inter, &uni, &diff, &xr}) {
    for (GkShape* s : o->shapes) {
      for (AcGeCircArc2d* arc : ArcsOf(*s)) {
        ASSERT_FALSE(sources.empty()) << "an arc came back although no input has one";
        EXPECT_LE(testsupport::SourceCircleError(*arc, sources),
                  testsupport::RebuiltArcTolerance(*arc))
            << "arc sweep " << arc->GetArcSweepangle() << " radius " << arc->radius();
      }
    }
  }
}

// 120 fixed seeds: reproducible, and each failure names its seed.
INSTANTIATE_TEST_SUITE_P(Clipper, RandomPair, testing::Range(1u, 121u));

// Two equal types in a row run as one operation with the union of their
// shapes: a op (b u c), checked by containment of points clear of every
// boundary.
TEST(ClipperProperty, RunOfEqualTypesUsesTheUnionOfItsShapes) {
  const GkTolerance gtol;
  for (unsigned seed = 500; seed < 540; ++seed) {
    SCOPED_TRACE(seed);
    Random rnd(seed);
    std::string n1, n2, n3;
    std::unique_ptr<GkShape> a(RandomShape(rnd, n1)), b(RandomShape(rnd, n2)),
        c(RandomShape(rnd, n3));
    std::vector<GkShape*> three{a.get(), b.get(), c.get()};
    GkClipper clipper;
    clipper.SetShapeList(three);
    struct Op {
      GkClipType type;
      bool (*combine)(bool, bool);
    };
    const Op ops[] = {{kClipIntersection, [](bool x, bool y) { return x && y; }},
                      {kClipUnion, [](bool x, bool y) { return x || y; }},
                      {kClipDifference, [](bool x, bool y) { return x && !y; }},
                      {kClipXor, [](bool x, bool y) { return x != y; }}};
    for (const Op& op : ops) {
      SCOPED_TRACE(static_cast<int>(op.type));
      Outcome run;
      clipper.Execute({op.type, op.type}, run.shapes);
      for (int i = 0; i < 100; ++i) {
        AcGePoint2d p(rnd.U(-0.5, 10.5), rnd.U(-0.5, 10.5));
        bool clear = true;
        for (GkShape* s : three)
          for (GkCompositeCurve2d* loop : LoopsOf(*s))
            clear = clear && loop->distanceTo(p, gtol) >= kClearance;
        if (!clear) continue;
        const bool expected = op.combine(a->IsPointIn(p), b->IsPointIn(p) || c->IsPointIn(p));
        EXPECT_EQ(run.Contains(p), expected) << "point (" << p.x << ", " << p.y << ")";
      }
    }
  }
}
