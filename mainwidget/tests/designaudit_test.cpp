// The audit on the sample designs and on small designs made here. Every
// expected value is worked out by hand from the geometry: distances and
// points to 1e-6; areas that come from the region clipper to 0.01 (its grid
// is kClipperGrid units and it samples arcs to kClipperSampleTol).
#include "designaudit.h"

#include "design_builder.h"
#include "samples.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace build;

namespace {

constexpr double kTol = 1e-6;
constexpr double kClipAreaTol = 0.01;

std::string describe(const Design& d, const AuditFinding& f) {
  return findingKindName(f.kind).toStdString() + " " + d.features[f.feature].id.toStdString() +
         (f.other >= 0 ? "/" + d.features[f.other].id.toStdString() : std::string());
}

void expectPair(const Design& d, const AuditFinding& f, FindingKind kind, const char* a,
                const char* b) {
  EXPECT_EQ(f.kind, kind) << describe(d, f);
  EXPECT_EQ(d.features[f.feature].id, a) << describe(d, f);
  ASSERT_GE(f.other, 0);
  EXPECT_EQ(d.features[f.other].id, b) << describe(d, f);
}

}  // namespace

TEST(DesignAudit, SampleWithViolations) {
  const Design d = readSample("violations.json");
  const AuditResult r = auditDesign(d);
  ASSERT_EQ(r.findings.size(), 7u);
  const auto& f = r.findings;

  // A1 (square 5..9) and the unit circle about (9, 7) cross at (9, 6) and
  // (9, 8); the overlap is the left half of the disc.
  expectPair(d, f[0], FindingKind::Short, "A1", "A2");
  EXPECT_EQ(f[0].distance, 0.0);
  ASSERT_TRUE(f[0].hasPoints);
  EXPECT_NEAR(f[0].x1, 9.0, kTol);
  EXPECT_NEAR(std::fabs(f[0].y1 - 7.0), 1.0, kTol);
  EXPECT_NEAR(f[0].area, kPi / 2, kClipAreaTol);

  // B1 and B2 share the edge x = 14, y 20..22: touching, no overlap area.
  expectPair(d, f[1], FindingKind::Short, "B1", "B2");
  ASSERT_TRUE(f[1].hasPoints);
  EXPECT_NEAR(f[1].x1, 14.0, kTol);
  EXPECT_GE(f[1].y1, 20.0 - kTol);
  EXPECT_LE(f[1].y1, 22.0 + kTol);
  EXPECT_NEAR(f[1].area, 0.0, kClipAreaTol);

  // C2 (unit disc about (4, 23)) lies wholly inside C1: no contact point.
  expectPair(d, f[2], FindingKind::Short, "C1", "C2");
  EXPECT_FALSE(f[2].hasPoints);
  EXPECT_NEAR(f[2].area, kPi, kClipAreaTol);

  // R2 (radius 0.5 about (20.5, 10)) sits in R1's hole (radius 1.5 about
  // (20, 10)): gap 1.5 - (0.5 + 0.5) = 0.5 along +x, below the clearance 0.6.
  expectPair(d, f[3], FindingKind::Clearance, "R1", "R2");
  EXPECT_NEAR(f[3].distance, 0.5, kTol);
  EXPECT_NEAR(f[3].x1, 21.5, kTol);
  EXPECT_NEAR(f[3].y1, 10.0, kTol);
  EXPECT_NEAR(f[3].x2, 21.0, kTol);
  EXPECT_NEAR(f[3].y2, 10.0, kTol);
  EXPECT_TRUE(std::isnan(f[3].area));

  // S1's right edge x = 30 and the unit circle about (31.5, 6): gap 0.5.
  expectPair(d, f[4], FindingKind::Clearance, "S1", "S2");
  EXPECT_NEAR(f[4].distance, 0.5, kTol);
  EXPECT_NEAR(f[4].x1, 30.0, kTol);
  EXPECT_NEAR(f[4].y1, 6.0, kTol);
  EXPECT_NEAR(f[4].x2, 30.5, kTol);
  EXPECT_NEAR(f[4].y2, 6.0, kTol);

  // E1 (38..42 x 14..16) crosses the board's right edge x = 40.
  EXPECT_EQ(f[5].kind, FindingKind::Outside);
  EXPECT_EQ(d.features[f[5].feature].id, "E1");
  EXPECT_EQ(f[5].other, -1);
  EXPECT_NEAR(f[5].area, 4.0, kClipAreaTol);
  // H1 (radius 2.5) covers the board's mounting hole (radius 1.5).
  EXPECT_EQ(f[6].kind, FindingKind::Outside);
  EXPECT_EQ(d.features[f[6].feature].id, "H1");
  EXPECT_NEAR(f[6].area, kPi * 2.25, kClipAreaTol);

  EXPECT_EQ(r.count(FindingKind::Short), 3);
  EXPECT_EQ(r.count(FindingKind::Clearance), 2);
  EXPECT_EQ(r.count(FindingKind::Outside), 2);
}

