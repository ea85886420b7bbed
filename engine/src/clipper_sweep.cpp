// The sweep of one set of rings by ClipperLib: the paths are handed over
// as they are, except that kinds whose edges run there and back along one
// line are first united alone and paths that pinch themselves are cut into
// loops where the operation needs it (see Sweep in clipper_rings.h).
#include "clipper_rings.h"

#include <cstring>

namespace clipper_glue {
namespace rings {

namespace {

// Bit 0 set when two of the first set's edges run along one line, over a
// common stretch of it, in opposite directions. With a second set, bit k
// set when set k's edges do so where an edge of the other set runs over
// that stretch too.
//
// A first pass files every edge by a hash of its line in a table: slope and
// intercept as doubles, each the correctly rounded quotient of integers
// exact in a double (coordinates below 2^25 keep them so), equal for every
// edge of one line; larger coordinates hash the line in lowest terms. Each
// slot also notes which sets ran along its line in which direction; only
// edges of a slot where one set ran both ways (and, with a second set, the
// other set ran too) are compared exactly, by direction in lowest terms
// (pointing right or up), offset, and stretch along the line. In a union
// of tracks many edges share a line, but seldom so.
unsigned ThereAndBack(const std::vector<const Path*>& first,
                      const std::vector<const Path*>* second) {
  std::size_t count = 0;
  cInt extent = 0;
  for (const auto* set : {&first, second}) {
    if (set == nullptr) continue;
    for (const Path* path : *set) {
      if (path->size() < 3) continue;  // ClipperLib takes no such path
      count += path->size();
      for (const IntPoint& p : *path) extent = std::max({extent, std::abs(p.X), std::abs(p.Y)});
    }
  }
  if (count < 2) return 0;
  const bool exactDoubles = extent < (cInt(1) << 25);
  auto mix = [](std::uint64_t h, std::uint64_t v) {
    h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
    return h * 0xff51afd7ed558ccdull;
  };
  auto bits = [](double d) {
    std::uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
  };
  // Direction (dx, dy) of a -> b in lowest terms, pointing right or up;
  // forward when a -> b points that way.
  auto reduce = [](const IntPoint& a, const IntPoint& b, cInt& dx, cInt& dy, bool& forward) {
    dx = b.X - a.X;
    dy = b.Y - a.Y;
    const cInt g = std::gcd(dx, dy);
    dx /= g;
    dy /= g;
    forward = dx > 0 || (dx == 0 && dy > 0);
    if (!forward) {
      dx = -dx;
      dy = -dy;
    }
  };
  auto lineHash = [&](const IntPoint& a, const IntPoint& b) {
    cInt dx = b.X - a.X, dy = b.Y - a.Y;
    if (exactDoubles) {
      if (dx < 0 || (dx == 0 && dy < 0)) {
        dx = -dx;
        dy = -dy;
      }
      if (dx == 0) return mix(1, static_cast<std::uint64_t>(a.X));
      const double slope = static_cast<double>(dy) / static_cast<double>(dx);
      const double intercept = static_cast<double>(dx * a.Y - dy * a.X) / static_cast<double>(dx);
      return mix(mix(2, bits(slope)), bits(intercept));
    }
    bool forward = false;
    reduce(a, b, dx, dy, forward);
    const Wide offset = Wide(dx) * a.Y - Wide(dy) * a.X;
    return mix(mix(mix(3, static_cast<std::uint64_t>(dx)), static_cast<std::uint64_t>(dy)),
               mix(static_cast<std::uint64_t>(offset), static_cast<std::uint64_t>(offset >> 64)));
  };

  // Every edge a path hands ClipperLib, a -> b, and its set (0 or 1).
  auto forEachEdge = [&](auto&& visit) {
    for (const auto* set : {&first, second}) {
      if (set == nullptr) continue;
      for (const Path* path : *set) {
        const std::size_t n = path->size();
        if (n < 3) continue;
        for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
          const IntPoint& a = (*path)[j];
          const IntPoint& b = (*path)[i];
          if (a.X != b.X || a.Y != b.Y) visit(a, b, set == second ? 1 : 0);
        }
      }
    }
  };

