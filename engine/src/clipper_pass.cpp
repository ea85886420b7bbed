// One ClipperLib pass with the positive fill rule, taking the short way
// wherever the region allows it.
//
// Every input ring is classified by its box (grid units, widened by kMargin):
// - A free ring: no edge of another ring comes within kMargin of its box, and
//   it is convex and winds once. Nothing crosses it and nothing lies inside
//   it, so the other rings' winding numbers are constant over it. Whether it
//   bounds the result follows from those numbers at one of its vertices:
//   the result on its inside and on its outside differ, and it comes back as
//   an outer ring or a hole, as it was given (duplicate and collinear points
//   removed, as the sweep removes them). It never enters the sweep.
// - Every other ring goes into the sweep of its group: the connected
//   component of rings whose widened boxes overlap. At every point at most
//   one group has rings whose box holds it, and every operation gives
//   "outside" where no ring covers, so the groups' results are independent.
// Outer rings of one group (and free rings) may still lie inside the holes
// of another: in the tree form each is put under the smallest result ring
// that contains it. Any inconsistency there makes the pass run as one plain
// sweep instead.
#include "clipper_glue.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <numeric>

namespace clipper_glue {

namespace {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

bool g_plainSweep = false;

// Distance in grid units that keeps a free ring clear of other edges, and
// groups clear of each other: the sweep's crossings are rounded to the grid,
// so result edges may stray a unit from the input edges they follow, and a
// point tested against another group's rings must never lie on them.
constexpr cInt kMargin = 4;
// Rings with more vertices than this get a band index for edge and winding
// queries.
constexpr std::size_t kIndexedRing = 32;
// Vertices per band of a ring's index.
constexpr std::size_t kVerticesPerBand = 8;

__extension__ typedef __int128 Wide;

// (b - a) x (c - a), exact.
Wide Cross(const IntPoint& a, const IntPoint& b, const IntPoint& c) {
  return Wide(b.X - a.X) * Wide(c.Y - a.Y) - Wide(b.Y - a.Y) * Wide(c.X - a.X);
}

struct Box {
  cInt x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  bool Holds(const IntPoint& p) const { return p.X >= x0 && p.X <= x1 && p.Y >= y0 && p.Y <= y1; }
};

Box BoxOf(const Path& path) {
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
bool Near(const Box& a, const Box& b) {
  return a.x0 - kMargin <= b.x1 && b.x0 - kMargin <= a.x1 && a.y0 - kMargin <= b.y1 &&
         b.y0 - kMargin <= a.y1;
}

bool EdgeNear(const IntPoint& a, const IntPoint& b, const Box& box) {
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
    if (m_path.size() <= kIndexedRing) {
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

  // Winding number of the ring about p (counter-clockwise positive); p must
  // not lie on the ring.
  int Winding(const IntPoint& p) {
    if (!m_box.Holds(p)) return 0;
    int wn = 0;
    auto edge = [&](std::size_t i) {
      const IntPoint& a = m_path[i];
      const IntPoint& b = m_path[(i + 1) % m_path.size()];
      if (a.Y <= p.Y) {
        if (b.Y > p.Y && Cross(a, b, p) > 0) ++wn;
      } else if (b.Y <= p.Y && Cross(a, b, p) < 0) {
        --wn;
      }
    };
    if (m_path.size() <= kIndexedRing) {
      for (std::size_t i = 0; i < m_path.size(); ++i) edge(i);
      return wn;
    }
    Build();
    const std::size_t band = Band(p.Y);
    for (std::size_t k = m_start[band]; k < m_start[band + 1]; ++k) edge(m_edges[k]);
    return wn;
  }

private:
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
  std::vector<std::size_t> m_start;  // band b's edges are m_edges[m_start[b] .. m_start[b+1])
  std::vector<std::size_t> m_edges;
};

// The ring without repeated or collinear points, as the sweep hands back an
// untouched ring (spikes, being collinear, go too). Fewer than three points
// left means the ring encloses nothing.
Path Cleaned(const Path& path) {
  Path out;
  out.reserve(path.size());
  for (const IntPoint& p : path) {
    if (!out.empty() && out.back().X == p.X && out.back().Y == p.Y) continue;
    while (out.size() >= 2 && Cross(out[out.size() - 2], out.back(), p) == 0) out.pop_back();
    out.push_back(p);
  }
  // The seam: points at the end and the start may still be repeated or
  // collinear with their neighbours across it.
  bool changed = true;
  while (changed && out.size() >= 3) {
    changed = false;
    const std::size_t n = out.size();
    if (out[n - 1].X == out[0].X && out[n - 1].Y == out[0].Y) {
      out.pop_back();
      changed = true;
    } else if (Cross(out[n - 2], out[n - 1], out[0]) == 0) {
      out.pop_back();
      changed = true;
    } else if (Cross(out[n - 1], out[0], out[1]) == 0) {
      out.erase(out.begin());
      changed = true;
    }
  }
  if (out.size() < 3) out.clear();
  return out;
}

// Convex and winding once: every turn has the same strict sign, and the x
// direction of the edges changes sign exactly twice around the ring.
// Returns +1 (counter-clockwise), -1 (clockwise) or 0 (neither).
int ConvexOrientation(const Path& ring) {
  const std::size_t n = ring.size();
  if (n < 3) return 0;
  int sign = 0;
  int changes = 0;
  int lastDx = 0;
  int firstDx = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const IntPoint& a = ring[i];
    const IntPoint& b = ring[(i + 1) % n];
    const IntPoint& c = ring[(i + 2) % n];
    const Wide turn = Cross(a, b, c);
    const int s = turn > 0 ? 1 : (turn < 0 ? -1 : 0);
    if (s == 0 || (sign != 0 && s != sign)) return 0;
    sign = s;
    const int dx = b.X > a.X ? 1 : (b.X < a.X ? -1 : 0);
    if (dx == 0) continue;
    if (firstDx == 0) firstDx = dx;
    if (lastDx != 0 && dx != lastDx) ++changes;
    lastDx = dx;
  }
  if (lastDx != firstDx) ++changes;
  return changes == 2 ? sign : 0;
}

double Area2(const Path& ring) {
  double a = 0.0;
  for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
    a += static_cast<double>(ring[j].X + ring[i].X) * static_cast<double>(ring[j].Y - ring[i].Y);
  }
  return -a;
}

bool Apply(GkClipType type, bool subject, bool clip) {
  switch (type) {
    case kClipIntersection: return subject && clip;
    case kClipUnion: return subject || clip;
    case kClipDifference: return subject && !clip;
    case kClipXor: return subject != clip;
  }
  return false;
}

struct Ring {
  const Path* path;
  bool subject;
  Box box;
};

// Disjoint sets over ring numbers.
class Groups {
public:
  explicit Groups(std::size_t n) : m_parent(n) { std::iota(m_parent.begin(), m_parent.end(), 0); }
  std::size_t Find(std::size_t a) {
    while (m_parent[a] != a) a = m_parent[a] = m_parent[m_parent[a]];
    return a;
  }
  void Join(std::size_t a, std::size_t b) { m_parent[Find(a)] = Find(b); }

private:
  std::vector<std::size_t> m_parent;
};

// A free ring as it comes out: outer (counter-clockwise) or hole.
struct FreeRing {
  Path path;
  bool outer;
};

// The pass split into its free rings and its groups.
class SplitPass {
public:
  SplitPass(const Paths& subject, const Paths& clip, GkClipType type) : m_type(type) {
    for (const Path& p : subject) Take(p, true);
    for (const Path& p : clip) Take(p, false);
    m_free.assign(m_rings.size(), false);
    for (std::size_t i = 0; i < m_rings.size(); ++i) m_index.emplace_back(*m_rings[i].path, m_rings[i].box);
    FindNeighbours();
    ClassifyFree();
    FormGroups();
  }

