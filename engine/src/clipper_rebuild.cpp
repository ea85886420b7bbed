// ClipperLib's result rings back to loops of segments and arcs, and its
// result tree back to shapes (see clipper_glue.h for the tag scheme).
//
// A run is a maximal stretch of consecutive ring points of one circle (tag
// or negated tag) with no jump (a hop wider than the circle's step, which
// shows that the clipping removed part of the arc there) and no turn back
// (the ring going out along one arc of the circle and back along another).
// A run with three or more sampled points becomes the arc through its
// first, middle and last sampled points (two arcs meeting at the middle one
// when that arc runs more than half way round with its ends closer than its
// radius), joined by segments to crossings created before or after them;
// shorter runs and untagged points become line segments; the last chord of
// a run is a segment when the next run starts at a vertex that ends it. A
// run of two or more points that wraps from the ring's end into P0 ends in
// an arc at P0, joined with the ring's first arc when that starts the same
// run at P0; a ring that is one run is a full circle. Three collinear
// points never make an arc: the run comes back as segments. Everything is
// linear in the ring length.
#include "clipper_glue.h"
#include "clipper_rings.h"

#include <engine/lineseg2d.h>

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <memory>

namespace clipper_glue {

namespace {

class RingReader {
public:
  explicit RingReader(const ClipperLib::Path& path) : m_path(path), m_count(path.size()) {}

  // The ring as a new loop (the caller owns it); nullptr for an empty ring.
  std::unique_ptr<GkCompositeCurve2d> Read();

private:
  AcGePoint2d Pt(std::size_t i) const {
    return AcGePoint2d(FromInt(m_path[i].X), FromInt(m_path[i].Y));
  }
  // The circle a point belongs to: the tag of a sampled point, the negated
  // tag of a crossing created on the circle's band; 0 for plain vertices.
  ClipperLib::cInt Key(std::size_t i) const { return std::abs(m_path[i].Z); }
  bool IsSampled(std::size_t i) const { return m_path[i].Z > 0; }
  // Same circle on both points, but a hop wider than its step.
  bool IsJump(std::size_t from, std::size_t to) const;
  // A hop between two ring points, with a direction only when it spans
  // more than kNoDirection grid units (|dX| + |dY|): a unit or two of
  // rounding points anywhere.
  struct Hop {
    ClipperLib::cInt x = 0, y = 0;
    bool directed = false;
  };
  Hop HopOf(std::size_t from, std::size_t to) const;
  // Hop b turns back against hop a (more than a right angle): the ring
  // runs out along one arc of a circle and back along another, as round a
  // sliver between two boundaries on one circle. Never when either hop has
  // no direction: callers compare the directed hops on either side of
  // undirected ones, so a U-turn through a one-unit hop still shows.
  static bool TurnsBack(const Hop& a, const Hop& b);
  void Segment(std::size_t from, std::size_t to);
  // Segments along indices first..last, wrapping past the ring's end.
  void Polyline(std::size_t first, std::size_t last);
  // What RunChain put down: when the chain starts with arcs at its first
  // index, the last arc's end index and how many arcs (1 or 2); otherwise
  // npos and 0.
  struct Chain {
    std::size_t arcEnd;
    std::size_t arcs;
  };
  // Members along the run of len >= 2 points from index first (wrapping):
  // the arcs of ArcsAlong between its first and last sampled points, with
  // segments to and from created points beyond them; segments only when
  // fewer than three points are sampled or no arc fits.
  Chain RunChain(std::size_t first, std::size_t len);
  // The arcs along the run from offset lo to offset hi after index first
  // (both sampled), into out: the arc through lo, the sampled point nearest
  // the middle, and hi; or, when that arc runs more than half way round and
  // its ends are closer than its radius, two arcs meeting at that middle
  // point. Two nearby ends fix the centre's direction badly (one grid unit
  // of rounding tilts it by 1/chord), and a long arc carries that tilt far
  // from its points. False, with out untouched, when an arc would be
  // collinear or fail Follows.
  bool ArcsAlong(std::size_t first, std::size_t lo, std::size_t hi,
                 std::vector<std::unique_ptr<GkCurve2d>>& out) const;
  // The sampled offset nearest the middle of (lo, hi), or npos.
  std::size_t Middle(std::size_t first, std::size_t lo, std::size_t hi) const;
  // The arc through offsets lo, m and hi after index first, or nullptr when
  // m is npos, the points are collinear or the arc fails Follows.
  std::unique_ptr<AcGeCircArc2d> ArcThrough(std::size_t first, std::size_t lo, std::size_t m,
                                            std::size_t hi) const;
  // The sampled offset in (lo, hi) nearest to target, or npos.
  std::size_t NearestSampled(std::size_t first, std::size_t target, std::size_t lo,
                             std::size_t hi) const;
  // Length of the ring's polyline through len points from index first.
  double RunLength(std::size_t first, std::size_t len) const;
  // The arc rebuilt for the run of len points from first follows it: its
  // length matches the run's within a quarter (the chords of one circle are
  // shorter than its arc by far less; crossings add a little zig-zag) plus
  // four grid steps. Three grid points that nearly coincide, or a run that
  // is no arc at all, give a circle of noise that fails this.
  bool Follows(const AcGeCircArc2d& arc, std::size_t first, std::size_t len) const;
  // The ring winds round the full circle: its signed area, taken in the
  // circle's direction, is at least half the disc's (a ring that follows
  // the circle within its sampling band encloses nearly all of it). A ring
  // that runs out along a circle and back along another with the same key
  // (a sliver between two circles less than a grid step apart) follows it
  // in length but encloses next to nothing.
  bool Encloses(AcGeCircArc2d& circle) const;
  // The run r .. i-1 ends; close it towards point `to`.
  void CloseRun(std::size_t r, std::size_t i, std::size_t to);
  // The last run r..count-1 ends the ring; heading is its last directed
  // hop (ending at headingEnd), firstHeading the first of the run from P0.
  void CloseRing(std::size_t r, const Hop& heading, std::size_t headingEnd,
                 const Hop& firstHeading);
  // The whole ring is one run: a full circle.
  void FullCircle();
  // The last run r..count-1 continues the first arc through P0.
  void MergeIntoFirstArc(std::size_t r);

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);
  static constexpr double kRunLengthSlack = 0.25;
  static constexpr double kRunLengthGrid = 4.0 / kScale;
  // Hops of at most this many grid units (|dX| + |dY|) have no direction.
  static constexpr ClipperLib::cInt kNoDirection = 2;

