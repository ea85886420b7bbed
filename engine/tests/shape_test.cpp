// GkShape (region with holes: ownership, box, containment) and GkPolyline2d.
#include <engine/circarc2d.h>
#include <engine/lineseg2d.h>
#include <engine/shape.h>

#include <testsupport/geometry_asserts.h>
#include <testsupport/shape_builders.h>

#include "tolerance_guard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

using testsupport::MakeShape;
using testsupport::RectLoop;

namespace {

// Square 0..10 with a square hole 4..6.
std::unique_ptr<GkShape> SquareWithHole() {
  return std::unique_ptr<GkShape>(MakeShape(RectLoop(0, 0, 10, 10), {RectLoop(4, 4, 6, 6, false)}));
}

}  // namespace

TEST(Shape, ContainmentWithAHole) {
  auto shape = SquareWithHole();
  struct Case {
    std::string name;
    AcGePoint2d p;
    bool inside;
  };
  const std::vector<Case> cases{
      {"inHole", {5, 5}, false},      {"inRegion", {2, 2}, true},
      {"outside", {11, 5}, false},    {"betweenHoleAndEdge", {8, 5}, true},
      {"leftOfHole", {3.9, 5}, true}, {"farBelow", {5, -5}, false}};
  for (const Case& c : cases) EXPECT_EQ(shape->IsPointIn(c.p), c.inside) << c.name;
}

TEST(Shape, RemovingTheHoleThroughSetCurveList) {
  auto shape = SquareWithHole();
  std::vector<GkCompositeCurve2d*> loops;
  shape->GetCompCurveList(loops);
  ASSERT_EQ(loops.size(), 2u);
  std::unique_ptr<GkCompositeCurve2d> hole(loops[1]);  // passes back to us
  std::vector<GkCompositeCurve2d*> outerOnly{loops[0]};
  shape->SetCurveList(outerOnly);
  EXPECT_EQ(outerOnly.size(), 1u);
  EXPECT_TRUE(shape->IsPointIn(AcGePoint2d(5, 5)));
  EXPECT_EQ(hole->GetCurveCnt(), 4) << "the replaced hole is still alive";
}

// Containment keeps the hole boxes with the outer box; each change of the
// loop list must refresh them, and copies must carry them.
TEST(Shape, ContainmentFollowsHoleChangesAfterAQuery) {
  GkShape shape;
  shape.AppendCompCurve(RectLoop(0, 0, 10, 10));
  const AcGePoint2d centre(5, 5);
  EXPECT_TRUE(shape.IsPointIn(centre));
  shape.AppendCompCurve(RectLoop(4, 4, 6, 6, false));
  EXPECT_FALSE(shape.IsPointIn(centre)) << "hole appended after a query";
  GkShape copy(shape);
  GkShape assigned;
  assigned = shape;
  EXPECT_FALSE(copy.IsPointIn(centre));
  EXPECT_FALSE(assigned.IsPointIn(centre));
  EXPECT_TRUE(copy.IsPointIn(AcGePoint2d(2, 2)));

  std::vector<GkCompositeCurve2d*> loops;
  shape.GetCompCurveList(loops);
  std::unique_ptr<GkCompositeCurve2d> oldHole(loops[1]);
  std::vector<GkCompositeCurve2d*> moved{loops[0], RectLoop(1, 1, 3, 3, false)};
  shape.SetCurveList(moved);
  EXPECT_TRUE(shape.IsPointIn(centre)) << "hole moved away";
  EXPECT_FALSE(shape.IsPointIn(AcGePoint2d(2, 2))) << "into the moved hole";
}