  // Open addressing: each slot a hash (0 empty) and the kinds of edge on
  // it, bit 2 * set + 1 for one pointing right or up, bit 2 * set for one
  // pointing back; each edge's slot, in the order forEachEdge visits them.
  // Edges of one line share a hash and so a slot; two lines that share a
  // slot only cost an exact comparison.
  std::size_t size = 16;
  int shift = 60;  // a slot is the hash's top bits: the multiply mixes them best
  while (size < 2 * count) {
    size *= 2;
    --shift;
  }
  std::vector<std::uint64_t> slots(size, 0);
  std::vector<std::uint8_t> kinds(size, 0);
  std::vector<std::uint32_t> slotOfEdge;
  slotOfEdge.reserve(count);
  forEachEdge([&](const IntPoint& a, const IntPoint& b, int set) {
    const std::uint64_t h = lineHash(a, b) | 1;
    std::size_t k = static_cast<std::size_t>(h >> shift);
    while (slots[k] != 0 && slots[k] != h) k = (k + 1) & (size - 1);
    slots[k] = h;
    const bool forward = b.X > a.X || (b.X == a.X && b.Y > a.Y);
    kinds[k] |= static_cast<std::uint8_t>(1u << (2 * set + (forward ? 1 : 0)));
    slotOfEdge.push_back(static_cast<std::uint32_t>(k));
  });

  // What the exact pass below can find on a line needs one set there both
  // ways, and with a second set, the other set there too.
  auto mayFind = [&](std::uint8_t m) {
    const bool both0 = (m & 3u) == 3u, both1 = (m & 12u) == 12u;
    if (second == nullptr) return both0;
    return (both0 && (m & 12u) != 0) || (both1 && (m & 3u) != 0);
  };

  // The edges of such slots, exactly.
  struct Edge {
    cInt ux, uy;  // direction
    Wide offset;  // ux * y - uy * x on the line
    Wide t0, t1;  // stretch, t = ux * x + uy * y, t0 < t1
    int kind;     // 2 * set, plus 1 when it runs from t0 to t1
  };
  std::vector<Edge> shared;
  std::size_t edge = 0;
  forEachEdge([&](const IntPoint& a, const IntPoint& b, int set) {
    if (!mayFind(kinds[slotOfEdge[edge++]])) return;
    Edge e{};
    bool forward = false;
    reduce(a, b, e.ux, e.uy, forward);
    e.kind = 2 * set + (forward ? 1 : 0);
    e.offset = Wide(e.ux) * a.Y - Wide(e.uy) * a.X;
    e.t0 = Wide(e.ux) * a.X + Wide(e.uy) * a.Y;
    e.t1 = Wide(e.ux) * b.X + Wide(e.uy) * b.Y;
    if (e.t1 < e.t0) std::swap(e.t0, e.t1);
    shared.push_back(e);
  });
  std::sort(shared.begin(), shared.end(), [](const Edge& a, const Edge& b) {
    if (a.ux != b.ux) return a.ux < b.ux;
    if (a.uy != b.uy) return a.uy < b.uy;
    if (a.offset != b.offset) return a.offset < b.offset;
    return a.t0 < b.t0;
  });
  // Furthest end so far on this line, by kind. A stretch that three kinds
  // cover starts where one of them does, and the other two reach beyond
  // that start.
  Wide reach[4] = {0, 0, 0, 0};
  bool seen[4] = {false, false, false, false};
  auto covers = [&](int kind, const Wide& t) { return seen[kind] && t < reach[kind]; };
  unsigned found = 0;
  for (std::size_t k = 0; k < shared.size(); ++k) {
    const Edge& e = shared[k];
    if (k > 0) {
      const Edge& p = shared[k - 1];
      if (p.ux != e.ux || p.uy != e.uy || p.offset != e.offset)
        std::fill(std::begin(seen), std::end(seen), false);
    }
    const int own = e.kind, set = own / 2, other = 2 * (1 - set);
    if (second == nullptr) {
      if (covers(own ^ 1, e.t0)) return 1;
    } else {
      // e and an edge of its own set the other way, an edge of the other
      // set along both; or e along the other set's edges both ways.
      if (covers(own ^ 1, e.t0) && (covers(other, e.t0) || covers(other + 1, e.t0)))
        found |= 1u << set;
      if (covers(other, e.t0) && covers(other + 1, e.t0)) found |= 1u << (1 - set);
      if (found == 3) return found;
    }
    reach[own] = seen[own] ? std::max(reach[own], e.t1) : e.t1;
    seen[own] = true;
  }
  return found;
}

}  // namespace

bool SplitAtPinches(const std::vector<const Path*>& paths, Paths& out) {
  std::size_t count = 0;
  for (const Path* path : paths) count += path->size() >= 3 ? path->size() : 0;
  if (count < 4) return false;
  // Open addressing on (x, y, path): each slot the vertex, its path's index
  // plus one (0 empty) and where the walk below last put it on its stack.
  struct Slot {
    cInt x, y;
    std::size_t path, at;
  };
  std::size_t size = 16;
  int shift = 60;
  while (size < 2 * count) {
    size *= 2;
    --shift;
  }
  std::vector<Slot> slots(size, Slot{0, 0, 0, 0});
  auto slotOf = [&](const IntPoint& p, std::size_t path, bool& fresh) -> Slot& {
    std::uint64_t h = static_cast<std::uint64_t>(p.X) * 0x9e3779b97f4a7c15ull;
    h = (h ^ (h >> 29) ^ static_cast<std::uint64_t>(p.Y)) * 0xff51afd7ed558ccdull;
    for (std::size_t k = static_cast<std::size_t>(h >> shift);; k = (k + 1) & (size - 1)) {
      Slot& s = slots[k];
      fresh = s.path == 0;
      if (fresh || (s.x == p.X && s.y == p.Y && s.path == path)) return s;
    }
  };
  // First, whether any path pinches: no copies in the common case.
  bool pinched = false;
  for (std::size_t i = 0; i < paths.size() && !pinched; ++i) {
    const Path& path = *paths[i];
    const std::size_t n = path.size();
    if (n < 3) continue;
    for (std::size_t v = 0; v < n && !pinched; ++v) {
      const IntPoint &p = path[v], &prev = path[v == 0 ? n - 1 : v - 1];
      if (p.X == prev.X && p.Y == prev.Y) continue;
      bool fresh = false;
      Slot& s = slotOf(p, i + 1, fresh);
      if (!fresh) pinched = true;
      s = Slot{p.X, p.Y, i + 1, 0};
    }
  }
  if (!pinched) return false;
  // Then each path is walked with a stack of its vertices: a vertex already
  // on the stack closes the loop from there to the top, which is cut off.
  std::fill(slots.begin(), slots.end(), Slot{0, 0, 0, 0});
  out.clear();
  Path stack;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const Path& path = *paths[i];
    if (path.size() < 3) continue;
    stack.clear();
    for (const IntPoint& p : path) {
      if (!stack.empty() && stack.back().X == p.X && stack.back().Y == p.Y) continue;
      bool fresh = false;
      Slot& s = slotOf(p, i + 1, fresh);
      if (!fresh && s.at < stack.size() && stack[s.at].X == p.X && stack[s.at].Y == p.Y) {
        if (stack.size() - s.at >= 3) out.emplace_back(stack.begin() + s.at, stack.end());
        stack.resize(s.at + 1);
        continue;
      }
      s = Slot{p.X, p.Y, i + 1, stack.size()};
      stack.push_back(p);
    }
    if (stack.size() >= 3) out.push_back(stack);
  }
  return true;
}

