// Clipper results found wrong by fuzzing, kept as tests; each comment says
// what went wrong.
#include <engine/engine.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// The clipper's sampling tolerance and grid step (clipper.h): result
// boundaries move by at most their sum from the operands'.
constexpr double kMargin = kClipperSampleTol + kClipperGrid;

std::unique_ptr<GkShape> circle(double cx, double cy, double r) {
  auto shape = std::make_unique<GkShape>();
  auto loop = new GkCompositeCurve2d;
  loop->append(new AcGeCircArc2d(AcGePoint2d(cx, cy), r));
  shape->AppendCompCurve(loop);
  return shape;
}

// Two concentric circles whose radii differ by 1.2e-4 (half a grid step):
// their exclusive-or is a ring thinner than the grid, which comes back as
// 28 fragments. Arcs are rebuilt through three points of such fragments
// whose grid rounding is comparable to their spacing: one comes back with
// centre (8.0476, 8.0698) and radius 6.0755 instead of (8.09375, 8.09375)
// and 6.0237, run almost all the way round, and reached x = 14.1226, 0.0051
// beyond the operands' box (0.0024 beyond the stated accuracy). A rebuilt
// arc must now follow its run in length, or the run comes back as segments.
TEST(ClipperFuzzRegression, XorOfNearlyEqualConcentricCirclesStaysInTheirBox) {
  std::unique_ptr<GkShape> a = circle(8.09375, 8.09375, 6.0236514839398794);
  std::unique_ptr<GkShape> b = circle(8.09375, 8.09375, 6.0235294117647058);
  std::vector<GkShape*> operands{a.get(), b.get()};
  GkClipper clipper;
  clipper.SetShapeList(operands);
  std::vector<GkShape*> raw;
  clipper.Execute({kClipXor}, raw);
  std::vector<std::unique_ptr<GkShape>> result(raw.begin(), raw.end());
  const double reach = 6.0236514839398794 + kMargin;
  for (const auto& shape : result) {
    std::vector<GkCompositeCurve2d*> loops;
    shape->GetCompCurveList(loops);
    for (GkCompositeCurve2d* loop : loops) {
      std::vector<AcGePoint2d> pts;
      loop->GetSampleBuffer(pts, kClipperSampleTol);
      for (const AcGePoint2d& p : pts) {
        EXPECT_LE(std::fabs(p.x - 8.09375), reach) << p.x << ", " << p.y;
        EXPECT_LE(std::fabs(p.y - 8.09375), reach) << p.x << ", " << p.y;
      }
    }
  }
}

}  // namespace