  const ClipperLib::Path& m_path;
  const std::size_t m_count;
  std::vector<std::unique_ptr<GkCurve2d>> m_members;
  // The first member is an arc whose run starts at P0 and ends here: a run
  // wrapping into P0 from the ring's end is merged into it.
  std::size_t m_firstArcEnd = 0;
  bool m_firstIsArc = false;
  // How many arcs (1 or 2, see ArcsAlong) the first member's chain holds.
  std::size_t m_firstArcCount = 0;
};

bool RingReader::IsJump(std::size_t from, std::size_t to) const {
  return !HopsWithin(m_path[from], m_path[to], Key(from) % kTagBase);
}

RingReader::Hop RingReader::HopOf(std::size_t from, std::size_t to) const {
  Hop h;
  h.x = m_path[to].X - m_path[from].X;
  h.y = m_path[to].Y - m_path[from].Y;
  h.directed = std::abs(h.x) + std::abs(h.y) > kNoDirection;
  return h;
}

bool RingReader::TurnsBack(const Hop& a, const Hop& b) {
  if (!a.directed || !b.directed) return false;
  return static_cast<double>(a.x) * static_cast<double>(b.x) +
             static_cast<double>(a.y) * static_cast<double>(b.y) <
         0.0;
}

void RingReader::Segment(std::size_t from, std::size_t to) {
  m_members.push_back(std::make_unique<AcGeLineSeg2d>(Pt(from), Pt(to)));
}

// first == last walks the whole ring.
void RingReader::Polyline(std::size_t first, std::size_t last) {
  std::size_t i = first;
  do {
    const std::size_t next = (i + 1) % m_count;
    Segment(i, next);
    i = next;
  } while (i != last);
}

std::size_t RingReader::NearestSampled(std::size_t first, std::size_t target, std::size_t lo,
                                       std::size_t hi) const {
  for (std::size_t d = 0; target >= lo + d || target + d < hi; ++d) {
    if (target >= d && target - d > lo && target - d < hi &&
        IsSampled((first + target - d) % m_count))
      return target - d;
    if (target + d > lo && target + d < hi && IsSampled((first + target + d) % m_count))
      return target + d;
  }
  return npos;
}

RingReader::Chain RingReader::RunChain(std::size_t first, std::size_t len) {
  const std::size_t last = (first + len - 1) % m_count;
  std::size_t fa = 0;
  while (fa < len && !IsSampled((first + fa) % m_count)) ++fa;
  std::size_t la = len - 1;
  while (la > fa && !IsSampled((first + la) % m_count)) --la;
  // Sampled points a hop without direction apart at either end (the tip
  // of a turn) fix no circle, and an arc through two of them is noise: the
  // arc starts after them and ends before them, segments cover them.
  while (fa + 1 < la && IsSampled((first + fa + 1) % m_count) &&
         !HopOf((first + fa) % m_count, (first + fa + 1) % m_count).directed)
    ++fa;
  while (la > fa + 1 && IsSampled((first + la - 1) % m_count) &&
         !HopOf((first + la - 1) % m_count, (first + la) % m_count).directed)
    --la;
  std::vector<std::unique_ptr<GkCurve2d>> arcs;
  if (len < 3 || fa >= la || !ArcsAlong(first, fa, la, arcs)) {
    Polyline(first, last);
    return Chain{npos, 0};
  }
  const std::size_t a = (first + fa) % m_count;
  const std::size_t b = (first + la) % m_count;
  if (fa > 0) Polyline(first, a);
  const Chain chain = fa == 0 ? Chain{b, arcs.size()} : Chain{npos, 0};
  for (auto& arc : arcs) m_members.push_back(std::move(arc));
  if (b != last) Polyline(b, last);
  return chain;
}

std::size_t RingReader::Middle(std::size_t first, std::size_t lo, std::size_t hi) const {
  return NearestSampled(first, lo + (hi - lo) / 2, lo, hi);
}

std::unique_ptr<AcGeCircArc2d> RingReader::ArcThrough(std::size_t first, std::size_t lo,
                                                      std::size_t m, std::size_t hi) const {
  if (m == npos) return nullptr;
  const AcGePoint2d pa = Pt((first + lo) % m_count);
  const AcGePoint2d pm = Pt((first + m) % m_count);
  const AcGePoint2d pb = Pt((first + hi) % m_count);
  if (!AcGeCircArc2d::IsCirArc(pa, pm, pb, GkGeoLib::g_tol)) return nullptr;
  auto arc = std::make_unique<AcGeCircArc2d>(pa, pm, pb);
  if (!Follows(*arc, (first + lo) % m_count, hi - lo + 1)) return nullptr;
  return arc;
}

bool RingReader::ArcsAlong(std::size_t first, std::size_t lo, std::size_t hi,
                           std::vector<std::unique_ptr<GkCurve2d>>& out) const {
  const std::size_t m = Middle(first, lo, hi);
  std::unique_ptr<AcGeCircArc2d> arc = ArcThrough(first, lo, m, hi);
  if (arc == nullptr) return false;
  const double chord = arc->startPoint().distanceTo(arc->endPoint());
  if (arc->GetArcSweepangle() <= gk::kPi || chord >= arc->radius()) {
    out.push_back(std::move(arc));
    return true;
  }
  std::unique_ptr<AcGeCircArc2d> head = ArcThrough(first, lo, Middle(first, lo, m), m);
  std::unique_ptr<AcGeCircArc2d> tail =
      head ? ArcThrough(first, m, Middle(first, m, hi), hi) : nullptr;
  if (tail == nullptr) return false;
  out.push_back(std::move(head));
  out.push_back(std::move(tail));
  return true;
}

double RingReader::RunLength(std::size_t first, std::size_t len) const {
  // Walks the ring with a wrap-around test: a remainder per point was most
  // of the cost of reading a sampled circle back.
  double length = 0.0;
  std::size_t i = first % m_count;
  AcGePoint2d p = Pt(i);
  for (std::size_t k = 0; k + 1 < len; ++k) {
    i = i + 1 == m_count ? 0 : i + 1;
    const AcGePoint2d q = Pt(i);
    length += p.distanceTo(q);
    p = q;
  }
  return length;
}

bool RingReader::Follows(const AcGeCircArc2d& arc, std::size_t first, std::size_t len) const {
  const double run = RunLength(first, len);
  const double along = arc.IsCircle() ? gk::k2Pi * arc.radius() : arc.GetArcLength();
  return std::isfinite(along) && std::fabs(along - run) <= kRunLengthSlack * run + kRunLengthGrid;
}

void RingReader::CloseRun(std::size_t r, std::size_t i, std::size_t to) {
  if (i - r >= 2) {
    const bool first = m_members.empty() && r == 0;
    const Chain chain = RunChain(r, i - r);
    if (first && chain.arcEnd != npos) {
      m_firstIsArc = true;
      m_firstArcEnd = chain.arcEnd;
      m_firstArcCount = chain.arcs;
    }
  }
  Segment(i - 1, to);
}

bool RingReader::Encloses(AcGeCircArc2d& circle) const {
  // Both in grid units squared.
  const double area = rings::Area2(m_path) / 2;
  const double r = circle.radius() * kScale;
  return (circle.isClockWise() ? -area : area) >= 0.5 * gk::kPi * r * r;
}

void RingReader::FullCircle() {
  std::vector<std::size_t> sampled;
  sampled.reserve(m_count);
  for (std::size_t i = 0; i < m_count; ++i) {
    if (IsSampled(i)) sampled.push_back(i);
  }
  const std::size_t k = sampled.size();
  if (k < 3) {
    Polyline(0, 0);
    return;
  }
  const AcGePoint2d p0 = Pt(sampled[0]);
  const AcGePoint2d p1 = Pt(sampled[k / 3]);
  const AcGePoint2d p2 = Pt(sampled[2 * (k / 3)]);
  if (!AcGeCircArc2d::IsCirArc(p0, p1, p2, GkGeoLib::g_tol)) {
    Polyline(0, 0);
    return;
  }
  auto circle = std::make_unique<AcGeCircArc2d>(p0, p1, p2);
  circle->SetIsCircle(true);
  circle->setAngles(0.0, 0.0);
  if (!Follows(*circle, 0, m_count + 1) || !Encloses(*circle)) {
    Polyline(0, 0);
    return;
  }
  m_members.push_back(std::move(circle));
}

void RingReader::CloseRing(std::size_t r, const Hop& heading, std::size_t headingEnd,
                           const Hop& firstHeading) {
  const ClipperLib::cInt key = Key(r);
  if (key == 0) {
    Segment(r, 0);
    return;
  }
  // A run that does not continue into P0 (other circle, across a removed
  // stretch, or turning back) is closed towards P0 like any other.
  const Hop seam = HopOf(m_count - 1, 0);
  if (key != Key(0) || IsJump(m_count - 1, 0)) {
    CloseRun(r, m_count, 0);
    return;
  }
  if (TurnsBack(heading, seam)) {
    // As in Read: the run ends where its last directed hop does, the tip
    // of the turn goes in segments.
    if (headingEnd + 1 >= m_count) {
      CloseRun(r, m_count, 0);
    } else {
      CloseRun(r, headingEnd + 1, headingEnd + 1);
      Polyline(headingEnd + 1, 0);
    }
    return;
  }
  // Whether the run goes on through P0 into P1 without turning back.
  const Hop into = seam.directed ? seam : heading;
  const Hop first = m_count >= 2 ? HopOf(0, 1) : Hop();
  const Hop next = first.directed ? first : firstHeading;
  const bool throughP0 = m_count >= 2 && !TurnsBack(into, next);
  if (r == 0 && throughP0) {
    FullCircle();
  } else if (r == 0) {
    CloseRun(0, m_count, 0);
  } else if (m_firstIsArc && throughP0 && m_count - r >= 2) {
    MergeIntoFirstArc(r);
  } else {
    // The run ends at P0 (a single point before P0 gives its chord).
    RunChain(r, m_count - r + 1);
  }
}

// One arc through the merged run's first, middle and last sampled points
// replaces the first member; the run r..count-1, P0..firstEnd is one stretch
// of arc. The middle of the run, not P0, is the point between: P0 may lie a
// chord or two from the run's start, and a circle through two so close grid
// points misses the source centre by more than the grid.
void RingReader::MergeIntoFirstArc(std::size_t r) {
  std::size_t start = r;
  while (start < m_count && !IsSampled(start)) ++start;
  if (start == m_count) {
    Polyline(r, 0);
    return;
  }
  const std::size_t runLength = (m_count - start) + m_firstArcEnd + 1;
  std::vector<std::unique_ptr<GkCurve2d>> arcs;
  if (!ArcsAlong(start, 0, runLength - 1, arcs)) {
    Polyline(r, 0);
    return;
  }
  if (start > r) Polyline(r, start);
  // The merged arcs take the place of the first run's arcs at the loop's
  // start.
  m_members.erase(m_members.begin(), m_members.begin() + m_firstArcCount);
  m_members.insert(m_members.begin(), std::make_move_iterator(arcs.begin()),
                   std::make_move_iterator(arcs.end()));
}

std::unique_ptr<GkCompositeCurve2d> RingReader::Read() {
  if (m_count == 0) return nullptr;
  std::size_t r = 0;  // index of the current point
  // The last directed hop of the run from r and the index it ends at, and
  // the first directed hop of the run from P0 (the ring's end may run on
  // into it).
  Hop heading;
  std::size_t headingEnd = 0;
  Hop firstHeading;
  for (std::size_t i = 1; i < m_count; ++i) {
    const ClipperLib::cInt key = Key(r);
    if (key == 0) {
      Segment(r, i);
      r = i;
      heading = Hop();
      continue;
    }
    const Hop hop = HopOf(i - 1, i);
    if (Key(i) != key || IsJump(i - 1, i)) {
      CloseRun(r, i, i);
      r = i;
      heading = Hop();
    } else if (TurnsBack(heading, hop)) {
      // The run turns where its last directed hop ends: the short hops
      // after it are the tip of the turn, and taken into the run they
      // would put two nearly equal points at its end (a circle of noise
      // through them). The run from there starts with this hop.
      const bool tip = headingEnd + 1 < i;
      CloseRun(r, headingEnd + 1, headingEnd + 1);
      r = headingEnd + 1;
      heading = tip ? hop : Hop();
      headingEnd = i;
    } else if (hop.directed) {
      heading = hop;
      headingEnd = i;
      if (r == 0 && !firstHeading.directed) firstHeading = hop;
    }
  }
  CloseRing(r, heading, headingEnd, firstHeading);

  // The loop takes the members over only once it exists and its list has
  // room for them all, so nothing is lost if an allocation throws.
  auto loop = std::make_unique<GkCompositeCurve2d>();
  std::vector<GkCurve2d*> members;
  members.reserve(m_members.size());
  for (auto& member : m_members) members.push_back(member.get());
  loop->SetCurveList(members);
  for (auto& member : m_members) member.release();
  return loop;
}

// Shape of one outer node: its ring, then its holes' rings; nullptr when
// the outer ring is empty.
std::unique_ptr<GkShape> NodeToShape(const RingForest& forest, const RingForest::Node& node) {
  std::unique_ptr<GkCompositeCurve2d> outer = RingReader(*node.contour).Read();
  if (!outer) return nullptr;
  auto shape = std::make_unique<GkShape>();
  shape->AppendCompCurve(outer.release());
  for (std::size_t hole : node.childs) {
    if (std::unique_ptr<GkCompositeCurve2d> loop = RingReader(*forest.nodes[hole].contour).Read())
      shape->AppendCompCurve(loop.release());
  }
  return shape;
}

}  // namespace

