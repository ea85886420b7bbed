// Builders of loops and shapes for geometry tests and benchmarks (squares,
// polygons, circles, rings, rounded rectangles, slots), and measures taken
// by fine sampling: signed area and perimeter of loops, area of shapes.
// Every builder returns new objects that the caller owns.
#pragma once

#include <engine/circarc2d.h>
#include <engine/clipper.h>
#include <engine/compositecurve2d.h>
#include <engine/lineseg2d.h>
#include <engine/shape.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace testsupport {

constexpr double kPi = 3.141592653589793;

// Closed polygon of line segments through pts in the given order.
inline GkCompositeCurve2d* PolygonLoop(const std::vector<AcGePoint2d>& pts) {
  auto* loop = new GkCompositeCurve2d();
  for (std::size_t i = 0; i < pts.size(); ++i)
    loop->append(new AcGeLineSeg2d(pts[i], pts[(i + 1) % pts.size()]));
  return loop;
}

// Axis-aligned rectangle, counter-clockwise from (x0, y0) unless ccw is false.
inline GkCompositeCurve2d* RectLoop(double x0, double y0, double x1, double y1, bool ccw = true) {
  std::vector<AcGePoint2d> pts{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
  if (!ccw) pts = {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
  return PolygonLoop(pts);
}

// One full-circle arc, walked counter-clockwise unless ccw is false.
inline GkCompositeCurve2d* CircleLoop(const AcGePoint2d& c, double r, bool ccw = true) {
  auto* arc = new AcGeCircArc2d(c, r);
  arc->SetIsCCW(ccw);
  auto* loop = new GkCompositeCurve2d();
  loop->append(arc);
  return loop;
}

// Counter-clockwise rectangle with quarter-arc corners of radius rc
// (0 < rc < half the smaller side): four segments and four arcs.
inline GkCompositeCurve2d* RoundedRectLoop(double x0, double y0, double x1, double y1, double rc) {
  auto* loop = new GkCompositeCurve2d();
  const double h = kPi * 0.5;
  loop->append(new AcGeLineSeg2d(AcGePoint2d(x0 + rc, y0), AcGePoint2d(x1 - rc, y0)));
  loop->append(new AcGeCircArc2d(AcGePoint2d(x1 - rc, y0 + rc), rc, 3 * h, 0.0, true));
  loop->append(new AcGeLineSeg2d(AcGePoint2d(x1, y0 + rc), AcGePoint2d(x1, y1 - rc)));
  loop->append(new AcGeCircArc2d(AcGePoint2d(x1 - rc, y1 - rc), rc, 0.0, h, true));
  loop->append(new AcGeLineSeg2d(AcGePoint2d(x1 - rc, y1), AcGePoint2d(x0 + rc, y1)));
  loop->append(new AcGeCircArc2d(AcGePoint2d(x0 + rc, y1 - rc), rc, h, 2 * h, true));
  loop->append(new AcGeLineSeg2d(AcGePoint2d(x0, y1 - rc), AcGePoint2d(x0, y0 + rc)));
  loop->append(new AcGeCircArc2d(AcGePoint2d(x0 + rc, y0 + rc), rc, 2 * h, 3 * h, true));
  return loop;
}

// Counter-clockwise slot (stadium) of half-width r around the horizontal
// axis from (ax, y) to (bx, y), ax < bx: two segments and two half circles.
inline GkCompositeCurve2d* SlotLoop(double ax, double bx, double y, double r) {
  auto* loop = new GkCompositeCurve2d();
  const double h = kPi * 0.5;
  loop->append(new AcGeLineSeg2d(AcGePoint2d(ax, y - r), AcGePoint2d(bx, y - r)));
  loop->append(new AcGeCircArc2d(AcGePoint2d(bx, y), r, 3 * h, h, true));
  loop->append(new AcGeLineSeg2d(AcGePoint2d(bx, y + r), AcGePoint2d(ax, y + r)));
  loop->append(new AcGeCircArc2d(AcGePoint2d(ax, y), r, h, 3 * h, true));
  return loop;
}

// Counter-clockwise capsule (a track) of half-width w along a -> b, a != b:
// two straight sides and two half-circle end caps about a and b.
inline GkCompositeCurve2d* CapsuleLoop(const AcGePoint2d& a, const AcGePoint2d& b, double w) {
  const double len = std::hypot(b.x - a.x, b.y - a.y);
  const double nx = -(b.y - a.y) / len * w, ny = (b.x - a.x) / len * w;  // left normal
  const double right = std::atan2(-ny, -nx);
  auto* loop = new GkCompositeCurve2d();
  loop->append(new AcGeLineSeg2d(AcGePoint2d(a.x - nx, a.y - ny), AcGePoint2d(b.x - nx, b.y - ny)));
  loop->append(new AcGeCircArc2d(b, w, right, right + kPi, true));
  loop->append(new AcGeLineSeg2d(AcGePoint2d(b.x + nx, b.y + ny), AcGePoint2d(a.x + nx, a.y + ny)));
  loop->append(new AcGeCircArc2d(a, w, right + kPi, right + 2 * kPi, true));
  return loop;
}

// A shape from its outer loop and holes (ownership passes to the shape).
inline GkShape* MakeShape(GkCompositeCurve2d* outer,
                          const std::vector<GkCompositeCurve2d*>& holes = {}) {
  auto* shape = new GkShape();
  shape->AppendCompCurve(outer);
  for (GkCompositeCurve2d* hole : holes) shape->AppendCompCurve(hole);
  return shape;
}

// Disc of radius rOuter with a concentric hole of radius rInner (clockwise).
inline GkShape* RingShape(const AcGePoint2d& c, double rOuter, double rInner) {
  return MakeShape(CircleLoop(c, rOuter, true), {CircleLoop(c, rInner, false)});
}

// The loops of a shape, in order (the shape keeps ownership).
inline std::vector<GkCompositeCurve2d*> LoopsOf(GkShape& shape) {
  std::vector<GkCompositeCurve2d*> loops;
  shape.GetCompCurveList(loops);
  return loops;
}

// The arc members of a loop, in order (the loop keeps ownership).
inline std::vector<AcGeCircArc2d*> ArcsOf(GkCompositeCurve2d& loop) {
  std::vector<GkCurve2d*> members;
  loop.GetCurveList(members);
  std::vector<AcGeCircArc2d*> arcs;
  for (GkCurve2d* m : members)
    if (auto* a = dynamic_cast<AcGeCircArc2d*>(m)) arcs.push_back(a);
  return arcs;
}

// The arc members of every loop of a shape.
inline std::vector<AcGeCircArc2d*> ArcsOf(GkShape& shape) {
  std::vector<AcGeCircArc2d*> arcs;
  for (GkCompositeCurve2d* loop : LoopsOf(shape)) {
    const std::vector<AcGeCircArc2d*> own = ArcsOf(*loop);
    arcs.insert(arcs.end(), own.begin(), own.end());
  }
  return arcs;
}

// Signed area of the loop sampled with chord tolerance tol (shoelace):
// positive counter-clockwise. Works for loops of any member count.
inline double SignedLoopArea(GkCompositeCurve2d& loop, double tol = 1e-4) {
  std::vector<AcGePoint2d> pts;
  loop.GetSampleBuffer(pts, tol);
  double sum = 0.0;
  for (std::size_t i = 0; i + 1 < pts.size(); ++i)
    sum += pts[i].x * pts[i + 1].y - pts[i + 1].x * pts[i].y;
  return sum * 0.5;
}

// Length of the loop sampled with chord tolerance tol.
inline double LoopPerimeter(GkCompositeCurve2d& loop, double tol = 1e-4) {
  std::vector<AcGePoint2d> pts;
  loop.GetSampleBuffer(pts, tol);
  double len = 0.0;
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) len += pts[i].distanceTo(pts[i + 1]);
  return len;
}

// Area of the region: |outer| minus every |hole|.
inline double ShapeArea(GkShape& shape, double tol = 1e-4) {
  const std::vector<GkCompositeCurve2d*> loops = LoopsOf(shape);
  double area = 0.0;
  for (std::size_t i = 0; i < loops.size(); ++i) {
    const double a = std::fabs(SignedLoopArea(*loops[i], tol));
    area += i == 0 ? a : -a;
  }
  return area;
}

inline double TotalArea(const std::vector<GkShape*>& shapes, double tol = 1e-4) {
  double area = 0.0;
  for (GkShape* shape : shapes) area += ShapeArea(*shape, tol);
  return area;
}

// Sum of the perimeters of every loop of the shape.
inline double ShapePerimeter(GkShape& shape, double tol = 1e-4) {
  double len = 0.0;
  for (GkCompositeCurve2d* loop : LoopsOf(shape)) len += LoopPerimeter(*loop, tol);
  return len;
}

// How far a rebuilt arc's centre or radius may lie from its source circle:
// the clipper rebuilds an arc through its first, middle and last run points,
// each within half a grid diagonal (eps) of the source circle. With h half
// the angle those points span, the radius moves by at most
// eps * (cot(h/2) + |1 - cot^2(h/2)|) to first order (from the half chord and
// the sagitta); the centre by that plus the sagitta's own error. Twice that,
// for the second-order terms. A rebuilt full circle spans 240 degrees.
inline double RebuiltArcTolerance(const AcGeCircArc2d& arc) {
  const double eps = kClipperGrid * 0.7071067811865476;
  const double sweep = arc.IsCircle() ? 4 * kPi / 3 : arc.GetArcSweepangle();
  const double h = std::min(sweep, 4 * kPi / 3) / 2;
  const double k = 1.0 / std::tan(h / 2);
  return 2 * (eps * (k + std::fabs(1 - k * k)) + 2 * eps);
}

// The smallest of max(centre distance, radius difference) between arc and
// the circles of sources; infinity without sources.
inline double SourceCircleError(const AcGeCircArc2d& arc,
                                const std::vector<AcGeCircArc2d*>& sources) {
  double best = HUGE_VAL;
  for (const AcGeCircArc2d* src : sources) {
    best = std::min(best, std::max(arc.center().distanceTo(src->center()),
                                   std::fabs(arc.radius() - src->radius())));
  }
  return best;
}

// Destroys the shapes and clears the list.
inline void DeleteShapes(std::vector<GkShape*>& shapes) {
  for (GkShape* shape : shapes) delete shape;
  shapes.clear();
}

}  // namespace testsupport
