// The sweep of one group of rings. A small group is one ClipperLib sweep. A
// large one runs in vertical strips: the sweep's cost grows with the number
// of edges crossing each scan line times the number of scan lines, so
// cutting the plane into strips of equal vertex count makes each sweep
// short.
//
// Strip k holds every ring whose box reaches it. Its region is the operation
// on those rings cut to the strip, x in [left, right], which is exactly the
// group's region there (every operation is pointwise). Rings of a strip that
// touch neither of its inner borders are final. The others are cut at the
// borders and are put together by union sweeps of neighbouring blocks of
// strips, pairwise; every ring is then nested by containment.
//
// Points where a border cuts a chord of a circle are created on that
// circle's band, like the crossings of two of its chords: the arc reads as
// one run across the border.
//
// Groups of up to kTreeNestMaxVertices take ClipperLib's result tree; larger
// ones and strips nest their rings by containment.
#include "clipper_rings.h"

namespace clipper_glue {
namespace rings {

namespace {

// Groups with more vertices than this run in strips (measured on track
// unions and zone fills: below it one sweep is cheaper than the joins)...
constexpr std::size_t kStripMinVertices = 65536;
// ... of about this many vertices each, ...
constexpr std::size_t kVerticesPerStrip = 16384;
// The two in force (tests make them small).
std::size_t g_stripMinVertices = kStripMinVertices;
std::size_t g_verticesPerStrip = kVerticesPerStrip;
// ... and at most this many.
constexpr std::size_t kMaxStrips = 256;
// Strip sweeps whose rings were not trusted (tests read it).
std::size_t g_untrustedStrips = 0;
// Groups up to this many vertices take ClipperLib's own nesting of its
// result; larger ones are nested by containment, which stays near linear
// where ClipperLib tests many pairs of rings.
constexpr std::size_t kTreeNestMaxVertices = 8192;

// Whether a ring of one sweep lies where no ring of its kind may: an outer
// ring belongs in a hole or in nothing, a hole in an outer ring.
bool Misplaced(bool hole, const Containers::Entry* around) {
  return hole ? (around == nullptr || around->hole) : (around != nullptr && !around->hole);
}

// Adds the rings to the forest, each under the smallest one around it, by
// decreasing area so that every ring comes after the one around it. Trees
// are not used: ClipperLib's own nesting of many joined rings costs a
// containment test per pair of rings. `trusted` false when a ring would
// land under a ring of its own kind.
bool NestByContainment(Paths& rings, PassResult& result, bool& trusted) {
  std::vector<std::pair<double, std::size_t>> order;  // (-|area|, ring)
  std::vector<bool> isHole(rings.size(), false);      // clockwise
  order.reserve(rings.size());
  for (std::size_t i = 0; i < rings.size(); ++i) {
    if (rings[i].size() < 3) continue;
    const double area = Area2(rings[i]);
    isHole[i] = area < 0;
    order.emplace_back(-std::abs(area), i);
  }
  std::sort(order.begin(), order.end());
  Containers containers;
  std::vector<std::size_t> nodeOf(rings.size(), RingForest::npos);
  RingForest& forest = result.forest;
  for (const auto& entry : order) {
    const std::size_t i = entry.second;
    result.rings.push_back(std::move(rings[i]));
    nodeOf[i] = forest.nodes.size();
    forest.nodes.emplace_back();
    forest.nodes.back().contour = &result.rings.back();
    containers.Add(result.rings.back(), nodeOf[i], i, isHole[i]);
  }
  containers.Seal();
  trusted = true;
  for (const auto& entry : order) {
    const std::size_t node = nodeOf[entry.second];
    const Path& ring = *forest.nodes[node].contour;
    const bool hole = isHole[entry.second];
    const Containers::Entry* around = containers.Around(ring, entry.second, entry.first);
    if (Misplaced(hole, around)) {
      trusted = false;
      return true;
    }
    if (around == nullptr) {
      forest.roots.push_back(node);
    } else {
      forest.nodes[around->node].childs.push_back(node);
    }
  }
  return true;
}

}  // namespace

void OrientByNesting(PassResult& result, std::size_t first) {
  RingForest& forest = result.forest;
  const std::size_t n = forest.nodes.size();
  if (first >= n) return;
  // Depth in the tree as given: nodes come after their parents.
  std::vector<std::size_t> depth(n, 0);
  std::vector<double> area(n, 0.0);
  bool agrees = true;
  for (std::size_t node = first; node < n; ++node) {
    const Path& ring = *forest.nodes[node].contour;
    for (std::size_t child : forest.nodes[node].childs) depth[child] = depth[node] + 1;
    if (ring.size() < 3) continue;
    area[node] = Area2(ring);
    agrees = agrees && (area[node] > 0) == (depth[node] % 2 == 0);
  }
  // A ring holds only rings of less area: ClipperLib can put a ring on a
  // circle under the sliver that runs along that circle and back.
  std::vector<std::size_t> treeParent(n, RingForest::npos);
  for (std::size_t node = first; node < n; ++node) {
    for (std::size_t child : forest.nodes[node].childs) {
      agrees = agrees && std::abs(area[child]) <= std::abs(area[node]);
      treeParent[child] = node;
    }
  }

  // Each ring under the smallest ring around it, larger rings first so that
  // a parent's depth is known before its children's. ClipperLib's tree must
  // say the same: it put a hole in a thin ring under the outer ring around
  // both, beside the hole that held them, and the hole's area was lost.
  std::vector<std::pair<double, std::size_t>> order;  // (-|area|, node)
  Containers containers;
  for (std::size_t node = first; node < n; ++node) {
    if (forest.nodes[node].contour->size() < 3) continue;
    order.emplace_back(-std::abs(area[node]), node);
    containers.Add(*forest.nodes[node].contour, node, node, false);
  }
  containers.Seal();
  std::sort(order.begin(), order.end());
  std::vector<std::size_t> parent(n, RingForest::npos);
  std::vector<std::size_t> newDepth(n, 0);
  for (const auto& entry : order) {
    const std::size_t node = entry.second;
    bool decided = true;
    const Containers::Entry* around =
        containers.Around(*forest.nodes[node].contour, node, area[node], &decided);
    parent[node] = around == nullptr ? RingForest::npos : around->node;
    // A ring that lies on others' edges at every vertex and midpoint keeps
    // the tree's parent when that is placed already.
    const std::size_t up = treeParent[node];
    if (!decided && (up == RingForest::npos || std::abs(area[up]) >= std::abs(area[node])))
      parent[node] = up;
    newDepth[node] = parent[node] == RingForest::npos ? 0 : newDepth[parent[node]] + 1;
    agrees = agrees && parent[node] == treeParent[node];
  }
  if (agrees) return;
  depth.swap(newDepth);
  for (std::size_t node = first; node < n; ++node) forest.nodes[node].childs.clear();
  // The structure again, in the sweep's order of rings.
  std::vector<std::size_t> roots;
  for (std::size_t root : forest.roots) {
    if (root < first) roots.push_back(root);
  }
  for (std::size_t node = first; node < n; ++node) {
    if (parent[node] == RingForest::npos) {
      roots.push_back(node);
    } else {
      forest.nodes[parent[node]].childs.push_back(node);
    }
    const Path& ring = *forest.nodes[node].contour;
    if (ring.size() >= 3 && (area[node] > 0) != (depth[node] % 2 == 0)) {
      result.rings.emplace_back(ring.rbegin(), ring.rend());
      forest.nodes[node].contour = &result.rings.back();
    }
  }
  forest.roots.swap(roots);
}

namespace {

// The rings of one sweep nest consistently: every outer ring
// (counter-clockwise) lies in a hole or in nothing, every hole in an outer
// ring. ClipperLib can hand back a ring turned the wrong way round, and the
// pieces of a strip, whose borders carry edges there and back, provoke it;
// merged, such a ring takes area away from its neighbours unseen.
bool NestsConsistently(const Paths& rings) {
  Containers containers;
  std::vector<double> area(rings.size(), 0.0);
  for (std::size_t i = 0; i < rings.size(); ++i) {
    if (rings[i].size() < 3) continue;
    area[i] = Area2(rings[i]);
    containers.Add(rings[i], i, i, area[i] < 0);
  }
  containers.Seal();
  for (std::size_t i = 0; i < rings.size(); ++i) {
    if (rings[i].size() < 3) continue;
    if (Misplaced(area[i] < 0, containers.Around(rings[i], i, area[i]))) return false;
  }
  return true;
}

bool PlainGroup(const GroupRings& group, GkClipType type, PassResult& result, bool& trusted) {
  Sweep sweep;
  for (std::size_t i = 0; i < group.paths.size(); ++i)
    sweep.Add(*group.paths[i], group.subject[i] ? ClipperLib::ptSubject : ClipperLib::ptClip);
  if (group.vertices <= kTreeNestMaxVertices) {
    result.trees.push_back(std::make_unique<ClipperLib::PolyTree>());
    if (!sweep.Run(type, *result.trees.back())) return false;
    const std::size_t first = result.forest.nodes.size();
    result.forest.AddTree(*result.trees.back(), RingForest::npos);
    OrientByNesting(result, first);
    return true;
  }
  Paths rings;
  if (!sweep.Run(type, rings)) return false;
  return NestByContainment(rings, result, trusted);
}

// Inner borders between strips of about equal vertex count: integers
// strictly inside the group's x range, increasing.
std::vector<cInt> Borders(const GroupRings& group) {
  std::vector<cInt> xs;
  xs.reserve(group.vertices);
  for (const Path* path : group.paths) {
    for (const IntPoint& p : *path) xs.push_back(p.X);
  }
  const std::size_t strips =
      std::min(kMaxStrips, std::max<std::size_t>(2, xs.size() / g_verticesPerStrip));
  // The k-th border is the (n k / strips)-th smallest x. Selecting the
  // middle one splits the rest into halves that hold the others, so the
  // selection costs O(n log strips) rather than one O(n) pass per border.
  std::vector<cInt> borders;
  // For n >= 2, n >= strips, so the positions n k / strips all differ.
  const std::size_t n = xs.size();
  if (n == 0) return borders;
  const auto select = [&](auto&& self, std::size_t lo, std::size_t hi, std::size_t k0,
                          std::size_t k1) -> void {
    // Borders k0 .. k1 - 1, all at positions within [lo, hi).
    if (k0 >= k1) return;
    const std::size_t k = k0 + (k1 - k0) / 2, at = n * k / strips;
    std::nth_element(xs.begin() + static_cast<std::ptrdiff_t>(lo),
                     xs.begin() + static_cast<std::ptrdiff_t>(at),
                     xs.begin() + static_cast<std::ptrdiff_t>(hi));
    const cInt x = xs[at];
    if (x > group.box.x0 && x < group.box.x1) borders.push_back(x);
    self(self, lo, at, k0, k);
    self(self, at + 1, hi, k + 1, k1);
  };
  select(select, 0, n, 1, strips);
  std::sort(borders.begin(), borders.end());
  borders.erase(std::unique(borders.begin(), borders.end()), borders.end());
  return borders;
}

// Whether the ring has a vertex on either border of a strip.
bool OnBorder(const Path& ring, cInt left, cInt right) {
  for (const IntPoint& p : ring) {
    if (p.X == left || p.X == right) return true;
  }
  return false;
}

// The ring cut to the side x >= border (keepRight) or x <= border, one
// Sutherland-Hodgman step: inside that side the winding numbers stay those
// of the ring, and the ring's direction is kept. Points on the border count
// as inside. A cut point takes its y from the edge it cuts, rounded half
// away from zero in exact arithmetic from the edge's own ends, so the same
// edge is cut at the same grid point in the strips on both sides; where it
// cuts a chord of a circle it is created on that circle.
void CutToSide(const Path& ring, cInt border, bool keepRight, Path& out) {
  out.clear();
  const std::size_t n = ring.size();
  if (n == 0) return;
  auto inside = [&](const IntPoint& p) { return keepRight ? p.X >= border : p.X <= border; };
  auto cutPoint = [&](const IntPoint& a, const IntPoint& b) {
    const Wide num = Wide(border - a.X) * Wide(b.Y - a.Y);
    const Wide den = Wide(b.X - a.X);
    // round(num / den), halves away from zero
    const Wide q = num / den, r = num % den;
    const Wide twice = 2 * (r < 0 ? -r : r), absDen = den < 0 ? -den : den;
    const bool negative = (num < 0) != (den < 0);
    const Wide rounded = twice >= absDen ? q + (negative ? -1 : 1) : q;
    return IntPoint(border, a.Y + static_cast<cInt>(rounded), -ChordTag(a, b));
  };
  const IntPoint* prev = &ring[n - 1];
  bool prevIn = inside(*prev);
  for (std::size_t i = 0; i < n; ++i) {
    const IntPoint& cur = ring[i];
    const bool curIn = inside(cur);
    if (curIn != prevIn) {
      // Cut each edge from its lower-x end, so both strips cut it alike.
      out.push_back(prev->X < cur.X ? cutPoint(*prev, cur) : cutPoint(cur, *prev));
    }
    if (curIn) out.push_back(cur);
    prev = &cur;
    prevIn = curIn;
  }
}

// Rewrites rings of one kind so that along the vertical lines x = lines[i]
// only the net count of their edges is left: edges there and back over the
// same stretch of a line cancel. Winding numbers off the lines stay as they
// were. Cutting rings to a strip puts such pairs on its borders (a ring that
// leaves and re-enters the strip several times), and ClipperLib misjudges
// them: an exclusive-or of four cut pieces came back with twice its area.
//
// The rings are split at their edges on the lines into chains that start
// and end on a line, and put together again by walking chains and the
// remaining stretches of the lines: every point has as many edges in as out,
// so each walk returns to where it started. False when a walk is stuck,
// which balanced rings never are.
bool NetAlongLines(Paths& rings, const std::vector<cInt>& lines) {
  auto onLine = [&](const IntPoint& a, const IntPoint& b) {
    return a.X == b.X && std::find(lines.begin(), lines.end(), a.X) != lines.end();
  };
  struct Run {  // a stretch along a line, from y0 to y1
    cInt x, y0, y1;
  };
  std::vector<Run> runs;
  Paths chains, kept;
  for (Path& ring : rings) {
    const std::size_t n = ring.size();
    std::size_t start = n;
    for (std::size_t i = 0; i < n && start == n; ++i) {
      if (onLine(ring[i], ring[i + 1 == n ? 0 : i + 1])) start = i;
    }
    if (start == n) {
      kept.push_back(std::move(ring));
      continue;
    }
    Path chain;
    for (std::size_t s = 0, i = start; s < n; ++s, i = i + 1 == n ? 0 : i + 1) {
      const IntPoint& a = ring[i];
      const IntPoint& b = ring[i + 1 == n ? 0 : i + 1];
      if (onLine(a, b)) {
        if (!chain.empty()) chains.push_back(std::move(chain));
        chain.clear();
        if (a.Y != b.Y) runs.push_back(Run{a.X, a.Y, b.Y});
        continue;
      }
      if (chain.empty()) chain.push_back(a);
      chain.push_back(b);
    }
    if (!chain.empty()) chains.push_back(std::move(chain));
  }
  if (chains.empty()) {
    rings.swap(kept);
    return true;
  }

  // Per line, its points in increasing y and the net count of edges upwards
  // over each stretch between neighbouring points.
  struct Line {
    std::vector<cInt> ys;
    std::vector<long> up;
  };
  std::vector<Line> net(lines.size());
  auto lineOf = [&](cInt x) {
    return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), x) - lines.begin());
  };
  for (const Run& r : runs) {
    net[lineOf(r.x)].ys.push_back(r.y0);
    net[lineOf(r.x)].ys.push_back(r.y1);
  }
  for (const Path& c : chains) {
    net[lineOf(c.front().X)].ys.push_back(c.front().Y);
    net[lineOf(c.back().X)].ys.push_back(c.back().Y);
  }
  auto at = [](const Line& line, cInt y) {
    return static_cast<std::size_t>(std::lower_bound(line.ys.begin(), line.ys.end(), y) -
                                    line.ys.begin());
  };
  for (Line& line : net) {
    std::sort(line.ys.begin(), line.ys.end());
    line.ys.erase(std::unique(line.ys.begin(), line.ys.end()), line.ys.end());
    line.up.assign(line.ys.size(), 0);
  }
  for (const Run& r : runs) {
    Line& line = net[lineOf(r.x)];
    const long sign = r.y1 > r.y0 ? 1 : -1;
    line.up[at(line, std::min(r.y0, r.y1))] += sign;
    line.up[at(line, std::max(r.y0, r.y1))] -= sign;
  }
  for (Line& line : net) std::partial_sum(line.up.begin(), line.up.end(), line.up.begin());

