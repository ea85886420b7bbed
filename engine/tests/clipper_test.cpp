// GkClipper::Execute on named cases: squares, circles and rings, arcs rebuilt
// from surviving runs, merged runs of equal operations, islands in holes,
// the count rule, and inputs that must stay untouched.
#include <engine/circarc2d.h>
#include <engine/clipper.h>
#include <engine/lineseg2d.h>

#include <testsupport/geometry_asserts.h>
#include <testsupport/shape_builders.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using testsupport::ArcsOf;
using testsupport::CircleLoop;
using testsupport::kPi;
using testsupport::LoopsOf;
using testsupport::MakeShape;
using testsupport::RectLoop;
using testsupport::ShapeArea;
using testsupport::TotalArea;

namespace {

// A grid unit, and the centre/radius tolerance of a circle rebuilt through
// three grid points 120 degrees apart (each off by at most half a diagonal).
constexpr double kGrid = kClipperGrid;
// How far a boundary may move, and so the area tolerance per unit of
// boundary length: a grid unit covers rounding to the grid (half a diagonal)
// and the crossings the clipping computes; arcs add the sampling tolerance
// kClipperSampleTol where a chord stands in for the arc.
constexpr double kGridShift = kGrid;
constexpr double kArcShift = kClipperSampleTol + kGrid;

double Perimeter(const std::vector<GkShape*>& shapes) {
  double len = 0.0;
  for (GkShape* s : shapes) len += testsupport::ShapePerimeter(*s);
  return len;
}

// Owns the input shapes and the result of one Execute call.
struct ClipRun {
  std::vector<std::unique_ptr<GkShape>> inputs;
  std::vector<GkShape*> result;

  ClipRun() = default;
  ClipRun(const ClipRun&) = delete;
  ClipRun& operator=(const ClipRun&) = delete;
  ~ClipRun() { testsupport::DeleteShapes(result); }

  ClipRun& Add(GkShape* s) {
    inputs.emplace_back(s);
    return *this;
  }
  std::vector<GkShape*>& Execute(const std::vector<GkClipType>& types) {
    std::vector<GkShape*> ptrs;
    for (auto& s : inputs) ptrs.push_back(s.get());
    GkClipper clipper;
    clipper.SetShapeList(ptrs);
    testsupport::DeleteShapes(result);
    clipper.Execute(types, result);
    return result;
  }
};

// Outer loops run counter-clockwise, holes clockwise, as the clipper makes
// them; every loop closes.
void ExpectWellFormed(GkShape& shape) {
  const auto loops = LoopsOf(shape);
  ASSERT_FALSE(loops.empty());
  for (std::size_t i = 0; i < loops.size(); ++i) {
    const double a = testsupport::SignedLoopArea(*loops[i]);
    if (i == 0) {
      EXPECT_GT(a, 0.0) << "outer loop counter-clockwise";
    } else {
      EXPECT_LT(a, 0.0) << "hole " << i << " clockwise";
    }
    EXPECT_POINT_NEAR(loops[i]->startPoint(), loops[i]->endPoint(), 1e-9);
  }
}

}  // namespace

TEST(Clipper, OverlappingSquaresUniteIntoOneLoopOfSegments) {
  ClipRun run;
  run.Add(MakeShape(RectLoop(0, 0, 10, 10))).Add(MakeShape(RectLoop(5, 5, 15, 15)));
  auto& result = run.Execute({kClipUnion});
  ASSERT_EQ(result.size(), 1u);
  ExpectWellFormed(*result[0]);
  const auto loops = LoopsOf(*result[0]);
  ASSERT_EQ(loops.size(), 1u);
  EXPECT_EQ(loops[0]->GetCurveCnt(), 8);
  EXPECT_TRUE(ArcsOf(*loops[0]).empty());
  EXPECT_NEAR(ShapeArea(*result[0]), 175.0, kGridShift * Perimeter(result));
}

TEST(Clipper, DisjointSquaresStayTwoShapes) {
  ClipRun run;
  run.Add(MakeShape(RectLoop(0, 0, 10, 10))).Add(MakeShape(RectLoop(20, 0, 30, 10)));
  auto& result = run.Execute({kClipUnion});
  ASSERT_EQ(result.size(), 2u);
  EXPECT_NEAR(TotalArea(result), 200.0, kGridShift * Perimeter(result));
}