// The shape hands out its loops; a hole changed through that pointer (its
// members replaced or appended) is a new hole, with a new box, whether the
// holes are scanned one by one or through the grid.
TEST(Shape, ContainmentFollowsHolesChangedThroughTheirPointers) {
  for (const int extraHoles : {0, 30}) {
    SCOPED_TRACE(testing::Message() << extraHoles << " more holes");
    std::vector<GkCompositeCurve2d*> holes{RectLoop(4, 4, 6, 6, false)};
    for (int i = 0; i < extraHoles; ++i)
      holes.push_back(RectLoop(20 + i, 20, 20.5 + i, 20.5, false));
    std::unique_ptr<GkShape> shape(MakeShape(RectLoop(0, 0, 60, 60), holes));
    const AcGePoint2d p(2, 2), q(8, 8), far(50, 50);
    ASSERT_TRUE(shape->IsPointIn(p));
    ASSERT_TRUE(shape->IsPointIn(q));
    std::vector<GkCompositeCurve2d*> loops;
    shape->GetCompCurveList(loops);
    std::unique_ptr<GkCompositeCurve2d> grown(RectLoop(1, 1, 9, 9, false));
    std::vector<GkCurve2d*> members;
    grown->GetCurveList(members);
    std::vector<GkCurve2d*> none;
    grown->SetCurveList(none);  // the members pass to the hole below
    loops[1]->GetBoundBox();    // the hole's own box refreshed first
    std::vector<GkCurve2d*> old;
    loops[1]->GetCurveList(old);
    loops[1]->SetCurveList(members);
    for (GkCurve2d* m : old) delete m;
    EXPECT_FALSE(shape->IsPointIn(p)) << "inside the grown hole";
    EXPECT_FALSE(shape->IsPointIn(q));
    EXPECT_TRUE(shape->IsPointIn(far));
    // A copy made now answers the same.
    GkShape copy(*shape);
    EXPECT_FALSE(copy.IsPointIn(p));
    EXPECT_TRUE(copy.IsPointIn(far));
    // A hole that gains a member: a square closed around (50, 50) in place
    // of an empty loop appended last.
    shape->AppendCompCurve(new GkCompositeCurve2d());
    EXPECT_TRUE(shape->IsPointIn(far));
    shape->GetCompCurveList(loops);
    std::unique_ptr<GkCompositeCurve2d> square(RectLoop(49, 49, 51, 51, false));
    square->GetCurveList(members);
    square->SetCurveList(none);
    for (GkCurve2d* m : members) loops.back()->append(m);
    EXPECT_FALSE(shape->IsPointIn(far)) << "inside the hole that grew members";
  }
}

// With many holes, containment goes through a grid over the hole boxes.
// Its answers must be those of the loops themselves: inside the outer loop
// and inside no hole, each loop judged with the tolerance of the moment.
TEST(Shape, ManyHolesAnswerAsTheLoopsDo) {
  ScopedDefaultTolerance restore;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::vector<GkCompositeCurve2d*> holes;
  std::vector<GkBoundBox2d> edges;  // boxes whose edges the points probe
  for (int i = 0; i < 300; ++i) {
    const AcGePoint2d c(100 * u(rng), 100 * u(rng));
    const double r = i % 50 == 0 ? 10 + 20 * u(rng) : 0.2 + 2 * u(rng);  // a few span many cells
    holes.push_back(i % 2 == 0 ? testsupport::CircleLoop(c, r, false)
                               : RectLoop(c.x - r, c.y - r, c.x + r, c.y + r * 0.5, false));
    edges.push_back(holes.back()->GetBoundBox());
  }
  holes.push_back(RectLoop(95, 95, 120, 120, false));  // reaches beyond the outer loop
  holes.push_back(RectLoop(40, 60, 40, 62, false));    // no width
  holes.push_back(nullptr);                            // kept as an empty loop
  std::unique_ptr<GkShape> shape(MakeShape(RectLoop(0, 0, 100, 100), holes));
  std::vector<GkCompositeCurve2d*> loops;
  shape->GetCompCurveList(loops);

  auto expected = [&](const AcGePoint2d& p) {
    if (!loops[0]->IsPointIn(p)) return false;
    for (std::size_t i = 1; i < loops.size(); ++i)
      if (loops[i]->IsPointIn(p)) return false;
    return true;
  };
  std::vector<AcGePoint2d> points;
  for (int i = 0; i < 4000; ++i) points.emplace_back(-2 + 104 * u(rng), -2 + 104 * u(rng));
  for (const double d : {-3e-8, -1e-8, 0.0, 1e-8, 3e-8, 2e-3, 1e-2}) {
    for (const GkBoundBox2d& b : edges) {
      points.emplace_back(b.minX - d, (b.minY + b.maxY) / 2);
      points.emplace_back(b.maxX + d, (b.minY + b.maxY) / 2);
      points.emplace_back((b.minX + b.maxX) / 2, b.minY - d);
      points.emplace_back((b.minX + b.maxX) / 2, b.maxY + d);
      points.emplace_back(b.minX - d, b.minY - d);
    }
  }
  points.emplace_back(40, 61);
  points.emplace_back(std::nan(""), 50);

  // The default tolerance, a coarse one, a negative one and back: the grid
  // is built again for each, and the answers stay the loops' own.
  for (const double t : {1e-8, 0.01, -1e-3, 1e-8}) {
    GkGeoLib::g_tol.SetEqualPoint(t);
    std::size_t in = 0, out = 0;
    for (const AcGePoint2d& p : points) {
      const bool want = expected(p);
      ASSERT_EQ(shape->IsPointIn(p), want) << "(" << p.x << ", " << p.y << ") at tolerance " << t;
      (want ? in : out) += 1;
    }
    EXPECT_GT(in, 500u);  // both answers are exercised
    EXPECT_GT(out, 500u);
  }
  // A copy builds its own grid and answers the same.
  GkShape copy(*shape);
  for (std::size_t i = 0; i < points.size(); i += 7)
    EXPECT_EQ(copy.IsPointIn(points[i]), expected(points[i]));
}