TEST(DesignAudit, CleanSampleHasNoFindings) {
  const Design d = readSample("clean.json");
  const AuditResult r = auditDesign(d);
  for (const AuditFinding& f : r.findings) ADD_FAILURE() << describe(d, f);
}

TEST(DesignAudit, ClearanceMustFallShortByMoreThanContactTolAndSameNetIsNeverChecked) {
  Design d = board(20, 0.5);
  d.features.push_back(feature("L", "N1", rect(2, 4, 2, 4)));
  d.features.push_back(feature("R", "N2", rect(4.5, 6, 2, 4)));  // gap exactly 0.5
  d.features.push_back(feature("S", "N1", rect(1, 3, 3, 8)));    // overlaps L, same net
  EXPECT_TRUE(auditDesign(d).findings.empty());
  // Short of the clearance by less than the contact tolerance: rounding of
  // decimal coordinates, not a violation.
  d.clearance = 0.5 + 0.9e-6;
  EXPECT_TRUE(auditDesign(d).findings.empty());

  d.clearance = 0.5 + 1.1e-6;
  const AuditResult r = auditDesign(d);
  ASSERT_EQ(r.findings.size(), 1u);
  expectPair(d, r.findings[0], FindingKind::Clearance, "L", "R");
  EXPECT_NEAR(r.findings[0].distance, 0.5, kTol);
  EXPECT_NEAR(r.findings[0].x1, 4.0, kTol);
  EXPECT_NEAR(r.findings[0].x2, 4.5, kTol);
}

TEST(DesignAudit, OverlapThroughHolesIsFoundWhereBoundariesNeverMeet) {
  Design d = board(20, 0.2);
  // A ring 1..3 about (10, 10); P sits in the ring's material; Q covers the
  // ring's hole with its rim in the material; V sits in the hole, clear of it.
  d.features.push_back(feature("ring", "N1", circle(10, 10, 3), {circle(10, 10, 1)}));
  d.features.push_back(feature("P", "N2", circle(12, 10, 0.5)));
  d.features.push_back(feature("Q", "N3", circle(10, 10, 2)));
  d.features.push_back(feature("V", "N1", circle(10, 10, 0.5)));
  const AuditResult r = auditDesign(d);
  ASSERT_EQ(r.findings.size(), 4u);
  expectPair(d, r.findings[0], FindingKind::Short, "ring", "P");
  EXPECT_FALSE(r.findings[0].hasPoints);
  EXPECT_NEAR(r.findings[0].area, kPi * 0.25, kClipAreaTol);
  expectPair(d, r.findings[1], FindingKind::Short, "ring", "Q");
  EXPECT_NEAR(r.findings[1].area, kPi * (4 - 1), kClipAreaTol);
  // P lies inside Q too; V (net N1) lies inside Q.
  expectPair(d, r.findings[2], FindingKind::Short, "P", "Q");
  expectPair(d, r.findings[3], FindingKind::Short, "Q", "V");
}

