// One ClipperLib pass with the positive fill rule, taking the short way
// wherever the region allows it.
//
// Two rings touch when each has an edge within kMargin (grid units) of the
// other's box; rings that do not touch never cross, so one lies inside the
// other or they are apart. The connected sets of touching rings are the
// pass's groups. Along all the edges of a group, the rings outside it have
// one winding number (subject and clip), read at one of its vertices.
// - A group of one convex ring that winds once is a free ring: whether it
//   bounds the result follows from those winding numbers, and it comes back
//   as an outer ring or a hole, as it was given (duplicate and collinear
//   points removed, as the sweep removes them). It never enters a sweep.
// - Any other group is swept on its own, a frame around it standing in for
//   the rings outside it (see GroupRings).
// The groups' result rings and the free rings are then nested: each root
// goes under the smallest ring of another group around it. Any
// inconsistency there (a hole with no outer ring around it, an outer ring
// inside an outer ring) makes the pass run as one plain sweep instead.
#include "clipper_rings.h"

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
using rings::Apply;
using rings::Box;
using rings::BoxOf;
using rings::Containers;
using rings::Cross;
using rings::GroupRings;
using rings::kMargin;
using rings::Near;
using rings::RingIndex;
using rings::Wide;

bool g_plainSweep = false;

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
  // Successors by wrap-around test, not by remainder: a division per
  // vertex was most of the cost of this check.
  for (std::size_t i = 0, j = 1, k = 2; i < n; ++i) {
    const IntPoint& a = ring[i];
    const IntPoint& b = ring[j];
    const IntPoint& c = ring[k];
    j = k;
    k = k + 1 == n ? 0 : k + 1;
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

struct Ring {
  const Path* path;
  bool subject;
  Box box;
};

// Disjoint sets over ring numbers.
class RingSets {
public:
  explicit RingSets(std::size_t n) : m_parent(n) { std::iota(m_parent.begin(), m_parent.end(), 0); }
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
  bool mayContain;  // some other ring's box lies within its box
};

// The pass split into its free rings and its groups.
class SplitPass {
public:
  SplitPass(const Paths& subject, const Paths& clip, GkClipType type) : m_type(type) {
    for (const Path& p : subject) Take(p, true);
    for (const Path& p : clip) Take(p, false);
    for (std::size_t i = 0; i < m_rings.size(); ++i)
      m_index.emplace_back(*m_rings[i].path, m_rings[i].box);
    FindNeighbours();
    FormGroups();
  }

  const std::vector<GroupRings>& Groups() const { return m_groups; }
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

  // Two rings touch when each has an edge near the other's box (an edge of
  // one near an edge of the other needs both). Rings that do not touch
  // never cross, so one lies inside the other or they are apart.
  bool Touch(std::size_t i, std::size_t j) {
    return m_index[j].EdgeNearBox(m_rings[i].box) && m_index[i].EdgeNearBox(m_rings[j].box);
  }

  // Winding numbers, subject and clip, of the rings around ring i that are
  // not in its group, at point p of ring i.
  void Around(std::size_t i, const IntPoint& p, const std::vector<std::size_t>& groupOf,
              int& subject, int& clip) {
    subject = clip = 0;
    for (std::size_t j : m_neighbours[i]) {
      if (groupOf[j] == groupOf[i]) continue;
      (m_rings[j].subject ? subject : clip) += m_index[j].Winding(p);
    }
  }

  // Groups are the connected sets of touching rings. The rings around a
  // group have one winding number along all of its edges, read at one of
  // its vertices. A group of one convex ring is a free ring; any other
  // group is swept on its own, with a frame standing in for the rings
  // around it.
  void FormGroups() {
    const std::size_t n = m_rings.size();
    RingSets sets(n);
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j : m_neighbours[i]) {
        if (j > i && sets.Find(i) != sets.Find(j) && Touch(i, j)) sets.Join(i, j);
      }
    }
    std::vector<std::size_t> groupOf(n);
    // Members of each set, side by side: counting sort by set root.
    std::vector<std::size_t> start(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
      groupOf[i] = sets.Find(i);
      ++start[groupOf[i] + 1];
    }
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<std::size_t> order(n);
    std::vector<std::size_t> fill(start.begin(), start.end() - 1);
    for (std::size_t i = 0; i < n; ++i) order[fill[groupOf[i]]++] = i;
    std::vector<std::size_t> group;
    for (std::size_t root = 0; root < n; ++root) {
      if (start[root] == start[root + 1]) continue;
      group.assign(order.begin() + static_cast<std::ptrdiff_t>(start[root]),
                   order.begin() + static_cast<std::ptrdiff_t>(start[root + 1]));
      if (group.size() == 1) {
        Path ring = Cleaned(*m_rings[group[0]].path);
        if (ring.empty()) continue;  // encloses nothing: contributes nothing
        const int orientation = ConvexOrientation(ring);
        if (orientation != 0) {
          Contribute(group[0], std::move(ring), orientation, groupOf);
          continue;
        }
      }
      AddGroup(group, groupOf);
    }
  }

  void AddGroup(const std::vector<std::size_t>& group, const std::vector<std::size_t>& groupOf) {
    const std::size_t first = group[0];
    GroupRings g;
    g.type = m_type;
    Around(first, m_rings[first].path->front(), groupOf, g.subjectAround, g.clipAround);
    g.box = m_rings[first].box;
    for (std::size_t i : group) {
      g.paths.push_back(m_rings[i].path);
      g.subject.push_back(m_rings[i].subject);
      g.vertices += m_rings[i].path->size();
      g.box.x0 = std::min(g.box.x0, m_rings[i].box.x0);
      g.box.y0 = std::min(g.box.y0, m_rings[i].box.y0);
      g.box.x1 = std::max(g.box.x1, m_rings[i].box.x1);
      g.box.y1 = std::max(g.box.y1, m_rings[i].box.y1);
    }
    m_groups.push_back(std::move(g));
  }

  // The result inside and outside the free ring i, from the winding numbers
  // of the rings around it.
  void Contribute(std::size_t i, Path&& ring, int orientation,
                  const std::vector<std::size_t>& groupOf) {
    int subject = 0, clip = 0;
    Around(i, ring.front(), groupOf, subject, clip);
    const bool outside = Apply(m_type, subject > 0, clip > 0);
    (m_rings[i].subject ? subject : clip) += orientation;
    const bool inside = Apply(m_type, subject > 0, clip > 0);
    if (inside == outside) return;
    // Outer rings run counter-clockwise, holes clockwise, as the sweep
    // returns them.
    if ((orientation > 0) != inside) std::reverse(ring.begin(), ring.end());
    bool mayContain = false;
    const Box& b = m_rings[i].box;
    for (std::size_t j : m_neighbours[i]) {
      const Box& o = m_rings[j].box;
      mayContain = mayContain || (o.x0 >= b.x0 && o.x1 <= b.x1 && o.y0 >= b.y0 && o.y1 <= b.y1);
    }
    m_out.push_back(FreeRing{std::move(ring), inside, mayContain});
  }

  GkClipType m_type;
  std::vector<Ring> m_rings;
  std::vector<RingIndex> m_index;
  std::vector<std::vector<std::size_t>> m_neighbours;
  std::vector<FreeRing> m_out;
  std::vector<GroupRings> m_groups;
};

