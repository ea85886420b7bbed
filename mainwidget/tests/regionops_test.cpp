// Region measurements: exact loop areas, region areas with holes, boundary
// gaps, loop containment and clipped areas, on shapes worked out by hand.
#include "regionops.h"

#include "design_builder.h"

#include <testsupport/geometry_asserts.h>

#include <gtest/gtest.h>

#include <cmath>

using namespace build;

namespace {

// The clipper's grid (kClipperGrid) and arc sampling (kClipperSampleTol)
// bound its areas.
constexpr double kClipAreaTol = 0.01;

std::unique_ptr<GkShape> shape(const DesignLoop& outer, const std::vector<DesignLoop>& holes = {}) {
  return makeShape(DesignRegion{outer, holes});
}

}  // namespace

TEST(RegionArea, ExactForLinesArcsAndCircles) {
  struct Row {
    const char* name;
    DesignLoop loop;
    double area;
  };
  const std::vector<Row> rows = {
      {"unit square", rect(0, 1, 0, 1), 1.0},
      {"square, clockwise",
       {line(0, 0, 0, 2), line(0, 2, 2, 2), line(2, 2, 2, 0), line(2, 0, 0, 0)},
       4.0},
      {"circle", circle(3, -4, 2), 4 * kPi},
      {"half disc of radius 2", {line(0, -2, 0, 2), arc(0, 0, 2, 90, 270, true)}, 2 * kPi},
      {"half disc, clockwise", {arc(0, 0, 2, 270, 90, false), line(0, 2, 0, -2)}, 2 * kPi},
      {"two half circles", {arc(5, 5, 1, 0, 180, true), arc(5, 5, 1, 180, 360, true)}, kPi},
      {"stadium 6 x 1",
       {line(0, -0.5, 6, -0.5), arc(6, 0, 0.5, -90, 90, true), line(6, 0.5, 0, 0.5),
        arc(0, 0, 0.5, 90, 270, true)},
       6 + kPi * 0.25},
  };
  for (const Row& r : rows) {
    auto s = shape(r.loop);
    EXPECT_NEAR(shapeArea(*s), r.area, 1e-9) << r.name;
  }
  auto ring = shape(circle(0, 0, 3), {circle(0, 0, 1), rect(-2.5, -2, -0.5, 0.5)});
  EXPECT_NEAR(shapeArea(*ring), kPi * 9 - kPi - 0.5, 1e-9);
}

TEST(RegionGap, NearestPairAcrossOuterLoopsAndHoles) {
  auto square = shape(rect(0, 4, 0, 4));
  auto disc = shape(circle(7, 2, 1));
  const BoundaryGap g = boundaryGap(*square, *disc);
  EXPECT_NEAR(g.distance, 2.0, 1e-9);
  EXPECT_POINT_NEAR(g.onA, AcGePoint2d(4, 2), 1e-9);
  EXPECT_POINT_NEAR(g.onB, AcGePoint2d(6, 2), 1e-9);

  // A disc inside a ring's hole: the hole's boundary is the near one.
  auto ring = shape(circle(0, 0, 3), {circle(0, 0, 2)});
  auto inner = shape(circle(0.5, 0, 1));
  const BoundaryGap h = boundaryGap(*ring, *inner);
  EXPECT_NEAR(h.distance, 0.5, 1e-9);
  EXPECT_POINT_NEAR(h.onA, AcGePoint2d(2, 0), 1e-9);
  EXPECT_POINT_NEAR(h.onB, AcGePoint2d(1.5, 0), 1e-9);
}

TEST(RegionContainment, LoopsOnOneSideOfTheOtherBoundary) {
  auto ring = shape(circle(0, 0, 3), {circle(0, 0, 1)});
  auto inHole = shape(circle(0, 0, 0.5));
  auto inMaterial = shape(circle(2, 0, 0.5));
  auto coversHole = shape(circle(0, 0, 2));
  EXPECT_FALSE(anyLoopInside(*inHole, *ring));
  EXPECT_TRUE(anyLoopOutside(*inHole, *ring));
  EXPECT_TRUE(anyLoopInside(*inMaterial, *ring));
  EXPECT_FALSE(anyLoopOutside(*inMaterial, *ring));
  // The ring's hole loop lies inside the covering disc although the disc's
  // own boundary lies in the ring's material.
  EXPECT_TRUE(anyLoopInside(*ring, *coversHole));
}

TEST(ClippedArea, IntersectionAndDifferenceOfSimpleRegions) {
  auto square = shape(rect(0, 2, 0, 2));
  auto shifted = shape(rect(1, 3, 1, 3));
  EXPECT_NEAR(clippedArea(*square, *shifted, kClipIntersection), 1.0, kClipAreaTol);
  EXPECT_NEAR(clippedArea(*square, *shifted, kClipDifference), 3.0, kClipAreaTol);
  auto halfIn = shape(circle(2, 1, 0.5));
  EXPECT_NEAR(clippedArea(*square, *halfIn, kClipIntersection), kPi * 0.125, kClipAreaTol);
  auto far = shape(rect(10, 11, 10, 11));
  EXPECT_NEAR(clippedArea(*square, *far, kClipIntersection), 0.0, 1e-12);
}