  // Sweeps every group; group g's rings are m_groups[g].
  template <typename Sink>
  bool SweepGroups(Sink&& sink) const {
    for (const std::vector<std::size_t>& group : m_groups) {
      ClipperLib::Clipper clipper;
      clipper.ZFillFunction(&FillCrossingTag);
      for (std::size_t i : group) {
        clipper.AddPath(*m_rings[i].path, m_rings[i].subject ? ClipperLib::ptSubject : ClipperLib::ptClip,
                        true);
      }
      if (!sink(clipper)) return false;
    }
    return true;
  }

  const std::vector<FreeRing>& Free() const { return m_out; }

private:
  void Take(const Path& p, bool subject) {
    if (p.size() < 3) return;  // encloses nothing; the sweep ignores it too
    m_rings.push_back(Ring{&p, subject, BoxOf(p)});
  }

  // Pairs of rings with near boxes, by a sweep over the boxes' x ranges.
  void FindNeighbours() {
    const std::size_t n = m_rings.size();
    m_neighbours.assign(n, {});
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return m_rings[a].box.x0 < m_rings[b].box.x0; });
    std::vector<std::size_t> active;
    for (std::size_t i : order) {
      const Box& bi = m_rings[i].box;
      std::size_t keep = 0;
      for (std::size_t j : active) {
        if (m_rings[j].box.x1 + kMargin < bi.x0) continue;  // ends before i: never near again
        active[keep++] = j;
        if (Near(m_rings[j].box, bi)) {
          m_neighbours[i].push_back(j);
          m_neighbours[j].push_back(i);
        }
      }
      active.resize(keep);
      active.push_back(i);
    }
  }