TEST(Shape, BoxIsTheOuterLoopsAndFollowsAppends) {
  GkShape shape;
  EXPECT_FALSE(shape.GetBoundBox().IsValid());
  shape.AppendCompCurve(RectLoop(1, 2, 3, 4));
  GkBoundBox2d box = shape.GetBoundBox();
  EXPECT_EQ(box.minX, 1.0);
  EXPECT_EQ(box.maxX, 3.0);
  EXPECT_EQ(box.minY, 2.0);
  EXPECT_EQ(box.maxY, 4.0);
  // A "hole" reaching beyond the outer loop still does not widen the box.
  shape.AppendCompCurve(RectLoop(0, 0, 9, 9, false));
  box = shape.GetBoundBox();
  EXPECT_EQ(box.minX, 1.0);
  EXPECT_EQ(box.maxX, 3.0);
}

// The same for the outer loop: its box, and so containment, follow a
// change of its members made through the pointer the shape hands out.
TEST(Shape, BoxFollowsAnOuterLoopChangedThroughItsPointer) {
  std::unique_ptr<GkShape> shape(MakeShape(RectLoop(0, 0, 10, 10), {}));
  const AcGePoint2d p(15, 5);
  ASSERT_FALSE(shape->IsPointIn(p));
  std::vector<GkCompositeCurve2d*> loops;
  shape->GetCompCurveList(loops);
  std::unique_ptr<GkCompositeCurve2d> wide(RectLoop(0, 0, 20, 10));
  std::vector<GkCurve2d*> members, old, none;
  wide->GetCurveList(members);
  wide->SetCurveList(none);
  loops[0]->GetCurveList(old);
  loops[0]->SetCurveList(members);
  for (GkCurve2d* m : old) delete m;
  EXPECT_EQ(shape->GetBoundBox().maxX, 20.0);
  EXPECT_TRUE(shape->IsPointIn(p));
}

TEST(Shape, EmptyShapesContainNothing) {
  GkShape empty;
  EXPECT_FALSE(empty.IsPointIn(AcGePoint2d(0, 0)));
  GkShape emptyOuter;
  emptyOuter.AppendCompCurve(new GkCompositeCurve2d());
  EXPECT_FALSE(emptyOuter.IsPointIn(AcGePoint2d(0, 0)));
  EXPECT_FALSE(emptyOuter.GetBoundBox().IsValid());
}

TEST(Shape, NullLoopsKeepTheirPlace) {
  GkShape shape;
  shape.AppendCompCurve(nullptr);
  shape.AppendCompCurve(RectLoop(0, 0, 1, 1));
  std::vector<GkCompositeCurve2d*> loops;
  shape.GetCompCurveList(loops);
  ASSERT_EQ(loops.size(), 2u);
  ASSERT_NE(loops[0], nullptr);
  EXPECT_EQ(loops[0]->GetCurveCnt(), 0) << "a null outer loop is an empty outer loop";
  EXPECT_FALSE(shape.IsPointIn(AcGePoint2d(0.5, 0.5)));

  std::vector<GkCompositeCurve2d*> withNullHole{RectLoop(0, 0, 10, 10), nullptr};
  shape.SetCurveList(withNullHole);
  EXPECT_TRUE(shape.IsPointIn(AcGePoint2d(0.5, 0.5)));
  for (GkCompositeCurve2d* old : loops) delete old;
}

TEST(Shape, CopiesAreDeep) {
  auto shape = SquareWithHole();
  GkShape copy(*shape);
  GkShape assigned;
  assigned.AppendCompCurve(RectLoop(0, 0, 1, 1));
  assigned = *shape;
  std::vector<GkCompositeCurve2d*> src, a, b;
  shape->GetCompCurveList(src);
  copy.GetCompCurveList(a);
  assigned.GetCompCurveList(b);
  ASSERT_EQ(a.size(), 2u);
  ASSERT_EQ(b.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_NE(a[i], src[i]);
    EXPECT_NE(b[i], src[i]);
  }
  shape.reset();  // the copies must not depend on the source's loops
  EXPECT_FALSE(copy.IsPointIn(AcGePoint2d(5, 5)));
  EXPECT_TRUE(copy.IsPointIn(AcGePoint2d(2, 2)));
  EXPECT_TRUE(assigned.IsPointIn(AcGePoint2d(2, 2)));
  assigned = assigned;
  EXPECT_TRUE(assigned.IsPointIn(AcGePoint2d(2, 2)));
}