TEST(LoopLength, SumsSegmentsArcsAndCircles) {
  auto s = shape(rect(0, 2, 0, 1), {circle(1, 0.5, 0.25)});
  std::vector<GkCompositeCurve2d*> loops;
  s->GetCompCurveList(loops);
  ASSERT_EQ(loops.size(), 2u);
  EXPECT_NEAR(loopLength(*loops[0]), 6.0, 1e-12);
  EXPECT_NEAR(loopLength(*loops[1]), 2 * kPi * 0.25, 1e-12);
  auto d = shape({line(0, -2, 0, 2), arc(0, 0, 2, 90, 270, true)});
  d->GetCompCurveList(loops);
  EXPECT_NEAR(loopLength(*loops[0]), 4.0 + 2 * kPi, 1e-12);
}

TEST(ClippedParts, EachRegionWithItsAreaAndBoundary) {
  // A bar across a square leaves two pieces sticking out on either side.
  auto square = shape(rect(0, 4, 0, 4));
  auto bar = shape(rect(-1, 5, 1, 2));
  bool ok = false;
  const std::vector<RegionPart> parts = clippedParts(*bar, *square, kClipDifference, ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(parts.size(), 2u);
  for (const RegionPart& p : parts) {
    EXPECT_NEAR(p.area, 1.0, kClipAreaTol);
    EXPECT_NEAR(p.boundary, 4.0, kClipAreaTol);
  }
  EXPECT_TRUE(clippedParts(*square, *square, kClipDifference, ok).empty());
  EXPECT_TRUE(ok);
}

// A clip the region clipper cannot compute (a vertex far beyond its grid's
// range) is a failure, never an empty region: ok turns false and the area
// is NaN, where a really empty difference stays ok with area 0.
TEST(ClippedParts, AFailedClipIsToldFromAnEmptyRegion) {
  auto square = shape(rect(0, 4, 0, 4));
  auto spike = shape({line(1, 1, 1e17, 2), line(1e17, 2, 1, 3), line(1, 3, 1, 1)});
  bool ok = true;
  EXPECT_TRUE(clippedParts(*spike, *square, kClipDifference, ok).empty());
  EXPECT_FALSE(ok);
  EXPECT_TRUE(std::isnan(clippedArea(*spike, *square, kClipDifference)));
  EXPECT_TRUE(std::isnan(clippedArea(*square, *spike, kClipIntersection)));

  auto inner = shape(rect(1, 2, 1, 2));
  EXPECT_TRUE(clippedParts(*inner, *square, kClipDifference, ok).empty());
  EXPECT_TRUE(ok);
  EXPECT_EQ(clippedArea(*inner, *square, kClipDifference), 0.0);
}

TEST(RegionOps, CroppedToBoxKeepsExactlyThePartInsideTheBox) {
  auto big = makeShape(comb(100));
  struct Row {
    const char* name;
    GkBoundBox2d box;
    double area;  // worked out by hand
  };
  const Row rows[] = {
      // x 10.5..20.5: the base 10 x 1 less four whole holes and the parts
      // 0.1 and 0.3 wide of the holes at 10.2 and 20.2; the teeth at 12 to
      // 18 whole and half of those at 10 and 20, 2 high above y = 1.
      {"across teeth", GkBoundBox2d(10.5, 20.5, 0, 3),
       10 - (0.04 + 4 * 0.16 + 0.12) + 2 * (0.5 + 4 + 0.5)},
      {"inside a tooth", GkBoundBox2d(40.2, 40.7, 2, 4), 0.5 * 2},
      {"in a gap", GkBoundBox2d(41.2, 41.7, 2, 4), -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::unique_ptr<GkShape> cropped = croppedToBox(*big, row.box);
    if (row.area < 0) {
      EXPECT_EQ(cropped, nullptr);
      continue;
    }
    ASSERT_NE(cropped, nullptr);
    const GkBoundBox2d b = cropped->GetBoundBox();
    EXPECT_GE(b.minX, row.box.minX);
    EXPECT_LE(b.maxX, row.box.maxX);
    EXPECT_NEAR(shapeArea(*cropped), row.area, 1e-9);
    // The region clipper agrees on the whole comb against the box.
    auto boxShape =
        makeShape(DesignRegion{rect(row.box.minX, row.box.maxX, row.box.minY, row.box.maxY), {}});
    EXPECT_NEAR(clippedArea(*big, *boxShape, kClipIntersection), row.area, kClipAreaTol);
  }
  auto round = makeShape(DesignRegion{circle(5, 5, 2), {}});
  EXPECT_EQ(croppedToBox(*round, GkBoundBox2d(4, 6, 4, 6)), nullptr);  // arcs are not cut
}
