// ClipperLib's result rings back to loops of segments and arcs, and its
// result tree back to shapes (see clipper_glue.h for the tag scheme).
//
// A run is a maximal stretch of consecutive ring points with one non-zero tag
// and no jump (a hop wider than the tag's step, which shows that the clipping
// removed part of the arc there). A run of three or more points becomes the
// arc through its first, middle and last points; shorter runs and untagged
// points become line segments; the last chord of a run is a segment when the
// next run starts at a vertex that ends it. A run of two or more points that
// wraps from the ring's end into P0 ends in an arc at P0, joined with the
// ring's first arc when that starts the same run at P0; a ring that is one
// run is a full circle. Three
// collinear points never make an arc: the run comes back as segments.
// Everything is linear in the ring length.
#include "clipper_glue.h"

#include <engine/lineseg2d.h>

#include <cstdlib>
#include <memory>

namespace clipper_glue {

namespace {

class RingReader {
public:
  explicit RingReader(const ClipperLib::Path& path) : m_path(path), m_count(path.size()) {}

  GkCompositeCurve2d* Read();

private:
  AcGePoint2d Pt(std::size_t i) const {
    return AcGePoint2d(FromInt(m_path[i].X), FromInt(m_path[i].Y));
  }
  // Same tag on both points, but a hop wider than the tag's step.
  bool IsJump(std::size_t from, std::size_t to) const;
  void Segment(std::size_t from, std::size_t to);
  // Segments along indices first..last, wrapping past the ring's end.
  void Polyline(std::size_t first, std::size_t last);
  // The arc through points a, m, b; segments along the run first..last when
  // the three are collinear. Returns whether an arc was built.
  bool Arc(std::size_t a, std::size_t m, std::size_t b, std::size_t first, std::size_t last);
  // The run r .. i-1 ends; close it towards point `to`.
  void CloseRun(std::size_t r, std::size_t i, std::size_t to);
  void CloseRing(std::size_t r);
  // The last run r..count-1 continues the first arc through P0.
  void MergeIntoFirstArc(std::size_t r);