  // Chains by their first point.
  std::vector<std::pair<std::pair<cInt, cInt>, std::size_t>> starts;
  for (std::size_t c = 0; c < chains.size(); ++c)
    starts.push_back({{chains[c].front().X, chains[c].front().Y}, c});
  std::sort(starts.begin(), starts.end());
  std::vector<bool> used(chains.size(), false);
  auto unusedFrom = [&](const IntPoint& p) {
    auto it = std::lower_bound(starts.begin(), starts.end(),
                               std::make_pair(std::make_pair(p.X, p.Y), std::size_t(0)));
    for (; it != starts.end() && it->first == std::make_pair(p.X, p.Y); ++it) {
      if (!used[it->second]) return it->second;
    }
    return chains.size();
  };
  // Each chain and each edge left along a stretch is walked once.
  std::size_t steps = chains.size() + 1;
  for (const Line& line : net) {
    for (long up : line.up) steps += static_cast<std::size_t>(std::labs(up));
  }
  for (std::size_t first = 0; first < chains.size(); ++first) {
    if (used[first]) continue;
    Path ring;
    const IntPoint s = chains[first].front();
    std::size_t c = first;
    IntPoint cur = s;
    for (;;) {
      if (c < chains.size()) {
        used[c] = true;
        ring.insert(ring.end(), chains[c].begin(), chains[c].end());
        cur = chains[c].back();
      } else {
        // Along the line, one stretch, upwards where edges go up.
        Line& line = net[lineOf(cur.X)];
        const std::size_t j = at(line, cur.Y);
        if (j + 1 < line.ys.size() && line.up[j] > 0) {
          --line.up[j];
          cur.Y = line.ys[j + 1];
        } else if (j > 0 && line.up[j - 1] < 0) {
          ++line.up[j - 1];
          cur.Y = line.ys[j - 1];
        } else {
          return false;
        }
      }
      if (steps-- == 0) return false;
      if (cur.X == s.X && cur.Y == s.Y) break;
      c = unusedFrom(cur);
    }
    if (ring.size() > 1 && ring.back().X == s.X && ring.back().Y == s.Y) ring.pop_back();
    kept.push_back(std::move(ring));
  }
  rings.swap(kept);
  return true;
}

