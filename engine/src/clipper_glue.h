// Private glue between GkShape and ClipperLib: shapes to tagged integer
// paths, and ClipperLib's result tree back to shapes with arcs rebuilt.
// Never included by a public header.
//
// Integer grid: one unit per 0.000254 drawing units (v * kScale rounded half
// away from zero, computed in 64 bits). Z of every path point is a tag:
//   0                      a plain vertex (segment end, or a point the
//                          clipping created);
//   key * kTagBase + step  a point sampled from one arc. key > 0 names the
//                          source arc within one Execute call; step (below
//                          kTagBase) is the largest |dX| or |dY| between
//                          consecutive samples of that arc, integer units.
// Tags are only compared for equality; step tells a continuous run from one
// that the clipping cut (a "jump").
//
// The functions are exported only so that the engine's own tests can reach
// them; this header is not installed.
#pragma once

#include <engine/engine_export.h>

#include <engine/circarc2d.h>
#include <engine/compositecurve2d.h>
#include <engine/shape.h>

#include "clipper.hpp"

#include <cstdint>
#include <vector>

namespace clipper_glue {

// Integer units per drawing unit (1 / 0.000254).
constexpr double kScale = 3937.007874015748;
// Chord tolerance for sampling arcs, drawing units (10 grid units).
constexpr double kSampleTol = 0.00254;
// Tag = key * kTagBase + step; steps must stay below kTagBase.
constexpr ClipperLib::cInt kTagBase = 10000;
// Largest magnitude accepted on the grid (ClipperLib's own limit is about
// 4.61e18); beyond it, or for NaN, ToInt returns kOutOfRange.
constexpr double kMaxGrid = 4.0e18;
constexpr ClipperLib::cInt kOutOfRange = ClipperLib::cInt(1) << 62;

// round(v * kScale): halves away from zero, in 64 bits. kOutOfRange for
// non-finite or too large values.
ENGINE_EXPORT ClipperLib::cInt ToInt(double v);
// The way back: c / kScale.
inline double FromInt(ClipperLib::cInt c) { return static_cast<double>(c) / kScale; }

}  // namespace clipper_glue

// Sink that turns the points an arc emits into integer path points with
// Z = 0 (the caller tags them afterwards), keeping the running trapezoid sum
// sum += (x + prevX) * (prevY - y) (minus twice the signed area) and the
// largest coordinate step between consecutive path points.
class ENGINE_EXPORT ClipperArcSample : public GkSampleXY {
public:
  // emitFirst: write the first point (else it is dropped, being the previous
  // member's end, already in the path). path is not owned.
  ClipperArcSample(ClipperLib::Path* path, bool emitFirst, double sum, double prevX,
                   double prevY);
  void AddXY(const double& x, const double& y) override;

  bool seen = false;
  double prevX;
  double prevY;
  double sum;
  ClipperLib::cInt step = 0;
  bool emitFirst;
  ClipperLib::Path* path;
};

namespace clipper_glue {

// Converts shapes to paths within one Execute call: hands out arc keys and
// remembers whether every coordinate fitted on the grid.
class ENGINE_EXPORT PathBuilder {
public:
  // Appends one path per loop with members: entry 0 as an outer path
  // (counter-clockwise), the others as holes (clockwise). A loop of one arc
  // becomes the full circle of that arc (sampled from a local copy); any
  // other single member gives an empty path. A null shape adds nothing.
  void AddShape(GkShape* shape, ClipperLib::Paths& out);
  // Loop to path; exposed for tests.
  void LoopToPath(GkCompositeCurve2d& loop, bool outer, ClipperLib::Path& path);
  // False once a coordinate was non-finite or beyond kMaxGrid.
  bool Valid() const { return m_valid; }

private:
  // Samples arc into path from index tagFrom on (see the .cpp), carrying the
  // running sum and previous point.
  void AppendArc(AcGeCircArc2d& arc, bool emitFirst, std::size_t tagFrom, double& sum,
                 AcGePoint2d& prev, ClipperLib::Path& path);
  void CheckRange(const ClipperLib::Path& path);

  std::int64_t m_nextKey = 1;
  bool m_valid = true;
};

// One ring of ClipperLib's output back to a loop of segments and arcs;
// nullptr for an empty path. The caller owns the result.
ENGINE_EXPORT GkCompositeCurve2d* PathToComposite(const ClipperLib::Path& path);

// Every outer node of the tree with its holes becomes a shape appended to
// result (owned by the caller); islands follow the shape that has the hole.
ENGINE_EXPORT void TreeToShapes(const ClipperLib::PolyTree& tree, std::vector<GkShape*>& result);

}  // namespace clipper_glue