TEST(Clipper, EachOperationOnTwoSquares) {
  struct Case {
    const char* name;
    GkClipType type;
    double area;
    std::size_t shapes;
  };
  for (Case c :
       {Case{"intersection", kClipIntersection, 25.0, 1}, Case{"union", kClipUnion, 175.0, 1},
        Case{"difference", kClipDifference, 75.0, 1}, Case{"xor", kClipXor, 150.0, 2}}) {
    SCOPED_TRACE(c.name);
    ClipRun run;
    run.Add(MakeShape(RectLoop(0, 0, 10, 10))).Add(MakeShape(RectLoop(5, 5, 15, 15)));
    auto& result = run.Execute({c.type});
    EXPECT_EQ(result.size(), c.shapes);
    EXPECT_NEAR(TotalArea(result), c.area, kGridShift * Perimeter(result));
    for (GkShape* s : result) ExpectWellFormed(*s);
  }
}

// A keyhole: a square whose hole is reached by a bridge run there and back
// along one line, xor-ed with a crossed polygon. ClipperLib's exclusive-or
// of such a ring lost 44% of the area; an exclusive-or first unites each
// operand whose edges run there and back. The region is the same whether the
// bridge runs across (y) or up (x), and is checked against the rule
// |A xor B| = |A| + |B| - 2 |A and B|.
TEST(Clipper, XorOfAKeyholeIsTheXorOfItsRegion) {
  // Grid coordinates of the case: the square 0..1000, its hole 220..610.
  auto at = [](double x, double y) {
    return AcGePoint2d(x / kClipperGridPerUnit, y / kClipperGridPerUnit);
  };
  const std::vector<AcGePoint2d> other{at(68, 164),  at(404, -88), at(776, 152),
                                       at(464, 44),  at(812, 464), at(512, 836),
                                       at(104, 788), at(-28, 836), at(140, 20)};
  for (bool across : {true, false}) {
    SCOPED_TRACE(across ? "bridge across" : "bridge up");
    // (x, y) read as (y, x) mirrors the case for the bridge up.
    auto p = [&](double x, double y) { return across ? at(x, y) : at(y, x); };
    std::vector<AcGePoint2d> key{p(0, 0),     p(1000, 0),   p(1000, 550),  p(610, 550),
                                 p(610, 220), p(220, 220),  p(220, 610),   p(610, 610),
                                 p(610, 550), p(1000, 550), p(1000, 1000), p(0, 1000)};
    std::vector<AcGePoint2d> partner = other;
    if (!across) {
      std::reverse(key.begin(), key.end());
      for (AcGePoint2d& q : partner) q = AcGePoint2d(q.y, q.x);
      std::reverse(partner.begin(), partner.end());
    }
    ClipRun both;
    both.Add(MakeShape(testsupport::PolygonLoop(key)))
        .Add(MakeShape(testsupport::PolygonLoop(partner)));
    const double common = TotalArea(both.Execute({kClipIntersection}));
    ClipRun a, b, x;
    const double keyArea = TotalArea(a.Add(MakeShape(testsupport::PolygonLoop(key))).Execute({}));
    const double partnerArea =
        TotalArea(b.Add(MakeShape(testsupport::PolygonLoop(partner))).Execute({}));
    x.Add(MakeShape(testsupport::PolygonLoop(key)))
        .Add(MakeShape(testsupport::PolygonLoop(partner)));
    auto& result = x.Execute({kClipXor});
    const double side = 1000 / kClipperGridPerUnit;
    EXPECT_NEAR(keyArea, side * side - std::pow(390 / kClipperGridPerUnit, 2), 1e-9);
    EXPECT_NEAR(TotalArea(result), keyArea + partnerArea - 2 * common,
                kGridShift * Perimeter(result));
    for (GkShape* s : result) ExpectWellFormed(*s);
  }
}

TEST(Clipper, SquareMinusConcentricCircleHasAFullCircleHole) {
  ClipRun run;
  run.Add(MakeShape(RectLoop(0, 0, 10, 10))).Add(MakeShape(CircleLoop({5, 5}, 3.0)));
  auto& result = run.Execute({kClipDifference});
  ASSERT_EQ(result.size(), 1u);
  ExpectWellFormed(*result[0]);
  const auto loops = LoopsOf(*result[0]);
  ASSERT_EQ(loops.size(), 2u);
  EXPECT_EQ(loops[0]->GetCurveCnt(), 4);
  ASSERT_EQ(loops[1]->GetCurveCnt(), 1);
  const auto arcs = ArcsOf(*loops[1]);
  ASSERT_EQ(arcs.size(), 1u);
  EXPECT_TRUE(arcs[0]->IsCircle());
  EXPECT_TRUE(arcs[0]->isClockWise()) << "a hole runs clockwise";
  EXPECT_POINT_NEAR(arcs[0]->center(), AcGePoint2d(5, 5), kGrid);
  EXPECT_NEAR(arcs[0]->radius(), 3.0, kGrid);
  EXPECT_FALSE(result[0]->IsPointIn(AcGePoint2d(5, 5)));
  EXPECT_TRUE(result[0]->IsPointIn(AcGePoint2d(1, 1)));
  EXPECT_NEAR(ShapeArea(*result[0]), 100.0 - 9.0 * kPi, kGridShift * Perimeter(result));
}