// The pass as one ClipperLib sweep into a tree, every ring turned to match
// its nesting. False when ClipperLib fails (result then empty).
bool PlainSweep(const Paths& subject, const Paths& clip, GkClipType type, PassResult& result) {
  result = PassResult();
  result.trees.push_back(std::make_unique<ClipperLib::PolyTree>());
  rings::Sweep sweep;
  sweep.Add(subject, ClipperLib::ptSubject);
  sweep.Add(clip, ClipperLib::ptClip);
  if (!sweep.Run(type, *result.trees.back())) {
    result = PassResult();
    return false;
  }
  result.forest.AddTree(*result.trees.back(), RingForest::npos);
  rings::OrientByNesting(result, 0);
  return true;
}

// The same, as paths (the nesting does not matter for a later pass, the
// rings' directions do).
bool PlainSweep(const Paths& subject, const Paths& clip, GkClipType type, Paths& solution) {
  PassResult result;
  if (!PlainSweep(subject, clip, type, result)) return false;
  solution.reserve(result.forest.nodes.size());
  for (const RingForest::Node& node : result.forest.nodes) {
    if (!node.contour->empty()) solution.push_back(*node.contour);
  }
  return true;
}

// Puts the roots of every group, and the free rings, under the smallest
// ring of another group (or another free ring) around them. False when a
// ring would land under a ring of its own kind (the short way then is not
// trusted).
bool Nest(PassResult& result, std::vector<std::size_t>& groupOfNode,
          const std::vector<GroupRings>& groups, const std::vector<FreeRing>& free) {
  RingForest& forest = result.forest;
  // Roots are outer rings, their children holes, and so on; the other way
  // round in a group whose frame was filled. Free rings are roots of groups
  // of their own.
  std::vector<bool> hole(forest.nodes.size(), false);
  for (std::size_t root : forest.roots) hole[root] = groups[groupOfNode[root]].RootsAreHoles();
  for (std::size_t node = 0; node < forest.nodes.size(); ++node) {
    for (std::size_t child : forest.nodes[node].childs) hole[child] = !hole[node];
  }
  const std::size_t groupNodes = forest.nodes.size();
  for (const FreeRing& ring : free) {
    result.rings.push_back(ring.path);
    forest.Add(&result.rings.back(), RingForest::npos);
    groupOfNode.push_back(groups.size() + groupOfNode.size());
    hole.push_back(!ring.outer);
  }
  // Every group ring may hold others; a free ring only when another ring's
  // box lies within its own.
  Containers containers;
  for (std::size_t node = 0; node < forest.nodes.size(); ++node) {
    if (node >= groupNodes && !free[node - groupNodes].mayContain) continue;
    containers.Add(*forest.nodes[node].contour, node, groupOfNode[node], hole[node]);
  }
  containers.Seal();

  std::vector<std::size_t> roots;
  roots.swap(forest.roots);
  for (std::size_t root : roots) {
    const Path& ring = *forest.nodes[root].contour;
    const Containers::Entry* around =
        ring.empty() ? nullptr : containers.Around(ring, groupOfNode[root]);
    if (around == nullptr) {
      if (hole[root]) return false;
      forest.roots.push_back(root);
    } else if (around->hole == hole[root]) {
      return false;
    } else {
      forest.nodes[around->node].childs.push_back(root);
    }
  }
  return true;
}