  const ClipperLib::Path& m_path;
  const std::size_t m_count;
  std::vector<std::unique_ptr<GkCurve2d>> m_members;
  // The first member is an arc whose run starts at P0 and ends here: a run
  // wrapping into P0 from the ring's end is merged into it.
  std::size_t m_firstArcEnd = 0;
  bool m_firstIsArc = false;
};

bool RingReader::IsJump(std::size_t from, std::size_t to) const {
  const ClipperLib::cInt step = m_path[from].Z % kTagBase;
  return std::abs(m_path[to].X - m_path[from].X) > step ||
         std::abs(m_path[to].Y - m_path[from].Y) > step;
}

void RingReader::Segment(std::size_t from, std::size_t to) {
  m_members.emplace_back(new AcGeLineSeg2d(Pt(from), Pt(to)));
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

bool RingReader::Arc(std::size_t a, std::size_t m, std::size_t b, std::size_t first,
                     std::size_t last) {
  const AcGePoint2d pa = Pt(a);
  const AcGePoint2d pm = Pt(m);
  const AcGePoint2d pb = Pt(b);
  if (!AcGeCircArc2d::IsCirArc(pa, pm, pb, GkGeoLib::g_tol)) {
    Polyline(first, last);
    return false;
  }
  m_members.emplace_back(new AcGeCircArc2d(pa, pm, pb));
  return true;
}

void RingReader::CloseRun(std::size_t r, std::size_t i, std::size_t to) {
  const std::size_t len = i - r;
  if (len >= 3) {
    const bool arc = Arc(r, (r + i - 1) / 2, i - 1, r, i - 1);
    if (arc && m_members.size() == 1 && r == 0) {
      m_firstIsArc = true;
      m_firstArcEnd = i - 1;
    }
  } else if (len == 2) {
    Segment(r, i - 1);
  }
  Segment(i - 1, to);
}

void RingReader::CloseRing(std::size_t r) {
  const ClipperLib::cInt tag = m_path[r].Z;
  if (tag == 0) {
    Segment(r, 0);
    return;
  }
  // A run that does not continue into P0 (other tag, or across a removed
  // stretch) is closed towards P0 like any other.
  if (tag != m_path[0].Z || IsJump(m_count - 1, 0)) {
    CloseRun(r, m_count, 0);
    return;
  }
  if (r == 0) {
    // The whole ring is one run: a full circle.
    const std::size_t third = m_count / 3;
    if (m_count >= 3 && Arc(0, third, 2 * third, 0, 0)) {
      auto* circle = static_cast<AcGeCircArc2d*>(m_members.back().get());
      circle->SetIsCircle(true);
      circle->setAngles(0.0, 0.0);
    } else if (m_count < 3) {
      Polyline(0, 0);
    }
    return;
  }
  if (m_count - r == 1) {
    // A single point before P0: its chord is a segment, as after any run.
    Segment(r, 0);
  } else if (m_firstIsArc) {
    MergeIntoFirstArc(r);
  } else {
    Arc(r, (m_count + r) / 2, 0, r, 0);
  }
}

// One arc through the merged run's first, middle and last points replaces
// the first member; the run r..count-1, P0..firstEnd is one stretch of arc.
// The middle of the run, not P0, is the point between: P0 may lie a chord or
// two from the run's start, and a circle through two so close grid points
// misses the source centre by more than the grid.
void RingReader::MergeIntoFirstArc(std::size_t r) {
  const std::size_t runLength = (m_count - r) + m_firstArcEnd + 1;
  const std::size_t mid = (r + runLength / 2) % m_count;
  const AcGePoint2d pa = Pt(r);
  const AcGePoint2d pm = Pt(mid);
  const AcGePoint2d pb = Pt(m_firstArcEnd);
  if (!AcGeCircArc2d::IsCirArc(pa, pm, pb, GkGeoLib::g_tol)) {
    Polyline(r, 0);
    return;
  }
  static_cast<AcGeCircArc2d*>(m_members.front().get())->set(pa, pm, pb);
}

GkCompositeCurve2d* RingReader::Read() {
  if (m_count == 0) return nullptr;
  std::size_t r = 0;  // index of the current point
  for (std::size_t i = 1; i < m_count; ++i) {
    const ClipperLib::cInt tag = m_path[r].Z;
    if (tag == 0) {
      Segment(r, i);
      r = i;
    } else if (m_path[i].Z != tag || IsJump(i - 1, i)) {
      CloseRun(r, i, i);
      r = i;
    }
  }
  CloseRing(r);

  std::vector<GkCurve2d*> members;
  members.reserve(m_members.size());
  for (auto& member : m_members) members.push_back(member.release());
  auto* loop = new GkCompositeCurve2d();
  loop->SetCurveList(members);
  return loop;
}

// Shape of one outer node: its ring, then its holes' rings.
GkShape* NodeToShape(const ClipperLib::PolyNode& node) {
  std::unique_ptr<GkCompositeCurve2d> outer(PathToComposite(node.Contour));
  if (!outer) return nullptr;
  std::vector<GkCompositeCurve2d*> loops{outer.release()};
  for (const ClipperLib::PolyNode* hole : node.Childs) {
    if (GkCompositeCurve2d* loop = PathToComposite(hole->Contour)) loops.push_back(loop);
  }
  auto* shape = new GkShape();
  shape->SetCurveList(loops);
  return shape;
}

}  // namespace

GkCompositeCurve2d* PathToComposite(const ClipperLib::Path& path) {
  return RingReader(path).Read();
}

void TreeToShapes(const ClipperLib::PolyTree& tree, std::vector<GkShape*>& result) {
  // Depth-first, in order: a shape, then the islands inside its holes. An
  // explicit stack keeps deep nesting off the call stack.
  std::vector<const ClipperLib::PolyNode*> pending(tree.Childs.rbegin(), tree.Childs.rend());
  while (!pending.empty()) {
    const ClipperLib::PolyNode* node = pending.back();
    pending.pop_back();
    if (GkShape* shape = NodeToShape(*node)) result.push_back(shape);
    std::vector<const ClipperLib::PolyNode*> islands;
    for (const ClipperLib::PolyNode* hole : node->Childs) {
      islands.insert(islands.end(), hole->Childs.begin(), hole->Childs.end());
    }
    pending.insert(pending.end(), islands.rbegin(), islands.rend());
  }
}

}  // namespace clipper_glue
