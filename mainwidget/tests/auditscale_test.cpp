// The audit's cost follows the geometry near each feature, not the size of
// the design around it: features are grouped by layer once however many
// layers a design names, each feature's box reaches only as far as its own
// clearance, and whether a feature touches the board's edge is asked of
// the board's member index within the contact tolerance. Each design below
// took minutes when the cost grew with the product of two of its counts;
// the findings are worked out by hand.
#include "designaudit.h"

#include "design_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace build;

namespace {

std::string idOf(const Design& d, int i) {
  return d.features[static_cast<std::size_t>(i)].id.toStdString();
}

}  // namespace

// 20,000 features, each alone on one of 8,000,000 layers, and a short on the
// last layer: only that pair meets.
TEST(AuditScale, FeaturesAreGroupedByLayerOnce) {
  constexpr int kLayers = 8'000'000;
  constexpr int kFeatures = 20000;
  Design d = board(110, 0.2);
  d.layers.clear();
  d.layers.reserve(kLayers);
  const QString name = QStringLiteral("L");
  for (int k = 0; k < kLayers; ++k) d.layers << name;
  for (int k = 0; k < kFeatures; ++k) {
    const double x = 1 + k % 100, y = 0.5 + 0.5 * (k / 100);
    d.features.push_back(
        feature("f" + std::to_string(k), "N" + std::to_string(k), rect(x, x + 0.5, y, y + 0.5)));
    d.features.back().layer = k * (kLayers / kFeatures);
  }
  // Two overlapping squares on two nets: apart on two layers, a short on one.
  d.features.push_back(feature("a", "A", rect(105, 107, 105, 107)));
  d.features.push_back(feature("b", "B", rect(106, 108, 106, 108)));
  d.features.back().layer = 1;
  d.features.push_back(feature("c", "C", rect(106, 108, 106, 108)));
  d.features.back().layer = kLayers - 1;
  d.features.push_back(feature("e", "E", rect(105, 107, 105, 107)));
  d.features.back().layer = kLayers - 1;

  const AuditResult r = auditDesign(d);
  ASSERT_EQ(r.findings.size(), 1u);
  EXPECT_EQ(r.findings[0].kind, FindingKind::Short);
  EXPECT_EQ(idOf(d, r.findings[0].feature), "c");
  EXPECT_EQ(idOf(d, r.findings[0].other), "e");
  EXPECT_EQ(r.findings[0].layer, kLayers - 1);
  EXPECT_NEAR(r.findings[0].area, 1.0, 0.01);
}