// The ring along the frame (box) is no result ring: it goes, and the rings
// under it become roots. Nodes before `first` belong to other groups.
void DropFrame(const Box& box, RingForest& forest, std::size_t first) {
  static const Path kNone;
  std::vector<std::size_t> roots;
  for (std::size_t root : forest.roots) {
    RingForest::Node& node = forest.nodes[root];
    bool onFrame = false;
    if (root >= first) {
      for (const IntPoint& p : *node.contour) {
        if (p.X == box.x0 || p.X == box.x1 || p.Y == box.y0 || p.Y == box.y1) {
          onFrame = true;
          break;
        }
      }
    }
    if (!onFrame) {
      roots.push_back(root);
      continue;
    }
    roots.insert(roots.end(), node.childs.begin(), node.childs.end());
    node.childs.clear();
    node.contour = &kNone;
  }
  forest.roots.swap(roots);
}

class StripSweep {
public:
  StripSweep(const GroupRings& group, GkClipType type, PassResult& result)
      : m_group(group), m_type(type), m_result(result), m_borders(Borders(group)) {}

  bool Run(bool& trusted) {
    const std::size_t strips = m_borders.size() + 1;
    std::vector<std::vector<std::size_t>> members(strips);
    for (std::size_t i = 0; i < m_group.paths.size(); ++i) {
      const Box b = BoxOf(*m_group.paths[i]);
      const std::size_t first = static_cast<std::size_t>(
          std::lower_bound(m_borders.begin(), m_borders.end(), b.x0) - m_borders.begin());
      const std::size_t last = static_cast<std::size_t>(
          std::upper_bound(m_borders.begin(), m_borders.end(), b.x1) - m_borders.begin());
      // Strip k spans [border k-1, border k]: a box from x0 to x1 reaches
      // the strips first .. last (a box ending on a border reaches both).
      for (std::size_t k = first; k <= last && k < strips; ++k) members[k].push_back(i);
    }
    m_open.resize(strips);
    for (std::size_t k = 0; k < strips; ++k) {
      if (!Strip(k, members[k])) return false;
    }
    if (!MergeBlocks() || !NestByContainment(m_final, m_result, trusted)) return false;
    trusted = trusted && m_consistent;
    return true;
  }

private:
  cInt Left(std::size_t k) const { return k == 0 ? m_group.box.x0 - 1 : m_borders[k - 1]; }
  cInt Right(std::size_t k) const {
    return k == m_borders.size() ? m_group.box.x1 + 1 : m_borders[k];
  }

