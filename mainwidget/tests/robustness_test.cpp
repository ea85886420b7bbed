// Arbitrary input never crashes the reader or the audit: randomly damaged
// design files, and well-formed designs of random (overlapping,
// self-crossing, degenerate) geometry, whose findings must still be
// consistent.
#include "designaudit.h"
#include "designreader.h"
#include "regionops.h"

#include "design_builder.h"
#include "samples.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cmath>
#include <random>

using namespace build;

namespace {

// A closed loop of one of four kinds, with random numbers in a 20 x 20 area.
DesignLoop randomLoop(std::mt19937& rng) {
  std::uniform_real_distribution<double> pos(0.0, 20.0);
  std::uniform_real_distribution<double> radius(0.05, 4.0);
  std::uniform_real_distribution<double> angle(-360.0, 720.0);
  switch (rng() % 4) {
    case 0: return circle(pos(rng), pos(rng), radius(rng));
    case 1: {  // polygon, possibly self-crossing
      DesignLoop loop;
      const int n = 3 + static_cast<int>(rng() % 4);
      std::vector<DesignPoint> p;
      for (int i = 0; i < n; ++i) p.push_back({pos(rng), pos(rng)});
      for (int i = 0; i < n; ++i)
        loop.push_back(line(p[i].x, p[i].y, p[(i + 1) % n].x, p[(i + 1) % n].y));
      return loop;
    }
    default: {  // an arc closed by its chord, or by two lines through a point
      const double cx = pos(rng), cy = pos(rng), r = radius(rng), start = angle(rng);
      const double sweep = 1.0 + std::fmod(std::fabs(angle(rng)), 358.0);
      const DesignCurve a = arc(cx, cy, r, start, start + sweep, rng() % 2 == 0);
      const DesignPoint s = a.startPoint(), e = a.endPoint();
      DesignLoop loop{a};
      if (rng() % 2 == 0) {
        loop.push_back(line(e.x, e.y, s.x, s.y));
      } else {
        const DesignPoint m{pos(rng), pos(rng)};
        loop.push_back(line(e.x, e.y, m.x, m.y));
        loop.push_back(line(m.x, m.y, s.x, s.y));
      }
      return loop;
    }
  }
}

Design randomDesign(std::mt19937& rng) {
  Design d = board(18, 0.05 + (rng() % 100) * 0.01);
  if (rng() % 2 == 0) d.board.holes.push_back(randomLoop(rng));
  const int n = 2 + static_cast<int>(rng() % 12);
  for (int i = 0; i < n; ++i) {
    std::vector<DesignLoop> holes;
    if (rng() % 3 == 0) holes.push_back(randomLoop(rng));
    d.features.push_back(
        feature("F" + std::to_string(i), "N" + std::to_string(rng() % 4), randomLoop(rng), holes));
  }
  return d;
}

void expectConsistent(const Design& d, const AuditResult& r) {
  const int n = static_cast<int>(d.features.size());
  for (const AuditFinding& f : r.findings) {
    ASSERT_GE(f.feature, 0);
    ASSERT_LT(f.feature, n);
    if (f.kind == FindingKind::Outside) {
      EXPECT_EQ(f.other, -1);
      continue;
    }
    ASSERT_GT(f.other, f.feature);
    ASSERT_LT(f.other, n);
    EXPECT_NE(d.features[f.feature].net, d.features[f.other].net);
    if (f.kind == FindingKind::Short) {
      EXPECT_EQ(f.distance, 0.0);
    } else {
      EXPECT_GT(f.distance, auditrules::kContactTol);
      EXPECT_LT(f.distance, d.clearance);
      // The reported points are the reported distance apart.
      EXPECT_NEAR(std::hypot(f.x1 - f.x2, f.y1 - f.y2), f.distance, 1e-9);
    }
  }
}

// A simple (never self-crossing) loop: a circle, a triangle of some area, or
// an arc closed by its chord.
DesignLoop randomSimpleLoop(std::mt19937& rng) {
  for (;;) {
    DesignLoop loop = randomLoop(rng);
    if (loop.size() == 2 && loop[1].kind == DesignCurve::Kind::Line) return loop;
    if (loop.size() == 1) return loop;
    if (loop.size() == 3 && loop[0].kind == DesignCurve::Kind::Line) {
      const DesignPoint a = loop[0].from, b = loop[1].from, c = loop[2].from;
      if (std::fabs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)) > 0.2) return loop;
    }
  }
}

}  // namespace

