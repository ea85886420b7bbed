// Private helpers of the clipper's passes: exact predicates on the integer
// grid, ring boxes, a band index of a ring's edges for box and winding
// queries, the smallest-enclosing-ring look-up used to nest result rings,
// and the sweep of one group of overlapping rings (plain, or in vertical
// strips when it is large). Never included by a public header.
#pragma once

#include "clipper_glue.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <numeric>
#include <vector>

namespace clipper_glue {
namespace rings {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

// Distance in grid units that keeps a free ring clear of other edges, and
// groups clear of each other: the sweep's crossings are rounded to the grid,
// so result edges may stray a unit from the input edges they follow, and a
// point tested against another group's rings must never lie on them.
inline constexpr cInt kMargin = 4;
// Rings with more vertices than this get a band index for edge and winding
// queries ...
inline constexpr std::size_t kIndexedRing = 32;
// ... once they have been asked this many times (building costs more than a
// few plain scans of a short ring).
inline constexpr int kIndexAfterQueries = 8;
// Vertices per band of a ring's index.
inline constexpr std::size_t kVerticesPerBand = 8;

__extension__ typedef __int128 Wide;

// v / s rounded down (s > 0).
inline cInt FloorDiv(cInt v, cInt s) { return v >= 0 ? v / s : -((-v + s - 1) / s); }

// (b - a) x (c - a), exact.
inline Wide Cross(const IntPoint& a, const IntPoint& b, const IntPoint& c) {
  return Wide(b.X - a.X) * Wide(c.Y - a.Y) - Wide(b.Y - a.Y) * Wide(c.X - a.X);
}

// The paths with every path that passes through one of its vertices twice
// (pinches itself there) cut into loops at those vertices; false, and `out`
// untouched, when none does. Each loop is a run of the path's own edges
// that returns to its vertex, so every edge, its tags and every winding
// number stay as they were; runs of two vertices (there and back) carry no
// area and are left out. Repeats next to each other are no pinch: ClipperLib
// drops them. A ring out of a union, xor-ed with a circle whose edge ran
// through its pinch, lost 6.7 of 157 square units (see Sweep).
bool SplitAtPinches(const std::vector<const Path*>& paths, Paths& out);

// One ClipperLib sweep with the positive fill rule and the crossing tags,
// knowing whether it was given any edge. ClipperLib's Execute returns false
// when it has none (every path empty, flat or a single point): that is an
// empty result, not a failure, or a pass over slivers alone would fail the
// whole call.
//
// ClipperLib can misjudge a kind of path whose edges run there and back
// along one line: an exclusive-or of a keyhole (its bridge) lost 44% of its
// area, a difference whose clip held one circle twice, once each way, lost
// 2.9 of 21.9, and a union whose clip held one circle once each way, on a
// hole of the subject, turned that hole into an island. It can misjudge a
// path that passes through one of its own vertices twice, as its own unions
// leave them, where an edge of the other kind runs through that pinch;
// unions were right on every such case tried. So every operation but a
// union first unites, alone, each kind that has edges there and back (a
// union only where an edge of the other kind runs along them too, as in the
// one case it got wrong), and cuts paths with pinches into loops there.
// The paths are read when the sweep runs and must live until then.
class Sweep {
public:
  void Add(const Path& path, ClipperLib::PolyType kind) { m_paths[kind].push_back(&path); }
  void Add(const Paths& paths, ClipperLib::PolyType kind) {
    for (const Path& path : paths) m_paths[kind].push_back(&path);
  }
  // False when ClipperLib fails.
  bool Run(GkClipType type, ClipperLib::PolyTree& tree);
  bool Run(GkClipType type, Paths& solution);

private:
  // Hands the paths to ClipperLib; `edges` false when none added an edge.
  // False when ClipperLib fails.
  bool Load(GkClipType type, bool& edges);