  void ClassifyFree() {
    for (std::size_t i = 0; i < m_rings.size(); ++i) {
      bool clear = true;
      for (std::size_t j : m_neighbours[i]) {
        if (m_index[j].EdgeNearBox(m_rings[i].box)) {
          clear = false;
          break;
        }
      }
      if (!clear) continue;
      Path ring = Cleaned(*m_rings[i].path);
      if (ring.empty()) {
        m_free[i] = true;  // encloses nothing: contributes nothing
        continue;
      }
      const int orientation = ConvexOrientation(ring);
      if (orientation == 0) continue;
      m_free[i] = true;
      Contribute(i, std::move(ring), orientation);
    }
  }

  // The result inside and outside the free ring i, from the winding numbers
  // of the rings around it.
  void Contribute(std::size_t i, Path&& ring, int orientation) {
    const IntPoint& p = ring.front();
    int subject = 0;
    int clip = 0;
    for (std::size_t j : m_neighbours[i]) {
      (m_rings[j].subject ? subject : clip) += m_index[j].Winding(p);
    }
    const bool outside = Apply(m_type, subject > 0, clip > 0);
    (m_rings[i].subject ? subject : clip) += orientation;
    const bool inside = Apply(m_type, subject > 0, clip > 0);
    if (inside == outside) return;
    // Outer rings run counter-clockwise, holes clockwise, as the sweep
    // returns them.
    if ((orientation > 0) != inside) std::reverse(ring.begin(), ring.end());
    m_out.push_back(FreeRing{std::move(ring), inside});
  }

  void FormGroups() {
    Groups sets(m_rings.size());
    for (std::size_t i = 0; i < m_rings.size(); ++i) {
      if (m_free[i]) continue;
      for (std::size_t j : m_neighbours[i]) {
        if (!m_free[j]) sets.Join(i, j);
      }
    }
    std::vector<std::size_t> groupOf(m_rings.size(), RingForest::npos);
    for (std::size_t i = 0; i < m_rings.size(); ++i) {
      if (m_free[i]) continue;
      const std::size_t root = sets.Find(i);
      if (groupOf[root] == RingForest::npos) {
        groupOf[root] = m_groups.size();
        m_groups.emplace_back();
      }
      m_groups[groupOf[root]].push_back(i);
    }
  }

  GkClipType m_type;
  std::vector<Ring> m_rings;
  std::vector<RingIndex> m_index;
  std::vector<std::vector<std::size_t>> m_neighbours;
  std::vector<bool> m_free;
  std::vector<FreeRing> m_out;
  std::vector<std::vector<std::size_t>> m_groups;
};

