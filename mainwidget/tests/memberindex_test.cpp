// The member index against the geometry library's own loop walks: nearest
// pairs and point containment agree on random shapes with arcs and holes.
#include "memberindex.h"
#include "design_builder.h"
#include "kicadgeometry.h"
#include "regionops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace build;

namespace {

// A star-like polygon of n corners about (cx, cy) with radii in [r0, r1].
DesignLoop wobble(std::mt19937& rng, double cx, double cy, double r0, double r1, int n) {
  std::uniform_real_distribution<double> radius(r0, r1);
  std::vector<DesignPoint> pts;
  for (int k = 0; k < n; ++k) {
    const double a = 2 * kPi * k / n;
    const double r = radius(rng);
    pts.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  DesignLoop loop;
  for (int k = 0; k < n; ++k) {
    const DesignPoint a = pts[static_cast<std::size_t>(k)],
                      b = pts[static_cast<std::size_t>((k + 1) % n)];
    loop.push_back(line(a.x, a.y, b.x, b.y));
  }
  return loop;
}

}  // namespace

TEST(MemberIndex, NearestPairAndContainmentAgreeWithTheLoopWalks) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> centre(0, 10);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    DesignRegion ra{wobble(rng, centre(rng), centre(rng), 2, 4, 50 + round), {circle(0, 0, 0.5)}};
    ra.holes[0][0].center = {ra.outer[0].from.x - 2.5, ra.outer[0].from.y};
    // The other shape: a polygon, a circle, or a capsule (half-circle arcs).
    DesignRegion rb;
    if (round % 3 == 0) rb.outer = wobble(rng, centre(rng), centre(rng), 0.5, 1.5, 7);
    if (round % 3 == 1) rb.outer = circle(centre(rng), centre(rng), 1);
    if (round % 3 == 2)
      rb.outer = capsuleLoop({centre(rng), centre(rng)}, {centre(rng), centre(rng)}, 0.7);
    auto a = makeShape(ra);
    auto b = makeShape(rb);
    MemberIndex ia(*a), ib(*b);
    AcGePoint2d p, q;
    const double d = ia.nearest(ib, p, q);
    const BoundaryGap walk = boundaryGap(*a, *b);
    EXPECT_NEAR(d, walk.distance, 1e-12);
    EXPECT_NEAR(std::hypot(p.x - q.x, p.y - q.y), d, 1e-9);
    AcGePoint2d q2, p2;
    EXPECT_NEAR(ib.nearest(ia, q2, p2), d, 1e-12);

    std::uniform_real_distribution<double> where(-5, 15);
    for (int k = 0; k < 200; ++k) {
      const AcGePoint2d pt(where(rng), where(rng));
      EXPECT_EQ(ia.contains(pt), a->IsPointIn(pt)) << pt.x << ", " << pt.y;
      EXPECT_EQ(ib.contains(pt), b->IsPointIn(pt)) << pt.x << ", " << pt.y;
    }
  }
}