  ClipperLib::Clipper m_clipper;
  std::vector<const Path*> m_paths[2];  // by ClipperLib::PolyType
};

struct Box {
  cInt x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  bool Holds(const IntPoint& p) const { return p.X >= x0 && p.X <= x1 && p.Y >= y0 && p.Y <= y1; }
};

inline Box BoxOf(const Path& path) {
  Box b{path[0].X, path[0].Y, path[0].X, path[0].Y};
  for (const IntPoint& p : path) {
    b.x0 = std::min(b.x0, p.X);
    b.x1 = std::max(b.x1, p.X);
    b.y0 = std::min(b.y0, p.Y);
    b.y1 = std::max(b.y1, p.Y);
  }
  return b;
}

// Boxes closer than kMargin (grid coordinates stay far below the cInt range).
inline bool Near(const Box& a, const Box& b) {
  return a.x0 - kMargin <= b.x1 && b.x0 - kMargin <= a.x1 && a.y0 - kMargin <= b.y1 &&
         b.y0 - kMargin <= a.y1;
}

inline bool EdgeNear(const IntPoint& a, const IntPoint& b, const Box& box) {
  const Box e{std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
  return Near(e, box);
}

// A ring with its box and, for long rings, edges sorted into horizontal
// bands so that box and winding queries look at nearby edges only.
class RingIndex {
public:
  RingIndex(const Path& path, const Box& box) : m_path(path), m_box(box) {}

  // Some edge comes within kMargin of box.
  bool EdgeNearBox(const Box& box) {
    if (!Indexed()) {
      for (std::size_t i = 0; i < m_path.size(); ++i) {
        if (EdgeNear(m_path[i], m_path[(i + 1) % m_path.size()], box)) return true;
      }
      return false;
    }
    Build();
    const std::size_t lo = Band(box.y0 - kMargin);
    const std::size_t hi = Band(box.y1 + kMargin);
    for (std::size_t band = lo; band <= hi; ++band) {
      for (std::size_t k = m_start[band]; k < m_start[band + 1]; ++k) {
        const std::size_t i = m_edges[k];
        if (EdgeNear(m_path[i], m_path[(i + 1) % m_path.size()], box)) return true;
      }
    }
    return false;
  }

  // Winding number of the ring about p / S (counter-clockwise positive);
  // S = 2 puts p on the half-unit grid, for midpoints of edges (the ring's
  // vertices are scaled instead, so every test stays exact). When p lies on
  // an edge, onEdge is set and the number means nothing; `near`, when
  // given, is set when p comes within kMargin of an edge.
  template <int S = 1>
  int Winding(const IntPoint& p, bool& onEdge, bool* near = nullptr) {
    const cInt reach = near == nullptr ? 0 : S * kMargin;
    if (p.X < S * m_box.x0 - reach || p.X > S * m_box.x1 + reach || p.Y < S * m_box.y0 - reach ||
        p.Y > S * m_box.y1 + reach)
      return 0;
    int wn = 0;
    auto edge = [&](std::size_t i, bool count) {
      const IntPoint& u = m_path[i];
      const IntPoint& v = m_path[(i + 1) % m_path.size()];
      const IntPoint a(S * u.X, S * u.Y), b(S * v.X, S * v.Y);
      if (near != nullptr && !*near) *near = Within(a, b, p, reach);
      if (!count) return;
      const Wide cross = Cross(a, b, p);
      if (cross == 0 && p.X >= std::min(a.X, b.X) && p.X <= std::max(a.X, b.X) &&
          p.Y >= std::min(a.Y, b.Y) && p.Y <= std::max(a.Y, b.Y))
        onEdge = true;
      if (a.Y <= p.Y) {
        if (b.Y > p.Y && cross > 0) ++wn;
      } else if (b.Y <= p.Y && cross < 0) {
        --wn;
      }
    };
    if (!Indexed()) {
      for (std::size_t i = 0; i < m_path.size(); ++i) edge(i, true);
      return wn;
    }
    Build();
    // Every edge that crosses the height p.Y / S meets the band of its
    // floor; edges within reach may lie in the bands beside it.
    const std::size_t band = Band(FloorDiv(p.Y, S));
    for (std::size_t k = m_start[band]; k < m_start[band + 1]; ++k) edge(m_edges[k], true);
    if (near != nullptr) {
      const std::size_t lo = Band(FloorDiv(p.Y - reach, S)), hi = Band(FloorDiv(p.Y + reach, S));
      for (std::size_t other = lo; other <= hi && !*near; ++other) {
        if (other == band) continue;
        for (std::size_t k = m_start[other]; k < m_start[other + 1]; ++k) edge(m_edges[k], false);
      }
    }
    return wn;
  }
  // The same for a point known to lie on no edge.
  int Winding(const IntPoint& p) {
    bool onEdge = false;
    return Winding(p, onEdge);
  }

private:
  // p within r of the segment ab (rounded; it only decides which point to
  // test).
  static bool Within(const IntPoint& a, const IntPoint& b, const IntPoint& p, cInt r) {
    if (p.X < std::min(a.X, b.X) - r || p.X > std::max(a.X, b.X) + r ||
        p.Y < std::min(a.Y, b.Y) - r || p.Y > std::max(a.Y, b.Y) + r)
      return false;
    const double dx = double(b.X - a.X), dy = double(b.Y - a.Y);
    const double px = double(p.X - a.X), py = double(p.Y - a.Y);
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0 ? std::clamp((px * dx + py * dy) / length2, 0.0, 1.0) : 0.0;
    const double ex = px - t * dx, ey = py - t * dy;
    return ex * ex + ey * ey <= double(r) * double(r);
  }

  bool Indexed() {
    if (!m_start.empty()) return true;
    return m_path.size() > kIndexedRing && ++m_queries > kIndexAfterQueries;
  }

  std::size_t Band(cInt y) const {
    if (y <= m_box.y0) return 0;
    const cInt band = (y - m_box.y0) / m_height;
    return static_cast<std::size_t>(std::min<cInt>(band, static_cast<cInt>(m_bands) - 1));
  }

  // Counting sort of the edges into the bands their y-range meets.
  void Build() {
    if (!m_start.empty()) return;
    const std::size_t n = m_path.size();
    m_bands = std::max<std::size_t>(1, n / kVerticesPerBand);
    m_height = std::max<cInt>(1, (m_box.y1 - m_box.y0) / static_cast<cInt>(m_bands) + 1);
    m_start.assign(m_bands + 1, 0);
    auto range = [&](std::size_t i) {
      const cInt a = m_path[i].Y;
      const cInt b = m_path[(i + 1) % n].Y;
      return std::make_pair(Band(std::min(a, b)), Band(std::max(a, b)));
    };
    for (std::size_t i = 0; i < n; ++i) {
      const auto r = range(i);
      for (std::size_t band = r.first; band <= r.second; ++band) ++m_start[band + 1];
    }
    std::partial_sum(m_start.begin(), m_start.end(), m_start.begin());
    m_edges.resize(m_start.back());
    std::vector<std::size_t> fill(m_start.begin(), m_start.end() - 1);
    for (std::size_t i = 0; i < n; ++i) {
      const auto r = range(i);
      for (std::size_t band = r.first; band <= r.second; ++band) m_edges[fill[band]++] = i;
    }
  }

  const Path& m_path;
  Box m_box;
  std::size_t m_bands = 0;
  cInt m_height = 1;
  int m_queries = 0;
  std::vector<std::size_t> m_start;  // band b's edges are m_edges[m_start[b] .. m_start[b+1])
  std::vector<std::size_t> m_edges;
};

inline double Area2(const Path& ring) {
  double a = 0.0;
  for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
    a += static_cast<double>(ring[j].X + ring[i].X) * static_cast<double>(ring[j].Y - ring[i].Y);
  }
  return -a;
}

// The result rings of the groups, each with its box, area and index, to find
// the smallest one around a point. Boxes are kept in a uniform grid; boxes
// that cover many cells are checked on every query instead.
class Containers {
public:
  struct Entry {
    std::size_t node;
    std::size_t group;
    bool hole;
    Box box;
    double area;  // absolute, grid units squared
  };