TEST(DesignAudit, OutsideTheBoardDecidedExactlyAndByArea) {
  Design d = board(30, 0.1);
  d.board.holes.push_back(rect(10, 12, 10, 12));
  d.board.holes.push_back(rect(20, 22, 20, 22));
  d.board.holes.push_back(rect(20, 22, 5, 7));
  d.features.push_back(feature("inside", "A", rect(1, 3, 1, 3)));
  d.features.push_back(feature("flush", "B", rect(0, 2, 5, 7)));  // touches x = 0 from inside
  d.features.push_back(
      feature("hole edge", "C", rect(12, 13, 5, 11)));  // touches a hole from outside
  d.features.push_back(feature("beyond", "D", rect(40, 41, 40, 42)));  // far off the board
  d.features.push_back(feature("over edge", "E", rect(29, 31, 15, 16)));
  d.features.push_back(feature("into hole", "F", rect(21, 23, 20.5, 21.5)));
  d.features.push_back(feature("over hole", "G", circle(21, 6, 2)));  // clear of the hole's edges
  const AuditResult r = auditDesign(d);
  std::vector<std::string> ids;
  for (const AuditFinding& f : r.findings) {
    EXPECT_EQ(f.kind, FindingKind::Outside);
    ids.push_back(d.features[f.feature].id.toStdString());
  }
  EXPECT_EQ(ids, (std::vector<std::string>{"beyond", "over edge", "into hole", "over hole"}));
  ASSERT_EQ(r.findings.size(), 4u);
  EXPECT_NEAR(r.findings[0].area, 2.0, kClipAreaTol);
  EXPECT_NEAR(r.findings[1].area, 1.0, kClipAreaTol);
  EXPECT_NEAR(r.findings[2].area, 1.0, kClipAreaTol);
  EXPECT_NEAR(r.findings[3].area, 4.0, kClipAreaTol);
}

// Where a feature's boundary touches the board's, the clipped outside part
// decides; when the clipper cannot compute it (here a spike out to far
// beyond its grid's range), the check is undecided and reported as a
// feature outside the board with no measured area, never as inside.
TEST(DesignAudit, AnUndecidedInsideCheckIsReportedAsOutside) {
  Design d = board(30, 0.1);
  d.features.push_back(feature("inside", "A", rect(1, 3, 1, 3)));
  d.features.push_back(feature("flush", "B", rect(0, 2, 5, 7)));
  d.features.push_back(feature(
      "spike", "C", {line(28, 10, 1e17, 11), line(1e17, 11, 28, 12), line(28, 12, 28, 10)}));
  const AuditResult r = auditDesign(d);
  ASSERT_EQ(r.findings.size(), 1u);
  EXPECT_EQ(r.findings[0].kind, FindingKind::Outside);
  EXPECT_EQ(d.features[r.findings[0].feature].id, "spike");
  EXPECT_TRUE(std::isnan(r.findings[0].area));
}

// 10,000 pads on a grid: the broad phase must hand every neighbour pair to
// the geometry and nothing else may be reported. Pads of radius 0.25 at
// pitch 1: side neighbours are 0.5 apart (below the clearance 0.55),
// diagonal ones sqrt(2) - 0.5 (above it).
TEST(DesignAudit, TenThousandFeaturesOnAGrid) {
  constexpr int n = 100;
  Design d = board(n + 1, 0.55);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const std::string id = "p" + std::to_string(i) + "_" + std::to_string(j);
      d.features.push_back(feature(id, id, circle(i + 1, j + 1, 0.25)));
    }
  }
  const AuditResult r = auditDesign(d);
  EXPECT_EQ(r.count(FindingKind::Clearance), 2 * n * (n - 1));
  EXPECT_EQ(r.count(FindingKind::Short), 0);
  EXPECT_EQ(r.count(FindingKind::Outside), 0);
  int badDistance = 0;
  for (const AuditFinding& f : r.findings) {
    if (std::fabs(f.distance - 0.5) > kTol) ++badDistance;
  }
  EXPECT_EQ(badDistance, 0);
}

TEST(AuditReport, ExitCodesForReadableAndUnreadableDesigns) {
  EXPECT_EQ(auditDesignFile(samplePath("clean.json")).exitCode(), 0);
  EXPECT_EQ(auditDesignFile(samplePath("violations.json")).exitCode(), 1);
  const AuditReport missing = auditDesignFile(samplePath("missing.json"));
  EXPECT_EQ(missing.exitCode(), 2);
  EXPECT_FALSE(missing.error.isEmpty());
}

