// Boost.Geometry and GEOS as baselines for the region benchmarks: the same
// boolean operations on the same sampled polygons that Execute hands
// ClipperLib, converted to drawing units. Benchmark-only: neither library is
// ever linked into Engine or a program.
//
// Each peer builds its own geometries when it is made, outside any timing,
// and Run() does the boolean operation only, the way a user after speed
// would call that library for the plan (see PeerPlan). The result stays in
// the peer until Clear() or the next Run(), for Figures().
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace bench {

struct XY {
  double x;
  double y;
};
// One ring in drawing units, open: the first point is not repeated at the end.
using Ring = std::vector<XY>;
// Outer ring (counter-clockwise) first, then its holes (clockwise).
using Polygon = std::vector<Ring>;

// What one workload computes, and how each peer is asked for it.
enum class PeerPlan {
  // Subject minus clips that never touch one another. Boost: one difference
  // of the subject with a multipolygon of the clips. GEOS: one difference
  // with a MultiPolygon of the clips (valid as they are disjoint).
  DifferenceOfDisjoint,
  // Union of the subject and every clip. Boost: balanced pairwise union
  // (neighbours in input order first, then their results, up a binary tree).
  // GEOS: one GEOSUnaryUnion of a GeometryCollection of them all.
  UnionOfAll,
  // Subject minus clips that overlap one another: the clips' union as in
  // UnionOfAll, then one difference. Both steps are timed.
  DifferenceOfUnion,
};

struct PeerFigures {
  double area = 0.0;  // of the result, drawing units squared
  long vertices = 0;  // distinct vertices: a ring's closing point not counted
  int polygons = 0;
  int rings = 0;  // outer rings and holes
};

// One peer with its geometries built.
class Peer {
public:
  virtual ~Peer() = default;
  // The boolean operation; false (with Error() set) when the library failed.
  virtual bool Run() = 0;
  // Drops the result.
  virtual void Clear() = 0;
  virtual PeerFigures Figures() const = 0;
  const std::string& Error() const { return m_error; }

protected:
  std::string m_error;
};

using PeerFactory = std::unique_ptr<Peer> (*)(const std::vector<Polygon>& subject,
                                              const std::vector<Polygon>& clips, PeerPlan plan);

// Boost.Geometry: double coordinates, counter-clockwise closed polygons.
std::unique_ptr<Peer> MakeBoostPeer(const std::vector<Polygon>& subject,
                                    const std::vector<Polygon>& clips, PeerPlan plan);
// GEOS through its reentrant C API, one context per peer.
std::unique_ptr<Peer> MakeGeosPeer(const std::vector<Polygon>& subject,
                                   const std::vector<Polygon>& clips, PeerPlan plan);

}  // namespace bench