  void Add(const Path& ring, std::size_t node, std::size_t group, bool hole) {
    if (ring.size() < 3) return;
    m_entries.push_back(Entry{node, group, hole, BoxOf(ring), std::abs(Area2(ring)) * 0.5});
    m_index.emplace_back(ring, m_entries.back().box);
  }

  void Seal() {
    if (m_entries.empty()) return;
    m_bounds = m_entries[0].box;
    for (const Entry& e : m_entries) {
      m_bounds.x0 = std::min(m_bounds.x0, e.box.x0);
      m_bounds.y0 = std::min(m_bounds.y0, e.box.y0);
      m_bounds.x1 = std::max(m_bounds.x1, e.box.x1);
      m_bounds.y1 = std::max(m_bounds.y1, e.box.y1);
    }
    m_side = 1;
    while (m_side * m_side < m_entries.size() && m_side < kMaxSide) ++m_side;
    const cInt side = static_cast<cInt>(m_side);
    m_cellW = (m_bounds.x1 - m_bounds.x0) / side + 1;
    m_cellH = (m_bounds.y1 - m_bounds.y0) / side + 1;
    m_cells.assign(m_side * m_side, {});
    for (std::size_t k = 0; k < m_entries.size(); ++k) {
      const Box& b = m_entries[k].box;
      const std::size_t cx0 = CellX(b.x0), cx1 = CellX(b.x1);
      const std::size_t cy0 = CellY(b.y0), cy1 = CellY(b.y1);
      if ((cx1 - cx0 + 1) * (cy1 - cy0 + 1) > kMaxCellsPerEntry) {
        m_large.push_back(k);
        continue;
      }
      for (std::size_t cy = cy0; cy <= cy1; ++cy) {
        for (std::size_t cx = cx0; cx <= cx1; ++cx) m_cells[cy * m_side + cx].push_back(k);
      }
    }
  }