GkCompositeCurve2d* PathToComposite(const ClipperLib::Path& path) {
  return RingReader(path).Read().release();
}

std::size_t RingForest::Add(const ClipperLib::Path* contour, std::size_t parent) {
  const std::size_t index = nodes.size();
  nodes.emplace_back();
  nodes.back().contour = contour;
  if (parent == npos) {
    roots.push_back(index);
  } else {
    nodes[parent].childs.push_back(index);
  }
  return index;
}

void RingForest::AddTree(const ClipperLib::PolyNode& tree, std::size_t parent) {
  for (const ClipperLib::PolyNode* child : tree.Childs) AddSubtree(*child, parent);
}

void RingForest::AddSubtree(const ClipperLib::PolyNode& node, std::size_t parent) {
  // Breadth-first with an explicit queue: deep nesting stays off the stack.
  std::vector<std::pair<const ClipperLib::PolyNode*, std::size_t>> pending;
  pending.emplace_back(&node, parent);
  for (std::size_t k = 0; k < pending.size(); ++k) {
    const std::size_t index = Add(&pending[k].first->Contour, pending[k].second);
    for (const ClipperLib::PolyNode* child : pending[k].first->Childs)
      pending.emplace_back(child, index);
  }
}

void ForestToShapes(const RingForest& forest, std::vector<GkShape*>& result) {
  // Depth-first, in order: a shape, then the islands inside its holes. An
  // explicit stack keeps deep nesting off the call stack.
  std::vector<std::size_t> pending(forest.roots.rbegin(), forest.roots.rend());
  while (!pending.empty()) {
    const RingForest::Node& node = forest.nodes[pending.back()];
    pending.pop_back();
    if (std::unique_ptr<GkShape> shape = NodeToShape(forest, node)) {
      result.push_back(shape.get());
      shape.release();
    }
    std::vector<std::size_t> islands;
    for (std::size_t hole : node.childs) {
      const auto& inside = forest.nodes[hole].childs;
      islands.insert(islands.end(), inside.begin(), inside.end());
    }
    pending.insert(pending.end(), islands.rbegin(), islands.rend());
  }
}

void TreeToShapes(const ClipperLib::PolyTree& tree, std::vector<GkShape*>& result) {
  RingForest forest;
  forest.AddTree(tree, RingForest::npos);
  ForestToShapes(forest, result);
}

}  // namespace clipper_glue
