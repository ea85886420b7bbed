// Private glue between GkShape and ClipperLib: shapes to tagged integer
// paths, and ClipperLib's result tree back to shapes with arcs rebuilt.
// Never included by a public header.
//
// Integer grid: one unit per kClipperGrid drawing units (v * kScale rounded
// half away from zero, computed in 64 bits). Z of every path point is a tag:
//   0                      a plain vertex (segment end, or a point the
//                          clipping created);
//   key * kTagBase + step  a point sampled from an arc. key > 0 names the
//                          arc's circle within one Execute call (arcs with
//                          equal grid centre and radius share it); step
//                          (below kTagBase) is the largest |dX| or |dY|
//                          between consecutive samples of that circle's
//                          arcs, integer units;
//   -(key * kTagBase + step) a point the clipping created where two chords
//                          of that circle cross: on the circle's sampling
//                          band, part of its run, never a point an arc is
//                          built through.
// Tags are only compared for equality; step tells a continuous run from one
// that the clipping cut (a "jump").
//
// Nothing here is exported: the engine's own tests and benchmarks reach it
// by linking the library's objects; this header is not installed.
#pragma once

#include <engine/circarc2d.h>
#include <engine/clipper.h>
#include <engine/compositecurve2d.h>
#include <engine/shape.h>

#include "clipper.hpp"
#include "constants.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

namespace clipper_glue {

// Integer units per drawing unit (kClipperGridPerUnit).
constexpr double kScale = gk::kGridPerUnit;
// Chord tolerance for sampling arcs, drawing units (10 grid units).
using gk::kSampleTol;
// Tag = key * kTagBase + step; steps must stay below kTagBase.
constexpr ClipperLib::cInt kTagBase = 10000;
// Largest magnitude accepted on the grid (ClipperLib's own limit is about
// 4.61e18); beyond it, or for NaN, ToInt returns kOutOfRange.
constexpr double kMaxGrid = 4.0e18;
constexpr ClipperLib::cInt kOutOfRange = ClipperLib::cInt(1) << 62;

// round(v * kScale): halves away from zero, in 64 bits. kOutOfRange for
// non-finite or too large values.
ClipperLib::cInt ToInt(double v);
// The way back: c / kScale.
inline double FromInt(ClipperLib::cInt c) { return static_cast<double>(c) / kScale; }

// The hop from a to b stays within step in x and in y: consecutive samples
// of a circle whose step is that (a longer hop is a jump).
inline bool HopsWithin(const ClipperLib::IntPoint& a, const ClipperLib::IntPoint& b,
                       ClipperLib::cInt step) {
  const ClipperLib::cInt dx = b.X - a.X, dy = b.Y - a.Y;
  return (dx < 0 ? -dx : dx) <= step && (dy < 0 ? -dy : dy) <= step;
}

// The tag (without sign) of the circle that the edge ab is a chord of, or
// 0: both ends carry it, and the edge hops within that circle's step. A
// longer edge between two points of one circle is a jump where the
// clipping cut the run; points cut from it lie off the circle.
inline ClipperLib::cInt ChordTag(const ClipperLib::IntPoint& a, const ClipperLib::IntPoint& b) {
  const ClipperLib::cInt tag = a.Z < 0 ? -a.Z : a.Z;
  if (tag < kTagBase || (b.Z < 0 ? -b.Z : b.Z) != tag) return 0;
  return HopsWithin(a, b, tag % kTagBase) ? tag : 0;
}

}  // namespace clipper_glue

// Sink that turns the points an arc emits into integer path points with
// Z = 0 (the caller tags them afterwards), keeping the running trapezoid sum
// sum += (x + prevX) * (prevY - y) (minus twice the signed area) and the
// largest coordinate step between consecutive path points.
class ClipperArcSample : public GkSampleXY {
public:
  // emitFirst: write the first point (else it is dropped, being the previous
  // member's end, already in the path). path is not owned.
  ClipperArcSample(ClipperLib::Path* path, bool emitFirst, double sum, double prevX, double prevY);
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
//
// Arcs on one circle (centre and radius equal on the grid) share one key and
// one step, whatever their direction or loop: the samples of two track end
// caps that meet at a bend then read back as one run on that circle. The
// step of a circle is the largest step of its arcs, known only when every
// arc is sampled, so AddShape writes provisional tags (circle number + 1)
// and Finish turns them into key * kTagBase + step in every path set that
// AddShape wrote to. Path sets must stay where they are until then.
class PathBuilder {
public:
  // Appends one path per loop with members: entry 0 as an outer path
  // (counter-clockwise), the others as holes (clockwise). A loop of one arc
  // becomes the full circle of that arc (sampled from a local copy); any
  // other single member gives an empty path. A null shape adds nothing.
  // Tags are provisional until Finish.
  void AddShape(GkShape* shape, ClipperLib::Paths& out);
  // Writes the final tags into every path set AddShape wrote to.
  void Finish();
  // Room for about this many circles.
  void Reserve(std::size_t circles) {
    m_circles.reserve(circles);
    m_steps.reserve(circles);
  }
  // Loop to path with final tags, on its own; exposed for tests.
  void LoopToPath(GkCompositeCurve2d& loop, bool outer, ClipperLib::Path& path);
  // False once a coordinate was non-finite or beyond kMaxGrid.
  bool Valid() const { return m_valid; }

private:
  // Loop to path with provisional tags.
  void AppendLoop(GkCompositeCurve2d& loop, bool outer, ClipperLib::Path& path);
  // Samples arc into path from index tagFrom on (see the .cpp), carrying the
  // running sum and previous point.
  void AppendArc(AcGeCircArc2d& arc, bool emitFirst, std::size_t tagFrom, double& sum,
                 AcGePoint2d& prev, ClipperLib::Path& path);
  // Provisional tag of the arc's circle (number + 1), noting its step.
  ClipperLib::cInt CircleTag(const AcGeCircArc2d& arc, ClipperLib::cInt step);
  void FinishPath(ClipperLib::Path& path) const;
  void CheckRange(const ClipperLib::Path& path);