  // The smallest ring of another group than `group` that contains the ring,
  // or nullptr. It is tested at its first vertex, else at the first
  // midpoint of its edges, that lies clear of every candidate's edges:
  // where two rings nearly touch, the sweep's rounding can put a corner of
  // one a grid unit on the wrong side of the other (an island on a hole's
  // corners, its third corner rounded 0.03 units outside that hole's edge,
  // voted itself out of the hole). When every such point lies that close,
  // its vertices off every edge vote, and when every vertex lies on one,
  // the midpoints off every edge do. `decided`, when given, is cleared when
  // every midpoint lay on an edge too, and the answer means nothing. Rings
  // of less area than this one never hold it: a sliver that runs along a
  // circle and back encloses next to nothing, yet a vertex of a ring on
  // that circle can test inside it.
  const Entry* Around(const Path& ring, std::size_t group) {
    return Around(ring, group, Area2(ring));
  }
  // The same, for a ring whose Area2 the caller has at hand.
  const Entry* Around(const Path& ring, std::size_t group, double area2, bool* decided = nullptr) {
    const double own = std::abs(area2) * 0.5;
    if (decided != nullptr) *decided = true;
    Votes votes;
    for (const IntPoint& p : ring) {
      bool onEdge = false, near = false;
      const Entry* e = AroundAt<1>(p, group, onEdge, own, &near);
      if (!near) return e;
      if (!onEdge) votes.Add(e);
    }
    Votes midpoints;
    for (std::size_t v = 0; v < ring.size(); ++v) {
      const IntPoint &a = ring[v], &b = ring[(v + 1) % ring.size()];
      bool onEdge = false, near = false;
      const Entry* e = AroundAt<2>(IntPoint(a.X + b.X, a.Y + b.Y), group, onEdge, own, &near);
      if (!near) return e;
      if (!onEdge) midpoints.Add(e);
    }
    if (!votes.Empty()) return votes.Winner();
    if (decided != nullptr) *decided = !midpoints.Empty();
    return midpoints.Winner();
  }

private:
  static constexpr std::size_t kMaxSide = 1024;
  static constexpr std::size_t kMaxCellsPerEntry = 64;

  // The smallest ring of another group than `group`, of at least minArea,
  // that contains the point p / S (S = 2: half units), or nullptr; onEdge
  // set when the point lies on a candidate's edge, `near` as in
  // RingIndex::Winding (candidates are then widened by its reach).
  template <int S>
  const Entry* AroundAt(const IntPoint& p, std::size_t group, bool& onEdge, double minArea,
                        bool* near) {
    const Entry* best = nullptr;
    const cInt reach = near == nullptr ? 0 : S * kMargin;
    auto holds = [&](const Box& b) {
      return p.X >= S * b.x0 - reach && p.X <= S * b.x1 + reach && p.Y >= S * b.y0 - reach &&
             p.Y <= S * b.y1 + reach;
    };
    auto consider = [&](std::size_t k) {
      const Entry& e = m_entries[k];
      if (e.group == group || e.area < minArea || !holds(e.box)) return;
      if (best != nullptr && e.area >= best->area) return;
      if (m_index[k].template Winding<S>(p, onEdge, near) != 0) best = &e;
    };
    for (std::size_t k : m_large) consider(k);
    if (m_entries.empty() || !holds(m_bounds)) return best;
    // The cells that the point, widened by reach, meets.
    const auto clampX = [&](cInt x) { return std::clamp(x, m_bounds.x0, m_bounds.x1); };
    const auto clampY = [&](cInt y) { return std::clamp(y, m_bounds.y0, m_bounds.y1); };
    const std::size_t cx0 = CellX(clampX(FloorDiv(p.X - reach, S)));
    const std::size_t cx1 = CellX(clampX(FloorDiv(p.X + reach, S)));
    const std::size_t cy0 = CellY(clampY(FloorDiv(p.Y - reach, S)));
    const std::size_t cy1 = CellY(clampY(FloorDiv(p.Y + reach, S)));
    for (std::size_t cy = cy0; cy <= cy1; ++cy) {
      for (std::size_t cx = cx0; cx <= cx1; ++cx) {
        for (std::size_t k : m_cells[cy * m_side + cx]) consider(k);
      }
    }
    return best;
  }

