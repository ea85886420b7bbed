// Chords of source circles in a clipping result: line segments that stand
// for a piece of a source arc the rebuild did not turn back into an arc.
//
// A result segment counts as a chord of a circle when both of its end points
// lie within `near` of that circle (| |p - centre| - radius | <= near) and it
// is no longer than the circle's sampling chord at `tol` (SamplingChord) plus
// the 2 `near` its end points may be off. Each segment counts once, whatever
// the number of circles it fits. Header only, on the library's public types,
// so that tests can use it as well as the benchmarks.
#pragma once

#include <engine/engine.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace bench {

struct SourceCircle {
  AcGePoint2d centre;
  double radius = 0.0;
};

struct ChordCount {
  int chords = 0;    // segments that are chords of a source circle
  int segments = 0;  // line segments in the result
  int arcs = 0;      // arcs in the result
  // chords / arcs; chords itself when the result has no arc.
  double PerArc() const { return arcs > 0 ? static_cast<double>(chords) / arcs : chords; }
};

// Longest chord between consecutive samples of a circle of radius r at
// chord tolerance tol: the arc sampling steps by at most acos(1 - tol / r)
// (GkMath::GetArcBreakCount), so a chord spans at most that angle; the
// diameter when the tolerance leaves only the end points (tol >= 2 r).
inline double SamplingChord(double r, double tol) {
  const double x = 1.0 - tol / r;
  if (!(x > -1.0)) return 2.0 * r;
  return 2.0 * r * std::sin(0.5 * std::acos(std::min(x, 1.0)));
}

// Counts the chords of `circles` among the line segments of every loop of
// `shapes` (not owned, not changed). tol: the sampling tolerance (the
// clipper's is kClipperSampleTol); near: how far an end point may be from
// the circle (two grid steps for the clipper's grid of kClipperGrid).
inline ChordCount CountArcChords(const std::vector<GkShape*>& shapes,
                                 const std::vector<SourceCircle>& circles, double tol,
                                 double near) {
  ChordCount count;
  // Uniform grid over the circles' boxes (widened by near), so a segment is
  // tested against the circles around its start point only.
  double cell = 0.0;
  for (const SourceCircle& c : circles) cell = std::max(cell, 2.0 * (c.radius + near));
  if (!(cell > 0.0)) cell = 1.0;
  auto cellOf = [cell](double v) { return static_cast<std::int64_t>(std::floor(v / cell)); };
  auto key = [](std::int64_t i, std::int64_t j) { return (i << 32) ^ (j & 0xffffffff); };
  std::unordered_map<std::int64_t, std::vector<std::size_t>> grid;
  for (std::size_t k = 0; k < circles.size(); ++k) {
    const SourceCircle& c = circles[k];
    const double reach = c.radius + near;
    for (std::int64_t i = cellOf(c.centre.x - reach); i <= cellOf(c.centre.x + reach); ++i) {
      for (std::int64_t j = cellOf(c.centre.y - reach); j <= cellOf(c.centre.y + reach); ++j) {
        grid[key(i, j)].push_back(k);
      }
    }
  }
  auto onCircle = [near](const SourceCircle& c, const AcGePoint2d& p) {
    return std::fabs(std::hypot(p.x - c.centre.x, p.y - c.centre.y) - c.radius) <= near;
  };

  for (GkShape* shape : shapes) {
    if (shape == nullptr) continue;
    std::vector<GkCompositeCurve2d*> loops;
    shape->GetCompCurveList(loops);
    for (GkCompositeCurve2d* loop : loops) {
      std::vector<GkCurve2d*> members;
      loop->GetCurveList(members);
      for (GkCurve2d* m : members) {
        if (m->GetCrvType() == kCrvArc) ++count.arcs;
        if (m->GetCrvType() != kCrvLineSeg) continue;
        ++count.segments;
        const AcGePoint2d s = m->startPoint();
        const AcGePoint2d e = m->endPoint();
        const double length = std::hypot(e.x - s.x, e.y - s.y);
        const auto found = grid.find(key(cellOf(s.x), cellOf(s.y)));
        if (found == grid.end()) continue;
        for (std::size_t k : found->second) {
          const SourceCircle& c = circles[k];
          if (length <= SamplingChord(c.radius, tol) + 2.0 * near && onCircle(c, s) &&
              onCircle(c, e)) {
            ++count.chords;
            break;
          }
        }
      }
    }
  }
  return count;
}

}  // namespace bench