TEST(Clipper, CircleCuttingOneEdgeLeavesOneRebuiltArc) {
  // The circle pokes 1.7 units into the square through its right edge.
  const AcGePoint2d c(10.3, 5.1);
  const double r = 2.0;
  ClipRun run;
  run.Add(MakeShape(RectLoop(0, 0, 10, 10))).Add(MakeShape(CircleLoop(c, r)));
  auto& result = run.Execute({kClipDifference});
  ASSERT_EQ(result.size(), 1u);
  ExpectWellFormed(*result[0]);
  const auto loops = LoopsOf(*result[0]);
  ASSERT_EQ(loops.size(), 1u);
  std::vector<GkCurve2d*> members;
  loops[0]->GetCurveList(members);
  const auto arcs = ArcsOf(*loops[0]);
  ASSERT_EQ(arcs.size(), 1u);
  EXPECT_TRUE(arcs[0]->isClockWise()) << "the bite is concave in a counter-clockwise loop";
  EXPECT_POINT_NEAR(arcs[0]->center(), c, 10 * kGrid);
  EXPECT_NEAR(arcs[0]->radius(), r, 10 * kGrid);

  // The arc's neighbours are segments reaching the two plain intersection
  // vertices on the edge x = 10.
  const double half = std::sqrt(r * r - 0.3 * 0.3);
  std::size_t at = 0;
  while (members[at] != arcs[0]) ++at;
  const GkCurve2d* before = members[(at + members.size() - 1) % members.size()];
  const GkCurve2d* after = members[(at + 1) % members.size()];
  ASSERT_EQ(before->GetCrvType(), kCrvLineSeg);
  ASSERT_EQ(after->GetCrvType(), kCrvLineSeg);
  // The polygon crosses the edge at a chord of the sampled circle: within the
  // sampling tolerance plus rounding of the true crossing.
  const double crossTol = kClipperSampleTol + 2 * kGrid;
  EXPECT_POINT_NEAR(before->startPoint(), AcGePoint2d(10, c.y - half), crossTol);
  EXPECT_POINT_NEAR(after->endPoint(), AcGePoint2d(10, c.y + half), crossTol);
  EXPECT_NEAR(before->startPoint().x, 10.0, kGrid) << "a plain vertex on the edge";
  EXPECT_LT(before->startPoint().distanceTo(before->endPoint()), 0.3);
  EXPECT_LT(after->startPoint().distanceTo(after->endPoint()), 0.3);

  const double bite = r * r * std::acos(0.3 / r) - 0.3 * half;
  EXPECT_NEAR(ShapeArea(*result[0]), 100.0 - bite, kArcShift * Perimeter(result));
}

TEST(Clipper, RingsAndDiscs) {
  struct Case {
    const char* name;
    GkClipType type;
    double area;
    std::size_t shapes;
    std::size_t loopsOfFirst;
  };
  // Ring r 2..4 about the origin against a disc of radius 3 about the origin.
  const double ring = kPi * (16 - 4), disc = 9 * kPi, common = kPi * (9 - 4);
  for (Case c : {Case{"union", kClipUnion, kPi * 16, 1, 1},
                 Case{"intersection", kClipIntersection, common, 1, 2},
                 Case{"ringMinusDisc", kClipDifference, ring - common, 1, 2},
                 Case{"xor", kClipXor, ring + disc - 2 * common, 2, 2}}) {
    SCOPED_TRACE(c.name);
    ClipRun run;
    run.Add(testsupport::RingShape({0, 0}, 4.0, 2.0)).Add(MakeShape(CircleLoop({0, 0}, 3.0)));
    auto& result = run.Execute({c.type});
    ASSERT_EQ(result.size(), c.shapes);
    EXPECT_EQ(LoopsOf(*result[0]).size(), c.loopsOfFirst);
    EXPECT_NEAR(TotalArea(result), c.area, kGridShift * Perimeter(result));
    for (GkShape* s : result) {
      ExpectWellFormed(*s);
      for (GkCompositeCurve2d* loop : LoopsOf(*s)) {
        const auto arcs = ArcsOf(*loop);
        ASSERT_EQ(arcs.size(), 1u) << "every boundary is a whole circle";
        EXPECT_TRUE(arcs[0]->IsCircle());
        EXPECT_POINT_NEAR(arcs[0]->center(), AcGePoint2d(0, 0), kGrid);
        const double rr = arcs[0]->radius();
        EXPECT_NEAR(rr, std::round(rr), kGrid) << "radius 2, 3 or 4";
      }
    }
  }
}