  // Counts of the rings that points voted for (nullptr: none); the first
  // to reach the highest count wins.
  class Votes {
  public:
    void Add(const Entry* e) {
      for (auto& vote : m_votes) {
        if (vote.first == e) {
          ++vote.second;
          return;
        }
      }
      m_votes.emplace_back(e, 1);
    }
    bool Empty() const { return m_votes.empty(); }
    const Entry* Winner() const {
      const Entry* best = nullptr;
      int count = 0;
      for (const auto& vote : m_votes) {
        if (vote.second > count) {
          best = vote.first;
          count = vote.second;
        }
      }
      return best;
    }

  private:
    std::vector<std::pair<const Entry*, int>> m_votes;
  };

  std::size_t CellX(cInt x) const { return static_cast<std::size_t>((x - m_bounds.x0) / m_cellW); }
  std::size_t CellY(cInt y) const { return static_cast<std::size_t>((y - m_bounds.y0) / m_cellH); }

  std::vector<Entry> m_entries;
  std::deque<RingIndex> m_index;
  Box m_bounds;
  std::size_t m_side = 1;
  cInt m_cellW = 1;
  cInt m_cellH = 1;
  std::vector<std::vector<std::size_t>> m_cells;
  std::vector<std::size_t> m_large;
};

// The operation on one point's membership of subject and clip.
inline bool Apply(GkClipType type, bool subject, bool clip) {
  switch (type) {
    case kClipIntersection: return subject && clip;
    case kClipUnion: return subject || clip;
    case kClipDifference: return subject && !clip;
    case kClipXor: return subject != clip;
  }
  return false;
}

// The rings of one group, each with its role (subject or clip), their
// common box and vertex count, the operation, and the winding numbers of
// the rings around the group (constant along all of its edges). Around
// winding numbers other than 0 are stood in for by a frame: a rectangle
// just outside the box, added as often and in the direction they say. The
// region inside the frame is then the pass's own; when the operation fills
// the frame's inside, the ring along the frame is dropped and the group's
// result rings under it are holes.
struct GroupRings {
  std::vector<const Path*> paths;
  std::vector<bool> subject;
  Box box;
  std::size_t vertices = 0;
  GkClipType type = kClipUnion;
  int subjectAround = 0;
  int clipAround = 0;

  bool Framed() const { return subjectAround != 0 || clipAround != 0; }
  // The frame: counter-clockwise, kMargin outside the box.
  Path Frame() const {
    return Path{
        IntPoint(box.x0 - kMargin, box.y0 - kMargin), IntPoint(box.x1 + kMargin, box.y0 - kMargin),
        IntPoint(box.x1 + kMargin, box.y1 + kMargin), IntPoint(box.x0 - kMargin, box.y1 + kMargin)};
  }
  bool RootsAreHoles() const { return Framed() && Apply(type, subjectAround > 0, clipAround > 0); }
};

// ClipperLib can hand back a ring whose direction disagrees with its place
// in the result tree: with a path and its reverse in one set, a ring that
// lies in no other came back clockwise (a hole of nothing); and it can put
// a ring under another than the smallest ring around it. Checks the forest
// nodes from `first` on, which hold one sweep's rings, against their
// nesting by containment; on any disagreement it takes that nesting and
// turns each ring to match its depth (outer rings counter-clockwise, holes
// clockwise).
// Reversed rings are copied into result.rings.
void OrientByNesting(PassResult& result, std::size_t first);

// Sweeps one group into `result`: its rings become forest nodes (contours
// kept in result.trees or result.rings), each node's group number is
// appended to groupOfNode. A large group runs in vertical strips. False when
// ClipperLib fails; `trusted` false when the strips' rings nested
// inconsistently.
bool SweepGroup(const GroupRings& group, std::size_t groupNumber, PassResult& result,
                std::vector<std::size_t>& groupOfNode, bool& trusted);

}  // namespace rings
}  // namespace clipper_glue
