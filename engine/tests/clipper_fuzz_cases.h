// Helpers of the clipper cases found by fuzzing: inputs built as the fuzz
// target builds them, areas of results, and runs of Execute by each way.
#pragma once

#include <engine/engine.h>
#include "clipper_glue.h"

#include <gtest/gtest.h>
#include <testsupport/shape_builders.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// The clipper's sampling tolerance and grid step (clipper.h): result
// boundaries move by at most their sum from the operands'.
constexpr double kMargin = kClipperSampleTol + kClipperGrid;

inline std::unique_ptr<GkShape> circle(double cx, double cy, double r) {
  auto shape = std::make_unique<GkShape>();
  auto loop = new GkCompositeCurve2d;
  loop->append(new AcGeCircArc2d(AcGePoint2d(cx, cy), r));
  shape->AppendCompCurve(loop);
  return shape;
}

// Every result loop closes (consecutive members meet within 1e-6).
inline void ExpectClosedLoops(const std::vector<std::unique_ptr<GkShape>>& result) {
  for (const auto& shape : result) {
    std::vector<GkCompositeCurve2d*> loops;
    shape->GetCompCurveList(loops);
    for (GkCompositeCurve2d* loop : loops) {
      std::vector<GkCurve2d*> members;
      loop->GetCurveList(members);
      for (std::size_t i = 0; i < members.size(); ++i) {
        const AcGePoint2d e = members[i]->endPoint();
        const AcGePoint2d s = members[(i + 1) % members.size()]->startPoint();
        EXPECT_LE(e.distanceTo(s), 1e-6) << "member " << i << " of " << members.size();
      }
    }
  }
}

// A closed chain as the clipper fuzz target makes it: corner i to corner
// i+1 is an arc through the point `bulge` sixty-fourths of half the chord to
// the left of its middle when bulge is not 0 and the three points make an
// arc of radius up to 250, else a segment. Built this way the arcs carry
// the target's exact doubles, which centres and angles printed to 17
// digits do not rebuild.
inline GkCompositeCurve2d* fuzzChain(const std::vector<std::pair<AcGePoint2d, int>>& corners) {
  auto loop = std::make_unique<GkCompositeCurve2d>();
  const std::size_t n = corners.size();
  for (std::size_t i = 0; i < n; ++i) {
    const AcGePoint2d p = corners[i].first, q = corners[(i + 1) % n].first;
    const int bulge = corners[i].second;
    std::unique_ptr<GkCurve2d> edge;
    if (bulge != 0) {
      const double dx = q.x - p.x, dy = q.y - p.y;
      const double h = bulge / 64.0 * 0.5;
      const AcGePoint2d m((p.x + q.x) / 2 - dy * h, (p.y + q.y) / 2 + dx * h);
      if (AcGeCircArc2d::IsCirArc(p, m, q, GkGeoLib::g_tol)) {
        auto arc = std::make_unique<AcGeCircArc2d>(p, m, q);
        if (std::isfinite(arc->radius()) && arc->radius() <= 250) edge = std::move(arc);
      }
    }
    if (!edge) edge = std::make_unique<AcGeLineSeg2d>(p, q);
    loop->append(edge.release());
  }
  return loop.release();
}

inline GkCompositeCurve2d* circleLoop(double cx, double cy, double r, bool ccw) {
  auto circle = std::make_unique<AcGeCircArc2d>(AcGePoint2d(cx, cy), r);
  circle->SetIsCCW(ccw);
  auto loop = new GkCompositeCurve2d;
  loop->append(circle.release());
  return loop;
}

// Twice the signed area of a shape's sampled boundary (outer plus holes),
// and the boundary's length.
inline double SignedArea2(GkShape& shape, double& length) {
  std::vector<GkCompositeCurve2d*> loops;
  shape.GetCompCurveList(loops);
  double sum = 0;
  for (GkCompositeCurve2d* loop : loops) {
    std::vector<AcGePoint2d> pts;
    loop->GetSampleBuffer(pts, kClipperSampleTol);
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
      sum += pts[i].x * pts[i + 1].y - pts[i + 1].x * pts[i].y;
      length += pts[i].distanceTo(pts[i + 1]);
    }
  }
  return sum;
}

// The region's area: the signed areas of all its shapes, and their
// boundary length.
inline double RegionArea(const std::vector<std::unique_ptr<GkShape>>& region, double& length) {
  double area2 = 0;
  for (const auto& shape : region) area2 += SignedArea2(*shape, length);
  return area2 / 2;
}

inline std::vector<std::unique_ptr<GkShape>> Clip(const std::vector<GkShape*>& operands,
                                                  const std::vector<GkClipType>& types) {
  std::vector<GkShape*> copy = operands;
  GkClipper clipper;
  clipper.SetShapeList(copy);
  std::vector<GkShape*> raw;
  clipper.Execute(types, raw);
  return std::vector<std::unique_ptr<GkShape>>(raw.begin(), raw.end());
}

// Runs Execute, the short ways or one plain sweep per pass; its result,
// and whether it reported a failure.
inline std::vector<std::unique_ptr<GkShape>> RunWays(const std::vector<GkShape*>& operands,
                                                     const std::vector<GkClipType>& types,
                                                     bool plain, bool& failed) {
  std::vector<GkShape*> copy = operands;
  GkClipper clipper;
  clipper.SetShapeList(copy);
  std::vector<GkShape*> raw;
  clipper_glue::SetPlainSweep(plain);
  clipper.Execute(types, raw);
  clipper_glue::SetPlainSweep(false);
  failed = clipper.LastExecuteFailed();
  return std::vector<std::unique_ptr<GkShape>>(raw.begin(), raw.end());
}

// The area of that result, or NaN when Execute reports a failure.
inline double AreaOrFailure(const std::vector<GkShape*>& operands,
                            const std::vector<GkClipType>& types, bool plain) {
  bool failed = false;
  const std::vector<std::unique_ptr<GkShape>> result = RunWays(operands, types, plain, failed);
  double length = 0;
  return failed ? std::nan("") : RegionArea(result, length);
}

// The area of Execute(types) within `tol` of `expected` in strips of 16,
// 32, 64 and 128 vertices (groups of more than 16 vertices cut to strips).
inline void ExpectAreaInStrips(const std::vector<GkShape*>& operands,
                               const std::vector<GkClipType>& types, double expected,
                               double tol = 0.01) {
  for (std::size_t strip : {16, 32, 64, 128}) {
    clipper_glue::SetStripSize(16, strip);
    EXPECT_NEAR(AreaOrFailure(operands, types, false), expected, tol) << "strips of " << strip;
  }
  clipper_glue::SetStripSize(0, 0);
}

// The same in the short ways and one plain sweep per pass as well.
inline void ExpectAreaInEveryWay(const std::vector<GkShape*>& operands,
                                 const std::vector<GkClipType>& types, double expected,
                                 double tol = 0.01) {
  EXPECT_NEAR(AreaOrFailure(operands, types, false), expected, tol) << "short ways";
  EXPECT_NEAR(AreaOrFailure(operands, types, true), expected, tol) << "plain sweep";
  ExpectAreaInStrips(operands, types, expected, tol);
}

}  // namespace