TEST(Clipper, RunOfDifferencesEqualsTwoPasses) {
  auto square = [] { return MakeShape(RectLoop(0, 0, 20, 20)); };
  auto cutA = [] { return MakeShape(CircleLoop({5, 5}, 3.0)); };
  auto cutB = [] { return MakeShape(testsupport::SlotLoop(4, 16, 15, 2)); };
  ClipRun merged;
  merged.Add(square()).Add(cutA()).Add(cutB());
  auto& one = merged.Execute({kClipDifference, kClipDifference});

  ClipRun first;
  first.Add(square()).Add(cutA());
  auto& step = first.Execute({kClipDifference});
  ASSERT_EQ(step.size(), 1u);
  ClipRun second;
  second.Add(new GkShape(*step[0])).Add(cutB());
  auto& two = second.Execute({kClipDifference});

  ASSERT_EQ(one.size(), 1u);
  ASSERT_EQ(two.size(), 1u);
  EXPECT_EQ(LoopsOf(*one[0]).size(), 3u);
  EXPECT_EQ(LoopsOf(*two[0]).size(), 3u);
  EXPECT_NEAR(ShapeArea(*one[0]), ShapeArea(*two[0]), kGridShift * Perimeter(one));
  EXPECT_NEAR(ShapeArea(*one[0]), 400 - 9 * kPi - (12 * 4 + 4 * kPi), kGridShift * Perimeter(one));
}

TEST(Clipper, RunOfIntersectionsIntersectsWithTheUnion) {
  // A n (B u C) keeps both ends of A; (A n B) n C would be empty.
  ClipRun run;
  run.Add(MakeShape(RectLoop(0, 0, 10, 10)))
      .Add(MakeShape(RectLoop(8, 0, 20, 10)))
      .Add(MakeShape(RectLoop(-10, 0, 2, 10)));
  auto& result = run.Execute({kClipIntersection, kClipIntersection});
  ASSERT_EQ(result.size(), 2u);
  EXPECT_NEAR(TotalArea(result), 40.0, kGridShift * Perimeter(result));
  for (GkShape* s : result) EXPECT_NEAR(ShapeArea(*s), 20.0, kGridShift * 24);
}

TEST(Clipper, MixedOperationsRunLeftToRight) {
  // (A u B) - C, with C a disc across the seam.
  ClipRun run;
  run.Add(MakeShape(RectLoop(0, 0, 10, 10)))
      .Add(MakeShape(RectLoop(10, 0, 20, 10)))
      .Add(MakeShape(CircleLoop({10, 5}, 2.0)));
  auto& result = run.Execute({kClipUnion, kClipDifference});
  ASSERT_EQ(result.size(), 1u);
  const auto loops = LoopsOf(*result[0]);
  ASSERT_EQ(loops.size(), 2u);
  EXPECT_NEAR(ShapeArea(*result[0]), 200 - 4 * kPi, kGridShift * Perimeter(result));
}

TEST(Clipper, IslandsInsideHolesBecomeShapesOfTheirOwn) {
  // Square 0..30 minus a ring about its centre: a square with a round hole,
  // and the disc inside the ring as an island.
  ClipRun run;
  run.Add(MakeShape(RectLoop(0, 0, 30, 30))).Add(testsupport::RingShape({15, 15}, 10.0, 5.0));
  auto& result = run.Execute({kClipDifference});
  ASSERT_EQ(result.size(), 2u);
  EXPECT_EQ(LoopsOf(*result[0]).size(), 2u) << "the shape with the hole comes first";
  ASSERT_EQ(LoopsOf(*result[1]).size(), 1u);
  const auto island = ArcsOf(*LoopsOf(*result[1])[0]);
  ASSERT_EQ(island.size(), 1u);
  EXPECT_NEAR(island[0]->radius(), 5.0, kGrid);
  EXPECT_FALSE(island[0]->isClockWise());
  for (GkShape* s : result) ExpectWellFormed(*s);
  EXPECT_TRUE(result[1]->IsPointIn(AcGePoint2d(15, 15)));
  EXPECT_FALSE(result[0]->IsPointIn(AcGePoint2d(15, 15)));
}