bool Sweep::Load(GkClipType type, bool& edges) {
  m_clipper.ZFillFunction(&FillCrossingTag);
  edges = false;
  // A union misjudged only stretches that the other kind runs along too.
  const unsigned unite = type == kClipUnion ? ThereAndBack(m_paths[0], &m_paths[1]) : 0;
  for (int kind = 0; kind < 2; ++kind) {
    const auto polyType = static_cast<ClipperLib::PolyType>(kind);
    std::vector<const Path*> paths = m_paths[kind];
    Paths united, split, loops;
    if (type == kClipUnion ? (unite >> kind & 1u) != 0 : ThereAndBack(paths, nullptr) != 0) {
      // The union alone misjudged a hole that pinches itself, edges there
      // and back, as an island: cut into loops first, it unites right.
      if (SplitAtPinches(paths, loops)) {
        paths.clear();
        for (const Path& path : loops) paths.push_back(&path);
      }
      ClipperLib::Clipper alone;
      alone.ZFillFunction(&FillCrossingTag);
      bool any = false;
      for (const Path* path : paths) any = alone.AddPath(*path, ClipperLib::ptSubject, true) || any;
      if (any && !alone.Execute(ClipperLib::ctUnion, united, ClipperLib::pftPositive,
                                ClipperLib::pftPositive))
        return false;
      paths.clear();
      for (const Path& path : united) paths.push_back(&path);
    }
    if (type != kClipUnion && SplitAtPinches(paths, split)) {
      paths.clear();
      for (const Path& path : split) paths.push_back(&path);
    }
    for (const Path* path : paths) edges = m_clipper.AddPath(*path, polyType, true) || edges;
  }
  return true;
}

bool Sweep::Run(GkClipType type, ClipperLib::PolyTree& tree) {
  bool edges = false;
  if (!Load(type, edges)) return false;
  if (!edges) {
    tree.Clear();
    return true;
  }
  return m_clipper.Execute(static_cast<ClipperLib::ClipType>(type), tree, ClipperLib::pftPositive,
                           ClipperLib::pftPositive);
}

bool Sweep::Run(GkClipType type, Paths& solution) {
  bool edges = false;
  if (!Load(type, edges)) return false;
  if (!edges) {
    solution.clear();
    return true;
  }
  return m_clipper.Execute(static_cast<ClipperLib::ClipType>(type), solution,
                           ClipperLib::pftPositive, ClipperLib::pftPositive);
}

}  // namespace rings
}  // namespace clipper_glue