// Cross-check against the region clipper on simple regions: an overlap of
// real area is always reported as a short, a short found by containment
// overlaps by the smaller region's whole area, and a part of real area off
// the board is always reported as outside.
TEST(Robustness, ShortsAndOutsideAgreeWithClippedAreas) {
  std::mt19937 rng(4242);
  constexpr double kRealArea = 0.01;  // well above the clipper's noise here
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    Design d = board(18, 0.1);
    for (int i = 0; i < 6; ++i) {
      d.features.push_back(
          feature("F" + std::to_string(i), "N" + std::to_string(i), randomSimpleLoop(rng)));
    }
    const AuditResult r = auditDesign(d);
    std::vector<std::unique_ptr<GkShape>> shapes;
    for (const DesignFeature& f : d.features) shapes.push_back(makeShape(f.region));
    auto boardShape = makeShape(d.board);
    auto found = [&](FindingKind kind, int i, int j) -> const AuditFinding* {
      for (const AuditFinding& f : r.findings) {
        if (f.kind == kind && f.feature == i && f.other == j) return &f;
      }
      return nullptr;
    };
    for (int i = 0; i < 6; ++i) {
      for (int j = i + 1; j < 6; ++j) {
        const double overlap = clippedArea(*shapes[i], *shapes[j], kClipIntersection);
        const AuditFinding* s = found(FindingKind::Short, i, j);
        if (overlap > kRealArea) {
          EXPECT_NE(s, nullptr) << i << "/" << j << " overlap " << overlap;
        }
        if (s != nullptr && !s->hasPoints) {  // one lies inside the other
          const double smaller = std::min(shapeArea(*shapes[i]), shapeArea(*shapes[j]));
          EXPECT_NEAR(overlap, smaller, kRealArea) << i << "/" << j;
        }
      }
      const double off = clippedArea(*shapes[i], *boardShape, kClipDifference);
      const AuditFinding* out = found(FindingKind::Outside, i, -1);
      if (off > kRealArea) {
        EXPECT_NE(out, nullptr) << i << " off the board " << off;
      }
      if (out != nullptr) {
        EXPECT_GT(off, 0.0) << i;
      }
    }
  }
}

TEST(Robustness, RandomGeometryAuditsConsistently) {
  std::mt19937 rng(7151);
  for (int round = 0; round < 150; ++round) {
    const Design d = randomDesign(rng);
    SCOPED_TRACE("round " + std::to_string(round));
    expectConsistent(d, auditDesign(d));
  }
}

TEST(Robustness, DamagedDesignFilesAreRefusedOrAudited) {
  QFile file(samplePath("violations.json"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray original = file.readAll();
  std::mt19937 rng(99);
  int refused = 0;
  for (int round = 0; round < 300; ++round) {
    QByteArray damaged = original;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits && !damaged.isEmpty(); ++e) {
      const int at = static_cast<int>(rng() % static_cast<unsigned>(damaged.size()));
      switch (rng() % 3) {
        case 0: damaged[at] = static_cast<char>(rng() % 256); break;
        case 1: damaged.remove(at, 1 + static_cast<int>(rng() % 40)); break;
        default: damaged.truncate(at); break;
      }
    }
    Design d;
    QString error;
    if (!parseDesign(damaged, d, error)) {
      EXPECT_FALSE(error.isEmpty());
      ++refused;
      continue;
    }
    expectConsistent(d, auditDesign(d));
  }
  EXPECT_GT(refused, 0);
}