  struct CircleId {
    ClipperLib::cInt x, y, r;
    bool operator==(const CircleId& o) const { return x == o.x && y == o.y && r == o.r; }
  };
  struct CircleHash {
    std::size_t operator()(const CircleId& c) const;
  };
  std::unordered_map<CircleId, std::size_t, CircleHash> m_circles;
  std::vector<ClipperLib::cInt> m_steps;  // per circle number
  std::vector<ClipperLib::Paths*> m_written;
  bool m_valid = true;
};

// The paths of one Execute call: the subject (shape 0) and one clip set per
// run of equal types, each with its type. Valid is false when a coordinate
// did not fit on the grid.
struct Operands {
  struct Pass {
    ClipperLib::Paths clip;
    GkClipType type = kClipUnion;
  };
  ClipperLib::Paths subject;
  std::vector<Pass> passes;
  bool valid = true;
};
// Converts every shape up front (one builder, so circles share keys across
// the whole call) and groups the clip shapes by runs of equal types. types
// must have shapes.size() - 1 entries, or none for one shape (a union pass).
void BuildOperands(const std::vector<GkShape*>& shapes, const std::vector<GkClipType>& types,
                   Operands& out);

// ClipperLib's fill callback for points it creates where two edges cross:
// when both edges are chords of one circle (ChordTag), the crossing lies
// within that circle's sampling band and gets the negated tag, "created on
// this circle" (so do the points where a strip border cuts a chord, see
// clipper_strips.cpp). Readers take a negated tag as part of the circle's
// run but never build an arc through it.
void FillCrossingTag(ClipperLib::IntPoint& e1bot, ClipperLib::IntPoint& e1top,
                     ClipperLib::IntPoint& e2bot, ClipperLib::IntPoint& e2top,
                     ClipperLib::IntPoint& pt);

// One ring of ClipperLib's output back to a loop of segments and arcs;
// nullptr for an empty path. The caller owns the result.
GkCompositeCurve2d* PathToComposite(const ClipperLib::Path& path);

// The nesting of result rings: roots are outer rings, their children holes,
// the holes' children outer rings again (islands). Contours are not owned.
struct RingForest {
  struct Node {
    const ClipperLib::Path* contour = nullptr;
    std::vector<std::size_t> childs;
  };
  std::vector<Node> nodes;
  std::vector<std::size_t> roots;
  // Adds a node under parent (or as a root for npos); returns its index.
  std::size_t Add(const ClipperLib::Path* contour, std::size_t parent);
  // Copies the structure of a ClipperLib tree (its children) under parent.
  void AddTree(const ClipperLib::PolyNode& tree, std::size_t parent);
  // Copies one node with everything below it under parent.
  void AddSubtree(const ClipperLib::PolyNode& node, std::size_t parent);
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);
};

// Every root of the forest with its holes becomes a shape appended to result
// (owned by the caller); islands follow the shape that has the hole.
void ForestToShapes(const RingForest& forest, std::vector<GkShape*>& result);
// The same for a ClipperLib tree.
void TreeToShapes(const ClipperLib::PolyTree& tree, std::vector<GkShape*>& result);

// One ClipperLib pass with the positive fill rule on both sets, the way
// Execute runs it. Rings that touch nothing else skip the sweep, and groups
// of rings whose boxes overlap run as separate sweeps; the region is the one
// a single sweep gives. False when ClipperLib fails (output then empty).
// The forest form keeps the ClipperLib trees it refers to in `trees` and its
// own rings in `rings`.
struct PassResult {
  RingForest forest;
  std::vector<std::unique_ptr<ClipperLib::PolyTree>> trees;
  std::deque<ClipperLib::Path> rings;
};
bool RunPass(const ClipperLib::Paths& subject, const ClipperLib::Paths& clip, GkClipType type,
             ClipperLib::Paths& solution);
bool RunPass(const ClipperLib::Paths& subject, const ClipperLib::Paths& clip, GkClipType type,
             PassResult& result);

// The passes of one Execute call up to the last one's rings, before any arc
// is rebuilt: false (last empty) for a type count that does not match the
// shapes, an unknown type, a coordinate off the grid or a failed pass. May
// throw what ClipperLib or allocation throws.
bool ClipToForest(const std::vector<GkShape*>& shapes, const std::vector<GkClipType>& types,
                  PassResult& last);

// Tests only: every pass runs as one plain ClipperLib sweep, the reference
// the short ways are compared with.
void SetPlainSweep(bool plain);
// Tests only: groups above minVertices run in strips of perStrip vertices;
// 0 restores the library's sizes.
void SetStripSize(std::size_t minVertices, std::size_t perStrip);
// Tests only: how many strip sweeps have so far been found untrustworthy
// and run again as one sweep.
std::size_t UntrustedStripSweeps();

}  // namespace clipper_glue