TEST(Shape, ArcBoundariesAndRings) {
  std::unique_ptr<GkShape> ring(testsupport::RingShape({0, 0}, 5.0, 2.0));
  struct Case {
    AcGePoint2d p;
    bool inside;
  };
  for (Case c : std::vector<Case>{{{0, 0}, false},
                                  {{3, 0}, true},
                                  {{0, -4.99}, true},
                                  {{0, 1.99}, false},
                                  {{3.6, 3.6}, false},
                                  {{3.5, 3.5}, true}})
    EXPECT_EQ(ring->IsPointIn(c.p), c.inside) << c.p.x << ", " << c.p.y;
}

// ---- GkPolyline2d: abstract, so exercised through a minimal subclass ----

namespace {

class TestPolyline : public GkPolyline2d {
public:
  using GkPolyline2d::GkPolyline2d;
  GkCurveType GetCrvType() const override { return kCrvPolyline; }
  using GkPolyline2d::GetCrvType;
  double distanceTo(AcGeCircArc2d&, const GkTolerance&) override { return 0; }
  double distanceTo(AcGeLineSeg2d&, const GkTolerance&) override { return 0; }
  double distanceTo(AcGePoint2d&, const GkTolerance&) override { return 0; }
  AcGePoint2d closestPointTo(AcGeCircArc2d&, AcGePoint2d&, const GkTolerance&) override {
    return {};
  }
  AcGePoint2d closestPointTo(AcGeLineSeg2d&, AcGePoint2d&, const GkTolerance&) override {
    return {};
  }
  AcGePoint2d closestPointTo(AcGePoint2d&, const GkTolerance&) override { return {}; }
  double distanceToSeg(AcGeLineSeg2d&, AcGePoint2d&, AcGePoint2d&, const GkTolerance&) override {
    return 0;
  }
  double distanceToArc(AcGeCircArc2d&, AcGePoint2d&, AcGePoint2d&, const GkTolerance&) override {
    return 0;
  }
  GkBoundBox2d GetBoundBox() override { return cachedBox; }
  GkCurve2d* Clone() override { return new TestPolyline(*this); }
  AcGePoint2d GetAnyPoint() const override { return {}; }
  AcGePoint2d startPoint() const override { return {}; }
  AcGePoint2d endPoint() const override { return {}; }
  AcGePoint2d midPoint() const override { return {}; }
  void Flip() override {}
  void getSamplePoints(GkSamplePoint&, const double&) override {}
  void GetSamplePointXY(GkSampleXY&, const double&) override {}
  void GetSampleBuffer(std::vector<AcGePoint2d>&, const double&) override {}
  bool BoxOutOfDate() const { return boxOutOfDate; }
  void SetBox(const GkBoundBox2d& b) {
    cachedBox = b;
    boxOutOfDate = false;
  }
};

}  // namespace

TEST(Polyline2d, VerticesTypeAndCopies) {
  const std::vector<AcGePoint2d> pts{{0, 0}, {3, 1}, {2, 5}};
  TestPolyline poly(pts);
  ASSERT_EQ(poly.GetVertices().size(), 3u);
  for (std::size_t i = 0; i < pts.size(); ++i) EXPECT_POINT_EQ(poly.GetVertices()[i], pts[i]);
  GkPolyline2d& base = poly;
  EXPECT_EQ(base.GetCrvType(), kCrvPolyline);
  EXPECT_EQ(static_cast<int>(base.GetCrvType()), 3);

  AcGeLineSeg2d seg(AcGePoint2d(0, 0), AcGePoint2d(1, 1));
  TestPolyline fromCurve(seg, 0.1);
  EXPECT_TRUE(fromCurve.GetVertices().empty());
  TestPolyline none;
  EXPECT_TRUE(none.GetVertices().empty());

  poly.SetBox(GkBoundBox2d(0, 3, 0, 5));
  TestPolyline copied(poly);
  EXPECT_EQ(copied.GetVertices().size(), 3u);
  EXPECT_TRUE(copied.BoxOutOfDate()) << "the copy constructor starts a fresh cache";
  TestPolyline assigned;
  assigned = poly;
  EXPECT_EQ(assigned.GetVertices().size(), 3u);
  EXPECT_FALSE(assigned.BoxOutOfDate()) << "assignment copies the cache";
  EXPECT_EQ(assigned.GetBoundBox().maxY, 5.0);
}