TEST(Clipper, NestedIslandsComeInDepthFirstOrder) {
  ClipRun run;
  run.Add(testsupport::RingShape({0, 0}, 10.0, 8.0))
      .Add(testsupport::RingShape({0, 0}, 6.0, 4.0))
      .Add(MakeShape(CircleLoop({0, 0}, 2.0)));
  auto& result = run.Execute({kClipUnion, kClipUnion});
  ASSERT_EQ(result.size(), 3u);
  const double expectedOuter[3] = {10.0, 6.0, 2.0};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto arcs = ArcsOf(*LoopsOf(*result[i])[0]);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_NEAR(arcs[0]->radius(), expectedOuter[i], kGrid) << i;
  }
}

TEST(Clipper, CountRuleAndNoShapes) {
  GkShape keep;  // a stand-in result entry that Execute must not destroy
  {
    ClipRun run;
    run.Add(MakeShape(RectLoop(0, 0, 1, 1)))
        .Add(MakeShape(RectLoop(0, 0, 2, 2)))
        .Add(MakeShape(RectLoop(0, 0, 3, 3)));
    std::vector<GkShape*> ptrs;
    for (auto& s : run.inputs) ptrs.push_back(s.get());
    GkClipper clipper;
    clipper.SetShapeList(ptrs);
    for (const auto& types :
         {std::vector<GkClipType>{kClipUnion},
          std::vector<GkClipType>{kClipUnion, kClipUnion, kClipUnion}, std::vector<GkClipType>{}}) {
      std::vector<GkShape*> result{&keep};
      clipper.Execute(types, result);
      EXPECT_TRUE(result.empty()) << types.size() << " types for three shapes";
    }
  }
  GkClipper none;
  std::vector<GkShape*> result{&keep};
  none.Execute({kClipUnion}, result);
  ASSERT_EQ(result.size(), 1u) << "no shapes: result untouched";
  EXPECT_EQ(result[0], &keep);
}

TEST(Clipper, ShapeListIsCopiedNotOwned) {
  std::unique_ptr<GkShape> a(MakeShape(RectLoop(0, 0, 1, 1)));
  std::vector<GkShape*> list{a.get(), nullptr};
  GkClipper clipper;
  clipper.SetShapeList(list);
  GkClipper copy(clipper);
  GkClipper assigned;
  assigned = clipper;
  for (const GkClipper* c : {&clipper, &copy, &assigned}) {
    std::vector<GkShape*> got{nullptr, nullptr, nullptr};
    c->GetShapeList(got);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], a.get());
  }
  // A null operand counts as an empty shape.
  std::vector<GkShape*> result;
  clipper.Execute({kClipUnion}, result);
  ASSERT_EQ(result.size(), 1u);
  EXPECT_NEAR(ShapeArea(*result[0]), 1.0, kGridShift * 4);
  testsupport::DeleteShapes(result);
}

TEST(Clipper, OneShapeWithoutTypesIsNormalisedByAUnion) {
  // A clockwise outer loop with a counter-clockwise "hole": the union pass
  // orients both and keeps the region.
  ClipRun run;
  run.Add(MakeShape(RectLoop(0, 0, 10, 10, false), {RectLoop(2, 2, 4, 4, true)}));
  auto& result = run.Execute({});
  ASSERT_EQ(result.size(), 1u);
  ExpectWellFormed(*result[0]);
  EXPECT_EQ(LoopsOf(*result[0]).size(), 2u);
  EXPECT_NEAR(ShapeArea(*result[0]), 96.0, kGridShift * Perimeter(result));
  EXPECT_NE(result[0], run.inputs[0].get()) << "a copy, owned by the caller";
}