  // The operation on the strip's rings, each cut to the strip first.
  bool Strip(std::size_t k, const std::vector<std::size_t>& members) {
    if (members.empty()) return true;
    const cInt left = Left(k), right = Right(k);
    Paths pieces;
    {
      // Pieces of subject and clip rings.
      Paths cut[2];
      Path half, piece;  // reused; a kept piece is copied at its size
      for (std::size_t i : members) {
        CutToSide(*m_group.paths[i], left, true, half);
        CutToSide(half, right, false, piece);
        if (piece.size() >= 3) cut[m_group.subject[i] ? 0 : 1].emplace_back(piece);
      }
      Sweep sweep;
      for (int kind = 0; kind < 2; ++kind) {
        if (!NetAlongLines(cut[kind], {left, right})) m_consistent = false;
        sweep.Add(cut[kind], kind == 0 ? ClipperLib::ptSubject : ClipperLib::ptClip);
      }
      if (!sweep.Run(m_type, pieces)) return false;
    }
    if (!NestsConsistently(pieces)) m_consistent = false;
    // The strip's outer sides lie beyond the group: only inner borders cut,
    // and a value no vertex has stands for an outer side.
    const cInt innerLeft = k == 0 ? m_group.box.x0 - 2 : left;
    const cInt innerRight = k == m_borders.size() ? m_group.box.x1 + 2 : right;
    for (Path& piece : pieces) {
      (OnBorder(piece, innerLeft, innerRight) ? m_open[k] : m_final).push_back(std::move(piece));
    }
    return true;
  }