// A grid of 14,400 octagons at least 0.36 apart on alternating nets (clear
// of the design's 0.2) and one disc whose own clearance is 1e300: the disc
// is too close to every octagon of the other net, and nothing else is
// reported. The disc's reach is not that of every octagon (10^8 pairs).
TEST(AuditScale, EachBoxReachesAsFarAsItsOwnClearance) {
  constexpr int kSide = 120;
  constexpr double kRadius = 0.12;  // of the octagons' corners
  auto corner = [](double cx, double cy, int k) {
    return DesignPoint{cx + kRadius * std::cos(k * kPi / 4), cy + kRadius * std::sin(k * kPi / 4)};
  };
  Design d = board(100, 0.2);
  for (int i = 0; i < kSide; ++i) {
    for (int j = 0; j < kSide; ++j) {
      const double cx = 1.1 + 0.6 * i, cy = 1.1 + 0.6 * j;
      DesignLoop octagon;
      for (int k = 0; k < 8; ++k) {
        const DesignPoint a = corner(cx, cy, k), b = corner(cx, cy, k + 1);
        octagon.push_back(line(a.x, a.y, b.x, b.y));
      }
      d.features.push_back(feature("s" + std::to_string(i) + "_" + std::to_string(j),
                                   (i + j) % 2 == 0 ? "A" : "B", octagon));
    }
  }
  d.features.push_back(feature("wide", "A", circle(95, 95, 0.5)));
  d.features.back().clearance = 1e300;
  const int wide = static_cast<int>(d.features.size()) - 1;

  const AuditResult r = auditDesign(d);
  EXPECT_EQ(r.findings.size(), static_cast<std::size_t>(kSide * kSide / 2));
  std::set<int> near;
  for (const AuditFinding& f : r.findings) {
    EXPECT_EQ(f.kind, FindingKind::Clearance) << idOf(d, f.feature);
    EXPECT_EQ(f.other, wide) << idOf(d, f.feature);
    EXPECT_EQ(d.features[static_cast<std::size_t>(f.feature)].net, "B") << idOf(d, f.feature);
    EXPECT_NEAR(std::hypot(f.x1 - f.x2, f.y1 - f.y2), f.distance, 1e-9);
    near.insert(f.feature);
  }
  EXPECT_EQ(near.size(), r.findings.size());
  // The octagons of net B nearest the disc are the last but one of the last
  // row and column, centred at (71.9, 72.5) and (72.5, 71.9): their corners
  // at 45 degrees face the disc's centre (95, 95).
  ASSERT_FALSE(r.findings.empty());
  double nearest = r.findings[0].distance;
  for (const AuditFinding& f : r.findings) nearest = std::min(nearest, f.distance);
  const DesignPoint c = corner(1.1 + 0.6 * 118, 1.1 + 0.6 * 119, 1);
  EXPECT_NEAR(nearest, std::hypot(95 - c.x, 95 - c.y) - 0.5, 1e-9);
}

// A board whose outline is a polygon of 200,000 corners and 16,384 tiny
// squares at its centre, as far from every corner as from any other (each
// on a layer of its own, so that they form no pairs): each square asks
// whether the edge comes within the contact tolerance, not which corner is
// nearest. A square over the board's hole and one beyond the outline are
// outside.
TEST(AuditScale, InsideTheBoardAsksOnlyTheEdgeNearTheFeature) {
  constexpr int kCorners = 200000;
  constexpr int kCentred = 16384;
  Design d;
  d.clearance = 0.1;
  std::vector<DesignPoint> corners;
  for (int k = 0; k < kCorners; ++k) {
    const double a = 2 * kPi * k / kCorners;
    corners.push_back({50 + 45 * std::cos(a), 50 + 45 * std::sin(a)});
  }
  for (int k = 0; k < kCorners; ++k) {
    const DesignPoint& p = corners[static_cast<std::size_t>(k)];
    const DesignPoint& q = corners[static_cast<std::size_t>((k + 1) % kCorners)];
    d.board.outer.push_back(line(p.x, p.y, q.x, q.y));
  }
  d.board.holes.push_back(rect(80, 82, 49, 51));
  d.layers.clear();
  for (int k = 0; k < kCentred; ++k) {
    d.layers << QStringLiteral("L%1").arg(k);
    d.features.push_back(
        feature("c" + std::to_string(k), "N", rect(49.99995, 50.00005, 49.99995, 50.00005)));
    d.features.back().layer = k;
  }
  d.features.push_back(feature("over hole", "M", rect(79, 83, 48, 52)));
  d.features.push_back(feature("beyond", "P", rect(150, 151, 50, 51)));

  const AuditResult r = auditDesign(d);
  ASSERT_EQ(r.findings.size(), 2u);
  EXPECT_EQ(r.findings[0].kind, FindingKind::Outside);
  EXPECT_EQ(idOf(d, r.findings[0].feature), "over hole");
  EXPECT_NEAR(r.findings[0].area, 4.0, 0.01);
  EXPECT_EQ(r.findings[1].kind, FindingKind::Outside);
  EXPECT_EQ(idOf(d, r.findings[1].feature), "beyond");
  EXPECT_NEAR(r.findings[1].area, 1.0, 0.01);
}