TEST(Clipper, SingleArcOuterLoopIsReadAsItsFullCircleAndLeftUntouched) {
  auto* arc = new AcGeCircArc2d(AcGePoint2d(2, 3), 1.5, 2.0, 0.5, false);
  auto* loop = new GkCompositeCurve2d();
  loop->append(arc);
  ClipRun run;
  run.Add(MakeShape(loop)).Add(MakeShape(RectLoop(10, 10, 11, 11)));
  auto& result = run.Execute({kClipUnion});
  EXPECT_FALSE(arc->IsCircle());
  EXPECT_TRUE(arc->isClockWise());
  EXPECT_EQ(arc->startAng(), 2.0);
  EXPECT_EQ(arc->endAng(), 0.5);
  ASSERT_EQ(result.size(), 2u);
  EXPECT_NEAR(TotalArea(result), 1.0 + kPi * 2.25, kGridShift * Perimeter(result));
  bool foundCircle = false;
  for (GkShape* s : result) {
    for (AcGeCircArc2d* a : ArcsOf(*LoopsOf(*s)[0])) {
      foundCircle = true;
      EXPECT_TRUE(a->IsCircle());
      EXPECT_FALSE(a->isClockWise());
      EXPECT_POINT_NEAR(a->center(), AcGePoint2d(2, 3), kGrid);
    }
  }
  EXPECT_TRUE(foundCircle);
}

TEST(Clipper, BadInputGivesNoShapes) {
  struct Case {
    const char* name;
    GkShape* second;
    GkClipType type;
  };
  const double nan = std::nan("");
  for (Case c : {Case{"unknownType", MakeShape(RectLoop(0, 0, 1, 1)), static_cast<GkClipType>(7)},
                 Case{"nanCoordinate", MakeShape(RectLoop(0, 0, nan, 1)), kClipUnion},
                 Case{"hugeCoordinate", MakeShape(RectLoop(0, 0, 1e300, 1)), kClipUnion}}) {
    SCOPED_TRACE(c.name);
    ClipRun run;
    run.Add(MakeShape(RectLoop(0, 0, 2, 2))).Add(c.second);
    EXPECT_TRUE(run.Execute({c.type}).empty());
  }
}

TEST(Clipper, FarCoordinatesNeedNoThirtyTwoBitGrid) {
  // 1e6 drawing units is about 3.9e9 grid units, beyond a 32-bit integer.
  const double o = 1.0e6;
  ClipRun run;
  run.Add(MakeShape(RectLoop(o, o, o + 10, o + 10)))
      .Add(MakeShape(RectLoop(o + 5, o + 5, o + 15, o + 15)));
  auto& result = run.Execute({kClipUnion});
  ASSERT_EQ(result.size(), 1u);
  EXPECT_NEAR(ShapeArea(*result[0]), 175.0, kGridShift * Perimeter(result));
  const GkBoundBox2d box = result[0]->GetBoundBox();
  EXPECT_NEAR(box.minX, o, kGrid);
  EXPECT_NEAR(box.maxY, o + 15, kGrid);
}

TEST(Clipper, ArcsOfUntouchedLoopsComeBackAsTheSameArcs) {
  // A rounded rectangle united with a far square keeps its four corners.
  ClipRun run;
  run.Add(MakeShape(testsupport::RoundedRectLoop(0, 0, 8, 5, 1.5)))
      .Add(MakeShape(RectLoop(20, 20, 21, 21)));
  auto& result = run.Execute({kClipUnion});
  ASSERT_EQ(result.size(), 2u);
  // Angle of one sampling chord of a corner. Where the result ring starts
  // one sample into a corner, that chord comes back as a segment, so one
  // corner may be short by it.
  const double chord = (kPi / 2) / (GkMath::GetArcBreakCount(1.5, kPi / 2, kClipperSampleTol) - 1);
  std::size_t corners = 0;
  std::size_t shortCorners = 0;
  for (GkShape* s : result) {
    for (AcGeCircArc2d* a : ArcsOf(*LoopsOf(*s)[0])) {
      ++corners;
      EXPECT_FALSE(a->isClockWise());
      EXPECT_NEAR(a->radius(), 1.5, 20 * kGrid);
      const double sweep = a->GetArcSweepangle();
      if (std::fabs(sweep - kPi / 2) > 0.01) {
        ++shortCorners;
        EXPECT_NEAR(sweep, kPi / 2 - chord, 0.01);
      }
      const AcGePoint2d c = a->center();
      EXPECT_TRUE((std::fabs(c.x - 1.5) < 0.01 || std::fabs(c.x - 6.5) < 0.01) &&
                  (std::fabs(c.y - 1.5) < 0.01 || std::fabs(c.y - 3.5) < 0.01))
          << c.x << ", " << c.y;
    }
  }
  EXPECT_EQ(corners, 4u);
  EXPECT_LE(shortCorners, 1u);
}