  // Left and right border of the block of strips first..last, a value no
  // vertex has standing for the group's outer sides.
  cInt InnerLeft(std::size_t first) const { return first == 0 ? m_group.box.x0 - 2 : Left(first); }
  cInt InnerRight(std::size_t last) const {
    return last == m_borders.size() ? m_group.box.x1 + 2 : Right(last);
  }

  // Puts neighbouring blocks of strips together, pairwise, until one block
  // is left: each union takes the rings on the borders of two blocks only,
  // so its sweep spans two blocks. Every hole on a border lies in an outer
  // ring on that border, so the union sees both. Rings that reach no border
  // of the joined block are final.
  bool MergeBlocks() {
    struct Block {
      std::size_t first, last;
      Paths open;
    };
    std::vector<Block> blocks;
    for (std::size_t k = 0; k < m_open.size(); ++k)
      blocks.push_back(Block{k, k, std::move(m_open[k])});
    while (blocks.size() > 1) {
      std::vector<Block> next;
      for (std::size_t b = 0; b + 1 < blocks.size(); b += 2) {
        Block joined{blocks[b].first, blocks[b + 1].last, {}};
        Paths rings = std::move(blocks[b].open);
        Paths& right = blocks[b + 1].open;
        if (!rings.empty() && !right.empty()) {
          rings.insert(rings.end(), std::make_move_iterator(right.begin()),
                       std::make_move_iterator(right.end()));
          Sweep sweep;
          sweep.Add(rings, ClipperLib::ptSubject);
          Paths merged;
          if (!sweep.Run(kClipUnion, merged)) return false;
          // The union can hang a hole on its outer ring by a channel along
          // a border, both ways: the ring then passes twice through the
          // channel's ends. Cut there, the hole is a ring of its own again,
          // or it would go with a frame that is dropped.
          std::vector<const Path*> each;
          for (const Path& ring : merged) each.push_back(&ring);
          Paths cut;
          if (SplitAtPinches(each, cut)) merged.swap(cut);
          rings.swap(merged);
        } else if (rings.empty()) {
          rings.swap(right);
        }
        const cInt left = InnerLeft(joined.first), rightBorder = InnerRight(joined.last);
        for (Path& ring : rings) {
          (OnBorder(ring, left, rightBorder) ? joined.open : m_final).push_back(std::move(ring));
        }
        next.push_back(std::move(joined));
      }
      if (blocks.size() % 2 == 1) next.push_back(std::move(blocks.back()));
      blocks.swap(next);
    }
    for (Path& ring : blocks.front().open) m_final.push_back(std::move(ring));
    return true;
  }