// A slice of the board's rounded corner lies exactly on the corner arc: the
// clipper samples the two arcs differently, and the slivers between them are
// noise, not a part outside the board. A slice one hundredth larger is out.
TEST(DesignAudit, FlushAgainstARoundedCornerIsInside) {
  auto corner = [](double r) {
    const DesignCurve a = arc(2, 2, r, 200, 250, true);
    const DesignPoint s = a.startPoint(), e = a.endPoint();
    return DesignLoop{line(2, 2, s.x, s.y), a, line(e.x, e.y, 2, 2)};
  };
  Design d = board(10, 0.1);
  d.board.outer = {line(2, 0, 10, 0), line(10, 0, 10, 10), line(10, 10, 0, 10), line(0, 10, 0, 2),
                   arc(2, 2, 2, 180, 270, true)};
  d.features.push_back(feature("flush", "A", corner(2.0)));
  EXPECT_TRUE(auditDesign(d).findings.empty());

  d.features[0].region.outer = corner(2.02);
  const AuditResult r = auditDesign(d);
  ASSERT_EQ(r.findings.size(), 1u);
  EXPECT_EQ(r.findings[0].kind, FindingKind::Outside);
  // The ring sector between radii 2 and 2.02 over 50 degrees.
  EXPECT_NEAR(r.findings[0].area, (2.02 * 2.02 - 4.0) / 2 * (50 * kPi / 180), kClipAreaTol);
}

TEST(DesignAudit, ShortsWithALargeFillMeasureTheOverlapOfTheirOwnPart) {
  // A comb of 600 members on net GND, as a copper fill would be, and pads
  // of other nets: one inside a tooth, one across the base and a hole, one
  // in a gap between teeth, 0.3 from it, below the clearance 0.5.
  Design d = board(250, 0.5);
  d.features.push_back(DesignFeature{"fill", "GND", comb(100)});
  d.features.push_back(feature("in tooth", "A", rect(40.2, 40.7, 2, 4)));
  d.features.push_back(feature("on base", "B", rect(60, 61, 0.1, 0.9)));
  d.features.push_back(feature("in gap", "C", rect(41.3, 41.7, 2, 4)));
  const AuditResult r = auditDesign(d);
  ASSERT_EQ(r.findings.size(), 3u);
  expectPair(d, r.findings[0], FindingKind::Short, "fill", "in tooth");
  EXPECT_NEAR(r.findings[0].area, 1.0, kClipAreaTol);
  expectPair(d, r.findings[1], FindingKind::Short, "fill", "on base");
  // 1 x 0.8 less the hole 60.2..60.6 x 0.2..0.6.
  EXPECT_NEAR(r.findings[1].area, 0.8 - 0.16, kClipAreaTol);
  expectPair(d, r.findings[2], FindingKind::Clearance, "fill", "in gap");
  EXPECT_NEAR(r.findings[2].distance, 0.3, 1e-12);
}

TEST(DesignAudit, TwoLargeFillsOverlapByTheSumOfTheirTiles) {
  // Two combs of 2,000 members each, the second 3 higher: each tooth of the
  // first meets the second's base (1 x 1 less a hole of 0.4 x 0.4) and its
  // tooth (1 x 2): 2.84 per tooth, 100 teeth.
  DesignRegion upper = comb(100);
  auto lift = [](DesignLoop& loop) {
    for (DesignCurve& c : loop) {
      c.from.y += 3;
      c.to.y += 3;
    }
  };
  lift(upper.outer);
  for (DesignLoop& hole : upper.holes) lift(hole);
  Design d = board(250, 0.2);
  d.features.push_back(DesignFeature{"lower", "GND", comb(100)});
  d.features.push_back(DesignFeature{"upper", "VCC", upper});
  const AuditResult r = auditDesign(d);
  ASSERT_EQ(r.findings.size(), 1u);
  expectPair(d, r.findings[0], FindingKind::Short, "lower", "upper");
  EXPECT_NEAR(r.findings[0].area, 284.0, 100 * kClipAreaTol);
}