template <typename Solution>
bool PlainSweep(const Paths& subject, const Paths& clip, GkClipType type, Solution& solution) {
  ClipperLib::Clipper clipper;
  clipper.ZFillFunction(&FillCrossingTag);
  clipper.AddPaths(subject, ClipperLib::ptSubject, true);
  clipper.AddPaths(clip, ClipperLib::ptClip, true);
  return clipper.Execute(static_cast<ClipperLib::ClipType>(type), solution, ClipperLib::pftPositive,
                         ClipperLib::pftPositive);
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

  // The smallest ring of another group than `group` that contains p, or
  // nullptr. p lies on none of them.
  const Entry* Around(const IntPoint& p, std::size_t group) {
    const Entry* best = nullptr;
    auto consider = [&](std::size_t k) {
      const Entry& e = m_entries[k];
      if (e.group == group || !e.box.Holds(p)) return;
      if (best != nullptr && e.area >= best->area) return;
      if (m_index[k].Winding(p) != 0) best = &e;
    };
    for (std::size_t k : m_large) consider(k);
    if (!m_entries.empty() && m_bounds.Holds(p)) {
      for (std::size_t k : m_cells[CellY(p.Y) * m_side + CellX(p.X)]) consider(k);
    }
    return best;
  }

private:
  static constexpr std::size_t kMaxSide = 1024;
  static constexpr std::size_t kMaxCellsPerEntry = 64;

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

// Puts the roots of every group, and the free rings, under the smallest
// ring of another group around them. False when a ring would land under a
// ring of its own kind (the short way then is not trusted).
bool Nest(PassResult& result, const std::vector<std::size_t>& groupOfNode,
          const std::vector<FreeRing>& free) {
  RingForest& forest = result.forest;
  // Roots are outer rings, their children holes, and so on.
  std::vector<bool> hole(forest.nodes.size(), false);
  for (std::size_t node = 0; node < forest.nodes.size(); ++node) {
    for (std::size_t child : forest.nodes[node].childs) hole[child] = !hole[node];
  }
  Containers containers;
  for (std::size_t node = 0; node < forest.nodes.size(); ++node) {
    containers.Add(*forest.nodes[node].contour, node, groupOfNode[node], hole[node]);
  }
  containers.Seal();

  std::vector<std::size_t> roots;
  roots.swap(forest.roots);
  for (std::size_t root : roots) {
    const Path& ring = *forest.nodes[root].contour;
    const Containers::Entry* around =
        ring.empty() ? nullptr : containers.Around(ring.front(), groupOfNode[root]);
    if (around == nullptr) {
      forest.roots.push_back(root);
    } else if (!around->hole) {
      return false;
    } else {
      forest.nodes[around->node].childs.push_back(root);
    }
  }
  for (const FreeRing& ring : free) {
    const Containers::Entry* around = containers.Around(ring.path.front(), RingForest::npos);
    if (ring.outer ? (around != nullptr && !around->hole) : (around == nullptr || around->hole))
      return false;
    result.rings.push_back(ring.path);
    forest.Add(&result.rings.back(), around == nullptr ? RingForest::npos : around->node);
  }
  return true;
}

template <typename Solution>
bool Execute(ClipperLib::Clipper& clipper, GkClipType type, Solution& solution) {
  return clipper.Execute(static_cast<ClipperLib::ClipType>(type), solution, ClipperLib::pftPositive,
                         ClipperLib::pftPositive);
}

bool SplitToPaths(const Paths& subject, const Paths& clip, GkClipType type, Paths& solution) {
  const SplitPass split(subject, clip, type);
  solution.clear();
  const bool ok = split.SweepGroups([&](ClipperLib::Clipper& clipper) {
    Paths part;
    if (!Execute(clipper, type, part)) return false;
    solution.insert(solution.end(), std::make_move_iterator(part.begin()),
                    std::make_move_iterator(part.end()));
    return true;
  });
  if (!ok) {
    solution.clear();
    return false;
  }
  for (const FreeRing& ring : split.Free()) solution.push_back(ring.path);
  return true;
}

// False with an empty result when ClipperLib fails; `trusted` false when
// the nesting came out inconsistent.
bool SplitToForest(const Paths& subject, const Paths& clip, GkClipType type, PassResult& result,
                   bool& trusted) {
  const SplitPass split(subject, clip, type);
  std::vector<std::size_t> groupOfNode;
  const bool ok = split.SweepGroups([&](ClipperLib::Clipper& clipper) {
    result.trees.emplace_back(new ClipperLib::PolyTree());
    if (!Execute(clipper, type, *result.trees.back())) return false;
    const std::size_t group = result.trees.size() - 1;
    result.forest.AddTree(*result.trees.back(), RingForest::npos);
    groupOfNode.resize(result.forest.nodes.size(), group);
    return true;
  });
  if (!ok) return false;
  trusted = Nest(result, groupOfNode, split.Free());
  return true;
}

}  // namespace

void FillCrossingTag(IntPoint& e1bot, IntPoint& e1top, IntPoint& e2bot, IntPoint& e2top,
                     IntPoint& pt) {
  const cInt key = std::abs(e1bot.Z);
  if (key != 0 && std::abs(e1top.Z) == key && std::abs(e2bot.Z) == key && std::abs(e2top.Z) == key)
    pt.Z = -key;
}

bool RunPass(const Paths& subject, const Paths& clip, GkClipType type, Paths& solution) {
  if (g_plainSweep) return PlainSweep(subject, clip, type, solution);
  return SplitToPaths(subject, clip, type, solution);
}

bool RunPass(const Paths& subject, const Paths& clip, GkClipType type, PassResult& result) {
  result = PassResult();
  if (!g_plainSweep) {
    bool trusted = false;
    if (!SplitToForest(subject, clip, type, result, trusted)) {
      result = PassResult();
      return false;
    }
    if (trusted) return true;
    result = PassResult();
  }
  result.trees.emplace_back(new ClipperLib::PolyTree());
  if (!PlainSweep(subject, clip, type, *result.trees.back())) {
    result = PassResult();
    return false;
  }
  result.forest.AddTree(*result.trees.back(), RingForest::npos);
  return true;
}

void SetPlainSweep(bool plain) { g_plainSweep = plain; }
bool PlainSweep() { return g_plainSweep; }

}  // namespace clipper_glue