  const GroupRings& m_group;
  GkClipType m_type;
  PassResult& m_result;
  std::vector<cInt> m_borders;
  std::vector<Paths> m_open;  // per strip: rings on its inner borders
  Paths m_final;              // rings no border touches
  bool m_consistent = true;   // every strip's rings nest consistently
};

}  // namespace

bool SweepGroup(const GroupRings& given, std::size_t groupNumber, PassResult& result,
                std::vector<std::size_t>& groupOfNode, bool& trusted) {
  trusted = true;
  // The frame joins the group's rings as often as the winding around says.
  GroupRings group = given;
  std::vector<Path> frames;
  const Path frame = group.Frame();
  const Path backwards(frame.rbegin(), frame.rend());
  for (int k = 0; k < std::abs(group.subjectAround) + std::abs(group.clipAround); ++k) {
    const bool subject = k < std::abs(group.subjectAround);
    frames.push_back((subject ? group.subjectAround : group.clipAround) > 0 ? frame : backwards);
  }
  for (const Path& f : frames) {
    group.paths.push_back(&f);
    group.subject.push_back(&f - frames.data() < std::abs(group.subjectAround));
    group.vertices += f.size();
  }
  if (group.Framed()) {
    group.box.x0 -= kMargin;
    group.box.y0 -= kMargin;
    group.box.x1 += kMargin;
    group.box.y1 += kMargin;
  }

  const std::size_t first = result.forest.nodes.size();
  bool ok = false;
  if (group.vertices > g_stripMinVertices && group.box.x1 - group.box.x0 > 2) {
    ok = StripSweep(group, group.type, result).Run(trusted);
    if (ok && !trusted) ++g_untrustedStrips;
  } else {
    ok = PlainGroup(group, group.type, result, trusted);
  }
  if (ok && group.RootsAreHoles()) DropFrame(group.box, result.forest, first);
  groupOfNode.resize(result.forest.nodes.size(), groupNumber);
  return ok;
}

}  // namespace rings

std::size_t UntrustedStripSweeps() { return rings::g_untrustedStrips; }

void SetStripSize(std::size_t minVertices, std::size_t perStrip) {
  rings::g_stripMinVertices = minVertices == 0 ? rings::kStripMinVertices : minVertices;
  rings::g_verticesPerStrip = perStrip == 0 ? rings::kVerticesPerStrip : perStrip;
}

}  // namespace clipper_glue