// Every group swept, its rings and the free rings nested into one forest.
// False when ClipperLib fails; `trusted` false when the nesting came out
// inconsistent.
bool SplitToForest(const SplitPass& split, PassResult& result, bool& trusted) {
  std::vector<std::size_t> groupOfNode;
  trusted = true;
  for (std::size_t g = 0; g < split.Groups().size(); ++g) {
    bool groupTrusted = true;
    if (!rings::SweepGroup(split.Groups()[g], g, result, groupOfNode, groupTrusted)) return false;
    trusted = trusted && groupTrusted;
  }
  trusted = trusted && Nest(result, groupOfNode, split.Groups(), split.Free());
  return true;
}

}  // namespace

void FillCrossingTag(IntPoint& e1bot, IntPoint& e1top, IntPoint& e2bot, IntPoint& e2top,
                     IntPoint& pt) {
  const cInt tag = ChordTag(e1bot, e1top);
  if (tag != 0 && ChordTag(e2bot, e2top) == tag) pt.Z = -tag;
}

bool RunPass(const Paths& subject, const Paths& clip, GkClipType type, Paths& solution) {
  solution.clear();
  if (g_plainSweep) return PlainSweep(subject, clip, type, solution);
  // The nesting does not matter for paths: every ring of the groups, then
  // the free rings, each in the direction it came out.
  const SplitPass split(subject, clip, type);
  PassResult groups;
  std::vector<std::size_t> groupOfNode;
  bool trusted = true;
  for (std::size_t g = 0; g < split.Groups().size(); ++g) {
    if (!rings::SweepGroup(split.Groups()[g], g, groups, groupOfNode, trusted)) return false;
    if (!trusted) return PlainSweep(subject, clip, type, solution);
  }
  solution.reserve(groups.forest.nodes.size() + split.Free().size());
  for (const RingForest::Node& node : groups.forest.nodes) {
    if (!node.contour->empty()) solution.push_back(*node.contour);
  }
  for (const FreeRing& ring : split.Free()) solution.push_back(ring.path);
  return true;
}

bool RunPass(const Paths& subject, const Paths& clip, GkClipType type, PassResult& result) {
  result = PassResult();
  if (!g_plainSweep) {
    const SplitPass split(subject, clip, type);
    bool trusted = true;
    if (!SplitToForest(split, result, trusted)) {
      result = PassResult();
      return false;
    }
    if (trusted) return true;
  }
  return PlainSweep(subject, clip, type, result);
}

void SetPlainSweep(bool plain) { g_plainSweep = plain; }

}  // namespace clipper_glue
